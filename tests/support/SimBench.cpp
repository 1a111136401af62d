#include "support/SimBench.h"

#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "instruments/VisaFunctions.h"
#include "support/SleepRecorder.h"
#include "support/TestPaths.h"
#include "sweep/SwpObserver.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QTemporaryDir>
#include <cmath>

namespace SimBench {

namespace {

QLibrary &library() {
  static QLibrary lib(binDir() + "/libsolvisa.so");
  return lib;
}

class Headless : public SwpObserver {
public:
  bool continuous() override { return false; }
  bool stopRequested() override { return false; }
  void passStarted(bool) override {}
  void levelStarted(int) override {}
  void pointMeasured(int, int) override {}
  void levelDone(int) override {}
  void passDone(double) override {}
};

template <typename F> F entry(const char *name) { return reinterpret_cast<F>(library().resolve(name)); }

}  // namespace

bool load() {
  qputenv("SOLVANE_VISA_LIBRARY", (binDir() + "/libsolvisa.so").toLocal8Bit());
  return VisaLoad() && VisaLibraryPath().endsWith("libsolvisa.so") && library().load() &&
         PwuLoad(binDir() + "/vxipnp/Win64/Bin/");
}

std::unique_ptr<sim::Bench> use(const QByteArray &json) {
  static QTemporaryDir dir;
  static int count = 0;
  QJsonObject root = QJsonDocument::fromJson(json).object();
  if (!root.contains("timeoutMs"))
    root.insert("timeoutMs", 50);
  const QByteArray text = QJsonDocument(root).toJson();
  const QString path = dir.filePath(QStringLiteral("bench%1.json").arg(++count));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
    return nullptr;
  file.close();
  qputenv("SOLVISA_BENCH", path.toLocal8Bit());
  QString error;
  std::unique_ptr<sim::Bench> model = sim::benchFromJson(text, &error);
  if (!model)
    qWarning("bench: %s", qPrintable(error));
  return model;
}

ViSession openSession(const QString &resource) {
  ViSession rm = 0, session = 0;
  if (entry<decltype(&viOpenDefaultRM)>("viOpenDefaultRM")(&rm) != VI_SUCCESS)
    return 0;
  const QByteArray name = resource.toLatin1();
  if (entry<decltype(&viOpen)>("viOpen")(rm, name.constData(), VI_NO_LOCK, 0, &session) != VI_SUCCESS)
    return 0;
  return session;
}

QStringList drainErrors(const QString &resource) {
  QStringList errors;
  const ViSession session = openSession(resource);
  if (!session)
    return {"cannot open " + resource};
  for (int i = 0; i < 50; ++i) {
    QString reply;
    if (VisaQuery(session, "SYST:ERR?\n", reply) != VI_SUCCESS)
      return errors << "SYST:ERR? failed";
    if (reply.startsWith("0,"))
      break;
    errors << reply.trimmed();
  }
  entry<decltype(&viClose)>("viClose")(session);
  return errors;
}

void rfSweep(CfgStr &cfg) {
  cfg.Gen1.StartFreq = 100.0;
  cfg.Gen1.StopFreq = 1100.0;
  cfg.Gen1.StartLevel = cfg.Gen1.StopLevel = -10.0;
  cfg.Gen1.StepLevel = 10.0;
  cfg.StepFreq = 100.0;
}

bool plan(CfgStr &cfg) {
  QString reason;
  if (!CalcSwpLst(cfg, &reason)) {
    qWarning("plan refused: %s", qPrintable(reason));
    return false;
  }
  cfg.TraceCount = 1;
  AllocTrc(cfg);
  return true;
}

SwpOutcome sweep(CfgStr &cfg, bool normActive) {
  SleepRecorder noWaits;
  Headless observer;
  const SwpResult result = SweepEngine(cfg, observer).run(normActive);
  return result.initCode != 0 ? SwpOutcome::InitFailed : result.outcome;
}

double predicted(const sim::Bench &model, const CfgStr &cfg, int level, int point) {
  const sim::Tone rf{cfg.Gen1Freqs[point] * 1e6, cfg.Gen1.StartLevel + level * cfg.Gen1.StepLevel};
  const sim::Tone lo{cfg.Gen2Freqs[point] * 1e6, cfg.Gen2.StartLevel};
  const bool haveLo = cfg.Gen2.Type != 0;
  return sim::Bench::levelIn(model.dut().respond({rf}, haveLo ? &lo : nullptr), cfg.AnaFreqs[point] * 1e6, 1e6,
                             -200.0);
}

QStringList mismatches(const CfgStr &cfg, const sim::Bench &model, double toleranceDb) {
  QStringList lines;
  const TraceRec &trace = cfg.Traces.last();
  for (int level = 0; level < cfg.LevelCount; ++level)
    for (int point = 0; point < cfg.PointCount; ++point) {
      const double expected = predicted(model, cfg, level, point) + cfg.ExternalAttenuation;
      const double got = trace[level][point];
      if (!(std::abs(got - expected) <= toleranceDb))
        lines << QStringLiteral("level %1 point %2 (IF %3 MHz): measured %4 dBm, the device gives %5 dBm")
                     .arg(level).arg(point).arg(cfg.AnaFreqs[point]).arg(got).arg(expected);
    }
  return lines;
}

}  // namespace SimBench
