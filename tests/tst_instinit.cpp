// Preparation of all instruments before a sweep, against the recording fake
// VISA: every stage code produced by a failure at its stage, and the
// instruments that are skipped or reopened.
#include "support/CmdTranscript.h"
#include "support/FakeVisa.h"
#include "instruments/Measure.h"

#include <QtTest>

namespace {

const QString kGen1Rsrc = "GPIB0::28::INSTR";
const QString kGen2Rsrc = "GPIB0::19::INSTR";
const QString kAnaRsrc = "GPIB0::20::INSTR";

DevStr device(int type, int gpibAddress, double startMHz, double stopMHz, double startDbm, double stopDbm) {
  DevStr dev;
  dev.Type = type;
  dev.Interface = 0;
  dev.GpibAddress = gpibAddress;
  dev.StartFreq = startMHz;
  dev.StopFreq = stopMHz;
  dev.StartLevel = startDbm;
  dev.StopLevel = stopDbm;
  return dev;
}

// A bench whose generators confirm every level and frequency they are set to.
struct Bench {
  DevStr gen1 = device(24, 28, 100, 1000, -20, -10);
  DevStr gen2 = device(25, 19, 200, 2000, 0, 5);
  DevStr ana = device(59, 20, 0, 0, 0, 0);
  SpxStr spx;
  RcxStr rcx;
  bool levelSweep = true;

  void scriptReadBacks(const QString &rsrc, const DevStr &gen) const {
    if (levelSweep) FakeVisa::replyFor(rsrc, QString::number(gen.StopLevel) + "\n");
    FakeVisa::replyFor(rsrc, QString::number(gen.StartLevel) + "\n");
    FakeVisa::replyFor(rsrc, QString::number(gen.StopFreq * 1e6, 'f', 1) + "\n");
    FakeVisa::replyFor(rsrc, QString::number(gen.StartFreq * 1e6, 'f', 1) + "\n");
  }
  int init() { return InstInit(gen1, gen2, ana, spx, rcx, levelSweep); }
  int run() {
    scriptReadBacks(kGen1Rsrc, gen1);
    scriptReadBacks(kGen2Rsrc, gen2);
    return init();
  }
};

// Makes the occurrence-th write of text to session fail in the next run of a
// fresh bench.
bool failWrite(ViSession session, const QString &text, int occurrence = 1) {
  Bench dry;
  return FailWriteOf(text, [&] { dry.run(); }, VI_ERROR_IO, session, occurrence);
}

int opensOf(const QString &rsrc) {
  int n = 0;
  for (const QString &line : FakeVisa::transcript()) n += line.startsWith("viOpen ") && line.contains('"' + rsrc + '"');
  return n;
}

}  // namespace

class InstInitTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void preparesAllThree() {
    Bench bench;
    QCOMPARE(bench.run(), 0);
    QCOMPARE(bench.gen1.Session, ViSession(1));
    QCOMPARE(bench.gen2.Session, ViSession(2));
    QCOMPARE(bench.ana.Session, ViSession(3));
    QCOMPARE(WritesTo(1), (QStringList{"POW -10;*OPC?\n", "POW?\n", "POW -20;*OPC?\n", "POW?\n",
                                       "FREQ 1000000000.0;*OPC?\n", "FREQ?\n", "FREQ 100000000.0;*OPC?\n", "FREQ?\n",
                                       ":OUTP ON\n", "ROSC:SOUR INT\n"}));
    QCOMPARE(WritesTo(2), (QStringList{"SOUR2:POW 5;*OPC?\n", "SOUR2:POW?\n", "SOUR2:POW 0;*OPC?\n", "SOUR2:POW?\n",
                                       "SOUR2:FREQ 2000000000.0;*OPC?\n", "SOUR2:FREQ?\n",
                                       "SOUR2:FREQ 200000000.0;*OPC?\n", "SOUR2:FREQ?\n", ":OUTP2 ON\n",
                                       "ROSC:SOUR2 INT\n"}));
    QCOMPARE(WritesTo(3), (QStringList{"DET RMS\n", "UNIT:POW DBM\n", "DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n",
                                       "FREQ:SPAN 0.0;*OPC?\n", "BAND:RES:AUTO ON;*OPC?\n", "BAND:VID:AUTO ON;*OPC?\n",
                                       "SWE:TIME:AUTO ON;*OPC?\n", "INIT:CONT OFF\n", "SWE:TIME:AUTO ON;*OPC?\n",
                                       "SYST:DISP:UPD OFF\n", "ROSC:SOUR INT\n"}));
  }

  void withoutLevelSweepOnlyTheStartLevel() {
    Bench bench;
    bench.levelSweep = false;
    QCOMPARE(bench.run(), 0);
    QCOMPARE(WritesTo(1).mid(0, 2), (QStringList{"POW -20;*OPC?\n", "POW?\n"}));
    QVERIFY(!WritesTo(1).contains("POW -10;*OPC?\n"));
  }

  void stageCodes_data() {
    QTest::addColumn<int>("session");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<int>("code");
    QTest::newRow("-2 stop level") << 1 << "POW -10;*OPC?\n" << 1 << -2;
    QTest::newRow("-3 start level") << 1 << "POW -20;*OPC?\n" << 1 << -3;
    QTest::newRow("-4 stop frequency") << 1 << "FREQ 1000000000.0;*OPC?\n" << 1 << -4;
    QTest::newRow("-5 start frequency") << 1 << "FREQ 100000000.0;*OPC?\n" << 1 << -5;
    QTest::newRow("-6 RF on") << 1 << ":OUTP ON\n" << 1 << -6;
    QTest::newRow("-7 reference") << 1 << "ROSC:SOUR INT\n" << 1 << -7;
    QTest::newRow("-9 stop level") << 2 << "SOUR2:POW 5;*OPC?\n" << 1 << -9;
    QTest::newRow("-10 start level") << 2 << "SOUR2:POW 0;*OPC?\n" << 1 << -10;
    QTest::newRow("-11 stop frequency") << 2 << "SOUR2:FREQ 2000000000.0;*OPC?\n" << 1 << -11;
    QTest::newRow("-12 start frequency") << 2 << "SOUR2:FREQ 200000000.0;*OPC?\n" << 1 << -12;
    QTest::newRow("-13 RF on") << 2 << ":OUTP2 ON\n" << 1 << -13;
    QTest::newRow("-14 reference") << 2 << "ROSC:SOUR2 INT\n" << 1 << -14;
    QTest::newRow("-16 set-up") << 3 << "SWE:TIME:AUTO ON;*OPC?\n" << 1 << -16;
    QTest::newRow("-17 continuous sweep off") << 3 << "INIT:CONT OFF\n" << 1 << -17;
    QTest::newRow("-18 sweep time") << 3 << "SWE:TIME:AUTO ON;*OPC?\n" << 2 << -18;
    QTest::newRow("-19 display off") << 3 << "SYST:DISP:UPD OFF\n" << 1 << -19;
    QTest::newRow("-20 reference") << 3 << "ROSC:SOUR INT\n" << 1 << -20;
  }
  void stageCodes() {
    QFETCH(int, session);
    QFETCH(QString, text);
    QFETCH(int, occurrence);
    QFETCH(int, code);
    QVERIFY(failWrite(ViSession(session), text, occurrence));
    Bench bench;
    QCOMPARE(bench.run(), code);
    // The first failure ends the preparation: nothing follows the failed write.
    QCOMPARE(FakeVisa::writes().last(), text);
  }

  void openStageCodes() {
    const QList<QPair<QString, int>> opens{{kGen1Rsrc, -1}, {kGen2Rsrc, -8}, {kAnaRsrc, -15}};
    for (const auto &open : opens) {
      FakeVisa::reset();
      FakeVisa::failOpen(open.first);
      Bench bench;
      QCOMPARE(bench.run(), open.second);
    }
  }

  void readBackMismatchesAreStageFailures() {
    Bench bench;
    FakeVisa::replyFor(kGen1Rsrc, "-10.5\n");  // the stop level comes back wrong
    QCOMPARE(bench.init(), -2);
    FakeVisa::reset();
    Bench second;
    second.scriptReadBacks(kGen1Rsrc, second.gen1);
    for (const char *readBack : {"5\n", "0\n", "2000000000.0\n", "200000001.0\n"})
      FakeVisa::replyFor(kGen2Rsrc, readBack);
    QCOMPARE(second.init(), -12);
  }

  void configurationWarningCountsAsOpened() {
    FakeVisa::failNext("viOpen", VI_WARN_CONFIG_NLOADED);
    Bench bench;
    QCOMPARE(bench.run(), 0);
    QVERIFY(FakeVisa::transcript().first().startsWith("viOpenDefaultRM"));
    QVERIFY(FakeVisa::transcript().join('\n').contains("VI_WARN_CONFIG_NLOADED"));
  }

  void trackingGeneratorLeavesGenerator1Alone() {
    Bench bench;
    bench.ana.TrackingGenerator = true;
    QCOMPARE(bench.run(), 0);
    QCOMPARE(opensOf(kGen1Rsrc), 0);
    QCOMPARE(bench.gen1.Session, ViSession(0));
    QVERIFY(!FakeVisa::writes().contains(":OUTP ON\n"));
    QVERIFY(FakeVisa::writes().contains("INST NET;*OPC?\n"));
  }

  void uncontrolledGenerator2IsSkipped() {
    for (int type : {31, 0}) {
      FakeVisa::reset();
      Bench bench;
      bench.gen2.Type = type;
      QCOMPARE(bench.run(), 0);
      QCOMPARE(opensOf(kGen2Rsrc), 0);
      QCOMPARE(bench.ana.Session, ViSession(2));  // straight on to the analyzer
    }
  }

  void generator11AboveItsCheckRangeSetsLevelsOnly() {
    QVERIFY(failWrite(1, "POW -10;*OPC?\n"));  // the instrument would reject the level
    Bench bench;
    bench.gen1.Type = 11;
    bench.gen1.StartFreq = 50000;
    bench.gen1.StopFreq = 60000;
    FakeVisa::replyFor(kGen1Rsrc, "60000000000\n");  // only the frequencies are read back
    FakeVisa::replyFor(kGen1Rsrc, "50000000000\n");
    bench.scriptReadBacks(kGen2Rsrc, bench.gen2);
    QCOMPARE(bench.init(), 0);
    QCOMPARE(WritesTo(1).mid(0, 3), (QStringList{"POW -10;*OPC?\n", "POW -20;*OPC?\n", "FREQ 60000000000.0;*OPC?\n"}));
    QVERIFY(!WritesTo(1).contains("POW?\n"));
  }

  void openInstrumentsAreKeptRadioTestersReopened() {
    Bench bench;
    QCOMPARE(bench.run(), 0);
    QCOMPARE(bench.run(), 0);
    QCOMPARE(opensOf(kAnaRsrc), 1);
    QCOMPARE(opensOf(kGen1Rsrc), 1);

    FakeVisa::reset();
    Bench testers;
    testers.ana.Type = 70;
    testers.gen2.Type = 2;
    testers.gen2.GpibAddress = 19;
    QCOMPARE(testers.run(), 0);
    const ViSession firstTester = testers.ana.Session;
    QCOMPARE(testers.run(), 0);
    QCOMPARE(opensOf(kAnaRsrc), 2);
    QCOMPARE(opensOf(kGen2Rsrc), 2);
    QCOMPARE(opensOf(kGen1Rsrc), 1);
    QVERIFY(FakeVisa::transcript().contains("viClose " + QString::number(firstTester)));
    QCOMPARE(FakeVisa::writes().filter("ROUT:GPRF:MEAS:SCEN:SAL").size(), 2);  // routed at every start
  }
};

QTEST_GUILESS_MAIN(InstInitTest)
#include "tst_instinit.moc"
