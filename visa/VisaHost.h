#pragma once
// The state behind libsolvisa's C functions: resource managers, sessions and
// their attributes, find lists, and the simulated bench that answers every
// resource when SOLVISA_BENCH names one. Without a bench every resource is
// "not found", so that a program on a machine without VISA fails cleanly.
#include "bench/Bench.h"
#include "instruments/VisaDefs.h"
#include "visa/IoTrace.h"

#include <QHash>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class VisaHost {
public:
  static VisaHost &instance();

  ViStatus openDefaultRM(ViSession *rm);
  ViStatus open(ViSession rm, const char *name, ViAccessMode mode, ViUInt32 timeout, ViSession *vi);
  ViStatus close(ViObject vi);
  ViStatus findRsrc(ViSession rm, const char *expr, ViFindList *list, ViUInt32 *count, char *desc);
  ViStatus findNext(ViFindList list, char *desc);
  ViStatus write(ViSession vi, const ViByte *buf, ViUInt32 count, ViUInt32 *written);
  ViStatus read(ViSession vi, ViByte *buf, ViUInt32 count, ViUInt32 *got);
  ViStatus clear(ViSession vi);
  ViStatus setAttribute(ViObject vi, ViAttr attr, ViAttrState value);
  ViStatus getAttribute(ViObject vi, ViAttr attr, void *value);
  ViStatus setBuf(ViSession vi, ViUInt16 mask, ViUInt32 size);
  ViStatus readSTB(ViSession vi, ViUInt16 *stb);
  ViStatus gpibControlREN(ViSession vi, ViUInt16 mode);
  ViStatus unsupported(const char *function, ViSession vi);
  // The served bench's name, nullptr without a bench (read from the
  // environment now if no resource manager has been opened yet).
  const char *benchName();

private:
  enum class Kind { ResourceManager, Instrument, FindList };
  struct Object {
    Kind kind = Kind::ResourceManager;
    ViSession rm = 0;  // the resource manager an instrument session or list belongs to
    QString resource;
    sim::Instrument *instrument = nullptr;
    std::map<ViAttr, ViAttrState> attributes;
    QByteArray partialMessage;  // bytes written without END or terminator yet
    QStringList found;          // a find list's remaining resources
  };

  VisaHost();
  Object *object(ViObject vi, Kind kind);
  ViStatus traced(const char *function, ViObject vi, const QByteArray &detail, ViStatus status);
  void loadBenchFromEnvironment();
  void deliver(Object &session, const QByteArray &bytes, bool end);
  static void deliverMessage(Object &session, const QByteArray &message);
  int effectiveTimeoutMs(const Object &session) const;
  static std::map<ViAttr, ViAttrState> defaultAttributes(const QString &resource);

  std::mutex mutex_;
  IoTrace trace_;
  QString benchSource_;
  QByteArray benchName_;
  std::unique_ptr<sim::Bench> bench_;
  // Benches replaced by a changed SOLVISA_BENCH stay alive for their sessions.
  std::vector<std::unique_ptr<sim::Bench>> retired_;
  std::map<ViObject, Object> objects_;
  ViObject nextHandle_ = 1;
};
