// The sweep engine against the recording fake VISA: the commands of a run,
// the stored values and what the observer is told. Stop, continuous passes,
// errors and normalization are run through the window in tst_run_window.
#include "instruments/Measure.h"
#include "support/FakeVisa.h"
#include "support/SweepFixture.h"
#include "sweep/InitErr.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpObserver.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QtTest>
#include <cmath>
#include <functional>

using namespace SweepFixture;

namespace {

// Records what the engine reports.
class Recorder : public SwpObserver {
public:
  QStringList events;
  std::function<void()> atPassEnd = [] {};

  bool continuous() override { return false; }
  bool stopRequested() override { return false; }
  void passStarted(bool continuous) override { events << QStringLiteral("pass %1").arg(continuous); }
  void levelStarted(int level) override { events << QStringLiteral("level %1").arg(level); }
  void pointMeasured(int level, int point) override { events << QStringLiteral("point %1 %2").arg(level).arg(point); }
  void levelDone(int level) override { events << QStringLiteral("levelDone %1").arg(level); }
  void passDone(double seconds) override
  {
    events << (seconds >= 0.0 ? "passDone" : "negative time");
    atPassEnd();
  }
};

QStringList MeasureCommands(const char *hz, const char *marker)
{
  return {QStringLiteral("FREQ:CENT %1;*OPC?\n").arg(QLatin1String(hz)), QStringLiteral("INIT;*OPC?\n"),
          QStringLiteral("CALC:MARK1:X %1;*OPC?\n").arg(QLatin1String(marker)), QStringLiteral("CALC:MARK1:Y?\n")};
}

}  // namespace

class TestSweepEngine : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void init();
  void commandsOfARun();
  void loGeneratorModes();
  void trackingGeneratorAsSource();
  void refusalsAndCorrections();

private:
  SwpResult run(bool normActive = false) { return SweepEngine(cfg, rec).run(normActive); }
  void fresh(int points);

  CfgStr cfg;
  Recorder rec;
};

void TestSweepEngine::initTestCase()
{
  QVERIFY(FakeVisa::load());
  SetInstrumentSleep([](int) {});
}

void TestSweepEngine::init() { fresh(3); }

void TestSweepEngine::fresh(int points)
{
  FakeVisa::reset();
  cfg = CfgStr();
  rec = Recorder();
  Settings(cfg, points);
}

void TestSweepEngine::commandsOfARun()
{
  ScriptPrep(cfg, 0.25);
  ScriptReadings(-16.5, 3);
  QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
  QStringList expected{"POW -10;*OPC?\n"};
  for (const char *hz : {"100000000.0", "110000000.0", "120000000.0"})
    expected << QStringLiteral("FREQ %1;*OPC?\n").arg(QLatin1String(hz)) << MeasureCommands(hz, "0.2500");
  QCOMPARE(RunWrites(), expected + QStringList({":OUTP OFF\n", "SYST:DISP:UPD ON\n", "INIT:CONT ON\n"}));
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-16.5, -16.5, -16.5}));
  QCOMPARE(rec.events, QStringList({"pass 0", "level 0", "point 0 0", "point 0 1", "point 0 2", "passDone"}));

  // Without a sweep time the marker sits at the start of the trace.
  fresh(3);
  for (const char *reply : {"-10\n", "120000000.0\n", "100000000.0\n"})
    FakeVisa::replyFor(kGen1Rsrc, QString::fromLatin1(reply));
  FakeVisa::timeoutFor(kAnaRsrc);
  ScriptReadings(-16.0, 3);
  QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
  QCOMPARE(RunWrites().mid(2, 4), MeasureCommands("100000000.0", "0.0000"));
}


void TestSweepEngine::loGeneratorModes()
{
  // Fixed LO with two level steps: one LO command per level step.
  WithLo(cfg, true);
  cfg.LevelSweep = true;
  cfg.Gen1.StopLevel = 0.0;
  QVERIFY(CalcSwpLst(cfg));
  AllocTrc(cfg);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 6);
  QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
  // Sessions are numbered in the order opened: generator 1, generator 2, analyzer.
  const QStringList lo = WritesTo(2);
  QCOMPARE(lo.mid(lo.indexOf("\"ROSC:SOUR INT\\n\"") + 1),
           QStringList({"\"FREQ 1000000000.0;*OPC?\\n\"", "\"FREQ 1000000000.0;*OPC?\\n\""}));
  QCOMPARE(WritesTo(1).filter("POW 0;").size(), 2);  // proven, then level step 1
  QCOMPARE(cfg.Traces[0][1], QVector<double>({-16.0, -16.0, -16.0}));

  // LO stepping with the RF: one LO command per point, the IF is RF + LO.
  fresh(3);
  WithLo(cfg, false);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  run();
  QCOMPARE(WritesTo(2).mid(WritesTo(2).size() - 3),
           QStringList({"\"FREQ 1000000000.0;*OPC?\\n\"", "\"FREQ 1010000000.0;*OPC?\\n\"",
                        "\"FREQ 1020000000.0;*OPC?\\n\""}));
  QVERIFY(WritesTo(3).contains("\"FREQ:CENT 1120000000.0;*OPC?\\n\""));
}

void TestSweepEngine::trackingGeneratorAsSource()
{
  cfg.Ana.TrackingGenerator = true;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
  QVERIFY(FakeVisa::transcript().filter(kGen1Rsrc).isEmpty());
  QCOMPARE(RunWrites().first(), QStringLiteral("SOUR:POW -10dBm;*OPC?\n"));
  QCOMPARE(RunWrites().size(), 1 + 3 * 4 + 2);  // no frequency to a generator, no RF switched
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-16.0, -16.0, -16.0}));
}




void TestSweepEngine::refusalsAndCorrections()
{
  // A record or reference of another shape than the plan is never written;
  // the prepared instruments are put back.
  cfg.Traces[0][0].resize(2);
  ScriptPrep(cfg);
  QCOMPARE(int(run().outcome), int(SwpOutcome::StoreMismatch));
  QVERIFY(FakeVisa::writes().filter("FREQ:CENT").isEmpty());
  QCOMPARE(FakeVisa::writes().mid(FakeVisa::writes().size() - 3),
           QStringList({":OUTP OFF\n", "SYST:DISP:UPD ON\n", "INIT:CONT ON\n"}));
  fresh(3);
  cfg.NormData.clear();
  ScriptPrep(cfg);
  QCOMPARE(int(run(true).outcome), int(SwpOutcome::StoreMismatch));

  fresh(3);
  cfg.ExternalAttenuation = 10.0;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  run();
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-6.0, -6.0, -6.0}));

  // Switching the RF off fails: the other instruments still go to local.
  fresh(3);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  rec.atPassEnd = [] { FakeVisa::failNext(QStringLiteral("viWrite"), VI_ERROR_TMO); };
  const SwpResult ended = run();
  QCOMPARE(int(ended.outcome), int(SwpOutcome::EndFailed));
  QCOMPARE(int(ended.endDevice), int(SwpDevice::Gen1));
  QCOMPARE(RunWrites().mid(RunWrites().size() - 2), QStringList({"SYST:DISP:UPD ON\n", "INIT:CONT ON\n"}));

  // Stages without a text of their own.
  for (int code : {-7, -14, -18, -20, 3})
    QCOMPARE(QString::fromLatin1(InitErrFor(code).title) + InitErrFor(code).text, QStringLiteral("UnknownUnknown Error."));
  QCOMPARE(QString::fromLatin1(InitErrFor(-13).title) + InitErrFor(-13).text, QStringLiteral("Generator2 (LO)RF ON Error."));
}

QTEST_GUILESS_MAIN(TestSweepEngine)
#include "tst_sweep_engine.moc"
