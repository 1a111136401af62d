#pragma once
// The session layer behind libsolvisa's C functions: resource managers,
// instrument sessions and their attributes, find lists. Each instrument
// session talks through its own transport (visa/Transport.h) and has its own
// lock, so a session waiting for a slow or silent instrument never holds up
// another. With SOLVISA_BENCH set, every resource is served by the simulated
// bench; otherwise the resource string chooses the interface.
#include "bench/Bench.h"
#include "instruments/VisaDefs.h"
#include "visa/IoTrace.h"
#include "visa/Transport.h"

#include <QStringList>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class VisaHost {
public:
  static VisaHost &instance();

  ViStatus openDefaultRM(ViSession *rm);
  ViStatus open(ViSession rm, const char *name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi);
  ViStatus close(ViObject vi);
  ViStatus findRsrc(ViSession rm, const char *expr, ViFindList *list, ViUInt32 *count, char *desc);
  ViStatus findNext(ViFindList list, char *desc);
  ViStatus parseRsrc(ViSession rm, const char *name, ViUInt16 *type, ViUInt16 *board, char *rsrcClass,
                     char *expanded);
  ViStatus write(ViSession vi, const ViByte *buf, ViUInt32 count, ViUInt32 *written);
  ViStatus read(ViSession vi, ViByte *buf, ViUInt32 count, ViUInt32 *got);
  ViStatus clear(ViSession vi);
  ViStatus flush(ViSession vi, ViUInt16 mask);
  ViStatus setAttribute(ViObject vi, ViAttr attr, ViAttrState value);
  ViStatus getAttribute(ViObject vi, ViAttr attr, void *value);
  ViStatus setBuf(ViSession vi, ViUInt16 mask, ViUInt32 size);
  ViStatus readSTB(ViSession vi, ViUInt16 *stb);
  ViStatus gpibControlREN(ViSession vi, ViUInt16 mode);
  ViStatus events(const char *function, ViSession vi, ViUInt32 eventType, ViUInt16 mechanism);
  ViStatus unsupported(const char *function, ViSession vi);
  // The served bench's name, nullptr without a bench (read from the
  // environment now if no resource manager has been opened yet).
  const char *benchName();
  // Why the calling thread's last failed call failed, "" when unknown.
  static const char *lastReason();

private:
  enum class Kind { ResourceManager, Instrument, FindList };
  struct Object {
    Kind kind = Kind::ResourceManager;
    ViSession rm = 0;  // the resource manager an instrument session or list belongs to
    QString resource;
    ViUInt16 interfaceType = 0;
    ViUInt16 board = 0;
    QString resourceClass;
    std::mutex io;  // held for the length of one call on the session
    std::unique_ptr<Transport> transport;
    std::map<ViAttr, ViAttrState> attributes;
    QStringList found;  // a find list's remaining resources
  };
  using ObjectPtr = std::shared_ptr<Object>;

  VisaHost();
  ObjectPtr object(ViObject vi, Kind kind);
  ViStatus traced(const char *function, ViObject vi, const QString &resource, const QByteArray &detail,
                  ViStatus status);
  ViStatus traced(const char *function, ViObject vi, const QByteArray &detail, ViStatus status);
  ViStatus failed(const char *function, ViObject vi, const Object &session, const QByteArray &detail,
                  ViStatus status);
  void loadBenchFromEnvironment();
  // A LAN connection gets the open timeout, or the default I/O timeout for 0.
  ViStatus openTransport(const QString &name, ViUInt32 openTimeoutMs, Object &session);
  static IoSettings ioSettings(const Object &session);
  static std::map<ViAttr, ViAttrState> defaultAttributes(ViUInt16 interfaceType);

  std::mutex mutex_;  // the object table and the bench; never held during I/O
  IoTrace trace_;
  QString benchSource_;
  QByteArray benchName_;
  std::unique_ptr<sim::Bench> bench_;
  // Benches replaced by a changed SOLVISA_BENCH stay alive for their sessions.
  std::vector<std::unique_ptr<sim::Bench>> retired_;
  std::map<ViObject, ObjectPtr> objects_;
  ViObject nextHandle_ = 1;
};
