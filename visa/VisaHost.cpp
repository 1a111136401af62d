#include "visa/VisaHost.h"

#include "bench/BenchFile.h"
#include "bench/ResourceName.h"
#include "visa/BenchTransport.h"
#include "visa/Discovery.h"
#include "visa/Resource.h"
#include "visa/StatusText.h"
#include "visa/Transports.h"

#include <QRegularExpression>
#include <climits>
#include <cstring>

namespace {

constexpr ViUInt32 kDefaultTimeoutMs = 2000;
constexpr ViUInt32 kInfiniteTimeout = 0xFFFFFFFFu;
constexpr ViAttrState kProtocol4882Strings = 4;

thread_local std::string lastFailure;

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
  case VI_ATTR_TMO_VALUE:
    return v <= kInfiniteTimeout;
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

bool readOnly(ViAttr attr) {
  return attr == VI_ATTR_RM_SESSION || attr == VI_ATTR_RSRC_NAME || attr == VI_ATTR_RSRC_CLASS ||
         attr == VI_ATTR_INTF_TYPE || attr == VI_ATTR_INTF_NUM;
}

void copyText(const QString &text, char *desc) {
  const QByteArray bytes = text.toLatin1().left(VI_FIND_BUFLEN - 1);
  std::memcpy(desc, bytes.constData(), size_t(bytes.size()) + 1);
}

}  // namespace

VisaHost &VisaHost::instance() {
  static VisaHost host;
  return host;
}

VisaHost::VisaHost() { trace_.openFromEnvironment(); }

const char *VisaHost::lastReason() { return lastFailure.c_str(); }

VisaHost::ObjectPtr VisaHost::object(ViObject vi, Kind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = objects_.find(vi);
  return it != objects_.end() && it->second->kind == kind ? it->second : nullptr;
}

ViStatus VisaHost::traced(const char *function, ViObject vi, const QString &resource, const QByteArray &detail,
                          ViStatus status) {
  if (status < 0)
    lastFailure.clear();
  trace_.log(function, vi, resource, detail, status);
  return status;
}

ViStatus VisaHost::traced(const char *function, ViObject vi, const QByteArray &detail, ViStatus status) {
  return traced(function, vi, QString(), detail, status);
}

ViStatus VisaHost::failed(const char *function, ViObject vi, const Object &session, const QByteArray &detail,
                          ViStatus status) {
  trace_.log(function, vi, session.resource, detail, status);
  if (status < 0)
    lastFailure = session.transport->reason();
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

std::map<ViAttr, ViAttrState> VisaHost::defaultAttributes(ViUInt16 interfaceType) {
  std::map<ViAttr, ViAttrState> a = {
      {VI_ATTR_TMO_VALUE, kDefaultTimeoutMs}, {VI_ATTR_SEND_END_EN, 1}, {VI_ATTR_TERMCHAR, '\n'},
      {VI_ATTR_TERMCHAR_EN, 0}, {VI_ATTR_IO_PROT, VI_PROT_NORMAL}, {VI_ATTR_SUPPRESS_END_EN, 0},
      {VI_ATTR_MAX_QUEUE_LENGTH, 50}, {VI_ATTR_RD_BUF_OPER_MODE, 3}, {VI_ATTR_WR_BUF_OPER_MODE, 2},
  };
  if (interfaceType == VI_INTF_ASRL) {
    a.insert({{VI_ATTR_ASRL_BAUD, 9600}, {VI_ATTR_ASRL_DATA_BITS, 8}, {VI_ATTR_ASRL_PARITY, 0},
              {VI_ATTR_ASRL_STOP_BITS, 10}, {VI_ATTR_ASRL_FLOW_CNTRL, 0}, {VI_ATTR_ASRL_END_IN, 2},
              {VI_ATTR_ASRL_END_OUT, 0}, {VI_ATTR_ASRL_XON_CHAR, 17}, {VI_ATTR_ASRL_XOFF_CHAR, 19}});
  }
  return a;
}

IoSettings VisaHost::ioSettings(const Object &session) {
  const auto &a = session.attributes;
  IoSettings io;
  const ViAttrState timeout = a.at(VI_ATTR_TMO_VALUE);
  io.timeoutMs = timeout >= ViAttrState(INT_MAX) ? -1 : int(timeout);
  io.termChar = static_cast<unsigned char>(a.at(VI_ATTR_TERMCHAR));
  io.termCharEnabled = a.at(VI_ATTR_TERMCHAR_EN) != 0;
  io.sendEnd = a.at(VI_ATTR_SEND_END_EN) != 0;
  io.statusByQuery = a.at(VI_ATTR_IO_PROT) == kProtocol4882Strings;
  if (session.interfaceType == VI_INTF_ASRL) {
    // A serial line has END only as the attributes define it.
    io.termCharEnabled = io.termCharEnabled || a.at(VI_ATTR_ASRL_END_IN) == VI_ASRL_END_TERMCHAR;
    io.sendEnd = io.sendEnd && a.at(VI_ATTR_ASRL_END_OUT) != VI_ASRL_END_NONE;
  }
  return io;
}

ViStatus VisaHost::openDefaultRM(ViSession *rm) {
  if (!rm)
    return traced("viOpenDefaultRM", 0, QByteArray(), VI_ERROR_INV_PARAMETER);
  std::lock_guard<std::mutex> lock(mutex_);
  loadBenchFromEnvironment();
  const ViObject handle = nextHandle_++;
  objects_[handle] = std::make_shared<Object>();
  *rm = handle;
  return traced("viOpenDefaultRM", handle, QByteArray(), VI_SUCCESS);
}

ViStatus VisaHost::openTransport(const QString &name, ViUInt32 openTimeoutMs, Object &session) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (bench_ || !benchSource_.isEmpty()) {
      const sim::ResourceName bench = sim::parseResourceName(name);
      if (!bench.valid)
        return VI_ERROR_INV_RSRC_NAME;
      sim::Instrument *instrument = bench_ ? bench_->find(name) : nullptr;
      if (!instrument)
        return VI_ERROR_RSRC_NFOUND;
      const Resource parsed = parseResource(name);
      session.interfaceType = name.trimmed().startsWith("ASRL", Qt::CaseInsensitive) ? VI_INTF_ASRL
                              : parsed.valid                                      ? parsed.interfaceType
                                                                                  : VI_INTF_GPIB;
      session.board = parsed.board;
      session.resourceClass = "INSTR";
      session.attributes = defaultAttributes(session.interfaceType);
      session.transport = std::make_unique<BenchTransport>(*bench_, *instrument,
                                                           session.interfaceType == VI_INTF_TCPIP);
      return VI_SUCCESS;
    }
  }
  const Resource resource = parseResource(name);
  if (!resource.valid)
    return VI_ERROR_INV_RSRC_NAME;
  session.interfaceType = resource.interfaceType;
  session.board = resource.board;
  session.resourceClass = resource.resourceClass;
  session.attributes = defaultAttributes(resource.interfaceType);
  // A raw socket has no END: messages end at the termination character.
  if (resource.resourceClass == "SOCKET")
    session.attributes[VI_ATTR_TERMCHAR_EN] = 1;
  std::string reason;
  ViStatus status = VI_SUCCESS;
  IoSettings connect = ioSettings(session);
  if (openTimeoutMs > 0)
    connect.timeoutMs = int(std::min<ViUInt32>(openTimeoutMs, INT_MAX));
  session.transport = connectTransport(resource, connect, status, reason);
  if (!session.transport)
    lastFailure = reason;
  return status;
}

ViStatus VisaHost::open(ViSession rm, const char *name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi) {
  const QString resource = QString::fromLatin1(name ? name : "");
  const QByteArray detail = IoTrace::escaped(resource.toLatin1()) + " timeout " + QByteArray::number(timeout);
  lastFailure.clear();
  if (!object(rm, Kind::ResourceManager))
    return traced("viOpen", rm, detail, VI_ERROR_INV_OBJECT);
  if (!vi || !name)
    return traced("viOpen", rm, detail, VI_ERROR_INV_PARAMETER);
  if (mode != VI_NO_LOCK)
    return traced("viOpen", rm, detail, VI_ERROR_INV_MODE);
  auto session = std::make_shared<Object>();
  session->kind = Kind::Instrument;
  session->rm = rm;
  session->resource = resource;
  const ViStatus status = openTransport(resource, timeout, *session);
  if (status < 0) {
    trace_.log("viOpen", rm, QString(), detail, status);
    return status;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const ViObject handle = nextHandle_++;
  objects_[handle] = session;
  *vi = handle;
  trace_.log("viOpen", handle, resource, detail, VI_SUCCESS);
  return VI_SUCCESS;
}

ViStatus VisaHost::close(ViObject vi) {
  std::vector<ObjectPtr> closing;  // destroyed (links torn down) outside the lock
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(vi);
    if (it == objects_.end())
      return traced("viClose", vi, QByteArray(), VI_ERROR_INV_OBJECT);
    trace_.log("viClose", vi, it->second->resource, QByteArray(), VI_SUCCESS);
    if (it->second->kind == Kind::ResourceManager) {
      // Closing a resource manager closes everything opened through it.
      for (auto child = objects_.begin(); child != objects_.end();) {
        if (child->second->rm == vi) {
          closing.push_back(child->second);
          child = objects_.erase(child);
        } else {
          ++child;
        }
      }
    }
    closing.push_back(it->second);
    objects_.erase(vi);
  }
  return VI_SUCCESS;
}

ViStatus VisaHost::findRsrc(ViSession rm, const char *expr, ViFindList *list, ViUInt32 *count, char *desc) {
  const QString pattern = QString::fromLatin1(expr ? expr : "");
  const QByteArray detail = IoTrace::escaped(pattern.toLatin1());
  if (list)
    *list = VI_NULL;
  if (count)
    *count = 0;
  if (!object(rm, Kind::ResourceManager))
    return traced("viFindRsrc", rm, detail, VI_ERROR_INV_OBJECT);
  // VISA search expressions: "?" one character, "*" any run, the rest literal.
  QString regex;
  for (QChar c : pattern)
    regex += c == '?' ? QStringLiteral(".") : c == '*' ? QStringLiteral(".*") : QRegularExpression::escape(c);
  const QRegularExpression re(QRegularExpression::anchoredPattern(regex), QRegularExpression::CaseInsensitiveOption);
  if (!re.isValid() || pattern.isEmpty())
    return traced("viFindRsrc", rm, detail, SOLVISA_ERROR_INV_EXPR);
  QStringList candidates;
  bool simulated = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    simulated = !benchSource_.isEmpty();
    if (bench_)
      candidates = bench_->resources();
  }
  if (!simulated)
    candidates = discoverResources();
  QStringList found;
  for (const QString &resource : candidates)
    if (re.match(resource).hasMatch())
      found.append(resource);
  if (found.isEmpty())
    return traced("viFindRsrc", rm, detail, VI_ERROR_RSRC_NFOUND);
  if (count)
    *count = ViUInt32(found.size());
  if (desc)
    copyText(found.first(), desc);
  found.removeFirst();
  if (list) {
    // Without a place to return it, no list is kept.
    std::lock_guard<std::mutex> lock(mutex_);
    const ViObject handle = nextHandle_++;
    auto findList = std::make_shared<Object>();
    findList->kind = Kind::FindList;
    findList->rm = rm;
    findList->found = found;
    objects_[handle] = findList;
    *list = handle;
  }
  return traced("viFindRsrc", rm, detail, VI_SUCCESS);
}

ViStatus VisaHost::findNext(ViFindList list, char *desc) {
  ObjectPtr findList = object(list, Kind::FindList);
  if (!findList)
    return traced("viFindNext", list, QByteArray(), VI_ERROR_INV_OBJECT);
  std::lock_guard<std::mutex> lock(findList->io);
  if (findList->found.isEmpty())
    return traced("viFindNext", list, QByteArray(), VI_ERROR_RSRC_NFOUND);
  const QString next = findList->found.takeFirst();
  if (desc)
    copyText(next, desc);
  return traced("viFindNext", list, IoTrace::escaped(next.toLatin1()), VI_SUCCESS);
}

ViStatus VisaHost::parseRsrc(ViSession rm, const char *name, ViUInt16 *type, ViUInt16 *board, char *rsrcClass,
                             char *expanded) {
  const QByteArray detail = IoTrace::escaped(QByteArray(name ? name : ""));
  if (!object(rm, Kind::ResourceManager))
    return traced("viParseRsrc", rm, detail, VI_ERROR_INV_OBJECT);
  if (!name)
    return traced("viParseRsrc", rm, detail, VI_ERROR_INV_PARAMETER);
  const Resource resource = parseResource(QString::fromLatin1(name));
  if (!resource.valid)
    return traced("viParseRsrc", rm, detail, VI_ERROR_INV_RSRC_NAME);
  if (type)
    *type = resource.interfaceType;
  if (board)
    *board = resource.board;
  if (rsrcClass)
    copyText(resource.resourceClass, rsrcClass);
  if (expanded)
    copyText(resource.canonical(), expanded);
  return traced("viParseRsrc", rm, detail, VI_SUCCESS);
}

ViStatus VisaHost::write(ViSession vi, const ViByte *buf, ViUInt32 count, ViUInt32 *written) {
  if (written)
    *written = 0;
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viWrite", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  if (!buf)
    return traced("viWrite", vi, session->resource, QByteArray(), VI_ERROR_USER_BUF);
  // One message is at most 2 GiB - 1: nothing larger exists in one buffer
  // that a caller could hand over.
  if (count > ViUInt32(INT_MAX))
    return traced("viWrite", vi, session->resource, QByteArray(), VI_ERROR_INV_PARAMETER);
  const QByteArray bytes = trace_.enabled() ? QByteArray(reinterpret_cast<const char *>(buf), int(count)) : QByteArray();
  std::lock_guard<std::mutex> lock(session->io);
  size_t sent = 0;
  const ViStatus status = session->transport->write(buf, count, ioSettings(*session), sent);
  if (written)
    *written = ViUInt32(sent);
  return failed("viWrite", vi, *session, IoTrace::sent(bytes), status);
}

ViStatus VisaHost::read(ViSession vi, ViByte *buf, ViUInt32 count, ViUInt32 *got) {
  if (got)
    *got = 0;
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viRead", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  if (!buf)
    return traced("viRead", vi, session->resource, QByteArray(), VI_ERROR_USER_BUF);
  std::lock_guard<std::mutex> lock(session->io);
  size_t n = 0;
  const ViStatus status = session->transport->read(buf, count, ioSettings(*session), n);
  if (got)
    *got = ViUInt32(n);
  const QByteArray bytes = trace_.enabled() ? QByteArray(reinterpret_cast<const char *>(buf), int(std::min<size_t>(n, INT_MAX))) : QByteArray();
  return failed("viRead", vi, *session, IoTrace::received(bytes), status);
}

ViStatus VisaHost::clear(ViSession vi) {
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viClear", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  std::lock_guard<std::mutex> lock(session->io);
  return failed("viClear", vi, *session, QByteArray(), session->transport->clear(ioSettings(*session)));
}

ViStatus VisaHost::flush(ViSession vi, ViUInt16 mask) {
  const QByteArray detail = "mask " + QByteArray::number(mask);
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viFlush", vi, detail, VI_ERROR_INV_OBJECT);
  if (mask == 0 || mask > 0xFF)
    return traced("viFlush", vi, session->resource, detail, VI_ERROR_INV_MASK);
  // Writes go out unbuffered; what is discarded is input not yet read.
  std::lock_guard<std::mutex> lock(session->io);
  if (mask & (VI_READ_BUF | VI_READ_BUF_DISCARD | VI_IO_IN_BUF | VI_IO_IN_BUF_DISCARD))
    session->transport->discardInput();
  return traced("viFlush", vi, session->resource, detail, VI_SUCCESS);
}

ViStatus VisaHost::setAttribute(ViObject vi, ViAttr attr, ViAttrState value) {
  const QByteArray detail = attributeName(attr) + " = " + QByteArray::number(qulonglong(value));
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viSetAttribute", vi, detail, object(vi, Kind::ResourceManager) ? VI_ERROR_NSUP_ATTR
                                                                                  : VI_ERROR_INV_OBJECT);
  if (readOnly(attr))
    return traced("viSetAttribute", vi, session->resource, detail, SOLVISA_ERROR_ATTR_READONLY);
  std::lock_guard<std::mutex> lock(session->io);
  if (session->attributes.find(attr) == session->attributes.end())
    return traced("viSetAttribute", vi, session->resource, detail, VI_ERROR_NSUP_ATTR);
  if (!validState(attr, value))
    return traced("viSetAttribute", vi, session->resource, detail, VI_ERROR_NSUP_ATTR_STATE);
  const ViStatus status = session->transport->configure(attr, value);
  if (status == VI_SUCCESS)
    session->attributes[attr] = value;
  return failed("viSetAttribute", vi, *session, detail, status);
}

ViStatus VisaHost::getAttribute(ViObject vi, ViAttr attr, void *value) {
  const QByteArray name = attributeName(attr);
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viGetAttribute", vi, name, VI_ERROR_INV_OBJECT);
  if (!value)
    return traced("viGetAttribute", vi, session->resource, name, VI_ERROR_INV_PARAMETER);
  if (attr == VI_ATTR_RSRC_NAME || attr == VI_ATTR_RSRC_CLASS) {
    copyText(attr == VI_ATTR_RSRC_NAME ? session->resource : session->resourceClass, static_cast<char *>(value));
    return traced("viGetAttribute", vi, session->resource, name, VI_SUCCESS);
  }
  ViAttrState state = 0;
  std::unique_lock<std::mutex> lock(session->io);
  if (attr == VI_ATTR_RM_SESSION) {
    state = session->rm;
  } else if (attr == VI_ATTR_INTF_TYPE) {
    state = session->interfaceType;
  } else if (attr == VI_ATTR_INTF_NUM) {
    state = session->board;
  } else {
    auto it = session->attributes.find(attr);
    if (it == session->attributes.end())
      return traced("viGetAttribute", vi, session->resource, name, VI_ERROR_NSUP_ATTR);
    state = it->second;
  }
  lock.unlock();
  switch (stateSize(attr)) {
  case 4: *static_cast<ViUInt32 *>(value) = ViUInt32(state); break;
  case 1: *static_cast<ViByte *>(value) = ViByte(state); break;
  default: *static_cast<ViUInt16 *>(value) = ViUInt16(state); break;
  }
  return traced("viGetAttribute", vi, session->resource, name + " = " + QByteArray::number(qulonglong(state)),
                VI_SUCCESS);
}

ViStatus VisaHost::setBuf(ViSession vi, ViUInt16 mask, ViUInt32 size) {
  const QByteArray detail = "mask " + QByteArray::number(mask) + " size " + QByteArray::number(size);
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viSetBuf", vi, detail, VI_ERROR_INV_OBJECT);
  // Formatted I/O buffers (1, 2) and the serial driver's buffers (16, 32).
  if (mask == 0 || (mask & ~ViUInt16(VI_READ_BUF | VI_WRITE_BUF | VI_IO_IN_BUF | VI_IO_OUT_BUF)) != 0)
    return traced("viSetBuf", vi, session->resource, detail, VI_ERROR_INV_MASK);
  return traced("viSetBuf", vi, session->resource, detail, VI_SUCCESS);
}

ViStatus VisaHost::readSTB(ViSession vi, ViUInt16 *stb) {
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viReadSTB", vi, QByteArray(), VI_ERROR_INV_OBJECT);
  if (!stb)
    return traced("viReadSTB", vi, session->resource, QByteArray(), VI_ERROR_INV_PARAMETER);
  std::lock_guard<std::mutex> lock(session->io);
  ViUInt16 value = 0;
  const ViStatus status = session->transport->readStb(value, ioSettings(*session));
  if (status >= 0)
    *stb = value;
  return failed("viReadSTB", vi, *session, "< " + QByteArray::number(value), status);
}

ViStatus VisaHost::gpibControlREN(ViSession vi, ViUInt16 mode) {
  const QByteArray detail = "mode " + QByteArray::number(mode);
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced("viGpibControlREN", vi, detail, VI_ERROR_INV_OBJECT);
  if (session->interfaceType != VI_INTF_GPIB)
    return traced("viGpibControlREN", vi, session->resource, detail, VI_ERROR_NSUP_OPER);
  if (mode > 6)
    return traced("viGpibControlREN", vi, session->resource, detail, VI_ERROR_INV_MODE);
  std::lock_guard<std::mutex> lock(session->io);
  return failed("viGpibControlREN", vi, *session, detail,
                session->transport->controlRen(mode, ioSettings(*session)));
}

ViStatus VisaHost::events(const char *function, ViSession vi, ViUInt32 eventType, ViUInt16 mechanism) {
  // No events are ever enabled, so disabling or discarding them is done at once.
  const QByteArray detail = "event " + QByteArray::number(eventType, 16) + " mechanism " +
                            QByteArray::number(mechanism);
  ObjectPtr session = object(vi, Kind::Instrument);
  if (!session)
    return traced(function, vi, detail, VI_ERROR_INV_OBJECT);
  if (eventType != VI_EVENT_SERVICE_REQ && eventType != VI_ALL_ENABLED_EVENTS)
    return traced(function, vi, session->resource, detail, VI_ERROR_INV_EVENT);
  if (mechanism != VI_ALL_MECH && (mechanism == 0 || (mechanism & ~ViUInt16(VI_QUEUE | VI_HNDLR | VI_SUSPEND_HNDLR)) != 0))
    return traced(function, vi, session->resource, detail, VI_ERROR_INV_MECH);
  return traced(function, vi, session->resource, detail, VI_SUCCESS);
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
  return traced(function, vi, QByteArray(), VI_ERROR_NSUP_OPER);
}
