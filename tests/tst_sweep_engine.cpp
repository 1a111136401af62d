// The sweep engine against the recording fake VISA: the command sequence of
// a run, the stored values and what the observer is told.
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

// Records what the engine reports; stops after a given number of points or
// passes and sweeps continuously when asked to.
class Recorder : public SwpObserver {
public:
  bool continuousMode = false;
  int stopAfterPoints = -1;
  int stopAfterPasses = -1;
  int points = 0;
  int passes = 0;
  QStringList events;

  bool continuous() override { return continuousMode; }
  bool stopRequested() override
  {
    return (stopAfterPoints >= 0 && points >= stopAfterPoints) || (stopAfterPasses >= 0 && passes >= stopAfterPasses);
  }
  void passStarted(bool continuous) override { events << QStringLiteral("pass %1").arg(continuous); }
  void levelStarted(int level) override { events << QStringLiteral("level %1").arg(level); }
  void pointMeasured(int level, int point) override
  {
    ++points;
    events << QStringLiteral("point %1 %2").arg(level).arg(point);
  }
  void levelDone(int level) override
  {
    points += 1;
    events << QStringLiteral("levelDone %1").arg(level);
  }
  void passDone(double seconds) override
  {
    ++passes;
    events << (seconds >= 0.0 ? QStringLiteral("passDone") : QStringLiteral("negative time"));
  }
};

void Fresh(CfgStr &cfg, int points)
{
  cfg = CfgStr();
  Settings(cfg, points);
}

int Measured(const QVector<double> &row)
{
  return int(std::count_if(row.cbegin(), row.cend(), [](double v) { return !std::isnan(v); }));
}

}  // namespace

class TestSweepEngine : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void init();
  void defaultSettingsMeasureEveryPoint();
  void exactCommandsOfAShortRun();
  void stopEndsRunAndSwitchesRfOff();
  void rfStaysOnWhenAsked();
  void continuousPassesOverwriteTheRecord();
  void fixedLoGetsOneCommandPerLevelStep();
  void steppedLoFollowsEveryPoint();
  void trackingGeneratorLeavesGeneratorsAlone();
  void silentAnalyzerFailsPreparation();
  void measurementErrorEndsRunAtOnce();
  void markerStartsAtZeroWithoutSweepTime();
  void externalAttenuationAndReceiverNormalization();
  void generatorNormalizationPreCorrectsLevel();
  void recordOfAnotherShapeIsRefused();
  void preparationTexts_data();
  void preparationTexts();
  void traceStoreShapes();

private:
  CfgStr cfg;
};

void TestSweepEngine::initTestCase()
{
  QVERIFY(FakeVisa::load());
  SetInstrumentSleep([](int) {});
}

void TestSweepEngine::init()
{
  FakeVisa::reset();
  Fresh(cfg, 3);
}

void TestSweepEngine::defaultSettingsMeasureEveryPoint()
{
  Fresh(cfg, 91);
  QCOMPARE(cfg.PointCount, 91);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 91);
  Recorder rec;
  const SwpResult result = SweepEngine(cfg, rec).run(false);
  QCOMPARE(int(result.outcome), int(SwpOutcome::Completed));
  QCOMPARE(cfg.Traces.size(), 1);
  QCOMPARE(cfg.Traces[0].size(), 1);
  QCOMPARE(Measured(cfg.Traces[0][0]), 91);
  QCOMPARE(cfg.Traces[0][0].first(), -16.0);
  QCOMPARE(cfg.Traces[0][0].last(), -16.0);
  QCOMPARE(rec.points, 91);
  QCOMPARE(rec.passes, 1);
  QCOMPARE(rec.events.first(), QStringLiteral("pass 0"));
  QCOMPARE(rec.events.at(1), QStringLiteral("level 0"));
  QCOMPARE(rec.events.at(92), QStringLiteral("point 0 90"));
  const QStringList writes = RunWrites();
  QCOMPARE(writes.filter(QRegularExpression(QStringLiteral("^FREQ \\d"))).size(), 91);
  QCOMPARE(writes.filter(QStringLiteral("CALC:MARK1:Y?")).size(), 91);
  QCOMPARE(writes.filter(QStringLiteral("FREQ 1000000000.0;")).size(), 1);
  QCOMPARE(cfg.StopRequested, false);
}

void TestSweepEngine::exactCommandsOfAShortRun()
{
  ScriptPrep(cfg, 0.25);
  ScriptReadings(-16.5, 3);
  Recorder rec;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::Completed));
  QStringList expected{QStringLiteral("POW -10;*OPC?\n")};
  for (const char *hz : {"100000000.0", "110000000.0", "120000000.0"}) {
    expected << QStringLiteral("FREQ %1;*OPC?\n").arg(QLatin1String(hz))
             << QStringLiteral("FREQ:CENT %1;*OPC?\n").arg(QLatin1String(hz)) << QStringLiteral("INIT;*OPC?\n")
             << QStringLiteral("CALC:MARK1:X 0.2500;*OPC?\n") << QStringLiteral("CALC:MARK1:Y?\n");
  }
  expected << QStringLiteral(":OUTP OFF\n") << QStringLiteral("SYST:DISP:UPD ON\n") << QStringLiteral("INIT:CONT ON\n");
  QCOMPARE(RunWrites(), expected);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-16.5, -16.5, -16.5}));
}

void TestSweepEngine::stopEndsRunAndSwitchesRfOff()
{
  Fresh(cfg, 91);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 91);
  Recorder rec;
  rec.stopAfterPoints = 5;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::Completed));
  QCOMPARE(Measured(cfg.Traces[0][0]), 5);
  QVERIFY(std::isnan(cfg.Traces[0][0][5]));
  const QStringList writes = RunWrites();
  QCOMPARE(writes.filter(QStringLiteral("CALC:MARK1:Y?")).size(), 5);
  QCOMPARE(writes.mid(writes.size() - 3),
           QStringList({QStringLiteral(":OUTP OFF\n"), QStringLiteral("SYST:DISP:UPD ON\n"),
                        QStringLiteral("INIT:CONT ON\n")}));
  QCOMPARE(rec.passes, 1);
}

void TestSweepEngine::rfStaysOnWhenAsked()
{
  cfg.RfOnAfterSweep = true;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  Recorder rec;
  SweepEngine(cfg, rec).run(false);
  QVERIFY(RunWrites().contains(QStringLiteral(":OUTP ON\n")));
  QVERIFY(!RunWrites().contains(QStringLiteral(":OUTP OFF\n")));
}

void TestSweepEngine::continuousPassesOverwriteTheRecord()
{
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  ScriptReadings(-17.0, 3);
  ScriptReadings(-18.0, 3);
  Recorder rec;
  rec.continuousMode = true;
  rec.stopAfterPasses = 3;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::Completed));
  QCOMPARE(rec.passes, 3);
  QCOMPARE(rec.events, QStringList({"pass 1", "level 0", "levelDone 0", "passDone", "pass 1", "level 0",
                                    "levelDone 0", "passDone", "pass 1", "level 0", "levelDone 0", "passDone"}));
  QCOMPARE(cfg.Traces.size(), 1);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-18.0, -18.0, -18.0}));
  // Prepared once, measured three times.
  QCOMPARE(FakeVisa::writes().filter(QStringLiteral("SWE:TIME?")).size(), 1);
  QCOMPARE(RunWrites().filter(QStringLiteral("CALC:MARK1:Y?")).size(), 9);
}

void TestSweepEngine::fixedLoGetsOneCommandPerLevelStep()
{
  WithLo(cfg, true);
  cfg.LevelSweep = true;
  cfg.Gen1.StopLevel = 0.0;
  CalcSwpLst(cfg);
  AllocTrc(cfg);
  QCOMPARE(cfg.LevelCount, 2);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 6);
  Recorder rec;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::Completed));
  // Sessions are numbered in the order opened: generator 1, generator 2, analyzer.
  const QStringList lo = WritesTo(2);
  const int prepared = lo.indexOf(QStringLiteral("\"ROSC:SOUR INT\\n\""));
  QVERIFY(prepared >= 0);
  QCOMPARE(lo.mid(prepared + 1), QStringList({QStringLiteral("\"FREQ 1000000000.0;*OPC?\\n\""),
                                              QStringLiteral("\"FREQ 1000000000.0;*OPC?\\n\"")}));
  const QStringList rf = WritesTo(1);
  QCOMPARE(rf.filter(QStringLiteral("POW 0;")).size(), 2);  // proven, then level step 1
  QCOMPARE(cfg.Traces[0][1], QVector<double>({-16.0, -16.0, -16.0}));
  QCOMPARE(rec.events.filter(QStringLiteral("level ")).size(), 2);
}

void TestSweepEngine::steppedLoFollowsEveryPoint()
{
  WithLo(cfg, false);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  Recorder rec;
  SweepEngine(cfg, rec).run(false);
  const QStringList lo = WritesTo(2);
  QCOMPARE(lo.mid(lo.size() - 3), QStringList({QStringLiteral("\"FREQ 1000000000.0;*OPC?\\n\""),
                                               QStringLiteral("\"FREQ 1010000000.0;*OPC?\\n\""),
                                               QStringLiteral("\"FREQ 1020000000.0;*OPC?\\n\"")}));
  // The analyzer measures at RF + LO.
  QVERIFY(WritesTo(3).contains(QStringLiteral("\"FREQ:CENT 1120000000.0;*OPC?\\n\"")));
}

void TestSweepEngine::trackingGeneratorLeavesGeneratorsAlone()
{
  cfg.Ana.TrackingGenerator = true;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  Recorder rec;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::Completed));
  QVERIFY(FakeVisa::transcript().filter(kGen1Rsrc).isEmpty());
  const QStringList writes = RunWrites();
  QCOMPARE(writes.first(), QStringLiteral("SOUR:POW -10dBm;*OPC?\n"));
  QVERIFY(writes.filter(QRegularExpression(QStringLiteral("^FREQ \\d"))).isEmpty());
  QVERIFY(!writes.contains(QStringLiteral(":OUTP OFF\n")));
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-16.0, -16.0, -16.0}));
}

void TestSweepEngine::silentAnalyzerFailsPreparation()
{
  FakeVisa::failOpen(kAnaRsrc);
  ScriptPrep(cfg);
  Recorder rec;
  const SwpResult result = SweepEngine(cfg, rec).run(false);
  QCOMPARE(int(result.outcome), int(SwpOutcome::InitFailed));
  QCOMPARE(result.initCode, -15);
  QCOMPARE(QString::fromLatin1(InitErrFor(result.initCode).title), QStringLiteral("Analyzer   (IF)"));
  QCOMPARE(QString::fromLatin1(InitErrFor(result.initCode).text), QStringLiteral("Initialization Error."));
  QVERIFY(rec.events.isEmpty());
  QCOMPARE(Measured(cfg.Traces[0][0]), 0);
  QVERIFY(FakeVisa::writes().filter(QStringLiteral("FREQ:CENT")).isEmpty());
}

void TestSweepEngine::measurementErrorEndsRunAtOnce()
{
  Fresh(cfg, 10);
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 4);  // the fifth reading never comes
  Recorder rec;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::MeasureFailed));
  QCOMPARE(Measured(cfg.Traces[0][0]), 4);
  QCOMPARE(rec.points, 4);
  QCOMPARE(rec.passes, 0);
  const QStringList writes = RunWrites();
  QCOMPARE(writes.last(), QStringLiteral("CALC:MARK1:Y?\n"));
  QVERIFY(!writes.contains(QStringLiteral(":OUTP OFF\n")));
}

void TestSweepEngine::markerStartsAtZeroWithoutSweepTime()
{
  for (const char *reply : {"-10\n", "120000000.0\n", "100000000.0\n"})
    FakeVisa::replyFor(kGen1Rsrc, QString::fromLatin1(reply));
  FakeVisa::timeoutFor(kAnaRsrc);  // the sweep-time query goes unanswered
  ScriptReadings(-16.0, 3);
  Recorder rec;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::Completed));
  QCOMPARE(RunWrites().filter(QStringLiteral("CALC:MARK1:X")).first(), QStringLiteral("CALC:MARK1:X 0.0000;*OPC?\n"));
}

void TestSweepEngine::externalAttenuationAndReceiverNormalization()
{
  cfg.ExternalAttenuation = 10.0;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  Recorder rec;
  SweepEngine(cfg, rec).run(false);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-6.0, -6.0, -6.0}));

  FakeVisa::reset();
  Fresh(cfg, 3);
  cfg.NormData = QVector<double>(3, -6.0);
  cfg.NormalizeGen = 0;
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  SweepEngine(cfg, rec).run(true);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-10.0, -10.0, -10.0}));
  QCOMPARE(RunWrites().filter(QStringLiteral("POW ")).size(), 1);
}

void TestSweepEngine::generatorNormalizationPreCorrectsLevel()
{
  cfg.NormData = QVector<double>(3, -6.0);
  cfg.NormalizeGen = 1;
  ScriptPrep(cfg);
  ScriptReadings(-10.0, 3);
  Recorder rec;
  SweepEngine(cfg, rec).run(true);
  const QStringList writes = RunWrites();
  QCOMPARE(writes.mid(0, 3), QStringList({QStringLiteral("POW -10;*OPC?\n"), QStringLiteral("POW -4;*OPC?\n"),
                                          QStringLiteral("FREQ 100000000.0;*OPC?\n")}));
  QCOMPARE(writes.filter(QStringLiteral("POW -4;")).size(), 3);
  QCOMPARE(cfg.Traces[0][0], QVector<double>({-10.0, -10.0, -10.0}));
}

void TestSweepEngine::recordOfAnotherShapeIsRefused()
{
  cfg.Traces[0][0].resize(2);
  ScriptPrep(cfg);
  Recorder rec;
  QCOMPARE(int(SweepEngine(cfg, rec).run(false).outcome), int(SwpOutcome::StoreMismatch));
  QVERIFY(RunWrites().isEmpty());

  FakeVisa::reset();
  Fresh(cfg, 3);
  cfg.NormData.clear();
  ScriptPrep(cfg);
  QCOMPARE(int(SweepEngine(cfg, rec).run(true).outcome), int(SwpOutcome::StoreMismatch));
}

void TestSweepEngine::preparationTexts_data()
{
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("text");
  QTest::newRow("-1") << -1 << "Generator1 (RF)" << "Initialization Error.";
  QTest::newRow("-2") << -2 << "Generator1 (RF)" << "Max RF Level Error.";
  QTest::newRow("-3") << -3 << "Generator1 (RF)" << "Min RF Level Error.";
  QTest::newRow("-4") << -4 << "Generator1 (RF)" << "Max Frequency Error.";
  QTest::newRow("-5") << -5 << "Generator1 (RF)" << "Min Frequency Error.";
  QTest::newRow("-6") << -6 << "Generator1 (RF)" << "RF ON Error.";
  QTest::newRow("-7") << -7 << "Unknown" << "Unknown Error.";
  QTest::newRow("-8") << -8 << "Generator2 (LO)" << "Initialization Error.";
  QTest::newRow("-12") << -12 << "Generator2 (LO)" << "Min Frequency Error.";
  QTest::newRow("-13") << -13 << "Generator2 (LO)" << "RF ON Error.";
  QTest::newRow("-14") << -14 << "Unknown" << "Unknown Error.";
  QTest::newRow("-16") << -16 << "Analyzer   (IF)" << "Freq Config Error.";
  QTest::newRow("-17") << -17 << "Analyzer   (IF)" << "Sweep Setup Error.";
  QTest::newRow("-18") << -18 << "Unknown" << "Unknown Error.";
  QTest::newRow("-19") << -19 << "Analyzer   (IF)" << "Display Setup Error.";
  QTest::newRow("-20") << -20 << "Unknown" << "Unknown Error.";
  QTest::newRow("5") << 5 << "Unknown" << "Unknown Error.";
}

void TestSweepEngine::preparationTexts()
{
  QFETCH(int, code);
  QFETCH(QString, title);
  QFETCH(QString, text);
  QCOMPARE(QString::fromLatin1(InitErrFor(code).title), title);
  QCOMPARE(QString::fromLatin1(InitErrFor(code).text), text);
}

void TestSweepEngine::traceStoreShapes()
{
  cfg.LevelCount = 2;
  cfg.TraceCount = 2;
  AllocTrc(cfg);
  QCOMPARE(cfg.Traces.size(), 2);
  QCOMPARE(cfg.Traces[1].size(), 2);
  QCOMPARE(cfg.Traces[1][1].size(), 3);
  QVERIFY(std::isnan(cfg.Traces[1][1][2]));
  QCOMPARE(cfg.NormData.size(), 3);
  QVERIFY(TrcFitsPlan(cfg, true));
  cfg.Traces[0][0][0] = 1.0;
  AddTrcRec(cfg);
  QCOMPARE(cfg.TraceCount, 3);
  QCOMPARE(Measured(cfg.Traces[2][1]), 0);
  QVERIFY(std::isnan(cfg.Traces[1][0][0]));  // records share nothing
  cfg.PointCount = 4;
  QVERIFY(!TrcFitsPlan(cfg, false));
}

QTEST_GUILESS_MAIN(TestSweepEngine)
#include "tst_sweep_engine.moc"
