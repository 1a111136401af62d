#include "app/MainWindow.h"
#include "dialogs/UserPrompt.h"
#include "instruments/Simulate.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

void DescribeOptions(QCommandLineParser &parser)
{
  parser.setApplicationDescription(QStringLiteral("Measures the frequency response of a device under test."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption({QStringLiteral("simulate"),
                    QStringLiteral("Serve every instrument from the simulated bench: the built-in one, or the "
                                   "bench file given as --simulate=BENCH.json.")});
  parser.addOption({QStringLiteral("config"),
                    QStringLiteral("Read the settings from FILE and write them back to it, instead of the "
                                   "per-user configuration file."),
                    QStringLiteral("FILE")});
}

// Help and version are answered without a display, so that they work over
// ssh and in scripts.
bool AsksForText(const QStringList &arguments)
{
  for (const char *option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
    if (arguments.contains(QLatin1String(option)))
      return true;
  return false;
}

void NameApplication()
{
  // The configuration path follows the name; the "solvane" link and the
  // program itself share one.
  QCoreApplication::setApplicationName(QStringLiteral("Solvane64"));
  QCoreApplication::setApplicationVersion(QStringLiteral("5.3.0"));
}

}  // namespace

int main(int argc, char *argv[])
{
  QStringList raw;
  for (int i = 0; i < argc; ++i)
    raw << QString::fromLocal8Bit(argv[i]);
  QString benchFile;
  QCommandLineParser parser;
  DescribeOptions(parser);
  if (AsksForText(raw)) {
    QCoreApplication app(argc, argv);
    NameApplication();
    parser.process(SplitSimulateOption(raw, &benchFile));
    return 0;
  }

  QApplication app(argc, argv);
  NameApplication();
  parser.process(SplitSimulateOption(app.arguments(), &benchFile));
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first()));
    return 1;
  }
  QString reason;
  if (parser.isSet(QStringLiteral("simulate")) && !UseSimulatedBench(benchFile, &reason)) {
    std::fprintf(stderr, "%s\n", qPrintable(reason));
    UserPrompt::critical(nullptr, QStringLiteral("Simulated Bench"), reason);
    return 1;
  }
  MainWindow window(nullptr, parser.value(QStringLiteral("config")));
  window.setWindowTitle(MainWindow::WindowTitle());
  window.show();
  return app.exec();
}
