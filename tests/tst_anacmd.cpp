// Analyzer and receiver set-up against the recording fake VISA: the set-up
// sequences of every class, the per-setting commands and the receivers'
// answers written back into their settings.
#include "support/CmdTranscript.h"
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "instruments/AnaCmd.h"
#include "instruments/CmdReply.h"

#include <QtTest>

namespace {

constexpr ViSession kS = 1;

struct Setup {
  DevStr ana;
  SpxStr spx;
  RcxStr rcx;
  explicit Setup(int type, bool trackingGenerator = false) {
    ana.Session = kS;
    ana.Type = type;
    ana.TrackingGenerator = trackingGenerator;
  }
  ViStatus operator()() { return AnaSetup(ana, spx, rcx); }
};

CmdRow SetupRow(const QString &name, const Setup &setup, const QStringList &sent) {
  int reads = 0;
  for (const QString &cmd : sent) reads += cmd.contains("*OPC?") ? 1 : 0;
  return {name, [copy = setup]() mutable { return copy(); }, sent, reads};
}

const QStringList kZeroSpanAuto{"DET RMS\n",
                                "UNIT:POW DBM\n",
                                "DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n",
                                "FREQ:SPAN 0.0;*OPC?\n",
                                "BAND:RES:AUTO ON;*OPC?\n",
                                "BAND:VID:AUTO ON;*OPC?\n",
                                "SWE:TIME:AUTO ON;*OPC?\n"};
const QStringList kSan{"INST SAN;*OPC?\n"};

}  // namespace

class AnaCmdTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void zeroSpanSetups() {
    QList<CmdRow> rows{SetupRow("59", Setup(59), kZeroSpanAuto),
                       SetupRow("33", Setup(33), kSan + kZeroSpanAuto),
                       SetupRow("33 tracking", Setup(33, true), kSan + QStringList{"INST NET;*OPC?\n"} + kZeroSpanAuto),
                       SetupRow("59 tracking", Setup(59, true), QStringList{"INST NET;*OPC?\n"} + kZeroSpanAuto)};
    for (int type : {36, 40, 49, 50, 52, 61, 62, 63, 64})
      rows << SetupRow(QString::number(type), Setup(type), kSan + kZeroSpanAuto);
    for (int type : {47, 48, 51, 54, 55, 56, 58, 60, 65}) rows << SetupRow(QString::number(type), Setup(type), kZeroSpanAuto);
    QStringList net53 = kSan + QStringList{"INST NAN;*OPC?\n"} + kZeroSpanAuto;
    net53.removeAll("BAND:VID:AUTO ON;*OPC?\n");  // 53 keeps the video bandwidth of its network mode
    rows << SetupRow("53 tracking", Setup(53, true), net53)
         << SetupRow("66 tracking", Setup(66, true), kSan + QStringList{"INST NAN;*OPC?\n"} + kZeroSpanAuto);
    QStringList type68 = kSan + kZeroSpanAuto;
    type68[3] = "DISP:TRAC:Y:RLEV 0.000;*OPC?\n";
    rows << SetupRow("68", Setup(68), type68);
    Setup withValues(37);
    withValues.spx.RefLevel = -20.5;
    withValues.spx.Rbw = 1000;
    withValues.spx.Vbw = 3000;
    withValues.spx.SweepTime = 100;
    rows << SetupRow("37", withValues,
                     {"DET RMS\n", "UNIT:POW DBM\n", "LE:RE -20.500000\n", "SP Z\n", "B:R 1000\n", "B:V 3000\n", "SW:T 0.1\n"})
         << SetupRow("32 automatic", Setup(32), {"DET RMS\n", "UNIT:POW DBM\n", "LE:RE 0.000000\n", "SP Z\n"});
    withValues.ana.Type = 72;
    rows << SetupRow("72", withValues, {"AUNITS DBM\n", "RL -20.500\n", "SP 0.0\n", "RB 1000.0\n", "VB 3000.0\n", "SW 0.1\n"})
         << SetupRow("72 automatic", Setup(72), {"AUNITS DBM\n", "RL 0.000\n", "SP 0.0\n", "BA\n", "VA\n", "AS\n"});
    QCOMPARE(CheckRows(rows), QString());
  }

  void slowSpeedSamplesWithGain() {
    for (int type : {42, 46, 57, 59}) {
      Setup slow(type);
      slow.spx.Fast = 0;
      const QStringList sent = Transcribe([&] { slow(); }).writes;
      QCOMPARE(sent.endsWith("DET SAMP\n") && sent.at(sent.size() - 2) == "INP:GAIN:STAT ON\n", type != 59);
    }
    Setup fast(42);
    QVERIFY(!Transcribe([&] { fast(); }).writes.contains("DET SAMP\n"));
  }

  void zeroSpanFailures() {
    Setup setup(59);
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);  // "DET RMS\n"
    QCOMPARE(setup(), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), (QStringList{"DET RMS\n", "BAND:RES:AUTO ON;*OPC?\n", "BAND:VID:AUTO ON;*OPC?\n",
                                              "SWE:TIME:AUTO ON;*OPC?\n"}));
    QVERIFY(FailWriteOf("DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n", [&] { setup(); }));
    QCOMPARE(setup(), VI_SUCCESS);
    QVERIFY(!FakeVisa::writes().contains("FREQ:SPAN 0.0;*OPC?\n"));
    QVERIFY(FailWriteOf("BAND:RES:AUTO ON;*OPC?\n", [&] { setup(); }));
    QCOMPARE(setup(), VI_SUCCESS);  // bandwidth failures are not reported
    QVERIFY(FailWriteOf("SWE:TIME:AUTO ON;*OPC?\n", [&] { setup(); }, VI_ERROR_TMO));
    QCOMPARE(setup(), VI_ERROR_TMO);  // the sweep time's status is the result
  }

  void receiverSetups() {
    Setup auto38(38);
    auto38.rcx.RecAutoAtt = true;
    auto38.rcx.RecIbw = 120000;
    auto38.rcx.RecDetector = 2;
    auto38.rcx.RecUnitsDbm = 1;
    FakeVisa::reply("100000\n");  // the IF bandwidth the receiver took
    QCOMPARE(auto38(), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), (QStringList{"H OF\n", "A:A ON\n", "B:I 120000H\n", "B:I?\n", "SPE 25,ON\n", "DET Q\n"}));
    QCOMPARE(auto38.rcx.RecIbw, 100000);

    FakeVisa::reset();
    Setup manual34(34);
    manual34.rcx.RecAutoAtt = false;
    manual34.rcx.RecAttenuation = 10;
    manual34.rcx.RecIbw = 9000;
    manual34.rcx.RecDetector = 1;
    manual34.rcx.RecUnitsDbm = 0;
    FakeVisa::reply("12\n");
    FakeVisa::reply("9000\n");
    QCOMPARE(manual34(), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(),
             (QStringList{"H OF\n", "A 10\n", "A?\n", "B:I 9000H\n", "B:I?\n", "SPE 20,OFF\n", "DET P\n"}));
    QCOMPARE(manual34.rcx.RecAttenuation, 12);
  }

  void receiverSpeedAndDetectorStrings() {
    const QList<std::tuple<int, int, QString, QString>> rows{
        {34, 1, "SPE 20,ON\n", "DET P\n"}, {35, 1, "SPE 20,ON\n", "DET PEAK\n"}, {38, 0, "SPE 25,ON\n", "DET A\n"},
        {39, 2, "SPE 20,ON\n", "DET Q\n"}, {41, 1, "SPE 20,ON\n", ""},           {43, 1, "SPE 20,ON\n", "DET PEAK\n"},
        {44, 1, "SPE 25,ON\n", "DET P\n"}, {45, 0, "SPE 20,ON\n", "DET A\n"}};
    for (const auto &[type, detector, speed, det] : rows) {
      FakeVisa::reset();
      Setup setup(type);
      setup.rcx.RecDetector = detector;
      FakeVisa::reply("0\n");
      QCOMPARE(setup(), VI_SUCCESS);
      const QStringList sent = FakeVisa::writes();
      QVERIFY(sent.contains(speed));
      QCOMPARE(sent.last(), det.isEmpty() ? speed : det);
      QCOMPARE(sent.contains("B:I 0H\n"), type != 41);  // 41 has no IF bandwidth command
    }
  }

  void receiverFailures() {
    Setup setup(34);
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(setup(), VI_ERROR_TMO);
    QCOMPARE(FakeVisa::writes(), QStringList{"H OF\n"});  // the first failure ends the set-up
    FakeVisa::reset();
    FakeVisa::reply("N/A\n");
    QCOMPARE(setup(), kErrNoNumber);  // the bandwidth answer holds no number
    for (int detector : {-1, 3}) {
      FakeVisa::reset();
      QCOMPARE(AnaSetDet(kS, 34, detector), kErrBadSetting);
      QCOMPARE(FakeVisa::writes(), QStringList());
    }
    QCOMPARE(AnaSetDet(kS, 59, 1), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList());
  }

  void powerMeterSetups() {
    Setup auto73(73);
    auto73.ana.PwxxAutoAveraging = 1;
    auto73.ana.PwxxResolution = 3;
    Setup manual74(74);
    manual74.ana.PwxxAutoAveraging = 0;
    manual74.ana.PwxxCount = 16;
    const QStringList type77{"INP:NSEL 1\n",  "AMPL:RANG:AUTO ON\n", "CALC:FILT:AUTO ON\n",
                             "AMPL:ATT 0.0\n", "POW:UNIT DBM\n",      "AMPL:UNIT DBM\n"};
    QList<CmdRow> rows{
        SetupRow("73", auto73, {"UNIT:POW DBM\n", "SENS:FUNC \"POW:AVG\"\n", "SENS:AVER:COUN:AUTO ON\n",
                                "SENS:AVER:COUN:AUTO:TYPE RES\n", "SENS:AVER:COUN:AUTO:RES 3\n", "SENS:AVER:TCON REP\n",
                                "INIT:CONT OFF\n"}),
        SetupRow("74", manual74, {"UNIT:POW DBM\n", "SENS:FUNC \"POW:AVG\"\n", "SENS:AVER:COUN 16\n",
                                  "SENS:AVER:COUN:AUTO OFF\n", "SENS:AVER:TCON REP\n", "INIT:CONT OFF\n"}),
        SetupRow("76", Setup(76), {":TRG:SOUR EXT\n", ":SENS1:FUNC:OFF:ALL1\n", ":SENS1 \"POW:REFL\"\n",
                                   ":UNIT1:POW:REFL RL;*WAI\n"}),
        SetupRow("77", Setup(77), type77),
        SetupRow("78", Setup(78), {"C1, W8, N1, Q3, U1, KF1, X3\n"}),
        SetupRow("80", Setup(80), {"C1, W8, N1, Q3, U1, KF1, X3\n"}),
        SetupRow("79", Setup(79), {"C1, N1, Q3, U1, KF1, X3\n"}),
        SetupRow("0", Setup(0), {}),
        SetupRow("0 tracking", Setup(0, true), {"INST SAN\n"})};
    for (int type : {1, 24, 31, 67, 69, 70, 71, 81}) rows << SetupRow(QString::number(type), Setup(type, true), {});
    QCOMPARE(CheckRows(rows), QString());

    QVERIFY(FailWriteOf("SENS:AVER:COUN 16\n", [&] { manual74(); }));
    QCOMPARE(manual74(), VI_ERROR_IO);
    QCOMPARE(FakeVisa::writes().size(), 3);
    Setup setup77(77);
    QVERIFY(FailWriteOf("CALC:FILT:AUTO ON\n", [&] { setup77(); }));
    QCOMPARE(setup77(), VI_ERROR_IO);
    QCOMPARE(FakeVisa::writes(), type77.mid(0, 3));
    Setup setup76(76);
    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(setup76(), VI_SUCCESS);  // its set-up statuses do not count
    QCOMPARE(FakeVisa::writes().size(), 4);
  }

  void usbSensorSetupGoesToItsDriver() {
    QVERIFY(FakePwu::load());
    Setup sensor(75, true);
    sensor.ana.PwxxAutoAveraging = 0;
    sensor.ana.PwxxCount = 8;
    QCOMPARE(sensor(), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList());  // its driver handle is no VISA session
    QCOMPARE(FakePwu::transcript(),
             (QStringList{"pwudrv_avg_configureAvgManual 1 1 8", "pwudrv_range_setAutoEnabled 1 1 1"}));
    FakePwu::failNext("pwudrv_avg_configureAvgManual", VI_ERROR_IO);
    QCOMPARE(sensor(), VI_ERROR_IO);
  }

  void perSettingCommands() {
    QList<CmdRow> rows;
    const auto add = [&](std::initializer_list<int> types, const QString &rbw, const QString &vbw, const QString &swt,
                         const QString &span) {
      const auto one = [](const QString &t) { return t.isEmpty() ? QStringList() : QStringList{t}; };
      const auto reads = [](const QString &t) { return t.contains("*OPC?") ? 1 : 0; };
      for (int type : types) {
        const QString n = QString::number(type);
        rows << CmdRow{"rbw " + n, [=] { return AnaSetRbw(kS, type, 1000); }, one(rbw), reads(rbw)}
             << CmdRow{"vbw " + n, [=] { return AnaSetVbw(kS, type, 3000, false); }, one(vbw), reads(vbw)}
             << CmdRow{"swt " + n, [=] { return AnaSetSwt(kS, type, 100); }, one(swt), reads(swt)}
             << CmdRow{"span " + n, [=] { return AnaSetSpan(kS, type, 1e6); }, one(span), reads(span)};
      }
    };
    add({32, 37}, "B:R 1000\n", "B:V 3000\n", "SW:T 0.1\n", "SP 1000000.0\n");
    add({33, 36, 40, 42, 46, 66, 68}, "BAND:RES 1000.0;*OPC?\n", "BAND:VID 3000.0;*OPC?\n", "SWE:TIME 0.1;*OPC?\n",
        "FREQ:SPAN 1000000.0;*OPC?\n");
    add({67}, "", "", "SWE:TIME 0.1;*OPC?\n", "FREQ:SPAN 1000000.0;*OPC?\n");
    add({72}, "RB 1000.0\n", "VB 3000.0\n", "SW 0.1\n", "SP 1000000.0\n");
    add({34, 69, 73}, "", "", "", "");
    for (double ms : {1.0, 2.0, 5.0, 500.0, 10000.0})  // the list's milliseconds go out as seconds
      rows << CmdRow{"swt ms", [=] { return AnaSetSwt(kS, 59, ms); },
                     {"SWE:TIME " + QString::number(ms / 1000) + ";*OPC?\n"}, 1};
    const QStringList cont{"INIT:CONT ON\n", "INIT:CONT OFF\n"};
    const QStringList disp{"SYST:DISP:UPD ON\n", "SYST:DISP:UPD OFF\n"};
    const auto contOnOff = [](int type) { return [=] { return AnaContSwp(kS, type, true) | AnaContSwp(kS, type, false); }; };
    const auto dispOnOff = [](int type) { return [=] { return AnaDispUpd(kS, type, true) | AnaDispUpd(kS, type, false); }; };
    for (int type : {33, 36, 40, 42, 46, 49, 52, 66})
      rows << CmdRow{"cont", contOnOff(type), cont, 0} << CmdRow{"disp", dispOnOff(type), disp, 0};
    for (int type : {47, 48, 50, 51, 68})
      rows << CmdRow{"cont", contOnOff(type), cont, 0} << CmdRow{"no disp", dispOnOff(type), {}, 0};
    rows << CmdRow{"cont 72", contOnOff(72), {"SN\n", "SI\n"}, 0} << CmdRow{"disp 72", dispOnOff(72), {}, 0}
         << CmdRow{"disp 67", dispOnOff(67), {"DISP:TRAC ON\n", "DISP:TRAC OFF\n"}, 0}
         << CmdRow{"cont 67", contOnOff(67), {}, 0} << CmdRow{"cont 34", contOnOff(34), {}, 0};
    QCOMPARE(CheckRows(rows), QString());
  }

  void readSweepTime() {
    double seconds = -1.0;
    FakeVisa::reply("2.5E-3\n");
    QCOMPARE(AnaGetSwt(kS, 59, seconds), VI_SUCCESS);
    QCOMPARE(seconds, 0.0025);
    FakeVisa::reply("0.1\n");
    QCOMPARE(AnaGetSwt(kS, 72, seconds), VI_SUCCESS);
    QCOMPARE(seconds, 0.1);
    QCOMPARE(AnaGetSwt(kS, 34, seconds), VI_SUCCESS);
    QCOMPARE(seconds, 0.1);
    QCOMPARE(FakeVisa::writes(), (QStringList{"SWE:TIME?\n", "SW?"}));
  }
};

QTEST_GUILESS_MAIN(AnaCmdTest)
#include "tst_anacmd.moc"
