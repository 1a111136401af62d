// Analyzer and receiver set-up against the recording fake VISA: the set-up
// sequences of every class, the per-setting commands and the receivers'
// answers written back into their settings.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "instruments/AnaCmd.h"
#include "instruments/CmdReply.h"

#include <QtTest>

namespace {

constexpr ViSession kSession = 1;

DevStr analyzer(int type, bool trackingGenerator = false) {
  DevStr ana;
  ana.Session = kSession;
  ana.Type = type;
  ana.TrackingGenerator = trackingGenerator;
  return ana;
}

// The writes of one set-up with automatic bandwidths and sweep time.
QStringList setupWrites(DevStr ana, SpxStr spx = SpxStr(), RcxStr rcx = RcxStr()) {
  FakeVisa::reset();
  AnaSetup(ana, spx, rcx);
  return FakeVisa::writes();
}

// Fails the first write of text in the coming calls, found by a dry run.
void failWriteOf(const QString &text, const std::function<void()> &run, ViStatus status = VI_ERROR_IO) {
  FakeVisa::reset();
  run();
  const int index = FakeVisa::writes().indexOf(text);
  QVERIFY2(index >= 0, qPrintable("not sent: " + text));
  FakeVisa::reset();
  for (int i = 0; i < index; ++i) FakeVisa::failNext("viWrite", VI_SUCCESS);
  FakeVisa::failNext("viWrite", status);
}

const QStringList kZeroSpanAuto{"DET RMS\n",
                                "UNIT:POW DBM\n",
                                "DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n",
                                "FREQ:SPAN 0.0;*OPC?\n",
                                "BAND:RES:AUTO ON;*OPC?\n",
                                "BAND:VID:AUTO ON;*OPC?\n",
                                "SWE:TIME:AUTO ON;*OPC?\n"};

}  // namespace

class AnaCmdTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void zeroSpanSetup59() { QCOMPARE(setupWrites(analyzer(59)), kZeroSpanAuto); }

  void zeroSpanSetupStartsInSpectrumMode() {
    for (int type : {33, 36, 40, 49, 50, 52, 61, 62, 63, 64})
      QCOMPARE(setupWrites(analyzer(type)), QStringList{"INST SAN;*OPC?\n"} + kZeroSpanAuto);
    for (int type : {47, 48, 51, 54, 55, 56, 58, 60, 65})
      QCOMPARE(setupWrites(analyzer(type)), kZeroSpanAuto);
  }

  void zeroSpanSetupWithTrackingGenerator() {
    const QStringList start{"INST SAN;*OPC?\n", "INST NET;*OPC?\n"};
    QCOMPARE(setupWrites(analyzer(33, true)), start + kZeroSpanAuto);
    QCOMPARE(setupWrites(analyzer(59, true)), QStringList{"INST NET;*OPC?\n"} + kZeroSpanAuto);
    // 53 and 66 call it network analysis; 53 keeps its video bandwidth there.
    QStringList net53{"INST SAN;*OPC?\n", "INST NAN;*OPC?\n"};
    net53 += kZeroSpanAuto;
    net53.removeAll("BAND:VID:AUTO ON;*OPC?\n");
    QCOMPARE(setupWrites(analyzer(53, true)), net53);
    QCOMPARE(setupWrites(analyzer(66, true)).mid(0, 2), (QStringList{"INST SAN;*OPC?\n", "INST NAN;*OPC?\n"}));
  }

  void zeroSpanSetupOfOtherRows() {
    QStringList type68 = kZeroSpanAuto;
    type68[2] = "DISP:TRAC:Y:RLEV 0.000;*OPC?\n";
    QCOMPARE(setupWrites(analyzer(68)), QStringList{"INST SAN;*OPC?\n"} + type68);
    SpxStr spx;
    spx.RefLevel = -20.5;
    QCOMPARE(setupWrites(analyzer(72), spx),
             (QStringList{"AUNITS DBM\n", "RL -20.500\n", "SP 0.0\n", "BA\n", "VA\n", "AS\n"}));
    QCOMPARE(setupWrites(analyzer(32), spx),
             (QStringList{"DET RMS\n", "UNIT:POW DBM\n", "LE:RE -20.500000\n", "SP Z\n"}));
    spx.Rbw = 1000;
    spx.Vbw = 3000;
    spx.SweepTime = 100;
    QCOMPARE(setupWrites(analyzer(37), spx), (QStringList{"DET RMS\n", "UNIT:POW DBM\n", "LE:RE -20.500000\n",
                                                          "SP Z\n", "B:R 1000\n", "B:V 3000\n", "SW:T 0.1\n"}));
  }

  void slowSpeedSamplesWithGain() {
    SpxStr spx;
    spx.Fast = 0;
    for (int type : {42, 46, 57}) {
      const QStringList sent = setupWrites(analyzer(type), spx);
      QCOMPARE(sent.mid(sent.size() - 2), (QStringList{"INP:GAIN:STAT ON\n", "DET SAMP\n"}));
    }
    QCOMPARE(setupWrites(analyzer(59), spx), kZeroSpanAuto);
    spx.Fast = 1;
    QVERIFY(!setupWrites(analyzer(42), spx).contains("DET SAMP\n"));
  }

  void failingDetectorSkipsReferenceAndSpan() {
    DevStr ana = analyzer(59);
    SpxStr spx;
    RcxStr rcx;
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), (QStringList{"DET RMS\n", "BAND:RES:AUTO ON;*OPC?\n", "BAND:VID:AUTO ON;*OPC?\n",
                                              "SWE:TIME:AUTO ON;*OPC?\n"}));
  }

  void setupResultIsTheSweepTimeStatus() {
    DevStr ana = analyzer(59);
    SpxStr spx;
    RcxStr rcx;
    failWriteOf("BAND:RES:AUTO ON;*OPC?\n", [&] { AnaSetup(ana, spx, rcx); });
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);  // bandwidth failures are not reported
    failWriteOf("SWE:TIME:AUTO ON;*OPC?\n", [&] { AnaSetup(ana, spx, rcx); }, VI_ERROR_TMO);
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_ERROR_TMO);
  }

  void failingReferenceLevelSkipsSpan() {
    DevStr ana = analyzer(59);
    SpxStr spx;
    RcxStr rcx;
    failWriteOf("DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n", [&] { AnaSetup(ana, spx, rcx); });
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    QVERIFY(!FakeVisa::writes().contains("FREQ:SPAN 0.0;*OPC?\n"));
  }

  void receiverSetup() {
    DevStr ana = analyzer(38);
    SpxStr spx;
    RcxStr rcx;
    rcx.RecAutoAtt = true;
    rcx.RecIbw = 120000;
    rcx.RecUnitsDbm = 1;
    rcx.RecDetector = 2;
    FakeVisa::reply("100000\n");  // the IF bandwidth the receiver took
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(),
             (QStringList{"H OF\n", "A:A ON\n", "B:I 120000H\n", "B:I?\n", "SPE 25,ON\n", "DET Q\n"}));
    QCOMPARE(rcx.RecIbw, 100000);
  }

  void receiverManualAttenuationIsReadBack() {
    DevStr ana = analyzer(34);
    SpxStr spx;
    RcxStr rcx;
    rcx.RecAutoAtt = false;
    rcx.RecAttenuation = 10;
    rcx.RecIbw = 9000;
    rcx.RecUnitsDbm = 0;
    rcx.RecDetector = 1;
    FakeVisa::reply("12\n");
    FakeVisa::reply("9000\n");
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), (QStringList{"H OF\n", "A 10\n", "A?\n", "B:I 9000H\n", "B:I?\n",
                                              "SPE 20,OFF\n", "DET P\n"}));
    QCOMPARE(rcx.RecAttenuation, 12);
  }

  void receiverSpeedAndDetectorStrings_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("detector");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("det");
    QTest::newRow("34") << 34 << 1 << "SPE 20,ON\n" << "DET P\n";
    QTest::newRow("35 peak") << 35 << 1 << "SPE 20,ON\n" << "DET PEAK\n";
    QTest::newRow("38") << 38 << 0 << "SPE 25,ON\n" << "DET A\n";
    QTest::newRow("39") << 39 << 2 << "SPE 20,ON\n" << "DET Q\n";
    QTest::newRow("41 no detector") << 41 << 1 << "SPE 20,ON\n" << "";
    QTest::newRow("43") << 43 << 1 << "SPE 20,ON\n" << "DET PEAK\n";
    QTest::newRow("44") << 44 << 1 << "SPE 25,ON\n" << "DET P\n";
    QTest::newRow("45") << 45 << 0 << "SPE 20,ON\n" << "DET A\n";
  }
  void receiverSpeedAndDetectorStrings() {
    QFETCH(int, type);
    QFETCH(int, detector);
    QFETCH(QString, speed);
    QFETCH(QString, det);
    DevStr ana = analyzer(type);
    SpxStr spx;
    RcxStr rcx;
    rcx.RecDetector = detector;
    FakeVisa::reply("0\n");
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    const QStringList sent = FakeVisa::writes();
    QVERIFY(sent.contains(speed));
    QCOMPARE(sent.last(), det.isEmpty() ? speed : det);
    QCOMPARE(sent.contains("B:I 0H\n"), type != 41);  // 41 has a fixed IF bandwidth
  }

  void receiverFirstFailureEndsSetup() {
    DevStr ana = analyzer(34);
    SpxStr spx;
    RcxStr rcx;
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_ERROR_TMO);
    QCOMPARE(FakeVisa::writes(), QStringList{"H OF\n"});
    FakeVisa::reset();
    FakeVisa::reply("N/A\n");  // the bandwidth answer holds no number
    QCOMPARE(AnaSetup(ana, spx, rcx), kErrNoNumber);
    QCOMPARE(FakeVisa::writes().last(), QString("B:I?\n"));
  }

  void detectorOutsideItsTableIsRefused() {
    for (int detector : {-1, 3}) {
      FakeVisa::reset();
      QCOMPARE(AnaSetDet(kSession, 34, detector), kErrBadSetting);
      QCOMPARE(FakeVisa::writes(), QStringList());
    }
    QCOMPARE(AnaSetDet(kSession, 59, 1), VI_SUCCESS);  // no detector table: nothing sent
    QCOMPARE(FakeVisa::writes(), QStringList());
  }

  void powerMeterSetup() {
    DevStr ana = analyzer(73);
    ana.PwxxAutoAveraging = 1;
    ana.PwxxResolution = 3;
    QCOMPARE(setupWrites(ana), (QStringList{"UNIT:POW DBM\n", "SENS:FUNC \"POW:AVG\"\n", "SENS:AVER:COUN:AUTO ON\n",
                                            "SENS:AVER:COUN:AUTO:TYPE RES\n", "SENS:AVER:COUN:AUTO:RES 3\n",
                                            "SENS:AVER:TCON REP\n", "INIT:CONT OFF\n"}));
    ana.Type = 74;
    ana.PwxxAutoAveraging = 0;
    ana.PwxxCount = 16;
    QCOMPARE(setupWrites(ana), (QStringList{"UNIT:POW DBM\n", "SENS:FUNC \"POW:AVG\"\n", "SENS:AVER:COUN 16\n",
                                            "SENS:AVER:COUN:AUTO OFF\n", "SENS:AVER:TCON REP\n", "INIT:CONT OFF\n"}));
    SpxStr spx;
    RcxStr rcx;
    failWriteOf("SENS:AVER:COUN 16\n", [&] { AnaSetup(ana, spx, rcx); });
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_ERROR_IO);
    QCOMPARE(FakeVisa::writes().size(), 3);
  }

  void otherPowerMeterSetups() {
    QCOMPARE(setupWrites(analyzer(76)), (QStringList{":TRG:SOUR EXT\n", ":SENS1:FUNC:OFF:ALL1\n",
                                                     ":SENS1 \"POW:REFL\"\n", ":UNIT1:POW:REFL RL;*WAI\n"}));
    const QStringList type77{"INP:NSEL 1\n",    "AMPL:RANG:AUTO ON\n", "CALC:FILT:AUTO ON\n",
                             "AMPL:ATT 0.0\n", "POW:UNIT DBM\n",      "AMPL:UNIT DBM\n"};
    QCOMPARE(setupWrites(analyzer(77)), type77);
    QCOMPARE(setupWrites(analyzer(78)), QStringList{"C1, W8, N1, Q3, U1, KF1, X3\n"});
    QCOMPARE(setupWrites(analyzer(80)), QStringList{"C1, W8, N1, Q3, U1, KF1, X3\n"});
    QCOMPARE(setupWrites(analyzer(79)), QStringList{"C1, N1, Q3, U1, KF1, X3\n"});
    DevStr ana = analyzer(76);
    SpxStr spx;
    RcxStr rcx;
    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);  // its set-up statuses do not count
    QCOMPARE(FakeVisa::writes().size(), 4);
    ana.Type = 77;
    failWriteOf("CALC:FILT:AUTO ON\n", [&] { AnaSetup(ana, spx, rcx); });
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_ERROR_IO);
    QCOMPARE(FakeVisa::writes(), type77.mid(0, 3));
  }

  void typesWithoutSetup() {
    for (int type : {1, 24, 31, 67, 69, 70, 71, 81}) QCOMPARE(setupWrites(analyzer(type, true)), QStringList());
    QCOMPARE(setupWrites(analyzer(0)), QStringList());
    QCOMPARE(setupWrites(analyzer(0, true)), QStringList{"INST SAN\n"});
  }

  void usbSensorSetupGoesToItsDriver() {
    QVERIFY(FakePwu::load());
    DevStr ana = analyzer(75, true);
    ana.PwxxAutoAveraging = 0;
    ana.PwxxCount = 8;
    SpxStr spx;
    RcxStr rcx;
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList());  // the driver handle is no VISA session
    QCOMPARE(FakePwu::transcript(), (QStringList{"pwudrv_avg_configureAvgManual 1 1 8",
                                                 "pwudrv_range_setAutoEnabled 1 1 1"}));
    FakePwu::failNext("pwudrv_avg_configureAvgManual", VI_ERROR_IO);
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_ERROR_IO);
  }

  void bandwidthsAndSweepTime_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("rbw");
    QTest::addColumn<QString>("vbw");
    QTest::addColumn<QString>("swt");
    QTest::addColumn<QString>("span");
    QTest::newRow("32") << 32 << "B:R 1000\n" << "B:V 3000\n" << "SW:T 0.1\n" << "SP 1000000.0\n";
    QTest::newRow("37") << 37 << "B:R 1000\n" << "B:V 3000\n" << "SW:T 0.1\n" << "SP 1000000.0\n";
    for (int type : {33, 36, 40, 42, 46, 66, 68})
      QTest::newRow(qPrintable(QString::number(type)))
          << type << "BAND:RES 1000.0;*OPC?\n" << "BAND:VID 3000.0;*OPC?\n" << "SWE:TIME 0.1;*OPC?\n"
          << "FREQ:SPAN 1000000.0;*OPC?\n";
    QTest::newRow("67") << 67 << "" << "" << "SWE:TIME 0.1;*OPC?\n" << "FREQ:SPAN 1000000.0;*OPC?\n";
    QTest::newRow("72") << 72 << "RB 1000.0\n" << "VB 3000.0\n" << "SW 0.1\n" << "SP 1000000.0\n";
    QTest::newRow("34") << 34 << "" << "" << "" << "";
  }
  void bandwidthsAndSweepTime() {
    QFETCH(int, type);
    QFETCH(QString, rbw);
    QFETCH(QString, vbw);
    QFETCH(QString, swt);
    QFETCH(QString, span);
    const auto only = [](const QString &text) { return text.isEmpty() ? QStringList() : QStringList{text}; };
    QCOMPARE(AnaSetRbw(kSession, type, 1000), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), only(rbw));
    FakeVisa::reset();
    QCOMPARE(AnaSetVbw(kSession, type, 3000, false), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), only(vbw));
    FakeVisa::reset();
    QCOMPARE(AnaSetSwt(kSession, type, 100), VI_SUCCESS);  // the list's 100 ms
    QCOMPARE(FakeVisa::writes(), only(swt));
    FakeVisa::reset();
    QCOMPARE(AnaSetSpan(kSession, type, 1e6), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), only(span));
  }

  void sweepTimesInSeconds() {
    for (double ms : {1.0, 2.0, 5.0, 10.0, 500.0, 1000.0, 10000.0}) {
      FakeVisa::reset();
      AnaSetSwt(kSession, 59, ms);
      QCOMPARE(FakeVisa::writes(), QStringList{"SWE:TIME " + QString::number(ms / 1000) + ";*OPC?\n"});
    }
    FakeVisa::reset();
    AnaSetSwt(kSession, 72, 0);
    QCOMPARE(FakeVisa::writes(), QStringList{"AS\n"});
  }

  void readSweepTime() {
    double seconds = -1.0;
    FakeVisa::reply("2.5E-3\n");
    QCOMPARE(AnaGetSwt(kSession, 59, seconds), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{"SWE:TIME?"});
    QCOMPARE(seconds, 0.0025);
    FakeVisa::reset();
    FakeVisa::reply("0.1\n");
    QCOMPARE(AnaGetSwt(kSession, 72, seconds), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{"SW?"});
    QCOMPARE(seconds, 0.1);
    FakeVisa::reset();
    QCOMPARE(AnaGetSwt(kSession, 34, seconds), VI_SUCCESS);
    QCOMPARE(seconds, 0.1);
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void continuousSweepAndDisplay_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("contOnOff");
    QTest::addColumn<QStringList>("dispOnOff");
    const QStringList cont{"INIT:CONT ON\n", "INIT:CONT OFF\n"};
    const QStringList disp{"SYST:DISP:UPD ON\n", "SYST:DISP:UPD OFF\n"};
    for (int type : {33, 36, 40, 42, 46, 49, 52, 66}) QTest::newRow(qPrintable(QString::number(type))) << type << cont << disp;
    for (int type : {47, 48, 50, 51, 68}) QTest::newRow(qPrintable(QString::number(type))) << type << cont << QStringList();
    QTest::newRow("67") << 67 << QStringList() << QStringList{"DISP:TRAC ON\n", "DISP:TRAC OFF\n"};
    QTest::newRow("72") << 72 << QStringList{"SN\n", "SI\n"} << QStringList();
    QTest::newRow("34") << 34 << QStringList() << QStringList();
  }
  void continuousSweepAndDisplay() {
    QFETCH(int, type);
    QFETCH(QStringList, contOnOff);
    QFETCH(QStringList, dispOnOff);
    AnaContSwp(kSession, type, true);
    AnaContSwp(kSession, type, false);
    QCOMPARE(FakeVisa::writes(), contOnOff);
    FakeVisa::reset();
    AnaDispUpd(kSession, type, true);
    AnaDispUpd(kSession, type, false);
    QCOMPARE(FakeVisa::writes(), dispOnOff);
  }
};

QTEST_GUILESS_MAIN(AnaCmdTest)
#include "tst_anacmd.moc"
