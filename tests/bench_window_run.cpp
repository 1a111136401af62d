// A real window run on the simulated bench (libsolvisa), Start clicked:
// - the longest time the window's event loop is kept from running (the gap
//   between two turns of a zero-interval timer) during a run with a 2 s
//   dwell, a continuous run and a run against an analyzer that never
//   answers (its reads time out); beside it the longest single event the
//   window's thread handled, in that thread's CPU time, which the other
//   load of a busy machine does not inflate;
// - the cost per point of a run at zero bench latency and zero dwell, from
//   the click to the end of the run, at 100 to 20 001 points, beside the
//   CPU time of the window's thread and the engine's own cost on the same
//   bench with nothing drawn.
// Run: QT_QPA_PLATFORM=offscreen build/bin/bench_window_run
//      xvfb-run -a build/bin/bench_window_run
#include "app/MainWindow.h"
#include "support/PromptRecorder.h"
#include "support/SmallBench.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpObserver.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <ctime>

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

// Times every event the window's thread dispatches from its loop.
class TimedApp : public QApplication {
public:
  using QApplication::QApplication;
  qint64 longestEventNs = 0;

  static qint64 threadCpuNs()
  {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
  }

  bool notify(QObject *receiver, QEvent *event) override
  {
    if (depth++ > 0) {
      const bool done = QApplication::notify(receiver, event);
      --depth;
      return done;
    }
    const qint64 before = threadCpuNs();
    const bool done = QApplication::notify(receiver, event);
    longestEventNs = qMax(longestEventNs, threadCpuNs() - before);
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
  beat.setInterval(0);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    longest = qMax(longest, turn.nsecsElapsed());
    turn.start();
  });
  auto *stop = window.findChild<QPushButton *>(QStringLiteral("Stop"));
  if (stopAfterMs >= 0)
    QTimer::singleShot(stopAfterMs, stop, &QPushButton::click);
  const qint64 cpuBefore = TimedApp::threadCpuNs();
  clock.start();
  turn.start();
  beat.start();
  window.findChild<QPushButton *>(QStringLiteral("Start"))->click();
  while (probe.running())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  Run run;
  run.seconds = clock.nsecsElapsed() * 1e-9;
  run.windowCpuSeconds = (TimedApp::threadCpuNs() - cpuBefore) * 1e-9;
  run.longestBlockMs = longest * 1e-6;
  run.longestEventMs = app->longestEventNs * 1e-6;
  for (double v : probe.cfg().Traces.constLast().constFirst())
    run.measured += std::isfinite(v) ? 1 : 0;
  return run;
}

// The engine alone on the calling thread, nothing drawn: what the bench and
// the instrument layer cost per point.
class PointCounter : public SwpObserver {
public:
  int points = 0;
  void pointMeasured(int, int) override { ++points; }
  bool continuous() override { return false; }
  bool stopRequested() override { return false; }
  void passStarted(bool) override {}
  void levelStarted(int) override {}
  void levelDone(int) override {}
  void passDone(double) override {}
};

struct EngineRun {
  double seconds = 0.0;
  int points = 0;
};

EngineRun Engine(CfgStr cfg)
{
  CalcSwpLst(cfg);
  cfg.TraceCount = 1;
  AllocTrc(cfg);
  PointCounter counter;
  QElapsedTimer clock;
  clock.start();
  SweepEngine(cfg, counter).run(false);
  return EngineRun{clock.nsecsElapsed() * 1e-9, counter.points};
}

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
  MainWindowProbe probe(window);
  QApplication::processEvents();

  std::printf("longest [ms]                         loop blocked   event (CPU)\n");
  SmallBench(probe.cfg(), 3, 1, 0.05, 2.0);
  Run run = StartRun(window);
  std::printf("  dwell 2 s, %d points (%.1f s)       %12.1f   %11.1f\n", run.measured, run.seconds, run.longestBlockMs,
              run.longestEventMs);
  std::fflush(stdout);
  SmallBench(probe.cfg(), 2001, 1, 0.05, 0.0);
  window.findChild<QCheckBox *>(QStringLiteral("RunCont"))->setChecked(true);
  run = StartRun(window, 4000);
  window.findChild<QCheckBox *>(QStringLiteral("RunCont"))->setChecked(false);
  std::printf("  continuous, 2001 points (%.1f s)   %12.1f   %11.1f\n", run.seconds, run.longestBlockMs, run.longestEventMs);
  std::fflush(stdout);
  UseBench(dir, true);
  SmallBench(probe.cfg(), 3, 1, 0.05, 0.0);
  run = StartRun(window);
  std::printf("  analyzer times out (%.1f s)        %12.1f   %11.1f\n", run.seconds, run.longestBlockMs, run.longestEventMs);
  for (const UserPrompt::Message &m : prompts.messages)
    std::printf("    shown: %s: %s\n", qPrintable(m.title), qPrintable(m.text));
  std::fflush(stdout);

  UseBench(dir, false);
  std::printf("\n                 per point [ms]:\npoints  run [s]  window run  window thread CPU  engine alone\n");
  for (int points : {100, 1000, 10000, 20001}) {
    SmallBench(probe.cfg(), points, 1, 0.05, 0.0);
    run = StartRun(window);
    const EngineRun engine = Engine(probe.cfg());
    std::printf("%6d  %7.2f  %10.3f  %17.3f  %12.3f  (%d and %d measured)\n", points, run.seconds,
                run.seconds * 1e3 / points, run.windowCpuSeconds * 1e3 / points, engine.seconds * 1e3 / points,
                run.measured, engine.points);
    std::fflush(stdout);
  }
  return 0;
}
