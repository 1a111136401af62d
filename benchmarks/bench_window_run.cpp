// A real window run on the simulated bench (libsolvisa), Start clicked:
// - the longest time the window's event loop is kept from running (the gap
//   between two turns of a zero-interval timer) during a run with a 2 s
//   dwell, a continuous run and a run against an analyzer that never answers;
//   beside it the longest single event the window's thread handled, in that
//   thread's CPU time, which the other load of a busy machine does not inflate;
// - the cost per point of a run at zero latency and dwell, from the click to
//   the end of the run, at 100 to 20 001 points, beside the CPU time of the
//   window's thread and the engine's own cost with nothing drawn.
// Run: QT_QPA_PLATFORM=offscreen build/bin/bench_window_run
#include "app/MainWindow.h"
#include "support/HeadlessObserver.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"
#include "support/SmallBench.h"
#include "support/TestPaths.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QtWidgets>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// A generator at GPIB0::28 into a filter and an analyzer at GPIB0::20; with
// `silentAna` the analyzer's address holds a second generator, which answers
// none of the analyzer's queries.
void UseBench(const QTemporaryDir &dir, bool silentAna)
{
  const QString path = dir.filePath(silentAna ? QStringLiteral("silent.json") : QStringLiteral("timing.json"));
  WriteAll(path, QByteArray(R"({"latencyMs": 0, "timeoutMs": 2000, "instruments": [
    {"resource": "GPIB0::28::INSTR", "type": 24, "port": "rf"}, {"resource": "GPIB0::20::INSTR", "type": )")
                     + (silentAna ? R"(24, "port": "lo"})" : "59}") + R"(],
    "dut": {"kind": "filter", "centerHz": 550e6, "bandwidthHz": 500e6, "order": 3, "insertionLossDb": 2.0}})");
  qputenv("SOLVISA_BENCH", path.toLocal8Bit());
}

qint64 ThreadCpuNs()
{
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Times every event the window's thread dispatches from its loop.
class TimedApp : public QApplication {
public:
  using QApplication::QApplication;
  qint64 longestEventNs = 0;

  bool notify(QObject *receiver, QEvent *event) override
  {
    const bool outermost = depth++ == 0;  // an event handled inside another is part of it
    const qint64 before = outermost ? ThreadCpuNs() : 0;
    const bool done = QApplication::notify(receiver, event);
    if (outermost)
      longestEventNs = qMax(longestEventNs, ThreadCpuNs() - before);
    --depth;
    return done;
  }

private:
  int depth = 0;
};

struct Run {
  double seconds = 0.0;
  double longestBlockMs = 0.0;
  double longestEventMs = 0.0;
  double windowCpuSeconds = 0.0;  // the window's thread
  int measured = 0;
};

// Clicks Start, optionally Stop after stopAfterMs, and waits for the end.
Run StartRun(MainWindow &window, int stopAfterMs = -1)
{
  MainWindowProbe probe(window);
  auto *app = static_cast<TimedApp *>(QCoreApplication::instance());
  app->longestEventNs = 0;
  QElapsedTimer clock, turn;
  qint64 longest = 0;
  QTimer beat;
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = qMax(longest, turn.nsecsElapsed());
    turn.start();
  });
  if (stopAfterMs >= 0)
    QTimer::singleShot(stopAfterMs, window.findChild<QPushButton *>(QStringLiteral("Stop")), &QPushButton::click);
  const qint64 cpuBefore = ThreadCpuNs();
  clock.start();
  turn.start();
  beat.start(0);
  window.findChild<QPushButton *>(QStringLiteral("Start"))->click();
  while (probe.running())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  Run run{clock.nsecsElapsed() * 1e-9, longest * 1e-6, app->longestEventNs * 1e-6,
          (ThreadCpuNs() - cpuBefore) * 1e-9, 0};
  for (double v : probe.cfg().Traces.constLast().constFirst())
    run.measured += std::isfinite(v) ? 1 : 0;
  return run;
}

// The engine alone on the calling thread, nothing drawn: what the bench and
// the instrument layer cost per point.
struct PointCounter : Headless {
  int points = 0;
  void pointMeasured(int, int) override { ++points; }
};

}  // namespace

int main(int argc, char *argv[])
{
  QTemporaryDir dir;
  // The window reads and writes its configuration under the home folder.
  qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
  qputenv("SOLVANE_VISA_LIBRARY", SOLVANE_BIN_DIR "/libsolvisa.so");
  UseBench(dir, false);
  TimedApp app(argc, argv);
  PromptRecorder prompts;  // the refused run's message must not wait for a click
  MainWindow window;
  window.show();
  CfgStr &cfg = MainWindowProbe(window).cfg();
  QApplication::processEvents();
  const auto print = [](const char *what, const Run &run) {
    const QString label = QString(what).arg(run.measured).arg(run.seconds, 0, 'f', 1);
    std::printf("  %-34s %12.1f   %11.1f\n", qPrintable(label), run.longestBlockMs, run.longestEventMs);
    std::fflush(stdout);
  };

  std::printf("longest [ms]                         loop blocked   event (CPU)\n");
  SmallBench(cfg, 3, 1, 0.05, 2.0);
  print("dwell 2 s, %1 points (%2 s)", StartRun(window));
  SmallBench(cfg, 2001, 1, 0.05, 0.0);
  auto *continuous = window.findChild<QCheckBox *>(QStringLiteral("RunCont"));
  continuous->setChecked(true);
  print("continuous, %1 points (%2 s)", StartRun(window, 4000));
  continuous->setChecked(false);
  UseBench(dir, true);
  SmallBench(cfg, 3, 1, 0.05, 0.0);
  print("analyzer silent, %1 points (%2 s)", StartRun(window));
  for (const UserPrompt::Message &m : prompts.messages)
    std::printf("    shown: %s: %s\n", qPrintable(m.title), qPrintable(m.text));

  UseBench(dir, false);
  std::printf("\n                 per point [ms]:\npoints  run [s]  window run  window thread CPU  engine alone\n");
  for (int points : {100, 1000, 10000, 20001}) {
    SmallBench(cfg, points, 1, 0.05, 0.0);
    const Run run = StartRun(window);
    CfgStr engineCfg = cfg;
    CalcSwpLst(engineCfg);
    engineCfg.TraceCount = 1;
    AllocTrc(engineCfg);
    PointCounter counter;
    QElapsedTimer clock;
    clock.start();
    SweepEngine(engineCfg, counter).run(false);
    std::printf("%6d  %7.2f  %10.3f  %17.3f  %12.3f  (%d and %d measured)\n", points, run.seconds,
                run.seconds * 1e3 / points, run.windowCpuSeconds * 1e3 / points, clock.nsecsElapsed() * 1e-6 / points,
                run.measured, counter.points);
    std::fflush(stdout);
  }
  return 0;
}
