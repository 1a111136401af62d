// A real window run on the simulated bench (libsolvisa), Start clicked:
// - the longest time the window's event loop is kept from running (the gap
//   between two turns of a zero-interval timer) during a run with a 2 s
//   dwell, a continuous run and a run against an analyzer that never
//   answers (its reads time out);
// - the cost per point of a run at zero bench latency and zero dwell, from
//   the click to the end of the run, at 100 to 20 001 points.
// Run: QT_QPA_PLATFORM=offscreen build/bin/bench_window_run
//      xvfb-run -a build/bin/bench_window_run
#include "app/MainWindow.h"
#include "support/PromptRecorder.h"
#include "support/SmallBench.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}
  CfgStr &cfg() { return w.Cfg; }
  bool running() const { return w.SwpActive; }

private:
  MainWindow &w;
};

namespace {

// A generator at GPIB0::28 into a filter and an analyzer at GPIB0::20; with
// `silentAna` the analyzer's address holds a second generator, which answers
// none of the analyzer's queries.
QByteArray BenchJson(bool silentAna)
{
  return QByteArray(R"({"name": "timing", "latencyMs": 0, "timeoutMs": 2000, "instruments": [
    {"resource": "GPIB0::28::INSTR", "type": 24, "port": "rf"},
    {"resource": "GPIB0::20::INSTR", "type": )") +
         (silentAna ? "24, \"port\": \"lo\"}" : "59}") + R"(],
    "dut": {"kind": "filter", "centerHz": 550e6, "bandwidthHz": 500e6, "order": 3, "insertionLossDb": 2.0}})";
}

void UseBench(const QTemporaryDir &dir, bool silentAna)
{
  const QString path = dir.filePath(silentAna ? QStringLiteral("silent.json") : QStringLiteral("timing.json"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(BenchJson(silentAna)) < 0)
    qFatal("cannot write %s", qPrintable(path));
  file.close();
  qputenv("SOLVISA_BENCH", path.toLocal8Bit());
}

struct Run {
  double seconds = 0.0;
  double longestBlockMs = 0.0;
};

// Clicks Start, optionally Stop after stopAfterMs, and waits for the end.
Run StartRun(MainWindow &window, int stopAfterMs = -1)
{
  MainWindowProbe probe(window);
  QElapsedTimer clock, turn;
  qint64 longest = 0;
  QTimer beat;
  beat.setInterval(0);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = qMax(longest, turn.nsecsElapsed());
    turn.start();
  });
  auto *stop = window.findChild<QPushButton *>(QStringLiteral("Stop"));
  if (stopAfterMs >= 0)
    QTimer::singleShot(stopAfterMs, stop, &QPushButton::click);
  clock.start();
  turn.start();
  beat.start();
  window.findChild<QPushButton *>(QStringLiteral("Start"))->click();
  while (probe.running())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  Run run;
  run.seconds = clock.nsecsElapsed() * 1e-9;
  run.longestBlockMs = longest * 1e-6;
  return run;
}

}  // namespace

int main(int argc, char *argv[])
{
  QTemporaryDir dir;
  // The window reads and writes its configuration under the home folder.
  qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
  qputenv("SOLVANE_VISA_LIBRARY", SOLVANE_BIN_DIR "/libsolvisa.so");
  UseBench(dir, false);
  QApplication app(argc, argv);
  PromptRecorder prompts;  // the refused run's message must not wait for a click
  MainWindow window;
  window.show();
  MainWindowProbe probe(window);
  QApplication::processEvents();

  std::printf("event loop blocked, longest [ms]:\n");
  SmallBench(probe.cfg(), 3, 1, 0.05, 2.0);
  Run run = StartRun(window);
  std::printf("  dwell 2 s, 3 points (%.1f s)            %8.1f\n", run.seconds, run.longestBlockMs);
  std::fflush(stdout);
  SmallBench(probe.cfg(), 2001, 1, 0.05, 0.0);
  window.findChild<QCheckBox *>(QStringLiteral("RunCont"))->setChecked(true);
  run = StartRun(window, 4000);
  window.findChild<QCheckBox *>(QStringLiteral("RunCont"))->setChecked(false);
  std::printf("  continuous, 2001 points (%.1f s)       %8.1f\n", run.seconds, run.longestBlockMs);
  std::fflush(stdout);
  UseBench(dir, true);
  SmallBench(probe.cfg(), 3, 1, 0.05, 0.0);
  run = StartRun(window);
  std::printf("  analyzer times out (%.1f s)             %8.1f\n", run.seconds, run.longestBlockMs);
  std::fflush(stdout);

  UseBench(dir, false);
  std::printf("\npoints   run [s]   per point [ms]\n");
  for (int points : {100, 1000, 10000, 20001}) {
    SmallBench(probe.cfg(), points, 1, 0.05, 0.0);
    run = StartRun(window);
    std::printf("%6d   %7.2f   %14.3f\n", points, run.seconds, run.seconds * 1e3 / points);
    std::fflush(stdout);
  }
  return 0;
}
