// solvane-run: sweeps on the instruments of a configuration file without a
// window, for scripts and unattended measurements.
#include "cli/HeadlessRun.h"
#include "cli/StopSignal.h"
#include "instruments/Simulate.h"
#include "sweep/SwpLimits.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <unistd.h>

namespace {

const char kExitStatuses[] =
    "Exit status:\n"
    "  0    done\n"
    "  1    wrong command line\n"
    "  2    configuration file missing or unusable, or settings that give no plan\n"
    "  3    VISA library, sensor driver, bench or the preparation of an instrument failed\n"
    "  4    a measurement or an end-of-run step failed (the points measured are written)\n"
    "  5    a file could not be written\n"
    "  130  stopped by Ctrl-C (the points measured are written)";

int UsageError(const QString &text)
{
  std::fprintf(stderr, "solvane-run: %s\n", qPrintable(text));
  return kExitUsage;
}

}  // namespace

int main(int argc, char *argv[])
{
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("solvane-run"));
  QCoreApplication::setApplicationVersion(QStringLiteral("5.3.0"));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Runs the sweep of a configuration file without a window and writes the traces.\n\n")
      + QLatin1String(kExitStatuses));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("The settings (a .cfg file of Solvane64)."),
                                  QStringLiteral("FILE.cfg"));
  const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The data file to write."),
                               QStringLiteral("FILE.dat"));
  const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Also write the traces as CSV."),
                               QStringLiteral("FILE.csv"));
  const QCommandLineOption repeat(QStringLiteral("repeat"),
                                  QStringLiteral("Sweep N times, one trace each (1 to %1).").arg(kMaxTraces),
                                  QStringLiteral("N"), QStringLiteral("1"));
  const QCommandLineOption simulate(QStringLiteral("simulate"),
                                    QStringLiteral("Serve every instrument from the simulated bench: the built-in "
                                                   "one, or the bench file given as --simulate=BENCH.json."));
  parser.addOptions({config, out, csv, repeat, simulate});

  RunRequest request;
  parser.process(SplitSimulateOption(app.arguments(), &request.benchFile));
  if (!parser.positionalArguments().isEmpty())
    return UsageError(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first());
  if (!parser.isSet(config) || !parser.isSet(out))
    return UsageError(QStringLiteral("--config and --out are required (see --help)."));
  bool ok = false;
  request.passes = parser.value(repeat).toInt(&ok);
  if (!ok || request.passes < 1 || request.passes > kMaxTraces)
    return UsageError(QStringLiteral("--repeat takes a number from 1 to %1.").arg(kMaxTraces));
  request.cfgFile = parser.value(config);
  request.datFile = parser.value(out);
  request.csvFile = parser.value(csv);
  request.simulate = parser.isSet(simulate);

  CatchStopSignals();
  return RunHeadless(request, stdout, isatty(STDOUT_FILENO));
}
