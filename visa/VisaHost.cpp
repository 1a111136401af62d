#include "visa/VisaHost.h"

#include "bench/BenchFile.h"
#include "bench/ResourceName.h"
#include "visa/StatusText.h"

#include <QRegularExpression>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr ViUInt32 kDefaultTimeoutMs = 2000;
// The simulated instrument will never answer a read it has nothing for, so
// even an infinite timeout ends, as a timeout, after this long.
constexpr ViUInt32 kLongestWaitMs = 10000;

void sleepMs(int ms) {
  if (ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool isSerial(const QString &resource) { return resource.trimmed().startsWith("ASRL", Qt::CaseInsensitive); }
bool isGpib(const QString &resource) { return resource.trimmed().startsWith("GPIB", Qt::CaseInsensitive); }

// Whether a value is one the attribute can take.
bool validState(ViAttr attr, ViAttrState v) {
  switch (attr) {
  case VI_ATTR_SEND_END_EN:
  case VI_ATTR_TERMCHAR_EN:
  case VI_ATTR_SUPPRESS_END_EN:
    return v <= 1;
  case VI_ATTR_TERMCHAR:
  case VI_ATTR_ASRL_XON_CHAR:
  case VI_ATTR_ASRL_XOFF_CHAR:
    return v <= 0xFF;
  case VI_ATTR_IO_PROT:
    return v >= 1 && v <= 4;
  case VI_ATTR_WR_BUF_OPER_MODE:
    return v == 1 || v == 2;  // flush on access, flush when full
  case VI_ATTR_RD_BUF_OPER_MODE:
    return v == 1 || v == 3;  // flush on access, flush disable
  case VI_ATTR_ASRL_DATA_BITS:
    return v >= 5 && v <= 8;
  case VI_ATTR_ASRL_PARITY:
    return v <= 4;
  case VI_ATTR_ASRL_STOP_BITS:
    return v == 10 || v == 15 || v == 20;
  case VI_ATTR_ASRL_FLOW_CNTRL:
    return (v & ~ViAttrState(7)) == 0;
  case VI_ATTR_ASRL_END_IN:
  case VI_ATTR_ASRL_END_OUT:
    return v <= 3;
  case VI_ATTR_MAX_QUEUE_LENGTH:
    return v >= 1;
  case VI_ATTR_ASRL_BAUD:
    return v >= 50 && v <= 4000000;
  default:
    return true;
  }
}

// The size in bytes of an attribute's value, as viGetAttribute writes it.
int stateSize(ViAttr attr) {
  switch (attr) {
  case VI_ATTR_TMO_VALUE:
  case VI_ATTR_MAX_QUEUE_LENGTH:
  case VI_ATTR_ASRL_BAUD:
  case VI_ATTR_RM_SESSION:
    return 4;
  case VI_ATTR_TERMCHAR:
  case VI_ATTR_ASRL_XON_CHAR:
  case VI_ATTR_ASRL_XOFF_CHAR:
    return 1;
  default:
    return 2;
  }
}

void copyResource(const QString &resource, char *desc) {
  const QByteArray bytes = resource.toLatin1().left(VI_FIND_BUFLEN - 1);
  std::memcpy(desc, bytes.constData(), size_t(bytes.size()) + 1);
}

}  // namespace

VisaHost &VisaHost::instance() {
  static VisaHost host;
  return host;
}

VisaHost::VisaHost() { trace_.openFromEnvironment(); }

VisaHost::Object *VisaHost::object(ViObject vi, Kind kind) {
  auto it = objects_.find(vi);
  return it != objects_.end() && it->second.kind == kind ? &it->second : nullptr;
}

ViStatus VisaHost::traced(const char *function, ViObject vi, const QByteArray &detail, ViStatus status) {
  auto it = objects_.find(vi);
  trace_.log(function, vi, it != objects_.end() ? it->second.resource : QString(), detail, status);
  return status;
}

void VisaHost::loadBenchFromEnvironment() {
  // Read when a resource manager opens; a changed SOLVISA_BENCH gives a new
  // bench, and sessions to the old one keep working.
  const QString source = qEnvironmentVariable("SOLVISA_BENCH");
  if (source == benchSource_ && (bench_ || source.isEmpty()))
    return;
  if (bench_)
    retired_.push_back(std::move(bench_));
  benchSource_ = source;
  if (source.isEmpty())
    return;
  QString error;
  bench_ = sim::loadBench(source, &error);
  if (!bench_) {
    qWarning("libsolvisa: no simulated bench: %s", qPrintable(error));
    trace_.log("bench", 0, QString(), error.toLatin1(), VI_ERROR_RSRC_NFOUND);
  }
}

std::map<ViAttr, ViAttrState> VisaHost::defaultAttributes(const QString &resource) {
  std::map<ViAttr, ViAttrState> a = {
      {VI_ATTR_TMO_VALUE, kDefaultTimeoutMs}, {VI_ATTR_SEND_END_EN, 1}, {VI_ATTR_TERMCHAR, '\n'},
      {VI_ATTR_TERMCHAR_EN, 0}, {VI_ATTR_IO_PROT, VI_PROT_NORMAL}, {VI_ATTR_SUPPRESS_END_EN, 0},
      {VI_ATTR_MAX_QUEUE_LENGTH, 50}, {VI_ATTR_RD_BUF_OPER_MODE, 3}, {VI_ATTR_WR_BUF_OPER_MODE, 2},
  };
  if (isSerial(resource)) {
    a.insert({{VI_ATTR_ASRL_BAUD, 9600}, {VI_ATTR_ASRL_DATA_BITS, 8}, {VI_ATTR_ASRL_PARITY, 0},
              {VI_ATTR_ASRL_STOP_BITS, 10}, {VI_ATTR_ASRL_FLOW_CNTRL, 0}, {VI_ATTR_ASRL_END_IN, 2},
              {VI_ATTR_ASRL_END_OUT, 0}, {VI_ATTR_ASRL_XON_CHAR, 17}, {VI_ATTR_ASRL_XOFF_CHAR, 19}});
  }
  return a;
}

ViStatus VisaHost::openDefaultRM(ViSession *rm) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!rm)
    return VI_ERROR_INV_OBJECT;
  loadBenchFromEnvironment();
  const ViObject handle = nextHandle_++;
  objects_[handle].kind = Kind::ResourceManager;
  *rm = handle;
  return traced("viOpenDefaultRM", handle, QByteArray(), VI_SUCCESS);
}

ViStatus VisaHost::open(ViSession rm, const char *name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi) {
  std::lock_guard<std::mutex> lock(mutex_);
  const QString resource = QString::fromLatin1(name ? name : "");
  const QByteArray detail = IoTrace::escaped(resource.toLatin1()) + " timeout " + QByteArray::number(timeout);
  if (!object(rm, Kind::ResourceManager) || !vi)
    return traced("viOpen", rm, detail, VI_ERROR_INV_OBJECT);
  if (mode != VI_NO_LOCK)
    return traced("viOpen", rm, detail, VI_ERROR_INV_MODE);
  if (!sim::parseResourceName(resource).valid)
    return traced("viOpen", rm, detail, VI_ERROR_INV_RSRC_NAME);
  sim::Instrument *instrument = bench_ ? bench_->find(resource) : nullptr;
  if (!instrument)
    return traced("viOpen", rm, detail, VI_ERROR_RSRC_NFOUND);
  const ViObject handle = nextHandle_++;
  Object &session = objects_[handle];
  session.kind = Kind::Instrument;
  session.rm = rm;
  session.resource = resource;
  session.instrument = instrument;
  session.attributes = defaultAttributes(resource);
  *vi = handle;
  return traced("viOpen", handle, detail, VI_SUCCESS);
}

ViStatus VisaHost::close(ViObject vi) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = objects_.find(vi);
  if (it == objects_.end())
    return traced("viClose", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  traced("viClose", vi, QByteArray(), VI_SUCCESS);
  if (it->second.kind == Kind::ResourceManager) {
    // Closing a resource manager closes everything opened through it.
    for (auto child = objects_.begin(); child != objects_.end();)
      child = child->second.rm == vi ? objects_.erase(child) : std::next(child);
  }
  objects_.erase(vi);
  return VI_SUCCESS;
}

ViStatus VisaHost::findRsrc(ViSession rm, const char *expr, ViFindList *list, ViUInt32 *count, char *desc) {
  std::lock_guard<std::mutex> lock(mutex_);
  const QString pattern = QString::fromLatin1(expr ? expr : "");
  const QByteArray detail = IoTrace::escaped(pattern.toLatin1());
  if (!object(rm, Kind::ResourceManager))
    return traced("viFindRsrc", rm, detail, VI_ERROR_INV_OBJECT);
  // VISA search expressions: "?" one character, "*" any run, the rest literal.
  QString regex;
  for (QChar c : pattern)
    regex += c == '?' ? QStringLiteral(".") : c == '*' ? QStringLiteral(".*") : QRegularExpression::escape(c);
  const QRegularExpression re(QRegularExpression::anchoredPattern(regex), QRegularExpression::CaseInsensitiveOption);
  if (!re.isValid() || pattern.isEmpty())
    return traced("viFindRsrc", rm, detail, SOLVISA_ERROR_INV_EXPR);
  QStringList found;
  if (bench_)
    for (const QString &resource : bench_->resources())
      if (re.match(resource).hasMatch())
        found.append(resource);
  if (found.isEmpty())
    return traced("viFindRsrc", rm, detail, VI_ERROR_RSRC_NFOUND);
  if (count)
    *count = ViUInt32(found.size());
  if (desc)
    copyResource(found.first(), desc);
  found.removeFirst();
  const ViObject handle = nextHandle_++;
  Object &findList = objects_[handle];
  findList.kind = Kind::FindList;
  findList.rm = rm;
  findList.found = found;
  if (list)
    *list = handle;
  return traced("viFindRsrc", rm, detail, VI_SUCCESS);
}

ViStatus VisaHost::findNext(ViFindList list, char *desc) {
  std::lock_guard<std::mutex> lock(mutex_);
  Object *findList = object(list, Kind::FindList);
  if (!findList)
    return traced("viFindNext", list, QByteArray(), VI_ERROR_INV_OBJECT);
  if (findList->found.isEmpty())
    return traced("viFindNext", list, QByteArray(), VI_ERROR_RSRC_NFOUND);
  const QString next = findList->found.takeFirst();
  if (desc)
    copyResource(next, desc);
  return traced("viFindNext", list, IoTrace::escaped(next.toLatin1()), VI_SUCCESS);
}

void VisaHost::deliver(Object &session, const QByteArray &bytes, bool end) {
  // The instrument takes a message as complete at a line feed or at END.
  session.partialMessage += bytes;
  int start = 0;
  for (int lf = session.partialMessage.indexOf('\n'); lf >= 0; lf = session.partialMessage.indexOf('\n', start)) {
    deliverMessage(session, session.partialMessage.mid(start, lf - start));
    start = lf + 1;
  }
  session.partialMessage.remove(0, start);
  if (end && !session.partialMessage.isEmpty()) {
    deliverMessage(session, session.partialMessage);
    session.partialMessage.clear();
  }
}

void VisaHost::deliverMessage(Object &session, const QByteArray &message) {
  // On the LAN, "&GTL" is the interface's go-to-local message; it never
  // reaches the instrument's parser.
  if (message == "&GTL" && session.resource.trimmed().startsWith("TCPIP", Qt::CaseInsensitive))
    session.instrument->goToLocal();
  else
    session.instrument->receive(message);
}

ViStatus VisaHost::write(ViSession vi, const ViByte *buf, ViUInt32 count, ViUInt32 *written) {
  std::lock_guard<std::mutex> lock(mutex_);
  Object *session = object(vi, Kind::Instrument);
  const QByteArray bytes = buf ? QByteArray(reinterpret_cast<const char *>(buf), int(count)) : QByteArray();
  if (!session)
    return traced("viWrite", vi, IoTrace::sent(bytes), VI_ERROR_INV_OBJECT);
  // A serial line has no END signal unless VI_ATTR_ASRL_END_OUT asks for one.
  const bool end = session->attributes[VI_ATTR_SEND_END_EN] != 0 &&
                   (!isSerial(session->resource) || session->attributes[VI_ATTR_ASRL_END_OUT] != VI_ASRL_END_NONE);
  deliver(*session, bytes, end);
  if (written)
    *written = count;
  return traced("viWrite", vi, IoTrace::sent(bytes), VI_SUCCESS);
}

int VisaHost::effectiveTimeoutMs(const Object &session) const {
  ViUInt32 timeout = ViUInt32(session.attributes.at(VI_ATTR_TMO_VALUE));
  timeout = std::min(timeout, kLongestWaitMs);
  if (bench_ && bench_->timeoutCapMs > 0)
    timeout = std::min(timeout, ViUInt32(bench_->timeoutCapMs));
  return int(timeout);
}

ViStatus VisaHost::read(ViSession vi, ViByte *buf, ViUInt32 count, ViUInt32 *got) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (got)
    *got = 0;
  Object *session = object(vi, Kind::Instrument);
  if (!session || !buf)
    return traced("viRead", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  sim::Instrument &instrument = *session->instrument;
  if (instrument.outputQueue().isEmpty())
    instrument.addressedToTalk();
  QByteArray &queue = instrument.outputQueue();
  if (queue.isEmpty()) {
    sleepMs(effectiveTimeoutMs(*session));
    return traced("viRead", vi, IoTrace::received(QByteArray()), VI_ERROR_TMO);
  }
  sleepMs(instrument.latencyMs);
  int n = std::min(int(count), queue.size());
  ViStatus status = n == queue.size() ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
  if (session->attributes[VI_ATTR_TERMCHAR_EN] || isSerial(session->resource)) {
    const int term = queue.left(n).indexOf(char(session->attributes[VI_ATTR_TERMCHAR]));
    if (term >= 0 && term + 1 < queue.size()) {
      n = term + 1;
      status = VI_SUCCESS_TERM_CHAR;
    }
  }
  const QByteArray bytes = queue.left(n);
  queue.remove(0, n);
  std::memcpy(buf, bytes.constData(), size_t(n));
  if (got)
    *got = ViUInt32(n);
  return traced("viRead", vi, IoTrace::received(bytes), status);
}

ViStatus VisaHost::clear(ViSession vi) {
  std::lock_guard<std::mutex> lock(mutex_);
  Object *session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viClear", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  session->partialMessage.clear();
  session->instrument->deviceClear();
  return traced("viClear", vi, QByteArray(), VI_SUCCESS);
}

ViStatus VisaHost::setAttribute(ViObject vi, ViAttr attr, ViAttrState value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const QByteArray detail = attributeName(attr) + " = " + QByteArray::number(qulonglong(value));
  Object *session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viSetAttribute", vi, detail, object(vi, Kind::ResourceManager) ? VI_ERROR_NSUP_ATTR
                                                                                  : VI_ERROR_INV_OBJECT);
  if (attr == VI_ATTR_RM_SESSION || attr == VI_ATTR_RSRC_NAME)
    return traced("viSetAttribute", vi, detail, SOLVISA_ERROR_ATTR_READONLY);
  if (session->attributes.find(attr) == session->attributes.end())
    return traced("viSetAttribute", vi, detail, VI_ERROR_NSUP_ATTR);
  if (!validState(attr, value))
    return traced("viSetAttribute", vi, detail, VI_ERROR_NSUP_ATTR_STATE);
  session->attributes[attr] = value;
  return traced("viSetAttribute", vi, detail, VI_SUCCESS);
}

ViStatus VisaHost::getAttribute(ViObject vi, ViAttr attr, void *value) {
  std::lock_guard<std::mutex> lock(mutex_);
  Object *session = object(vi, Kind::Instrument);
  const QByteArray name = attributeName(attr);
  if (!session || !value)
    return traced("viGetAttribute", vi, name, VI_ERROR_INV_OBJECT);
  if (attr == VI_ATTR_RSRC_NAME) {
    copyResource(session->resource, static_cast<char *>(value));
    return traced("viGetAttribute", vi, name, VI_SUCCESS);
  }
  ViAttrState state = 0;
  if (attr == VI_ATTR_RM_SESSION) {
    state = session->rm;
  } else {
    auto it = session->attributes.find(attr);
    if (it == session->attributes.end())
      return traced("viGetAttribute", vi, name, VI_ERROR_NSUP_ATTR);
    state = it->second;
  }
  switch (stateSize(attr)) {
  case 4: *static_cast<ViUInt32 *>(value) = ViUInt32(state); break;
  case 1: *static_cast<ViByte *>(value) = ViByte(state); break;
  default: *static_cast<ViUInt16 *>(value) = ViUInt16(state); break;
  }
  return traced("viGetAttribute", vi, name + " = " + QByteArray::number(qulonglong(state)), VI_SUCCESS);
}

ViStatus VisaHost::setBuf(ViSession vi, ViUInt16 mask, ViUInt32 size) {
  std::lock_guard<std::mutex> lock(mutex_);
  const QByteArray detail = "mask " + QByteArray::number(mask) + " size " + QByteArray::number(size);
  if (!object(vi, Kind::Instrument))
    return traced("viSetBuf", vi, detail, VI_ERROR_INV_OBJECT);
  // Formatted I/O buffers (1, 2) and the serial driver's buffers (16, 32).
  if (mask == 0 || (mask & ~ViUInt16(VI_READ_BUF | VI_WRITE_BUF | 16 | 32)) != 0)
    return traced("viSetBuf", vi, detail, VI_ERROR_INV_MASK);
  return traced("viSetBuf", vi, detail, VI_SUCCESS);
}

ViStatus VisaHost::readSTB(ViSession vi, ViUInt16 *stb) {
  std::lock_guard<std::mutex> lock(mutex_);
  Object *session = object(vi, Kind::Instrument);
  if (!session || !stb)
    return traced("viReadSTB", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  *stb = ViUInt16(session->instrument->statusByte());
  return traced("viReadSTB", vi, "< " + QByteArray::number(*stb), VI_SUCCESS);
}

ViStatus VisaHost::gpibControlREN(ViSession vi, ViUInt16 mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  const QByteArray detail = "mode " + QByteArray::number(mode);
  Object *session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viGpibControlREN", vi, detail, VI_ERROR_INV_OBJECT);
  if (!isGpib(session->resource))
    return traced("viGpibControlREN", vi, detail, VI_ERROR_NSUP_OPER);
  if (mode > 6)
    return traced("viGpibControlREN", vi, detail, VI_ERROR_INV_MODE);
  // Deasserting REN (0, 2 with go-to-local) or addressing the device to go
  // to local (6) returns the front panel.
  if (mode == VI_GPIB_REN_ADDRESS_GTL || mode == VI_GPIB_REN_DEASSERT || mode == 2)
    session->instrument->goToLocal();
  return traced("viGpibControlREN", vi, detail, VI_SUCCESS);
}

const char *VisaHost::benchName() {
  std::lock_guard<std::mutex> lock(mutex_);
  loadBenchFromEnvironment();
  if (!bench_)
    return nullptr;
  benchName_ = (bench_->name.isEmpty() ? benchSource_ : bench_->name).toUtf8();
  return benchName_.constData();
}

ViStatus VisaHost::unsupported(const char *function, ViSession vi) {
  std::lock_guard<std::mutex> lock(mutex_);
  return traced(function, vi, QByteArray(), VI_ERROR_NSUP_OPER);
}
