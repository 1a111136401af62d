#include "bench/Instrument.h"

namespace sim {

Instrument::Instrument(Bench &bench, int type, const Identity &identity)
    : bench_(bench), type_(type), identity_(identity) {
  registerCommon();
}

QByteArray Instrument::identification() const {
  return "Solvane Simulated," + identity_.model.toLatin1() + ',' + identity_.serial.toLatin1() + ",1.0";
}

void Instrument::on(const QByteArray &header, Handler handler) { handlers_.insert(header, std::move(handler)); }

void Instrument::respond(const QByteArray &unit) { pending_.append(unit); }

void Instrument::pushError(int code) {
  if (code <= -100 && code > -200)
    esr_ |= kEsrCommandError;
  else if (code <= -200 && code > -300)
    esr_ |= kEsrExecutionError;
  else if (code <= -400 && code > -500)
    esr_ |= kEsrQueryError;
  errors_.append(QString::number(code) + ",\"" + errorText(code) + '"');
}

QList<QByteArray> Instrument::units(const QByteArray &message) const {
  // Semicolons inside a quoted string do not separate units.
  QList<QByteArray> result;
  QByteArray current;
  bool quoted = false;
  for (char c : message) {
    if (c == '"')
      quoted = !quoted;
    if (c == ';' && !quoted) {
      result.append(current);
      current.clear();
    } else {
      current.append(c);
    }
  }
  result.append(current);
  return result;
}

void Instrument::receive(const QByteArray &message) {
  remote_ = true;
  if (!output_.isEmpty()) {
    // A new message while a response is still unread: the response is lost.
    output_.clear();
    pushError(kQueryInterrupted);
  }
  pending_.clear();
  for (const QByteArray &unit : units(message)) {
    if (unit.trimmed().isEmpty())
      continue;
    if (!execute(unit))
      break;  // the parser discards the rest of a message after an error
  }
  if (!pending_.isEmpty())
    output_ = pending_.join(';') + '\n';
  pending_.clear();
}

bool Instrument::execute(const QByteArray &unit) {
  Command command = parseUnit(unit);
  auto handler = handlers_.constFind(command.header);
  if (handler == handlers_.constEnd() && command.header.startsWith(':'))
    handler = handlers_.constFind(command.header.mid(1));  // SCPI root specifier
  if (handler == handlers_.constEnd()) {
    pushError(kUndefinedHeader);
    return false;
  }
  const int error = (*handler)(command);
  if (error != kNoError) {
    pushError(error);
    return false;
  }
  return true;
}

int Instrument::statusByte() const {
  int stb = deviceStatusBits();
  if (!errors_.isEmpty())
    stb |= kStbErrorQueue;
  if (!output_.isEmpty())
    stb |= kStbMessageAvailable;
  if (esr_ & ese_)
    stb |= kStbEventSummary;
  return stb;
}

void Instrument::deviceClear() {
  output_.clear();
  pending_.clear();
}

Instrument::Handler Instrument::query(std::function<QByteArray()> answer) {
  return [this, answer](const Command &c) {
    if (c.hasData())
      return int(kParameterNotAllowed);
    respond(answer());
    return int(kNoError);
  };
}

Instrument::Handler Instrument::action(std::function<void()> act) {
  return [act](const Command &c) {
    if (c.hasData())
      return int(kParameterNotAllowed);
    act();
    return int(kNoError);
  };
}

void Instrument::registerCommon() {
  on("*IDN?", query([this] { return identification(); }));
  on("*OPC?", query([] { return QByteArray("1"); }));
  on("*OPC", action([this] { esr_ |= kEsrOperationComplete; }));
  on("*WAI", action([] {}));
  on("*RST", action([this] { reset(); }));
  on("*CLS", action([this] {
       errors_.clear();
       esr_ = 0;
       clearStatus();
     }));
  on("*ESR?", query([this] {
       const int esr = esr_;
       esr_ = 0;
       return QByteArray::number(esr);
     }));
  on("*ESE", [this](const Command &c) {
    double mask = 0;
    if (!parseNumber(c.data, mask) || mask < 0 || mask > 255)
      return int(kDataOutOfRange);
    ese_ = int(mask);
    return int(kNoError);
  });
  on("*ESE?", query([this] { return QByteArray::number(ese_); }));
  on("*STB?", query([this] { return QByteArray::number(statusByte()); }));
  on("SYST:ERR?", query([this] {
       if (errors_.isEmpty())
         return QByteArray("0,\"No error\"");
       return errors_.takeFirst().toLatin1();
     }));
}

}  // namespace sim
