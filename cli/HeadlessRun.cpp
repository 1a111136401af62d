#include "cli/HeadlessRun.h"

#include "cli/RunProgress.h"
#include "cli/StopSignal.h"
#include "instruments/LibStartup.h"
#include "instruments/Simulate.h"
#include "instruments/Visa.h"
#include "instruments/VisaExtensions.h"
#include "storage/CfgFile.h"
#include "storage/CfgKeys.h"
#include "storage/CsvFile.h"
#include "storage/DataFile.h"
#include "sweep/RunErr.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QDateTime>
#include <QDir>
#include <QSettings>

#include <cmath>

namespace {

RunExit Fail(RunExit status, const QString &title, const QString &text)
{
  std::fprintf(stderr, "solvane-run: %s%s\n", title.isEmpty() ? "" : qPrintable(title + QStringLiteral(": ")),
               qPrintable(text));
  return status;
}

// A file without a single key of the program is not its configuration; a
// sweep on the defaults would pass for the one the user asked for.
bool HoldsSettings(const QString &path)
{
  QSettings file(path, QSettings::IniFormat);
  bool known = false;
  CfgVisitKeys([&](const QString &key, auto &&...) { known = known || file.contains(key); });
  return known && file.status() == QSettings::NoError;
}

RunExit LoadSettings(CfgStr &cfg, const QString &path)
{
  QString reason;
  if (CfgOpen(cfg, path, &reason) != 0 || !HoldsSettings(path)) {
    if (reason.isEmpty())
      reason = QStringLiteral("The configuration file %1 holds no settings of this program.")
                   .arg(QDir::toNativeSeparators(path));
    return Fail(kExitConfig, QStringLiteral("Configuration"), reason);
  }
  if (!CalcSwpLst(cfg, &reason))
    return Fail(kExitConfig, QStringLiteral("Sweep"), reason);
  return kExitDone;
}

RunExit LoadLibraries(CfgStr &cfg, bool simulate)
{
  const LibStartup libs = LoadLibs(cfg.Ana.Type);
  cfg.VxiPath = libs.VxiPath;
  cfg.VisaLoaded = libs.VisaLoaded;
  cfg.SensorDriverLoaded = libs.SensorDriverLoaded;
  if (!libs.VisaLoaded)
    return Fail(kExitPrepare, QStringLiteral("VISA Error"), QStringLiteral("The VISA Library could not be loaded."));
  // The window switches to the power meter and says so; unattended, a
  // measurement with another instrument than the one configured is refused.
  if (libs.AnaTypeChanged)
    return Fail(kExitPrepare, QStringLiteral("Analyzer/Power Meter (IF)"),
                QStringLiteral("Kestrova PWU VXIpnp driver not installed."));
  const QString bench = SimulatedBenchName(VisaLibraryPath());
  if (simulate && bench.isEmpty())
    return Fail(kExitPrepare, QStringLiteral("Simulated Bench"), QStringLiteral("The simulated bench could not be loaded."));
  if (!bench.isEmpty())
    std::printf("SIMULATED BENCH - %s: no real instrument is measured\n", qPrintable(bench));
  return kExitDone;
}

bool AnyMeasured(const TraceRec &record)
{
  for (const QVector<double> &row : record)
    for (double value : row)
      if (!std::isnan(value))
        return true;
  return false;
}

// Runs the passes; the returned status is kExitDone, kExitPrepare,
// kExitMeasure or kExitStopped. Records that no pass measured into are
// dropped, so the files hold only sweeps that took place.
RunExit Measure(CfgStr &cfg, int passes, RunProgress &progress)
{
  cfg.TraceCount = 1;
  cfg.ColourIdx = 0;
  AllocTrc(cfg);
  SweepEngine engine(cfg, progress);
  RunExit status = kExitDone;
  for (int pass = 0; pass < passes && status == kExitDone && !StopSignalled(); ++pass) {
    if (pass > 0)
      AddTrcRec(cfg);
    const SwpResult result = engine.run(false);
    if (result.outcome != SwpOutcome::Completed) {
      const RunErrWords words = RunErrFor(result);
      const bool measuring = result.outcome == SwpOutcome::MeasureFailed ||
                             result.outcome == SwpOutcome::FreqFailed || result.outcome == SwpOutcome::EndFailed;
      status = Fail(measuring ? kExitMeasure : kExitPrepare, words.title, words.text);
    }
  }
  progress.finish();
  while (!cfg.Traces.isEmpty() && !AnyMeasured(cfg.Traces.last()))
    cfg.Traces.removeLast();
  cfg.TraceCount = cfg.Traces.size();
  if (status == kExitDone && StopSignalled())
    status = kExitStopped;
  return status;
}

RunExit WriteFiles(const CfgStr &cfg, const RunRequest &request, const QDateTime &when)
{
  RunExit status = kExitDone;
  QString reason;
  if (SaveDatFile(cfg, request.datFile, &reason) != 0)
    status = Fail(kExitFile, QStringLiteral("Fehler"), QStringLiteral("SaveDatFile -1: ") + reason);
  if (!request.csvFile.isEmpty() && SaveCsvFile(cfg, request.csvFile, when, &reason) != 0)
    status = Fail(kExitFile, QStringLiteral("Fehler"), QStringLiteral("SaveCsvFile -1: ") + reason);
  return status;
}

}  // namespace

RunExit RunHeadless(const RunRequest &request, FILE *progress, bool terminal)
{
  QString reason;
  if (request.simulate && !UseSimulatedBench(request.benchFile, &reason))
    return Fail(kExitPrepare, QStringLiteral("Simulated Bench"), reason);
  CfgStr cfg;
  RunExit status = LoadSettings(cfg, request.cfgFile);
  if (status == kExitDone)
    status = LoadLibraries(cfg, request.simulate);
  if (status != kExitDone)
    return status;

  const QDateTime when = QDateTime::currentDateTime();
  RunProgress observer(cfg, request.passes, progress, terminal);
  status = Measure(cfg, request.passes, observer);
  DevClose(cfg.Gen1);
  DevClose(cfg.Gen2);
  DevClose(cfg.Ana);
  if (cfg.TraceCount == 0)
    return status;
  const RunExit written = WriteFiles(cfg, request, when);
  if (status == kExitDone)
    return written;
  return status;
}
