#include "bench/RadioTesters.h"

namespace sim {

namespace {

// The remote-control system commands every tester shares.
void registerSystem(const std::function<void(const QByteArray &, Instrument::Handler)> &on,
                    const std::function<void(const QByteArray &)> &respond, int signallingAddress) {
  on("SYST:REM:ADDR:SEC?", [respond, signallingAddress](const Command &c) {
    double address = 0;
    if (!parseNumber(c.data, address) || address < 0 || address > 30)
      return int(kIllegalParameterValue);
    respond(int(address) == signallingAddress ? "\"RF_NSig\"" : "\"\"");
    return int(kNoError);
  });
  on("SYST:GTRM:COMP", acceptChoice({"ON", "OFF"}));
}

int signallingAddress(const QJsonObject &options) { return options.value(QLatin1String("secondary")).toInt(7); }

// A routing command's data: connector and path, "RF1C, TX1" or "R111,TX11".
Instrument::Handler setRoute(QByteArray &target, const QByteArray &pathPrefix) {
  return [&target, pathPrefix](const Command &c) {
    const QList<QByteArray> parts = c.data.toUpper().split(',');
    if (parts.size() != 2 || parts[0].trimmed().isEmpty() || !parts[1].trimmed().startsWith(pathPrefix))
      return int(kIllegalParameterValue);
    target = parts[0].trimmed();
    return int(kNoError);
  };
}

}  // namespace

TesterSource::TesterSource(Bench &bench, int type, const Identity &identity, const QJsonObject &options)
    : Generator(bench, type, identity, options) {
  auto add = [this](const QByteArray &h, Handler handler) { on(h, std::move(handler)); };
  registerSystem(add, [this](const QByteArray &u) { respond(u); }, signallingAddress(options));
  if (type == 1) {
    on("SOUR:RFG:FREQ", setFrequency());
    on("SOUR:RFG:FREQ?", query([this] { return formatNumber(freqHz_, 0); }));
    on("SOUR:RFG:LEV", setLevel());
    on("SOUR:RFG:LEV?", query([this] { return levelText(); }));
    on("INIT:RFG", action([this] { on_ = true; }));
    on("ABORT:RFG", action([this] { on_ = false; }));
    on("OUTP", setChoice(connector_, {"RF1", "RF2", "RF3"}));
    return;
  }
  on("SOUR:GPRF:GEN:RFS:FREQ", setFrequency());
  on("SOUR:GPRF:GEN:RFS:FREQ?", query([this] { return formatNumber(freqHz_, 0); }));
  on("SOUR:GPRF:GEN:RFS:LEV", setLevel());
  on("SOUR:GPRF:GEN:RFS:LEV?", query([this] { return levelText(); }));
  on("SOUR:GPRF:GEN:STAT", setSwitch(on_));
  on("SOUR:GPRF:GEN:LIST", acceptChoice({"OFF", "ON"}));
  on("SOUR:GPRF:GEN:BBM", acceptChoice({"CW", "ARB", "DTON"}));
  if (type == 2) {
    for (QByteArray g : {"1", "2"}) {
      on("SOUR:GPRF:GEN" + g + ":STAT", setSwitch(on_));
      on("ROUT:GPRF:GEN" + g + ":SCEN:SAL", setRoute(connector_, "TX" + g));
    }
  } else {
    on("ROUT:GPRF:GEN:SCEN:SAL", setRoute(connector_, "TX"));
  }
}

TesterAnalyzer::TesterAnalyzer(Bench &bench, int type, const Identity &identity, const QJsonObject &options)
    : TunedReceiver(bench, type, identity) {
  auto add = [this](const QByteArray &h, Handler handler) { on(h, std::move(handler)); };
  registerSystem(add, [this](const QByteArray &u) { respond(u); }, signallingAddress(options));
  if (type == 69) {
    on("INP", setChoice(connector_, {"RF1", "RF2", "RF4"}));
    on("POW:FREQ:CENT", setCenter());
    on("CONF:SUB:POW", [](const Command &c) {
      return c.data.toUpper().startsWith("IVAL,") ? int(kNoError) : int(kIllegalParameterValue);
    });
    on("READ:ARR:POW?", query([this] {
         // One power per subinterval of the measured burst.
         QList<QByteArray> parts;
         for (int i = 0; i < 5; ++i)
           parts.append(levelText(measure()));
         return parts.join(',');
       }));
    return;
  }
  on("ROUT:GPRF:MEAS:SCEN:SAL", setRoute(connector_, "RX"));
  on("CONF:GPRF:MEAS:RFS:FREQ", setCenter());
  on("READ:GPRF:MEAS:POW:RMS:CURR?", query([this] { return "0," + levelText(measure()); }));
}

}  // namespace sim
