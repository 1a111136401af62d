// Prints how long the sweep plan and the configuration file take: the plan
// runs after every edit in the sweep dialog, the file after every dialog.
#include "storage/CfgFile.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

void report(const char *what, int repeats, const std::function<void()> &work) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < repeats; ++i)
    work();
  std::printf("%-44s %10.1f us\n", what, timer.nsecsElapsed() / 1000.0 / repeats);
}

}  // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  CfgStr cfg;
  CfgDefaults(cfg);
  report("plan, default settings (91 points)", 10000, [&] { CalcSwpLst(cfg); });
  cfg.Gen2.Type = 24;
  cfg.FixedLo = false;
  cfg.Gen1.StopFreq = 100 + (kMaxPoints - 1) * 10.0;
  report("plan, swept LO at the point limit", 200, [&] { CalcSwpLst(cfg); });
  cfg.LogSweep = 1;
  cfg.Count = kMaxPoints;
  report("plan, logarithmic swept LO at the limit", 200, [&] { CalcSwpLst(cfg); });
  cfg.Count = 2000000000;
  report("plan refused, 2e9 points asked for", 10000, [&] { CalcSwpLst(cfg); });

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.cfg"));
  report("configuration save (116 keys)", 200, [&] { CfgSave(cfg, path); });
  report("configuration load (116 keys)", 200, [&] { CfgLoad(cfg, path); });
  return 0;
}
