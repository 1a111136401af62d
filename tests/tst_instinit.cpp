// Preparation of all instruments before a sweep, against the recording fake
// VISA: every stage code produced by a failure at its stage, and the
// instruments that are skipped or reopened.
#include "support/CmdTranscript.h"
#include "support/FakeVisa.h"
#include "instruments/Measure.h"

#include <QtTest>

namespace {

const QString kGen1 = "GPIB0::28::INSTR", kGen2 = "GPIB0::19::INSTR", kAna = "GPIB0::20::INSTR";

DevStr Device(int type, int address, double startMHz, double stopMHz, double startDbm, double stopDbm) {
  DevStr dev;
  dev.Type = type;
  dev.GpibAddress = address;
  dev.StartFreq = startMHz;
  dev.StopFreq = stopMHz;
  dev.StartLevel = startDbm;
  dev.StopLevel = stopDbm;
  return dev;
}

// A bench whose generators confirm every level and frequency they are set to.
struct Bench {
  DevStr gen1 = Device(24, 28, 100, 1000, -20, -10);
  DevStr gen2 = Device(25, 19, 200, 2000, 0, 5);
  DevStr ana = Device(59, 20, 0, 0, 0, 0);
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
    scriptReadBacks(kGen1, gen1);
    scriptReadBacks(kGen2, gen2);
    return init();
  }
};

int OpensOf(const QString &rsrc) {
  return FakeVisa::transcript().filter(QRegExp("^viOpen .*\"" + QRegExp::escape(rsrc) + '"')).size();
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
    QCOMPARE(QList<ViSession>({bench.gen1.Session, bench.gen2.Session, bench.ana.Session}), QList<ViSession>({1, 2, 3}));
    QCOMPARE(WritesTo(1).join('|'), "POW -10;*OPC?\n|POW?\n|POW -20;*OPC?\n|POW?\n|FREQ 1000000000.0;*OPC?\n|FREQ?\n|"
                                    "FREQ 100000000.0;*OPC?\n|FREQ?\n|:OUTP ON\n|ROSC:SOUR INT\n");
    QCOMPARE(WritesTo(2).join('|'), "SOUR2:POW 5;*OPC?\n|SOUR2:POW?\n|SOUR2:POW 0;*OPC?\n|SOUR2:POW?\n|"
                                    "SOUR2:FREQ 2000000000.0;*OPC?\n|SOUR2:FREQ?\n|SOUR2:FREQ 200000000.0;*OPC?\n|"
                                    "SOUR2:FREQ?\n|:OUTP2 ON\n|ROSC:SOUR2 INT\n");
    QCOMPARE(WritesTo(3).join('|'), "DET RMS\n|UNIT:POW DBM\n|DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n|FREQ:SPAN 0.0;*OPC?\n|"
                                    "BAND:RES:AUTO ON;*OPC?\n|BAND:VID:AUTO ON;*OPC?\n|SWE:TIME:AUTO ON;*OPC?\n|"
                                    "INIT:CONT OFF\n|SWE:TIME:AUTO ON;*OPC?\n|SYST:DISP:UPD OFF\n|ROSC:SOUR INT\n");
    FakeVisa::reset();
    Bench start;
    start.levelSweep = false;  // only the start level
    QCOMPARE(start.run(), 0);
    QCOMPARE(WritesTo(1).mid(0, 3).join('|'), "POW -20;*OPC?\n|POW?\n|FREQ 1000000000.0;*OPC?\n");
  }

  void stageCodes() {
    // Per instrument: its open, then the writes of its stages in order; the codes count down from -1.
    const QList<std::tuple<ViSession, QString, QStringList>> stages{
        {1, kGen1, {"POW -10;*OPC?\n", "POW -20;*OPC?\n", "FREQ 1000000000.0;*OPC?\n", "FREQ 100000000.0;*OPC?\n",
                    ":OUTP ON\n", "ROSC:SOUR INT\n"}},
        {2, kGen2, {"SOUR2:POW 5;*OPC?\n", "SOUR2:POW 0;*OPC?\n", "SOUR2:FREQ 2000000000.0;*OPC?\n",
                    "SOUR2:FREQ 200000000.0;*OPC?\n", ":OUTP2 ON\n", "ROSC:SOUR2 INT\n"}},
        {3, kAna, {"SWE:TIME:AUTO ON;*OPC?\n", "INIT:CONT OFF\n", "SWE:TIME:AUTO ON;*OPC?\n", "SYST:DISP:UPD OFF\n",
                   "ROSC:SOUR INT\n"}},
    };
    int code = 0;
    for (const auto &[session, rsrc, texts] : stages) {
      FakeVisa::reset();
      FakeVisa::failOpen(rsrc);
      QCOMPARE(QString("%1: %2").arg(rsrc).arg(Bench().run()), QString("%1: %2").arg(rsrc).arg(--code));
      for (int i = 0; i < texts.size(); ++i) {
        const int occurrence = texts.mid(0, i).count(texts[i]) + 1;
        QVERIFY(FailWriteOf(texts[i], [] { Bench().run(); }, VI_ERROR_IO, session, occurrence));
        QCOMPARE(QString("%1: %2").arg(texts[i]).arg(Bench().run()), QString("%1: %2").arg(texts[i]).arg(--code));
        QCOMPARE(FakeVisa::writes().last(), texts[i]);  // the first failure ends the preparation
      }
    }
    QCOMPARE(code, -20);
  }

  void readBackMismatchesAreStageFailures() {
    Bench bench;
    FakeVisa::replyFor(kGen1, "-10.5\n");  // the stop level comes back wrong
    QCOMPARE(bench.init(), -2);
    FakeVisa::reset();
    Bench second;
    second.scriptReadBacks(kGen1, second.gen1);
    for (const char *readBack : {"5\n", "0\n", "2000000000.0\n", "200000001.0\n"}) FakeVisa::replyFor(kGen2, readBack);
    QCOMPARE(second.init(), -12);
  }

  void configurationWarningCountsAsOpened() {
    FakeVisa::failNext("viOpen", VI_WARN_CONFIG_NLOADED);
    QCOMPARE(Bench().run(), 0);
    QCOMPARE(FakeVisa::transcript().filter(QRegExp("^viOpen .*VI_WARN_CONFIG_NLOADED")).size(), 1);
  }

  void skippedGenerators() {
    Bench bench;
    bench.ana.TrackingGenerator = true;  // the source: generator 1 is left alone
    QCOMPARE(bench.run(), 0);
    QCOMPARE(OpensOf(kGen1) + int(bench.gen1.Session), 0);
    QCOMPARE(WritesTo(2).first(), "INST NET;*OPC?\n");
    for (int type : {31, 0}) {  // generator 2 not under control, or none
      FakeVisa::reset();
      Bench second;
      second.gen2.Type = type;
      QCOMPARE(second.run(), 0);
      QCOMPARE(OpensOf(kGen2), 0);
      QCOMPARE(second.ana.Session, ViSession(2));  // straight on to the analyzer
    }
  }

  void generator11AboveItsCheckRangeSetsLevelsOnly() {
    QVERIFY(FailWriteOf("POW -10;*OPC?\n", [] { Bench().run(); }, VI_ERROR_IO, 1));  // it would reject the level
    Bench bench;
    bench.gen1 = Device(11, 28, 50000, 60000, -20, -10);
    FakeVisa::replyFor(kGen1, "60000000000\n");  // only the frequencies are read back
    FakeVisa::replyFor(kGen1, "50000000000\n");
    bench.scriptReadBacks(kGen2, bench.gen2);
    QCOMPARE(bench.init(), 0);
    QCOMPARE(WritesTo(1).mid(0, 4).join('|'), "POW -10;*OPC?\n|POW -20;*OPC?\n|FREQ 60000000000.0;*OPC?\n|FREQ?\n");
  }

  void openInstrumentsAreKeptRadioTestersReopened() {
    Bench bench;
    QCOMPARE(bench.run() + bench.run(), 0);
    QCOMPARE(OpensOf(kAna) + OpensOf(kGen1), 2);
    FakeVisa::reset();
    Bench testers;
    testers.ana.Type = 70;
    testers.gen2.Type = 2;
    QCOMPARE(testers.run(), 0);
    const ViSession firstTester = testers.ana.Session;
    QCOMPARE(testers.run(), 0);
    QCOMPARE(QList<int>({OpensOf(kAna), OpensOf(kGen2), OpensOf(kGen1)}), QList<int>({2, 2, 1}));
    QVERIFY(FakeVisa::transcript().contains("viClose " + QString::number(firstTester)));
    QCOMPARE(FakeVisa::writes().filter("ROUT:GPRF:MEAS:SCEN:SAL").size(), 2);  // routed at every start
  }
};

QTEST_GUILESS_MAIN(InstInitTest)
#include "tst_instinit.moc"
