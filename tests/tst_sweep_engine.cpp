// The sweep engine against the recording fake VISA: the commands of a run,
// the stored values and what the observer is told. Runs through the window
// are covered by tst_run_window.
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

using namespace SweepFixture;

namespace {

// Records what the engine reports; stops after a number of reports.
class Recorder : public SwpObserver {
public:
  bool continuousMode = false;
  int stopAfter = -1;  // points (single passes) or passes (continuous)
  QStringList events;

  bool continuous() override { return continuousMode; }
  bool stopRequested() override { return stopAfter >= 0 && events.filter(continuousMode ? "passDone" : "point").size() >= stopAfter; }
  void passStarted(bool continuous) override { events << QStringLiteral("pass %1").arg(continuous); }
  void levelStarted(int level) override { events << QStringLiteral("level %1").arg(level); }
  void pointMeasured(int level, int point) override { events << QStringLiteral("point %1 %2").arg(level).arg(point); }
  void levelDone(int level) override { events << QStringLiteral("levelDone %1").arg(level); }
  void passDone(double seconds) override { events << (seconds >= 0.0 ? "passDone" : "negative time"); }
};

QStringList MeasureCommands(const char *hz, const char *marker)
{
  return {QStringLiteral("FREQ:CENT %1;*OPC?\n").arg(QLatin1String(hz)), QStringLiteral("INIT;*OPC?\n"),
          QStringLiteral("CALC:MARK1:X %1;*OPC?\n").arg(QLatin1String(marker)), QStringLiteral("CALC:MARK1:Y?\n")};
}

const QStringList kEndOfRun{":OUTP OFF\n", "SYST:DISP:UPD ON\n", "INIT:CONT ON\n"};

}  // namespace

class TestSweepEngine : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void init();
  void commandsOfARun();
  void stopAndContinuousPasses();
  void loGeneratorModes();
  void trackingGeneratorAsSource();
  void failuresEndTheRun();
  void corrections();
  void preparationTexts();

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
  QCOMPARE(RunWrites(), expected + kEndOfRun);
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

void TestSweepEngine::stopAndContinuousPasses()
{
  fresh(91);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 91);
  rec.stopAfter = 5;
  QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
  QCOMPARE(cfg.Traces[0][0][4], -16.0);
  QVERIFY(std::isnan(cfg.Traces[0][0][5]));
  QCOMPARE(RunWrites().filter("CALC:MARK1:Y?").size(), 5);
  QCOMPARE(RunWrites().mid(RunWrites().size() - 3), kEndOfRun);

  fresh(3);
  cfg.RfOnAfterSweep = true;
  ScriptPrep(cfg);
  for (double dbm : {-16.0, -17.0, -18.0})
    ScriptReadings(dbm, 3);
  rec.continuousMode = true;
  rec.stopAfter = 3;
  QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
  QCOMPARE(rec.events.join(' '), QStringLiteral("pass 1 level 0 levelDone 0 passDone pass 1 level 0 levelDone 0 "
                                                "passDone pass 1 level 0 levelDone 0 passDone"));
  QCOMPARE(cfg.Traces.size(), 1);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-18.0, -18.0, -18.0}));
  QCOMPARE(FakeVisa::writes().filter("SWE:TIME?").size(), 1);  // prepared once
  QCOMPARE(RunWrites().filter("CALC:MARK1:Y?").size(), 9);
  QCOMPARE(RunWrites().filter(":OUTP").join(""), QStringLiteral(":OUTP ON\n"));
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

void TestSweepEngine::failuresEndTheRun()
{
  FakeVisa::failOpen(kAnaRsrc);
  ScriptPrep(cfg);
  SwpResult result = run();
  QCOMPARE(int(result.outcome), int(SwpOutcome::InitFailed));
  QCOMPARE(result.initCode, -15);
  QVERIFY(rec.events.isEmpty());
  QVERIFY(FakeVisa::writes().filter("FREQ:CENT").isEmpty());

  // The fifth reading never comes: nothing after it, not even the end of run.
  fresh(10);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 4);
  QCOMPARE(int(run().outcome), int(SwpOutcome::MeasureFailed));
  QCOMPARE(cfg.Traces[0][0][3], -16.0);
  QVERIFY(std::isnan(cfg.Traces[0][0][4]));
  QCOMPARE(rec.events.filter("pass").size(), 1);
  QCOMPARE(RunWrites().last(), QStringLiteral("CALC:MARK1:Y?\n"));

  // A record or reference of another shape than the plan is never written.
  fresh(3);
  cfg.Traces[0][0].resize(2);
  ScriptPrep(cfg);
  QCOMPARE(int(run().outcome), int(SwpOutcome::StoreMismatch));
  QVERIFY(RunWrites().isEmpty());
  fresh(3);
  cfg.NormData.clear();
  ScriptPrep(cfg);
  QCOMPARE(int(run(true).outcome), int(SwpOutcome::StoreMismatch));
}

void TestSweepEngine::corrections()
{
  cfg.ExternalAttenuation = 10.0;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  run();
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-6.0, -6.0, -6.0}));

  // Receiver side: a 6 dB loss reference brings -16 dBm back to -10 dBm.
  fresh(3);
  cfg.NormData = QVector<double>(3, -6.0);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  run(true);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-10.0, -10.0, -10.0}));
  QCOMPARE(RunWrites().filter("POW ").size(), 1);

  // Generator side: the level is raised to -4 dBm before every point.
  fresh(3);
  cfg.NormData = QVector<double>(3, -6.0);
  cfg.NormalizeGen = 1;
  ScriptPrep(cfg);
  ScriptReadings(-10.0, 3);
  run(true);
  QCOMPARE(RunWrites().mid(0, 3), QStringList({"POW -10;*OPC?\n", "POW -4;*OPC?\n", "FREQ 100000000.0;*OPC?\n"}));
  QCOMPARE(RunWrites().filter("POW -4;").size(), 3);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-10.0, -10.0, -10.0}));
}

void TestSweepEngine::preparationTexts()
{
  const QString gen1 = "Generator1 (RF)", gen2 = "Generator2 (LO)", ana = "Analyzer   (IF)", unknown = "Unknown";
  const QList<std::tuple<int, QString, QString>> table{
      {-1, gen1, "Initialization Error."}, {-2, gen1, "Max RF Level Error."},  {-3, gen1, "Min RF Level Error."},
      {-4, gen1, "Max Frequency Error."},  {-5, gen1, "Min Frequency Error."}, {-6, gen1, "RF ON Error."},
      {-7, unknown, "Unknown Error."},     {-8, gen2, "Initialization Error."}, {-9, gen2, "Max RF Level Error."},
      {-10, gen2, "Min RF Level Error."},  {-11, gen2, "Max Frequency Error."}, {-12, gen2, "Min Frequency Error."},
      {-13, gen2, "RF ON Error."},         {-14, unknown, "Unknown Error."},    {-15, ana, "Initialization Error."},
      {-16, ana, "Freq Config Error."},    {-17, ana, "Sweep Setup Error."},    {-18, unknown, "Unknown Error."},
      {-19, ana, "Display Setup Error."},  {-20, unknown, "Unknown Error."},    {3, unknown, "Unknown Error."}};
  for (const auto &[code, title, text] : table) {
    QCOMPARE(QString::fromLatin1(InitErrFor(code).title), title);
    QCOMPARE(QString::fromLatin1(InitErrFor(code).text), text);
  }
}

QTEST_GUILESS_MAIN(TestSweepEngine)
#include "tst_sweep_engine.moc"
