// The VISA session layer and the instruments' command tables against the
// recording fake VISA, as exact transcripts: resource strings, write, query and
// number reads, the open, local control and close of instruments, every
// generator and analyzer row, the level measurement, and the preparation of all
// instruments before a sweep with the stage codes of its failures. The USB power
// sensor goes through its own fake driver library, never through VISA. Every
// test runs in the C locale and again under a desktop locale with a decimal
// comma, which must change nothing.
#include "support/CmdTranscript.h"
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/SleepRecorder.h"
#include "instruments/AnaCmd.h"
#include "instruments/CmdReply.h"
#include "instruments/GenCmd.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"

#include <QtTest>
#include <clocale>
#include <tuple>

Q_DECLARE_METATYPE(DevStr)

namespace {

// Not 1, so that a sensor call with its session and channel swapped shows.
constexpr ViSession kS = 4;
using Waits = QList<int>;

TypeCall Frq(double hz) { return [=](int t) { return GenSetFrq(kS, t, hz); }; }
TypeCall Lvl(double dbm) { return [=](int t) { return GenSetLvl(kS, t, dbm); }; }
// Succeeds when the reading succeeds with want, or fails leaving the value alone (want 7).
TypeCall Reads(ViStatus (*f)(ViSession, int, double &), double want) {
  return [=](int t) {
    double v = 7.0;
    const ViStatus s = f(kS, t, v);
    return v == want ? s : VI_ERROR_INV_SETUP;
  };
}
TypeCall ChkFrq(double hz, int want) { return [=](int t) { return GenChkFrq(kS, t, hz) == want ? 0 : -1; }; }
TypeCall ChkLvl(double dbm, int want) { return [=](int t) { return GenChkLvl(kS, t, dbm) == want ? 0 : -1; }; }
TypeCall NoNumber(const TypeCall &call) { return [=](int t) { return call(t) == kErrNoNumber ? 0 : -1; }; }
// Switched on, then off.
TypeCall OnOff(ViStatus (*f)(ViSession, int, bool)) { return [=](int t) { return f(kS, t, true) | f(kS, t, false); }; }
TypeCall RefOsc(int external) { return [=](int t) { return SetRefOsc(kS, t, external) | SetRefOsc(kS, t, 0); }; }

// The receiver settings after the set-up go to taken.
TypeCall Setup(bool trackingGenerator = false, const SpxStr &spx = {}, const RcxStr &rcx = {}, int autoAvg = 1,
               RcxStr *taken = nullptr) {
  return [=](int type) {
    DevStr ana;
    // Resolution and count not the defaults.
    std::tie(ana.Session, ana.Type, ana.TrackingGenerator, ana.PwxxAutoAveraging, ana.PwxxResolution, ana.PwxxCount) =
        std::tuple(kS, type, trackingGenerator, autoAvg, 2, 16);
    SpxStr s = spx;
    RcxStr r = rcx;
    const ViStatus status = AnaSetup(ana, s, r);
    if (taken) *taken = r;
    return status;
  };
}
const SpxStr kSlow{0, 0, 0, 0, 0, 0, 0};
const SpxStr kValues{-20.5, 1000, 3000, 100, 0, 0, 1};
RcxStr Detector(int detector) { return {0, 0, detector, 1, true}; }

const QString kZeroSpan =
    "DET RMS\n|UNIT:POW DBM\n|DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n|FREQ:SPAN 0.0;*OPC?\n|BAND:RES:AUTO ON;*OPC?\n|"
    "BAND:VID:AUTO ON;*OPC?\n|SWE:TIME:AUTO ON;*OPC?\n";
const QString kSan = "INST SAN;*OPC?\n|";
const QString kGain = "|INP:GAIN:STAT ON\n|DET SAMP\n";
const QString k77 =
    "INP:NSEL 1\n|AMPL:RANG:AUTO ON\n|CALC:FILT:AUTO ON\n|AMPL:ATT 0.0\n|POW:UNIT DBM\n|AMPL:UNIT DBM\n";
const QString k76 = ":TRG:SOUR EXT\n|:SENS1:FUNC:OFF:ALL1\n|:SENS1 \"POW:REFL\"\n|:UNIT1:POW:REFL RL;*WAI\n";
const QString kReceiver = "H OF\n|A:A ON\n|B:I 0H\n|B:I?\n|SPE ";

constexpr double kHz = 1234567890.0;  // needs all ten digits
constexpr double kDwellS = 0.0259;    // waited as 25 ms
constexpr int kDwell = 25;

// What a measurement gave, in one line that names the type.
QString Outcome(int type, ViStatus status, double level, const QString &sent, const Waits &waits) {
  QStringList ms;
  for (int w : waits) ms << QString::number(w);
  const QString dbm = QString::number(level, 'g', 17);  // exact
  return QString("%1: status %2, %3 dBm, sent %4, waits %5").arg(type).arg(status).arg(dbm, sent, ms.join(','));
}
QString Measured(int type, int fast = 1) {
  SleepRecorder sleeps;
  double level = 99.0;
  const ViStatus status = AnaMeasure(kS, type, kHz, level, kDwellS, 0.01, fast);
  return Outcome(type, status, level, FakeVisa::writes().join('|'), sleeps.waits);
}

const QString kGen1 = "GPIB0::28::INSTR", kGen2 = "GPIB0::19::INSTR", kAna = "GPIB0::20::INSTR";

DevStr Device(int type, int address, double startMHz, double stopMHz, double startDbm, double stopDbm) {
  DevStr dev;
  std::tie(dev.Type, dev.GpibAddress, dev.StartFreq, dev.StopFreq, dev.StartLevel, dev.StopLevel) =
      std::tuple(type, address, startMHz, stopMHz, startDbm, stopDbm);
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

enum Opening { Reset = 1, Idn = 2, SerialLine = 4 };

DevStr Instrument(int type, int interface, int address = 20, int opening = 0) {
  DevStr dev;
  std::tie(dev.Type, dev.Interface, dev.GpibAddress, dev.IpAddress, dev.Reset, dev.QueryIdn) =
      std::tuple(type, interface, address, "192.168.0.7", bool(opening & Reset), bool(opening & Idn));
  if (opening & SerialLine)
    std::tie(dev.SerialPort, dev.Baudrate, dev.DataBits, dev.Parity, dev.StopBits, dev.FlowControl) =
        std::tuple(1, 9600, 7, 2, 20, 3);
  return dev;
}

QStringList Configure(int session) {
  return QStringList({"viSetAttribute %1 VI_ATTR_TMO_VALUE 10000", "viSetBuf %1 3 4000",
                      "viSetAttribute %1 VI_ATTR_WR_BUF_OPER_MODE 1", "viSetAttribute %1 VI_ATTR_RD_BUF_OPER_MODE 1"})
      .replaceInStrings("%1", QString::number(session));
}

DevStr Sensor(ViSession session = 0) {
  DevStr ana = Instrument(75, 4);
  std::tie(ana.ProductId, ana.SerialNo, ana.Session) = std::tuple(0x2f, 1234, session);
  return ana;
}

const QString kInit = "pwudrv_init \"USB::0x1209::0x2f::1234\" 0 ";

// The transcript of an ordinary open of resource as session 1, configured.
QStringList Opened(const QString &resource) {
  return QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"" + resource + "\" 0 5000 -> 1"}) + Configure(1);
}

// Scripts the probe of a radio tester's primary address, whose secondary-address
// queries 1..queries answer "RF_NMeas" ("RF_NSig" at the last when found), and
// returns its transcript up to the open of the address found (30 when none).
QStringList Probe(int queries, bool found) {
  FakeVisa::replyFor("GPIB0::20::0::INSTR", "Tester,1,2\n");
  QStringList lines = {"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB0::20::0::INSTR\" 0 10000 -> 1",
                       "viWrite 1 \"*IDN?\\n\"", "viRead 1 20000 -> \"Tester,1,2\\n\""};
  for (int n = 1; n <= queries; ++n) {
    const QString function = found && n == queries ? "RF_NSig" : "RF_NMeas";
    FakeVisa::replyFor("GPIB0::20::0::INSTR", "\"" + function + "\"\n");
    lines << QString("viWrite 1 \"SYST:REM:ADDR:SEC? %1\\n\"").arg(n)
          << "viRead 1 20000 -> \"\\\"" + function + "\\\"\\n\"";
  }
  return lines << "viWrite 1 \"SYST:GTRM:COMP OFF\\n\"" << "viClose 1" << "viClose 1000"
               << "viOpenDefaultRM -> 1001"
               << QString("viOpen 1001 \"GPIB0::20::%1::INSTR\" 0 0 -> 2").arg(found ? queries : 30);
}

}  // namespace

class CmdSetsTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase_data() {
    QTest::addColumn<QByteArray>("locale");
    QTest::newRow("C") << QByteArray("C");
    QTest::newRow("decimal comma") << QByteArray("de_DE.UTF-8");
  }
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() {
    QFETCH_GLOBAL(QByteArray, locale);
    const bool comma = locale != "C";
    if (!std::setlocale(LC_ALL, locale.constData()) || std::localeconv()->decimal_point[0] != (comma ? ',' : '.'))
      QSKIP("No de_DE.UTF-8 locale (`locale -a`); scripts/setup generates it.");
    QLocale::setDefault(comma ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c());
    FakeVisa::reset();
    FakePwu::reset();
  }

  // Each check sets, reads back and compares, so its rows prove the set and the query of their types.
  void generatorFrequencyAndLevel() {
    const QString f6 = "FREQ 6000000000.0;*OPC?\n|FREQ?\n", l10 = "POW -10;*OPC?\n|POW?\n";
    const QList<CmdRow> rows{
      {{1}, ChkFrq(1234567890.0, 0), "SOUR:RFG:FREQ 1.23456789e+09;*OPC?\n|SOUR:RFG:FREQ?\n", "1234567890\n"},
      {{1}, Frq(1e9), "SOUR:RFG:FREQ 1e+09;*OPC?\n"},
      {{1}, Frq(2.5e6), "SOUR:RFG:FREQ 2.5e+06;*OPC?\n"},  // six digits suffice: printf's exponent form
      {{2, 3}, ChkFrq(2.5e9, 0), "SOUR:GPRF:GEN:RFS:FREQ 2.5e+09;*OPC?\n|SOUR:GPRF:GEN:RFS:FREQ?\n", "2.5E+09\n"},
      {{4, 11, 18, 24, 26, 27, 30}, ChkFrq(1e9, 0), "FREQ 1000000000.0;*OPC?\n|FREQ?\n", "+1000000000\n"},
      {{24}, Frq(1000000000.25), "FREQ 1000000000.2;*OPC?\n"},  // ties to even, as printf
      {{12, 17, 29}, ChkFrq(1e9, 0), "RF 1000000000.0\n|RF?\n", "RF 1000000000.0\n"},
      {{25, 28}, ChkFrq(1e9, 0), "SOUR2:FREQ 1000000000.0;*OPC?\n|SOUR2:FREQ?\n", "1e9\n"},
      {{0, 31, 32, 59, 75, 81}, Frq(1e9), ""},
      {{0, 31, 32, 59, 75, 81}, Reads(GenGetFrq, 7.0), ""},
      {{24}, ChkFrq(6e9, -1), f6, "6000000001.0\n"},
      {{24}, ChkFrq(6e9, 0), f6, "5999999999.5\n"},  // half rounds up
      {{24}, ChkFrq(6e9, -1), f6, "5999999999.4\n"},
      {{24}, ChkFrq(40e9, 0), "FREQ 40000000000.0;*OPC?\n|FREQ?\n", "4.0E+10\n"},
      {{24}, ChkFrq(6e9, -1), f6},  // no answer
      {{24}, NoNumber(Reads(GenGetFrq, 7.0)), "FREQ?\n", "ERROR\n"},
      {{24}, NoNumber(Reads(GenGetFrq, 7.0)), "FREQ?\n", "\n"},
      {{12}, NoNumber(Reads(GenGetFrq, 7.0)), "RF?\n", "RF\n"},
      {{12}, NoNumber(Reads(GenGetFrq, 7.0)), "RF?\n", "100000000\n"},
      {{1}, ChkLvl(-10.0, 0), "SOUR:RFG:LEV -10;*OPC?\n|SOUR:RFG:LEV?\n", "-10.0\n"},
      {{2, 3}, ChkLvl(-10.5, 0), "SOUR:GPRF:GEN:RFS:LEV -10.5;*OPC?\n|SOUR:GPRF:GEN:RFS:LEV?\n", "-10.5\n"},
      {{4, 5}, ChkLvl(-10.0, 0), "POW:POW -10;*OPC?\n|POW:POW?\n", "-10\n"},
      {{6, 11, 18, 24, 26, 27, 30}, ChkLvl(-10.0, 0), l10, "-10.0\n"},
      {{24}, Lvl(-100.12345), "POW -100.123;*OPC?\n"},
      {{12, 17, 29}, ChkLvl(-12.5, 0), "L -12.5;*OPC?\n|L?\n", "-12.5\n"},
      {{25, 28}, ChkLvl(-12.5, 0), "SOUR2:POW -12.5;*OPC?\n|SOUR2:POW?\n", "-12.5\n"},
      {{33, 40, 46, 57, 58, 59, 60, 65}, ChkLvl(-10.0, 0), "SOUR:POW -10dBm;*OPC?\n|SOUR:POW?\n", "-10\n"},
      {{53}, Lvl(-7.25), "SOUR:TG:ATT 7.25;*OPC?\n"},  // its attenuation, and no query
      {{53}, Lvl(0.0), "SOUR:TG:ATT 0;*OPC?\n"},
      {{0, 31, 32, 53, 61, 72, 81}, Reads(GenGetLvl, 7.0), ""},
      {{0, 31, 32, 61, 72, 81}, Lvl(-10.0), ""},
      {{24}, ChkLvl(-10.0, 0), l10, "-10.0004\n"},  // within a thousandth
      {{24}, ChkLvl(-10.0, -1), l10, "-10.002\n"},
      {{24}, ChkLvl(-10.0, -1), l10, "\n"},
      {{24}, [](int t) { return GenChkFrq(0, t, 1e9) + GenChkLvl(0, t, -10.0); }, ""},  // not opened: passes
    };
    QCOMPARE(CheckRows(rows), QString());  // the last row leaves the fake as reset
    FakeVisa::failNext("viRead", VI_ERROR_TMO);  // the completion answer of the set
    QCOMPARE(GenChkLvl(kS, 24, -10.0), -1);
    QCOMPARE(FakeVisa::writes().size(), 1);  // no read-back after a failed set
  }

  void generatorOutputAndReference() {
    const QList<CmdRow> rows{
      {{1}, OnOff(GenRfOut), "INIT:RFG\n|ABORT:RFG\n"},
      {{2, 3}, OnOff(GenRfOut), "SOUR:GPRF:GEN:STAT ON;*OPC?\n|SOUR:GPRF:GEN:STAT OFF;*OPC?\n"},
      {{5, 9, 11, 18, 19, 24, 27}, OnOff(GenRfOut), ":OUTP ON\n|:OUTP OFF\n"},
      {{10, 20, 23, 26, 30}, OnOff(GenRfOut), "OUTP1 ON;*OPC?\n|OUTP1 OFF;*OPC?\n"},
      {{12, 13, 14}, OnOff(GenRfOut), "LEV:ON\n|LEV:OFF\n"},
      {{15, 17, 29}, OnOff(GenRfOut), "L:ON\n|L:OFF\n"},
      {{25, 28}, OnOff(GenRfOut), ":OUTP2 ON\n|:OUTP2 OFF\n"},
      {{0, 4, 31, 59}, OnOff(GenRfOut), ""},
      {{5, 11, 18, 24, 26, 27, 30, 33, 36, 40, 42, 47, 48, 52, 53, 54, 56, 58, 62, 65, 66}, RefOsc(1),
       "ROSC:SOUR EXT\n|ROSC:SOUR INT\n"},
      {{24}, RefOsc(2), "ROSC:SOUR EXT\n|ROSC:SOUR INT\n"},
      {{46, 57}, RefOsc(1), "ROSC:SOUR EXT\n|ROSC:SOUR EXT\n|ROSC:SOUR EXT\n|ROSC:SOUR INT\n|"
                            "ROSC:SOUR INT\n|ROSC:SOUR INT\n"},
      {{25, 28}, RefOsc(1), "ROSC:SOUR2 EXT\n|ROSC:SOUR2 INT\n"},
      {{32, 37}, RefOsc(1), "REFE E|REFE I"},
      {{72}, RefOsc(1), "RFE\n|RFI\n"},
      {{1, 2, 3, 4, 12, 29, 31, 34, 45, 49, 55, 63, 67, 68, 69, 70, 71, 73, 75, 80}, RefOsc(1), ""},
    };
    QCOMPARE(CheckRows(rows), QString());
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(GenRfOut(kS, 1, true), VI_ERROR_IO);  // a switch-on that did not go out is reported
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(SetRefOsc(kS, 46, 1), VI_SUCCESS);  // the last of the three counts
  }

  void analyzerSetups() {
    RcxStr taken;
    const QList<CmdRow> rows{
      {{33, 36, 40, 42, 46, 49, 50, 52, 53, 61, 62, 63, 64, 66}, Setup(), kSan + kZeroSpan},
      {{47, 48, 51, 54, 55, 56, 57, 58, 59, 60, 65}, Setup(), kZeroSpan},
      {{59}, Setup(true), "INST NET;*OPC?\n|" + kZeroSpan},
      {{33}, Setup(true), kSan + "INST NET;*OPC?\n|" + kZeroSpan},
      {{66}, Setup(true), kSan + "INST NAN;*OPC?\n|" + kZeroSpan},
      {{53}, Setup(true), kSan + "INST NAN;*OPC?\n|" + QString(kZeroSpan).remove("BAND:VID:AUTO ON;*OPC?\n|")},
      {{68}, Setup(), kSan + QString(kZeroSpan).remove("WIND1:")},
      {{42, 46}, Setup(false, kSlow), kSan + kZeroSpan + kGain},
      {{57}, Setup(false, kSlow), kZeroSpan + kGain},
      {{59}, Setup(false, kSlow), kZeroSpan},
      {{32, 37}, Setup(false, kValues),
       "DET RMS\n|UNIT:POW DBM\n|LE:RE -20.500000\n|SP Z\n|B:R 1000\n|B:V 3000\n|SW:T 0.1\n"},
      {{32}, Setup(), "DET RMS\n|UNIT:POW DBM\n|LE:RE 0.000000\n|SP Z\n"},
      {{72}, Setup(false, kValues), "AUNITS DBM\n|RL -20.500\n|SP 0.0\n|RB 1000.0\n|VB 3000.0\n|SW 0.1\n"},
      {{72}, Setup(), "AUNITS DBM\n|RL 0.000\n|SP 0.0\n|BA\n|VA\n|AS\n"},
      {{34, 39}, Setup(false, {}, Detector(1)), kReceiver + "20,ON\n|DET P\n", "0\n"},
      {{38, 44}, Setup(false, {}, Detector(1)), kReceiver + "25,ON\n|DET P\n", "0\n"},
      {{35, 43, 45}, Setup(false, {}, Detector(1)), kReceiver + "20,ON\n|DET PEAK\n", "0\n"},
      {{34, 45}, Setup(false, {}, Detector(0)), kReceiver + "20,ON\n|DET A\n", "0\n"},
      {{39, 45}, Setup(false, {}, Detector(2)), kReceiver + "20,ON\n|DET Q\n", "0\n"},
      {{41}, Setup(), "H OF\n|A:A ON\n|SPE 20,ON\n"},  // no IF bandwidth, no detector
      {{34}, Setup(false, {}, {10, 120000, 1, 0, false}, 1, &taken),
       "H OF\n|A 10\n|A?\n|B:I 120000H\n|B:I?\n|SPE 20,OFF\n|DET P\n", "12\n|100000\n"},
      {{73}, Setup(),
       "UNIT:POW DBM\n|SENS:FUNC \"POW:AVG\"\n|SENS:AVER:COUN:AUTO ON\n|SENS:AVER:COUN:AUTO:TYPE RES\n|"
       "SENS:AVER:COUN:AUTO:RES 2\n|SENS:AVER:TCON REP\n|INIT:CONT OFF\n"},
      {{74}, Setup(false, {}, {}, 0),
       "UNIT:POW DBM\n|SENS:FUNC \"POW:AVG\"\n|SENS:AVER:COUN 16\n|SENS:AVER:COUN:AUTO OFF\n|"
       "SENS:AVER:TCON REP\n|INIT:CONT OFF\n"},
      {{76}, Setup(), k76},
      {{77}, Setup(), k77},
      {{78, 80}, Setup(), "C1, W8, N1, Q3, U1, KF1, X3\n"},
      {{79}, Setup(), "C1, N1, Q3, U1, KF1, X3\n"},
      {{0}, Setup(), ""},
      {{0}, Setup(true), "INST SAN\n"},
      {{1, 24, 31, 67, 69, 70, 71, 81}, Setup(true), ""},
    };
    QCOMPARE(CheckRows(rows), QString());
    QCOMPARE(qMakePair(taken.RecAttenuation, taken.RecIbw), qMakePair(12, 100000));  // what the receiver took
  }

  // A setting the receiver refuses, an answer without a number, then which
  // failed write ends an analyzer's set-up and which status it reports.
  void analyzerSetupFailures() {
    QCOMPARE(AnaSetDet(kS, 34, -1) | AnaSetDet(kS, 35, 3), kErrBadSetting);
    QCOMPARE(AnaSetDet(kS, 59, 1), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList());
    const TypeCall setup = Setup();
    FakeVisa::reply("N/A\n");
    QCOMPARE(setup(34), kErrNoNumber);  // the bandwidth answer holds no number

    const struct { int type; const char *failing; ViStatus failure, status; QString sent; } rows[] = {
        {59, "DET RMS\n", VI_ERROR_TMO, VI_SUCCESS,
         "DET RMS\n|BAND:RES:AUTO ON;*OPC?\n|BAND:VID:AUTO ON;*OPC?\n|SWE:TIME:AUTO ON;*OPC?\n"},
        {59, "DISP:WIND1:TRAC:Y:RLEV 0.000;*OPC?\n", VI_ERROR_IO, VI_SUCCESS,
         QString(kZeroSpan).remove("FREQ:SPAN 0.0;*OPC?\n|")},
        {59, "BAND:RES:AUTO ON;*OPC?\n", VI_ERROR_IO, VI_SUCCESS, kZeroSpan},  // bandwidth failures are not reported
        {59, "SWE:TIME:AUTO ON;*OPC?\n", VI_ERROR_TMO, VI_ERROR_TMO, kZeroSpan},  // the sweep time's status counts
        {34, "H OF\n", VI_ERROR_TMO, VI_ERROR_TMO, "H OF\n"},  // the first failure ends a receiver's set-up
        {77, "CALC:FILT:AUTO ON\n", VI_ERROR_IO, VI_ERROR_IO, k77.section('|', 0, 2)},
        {76, ":TRG:SOUR EXT\n", VI_ERROR_IO, VI_SUCCESS, k76},  // its set-up statuses do not count
    };
    for (const auto &row : rows) {
      QVERIFY(FailWriteOf(row.failing, [&] { setup(row.type); }, row.failure));
      const ViStatus status = setup(row.type);
      QCOMPARE(QString("%1 %2: %3").arg(row.type).arg(status).arg(FakeVisa::writes().join('|')),
               QString("%1 %2: %3").arg(row.type).arg(row.status).arg(row.sent));
    }
  }

  // The set-ups above send the reference levels and the automatic and zero settings.
  void analyzerSettings() {
    const auto rbw = [](int t) { return AnaSetRbw(kS, t, 1000); };
    const auto vbw = [](int t) { return AnaSetVbw(kS, t, 3000, false); };
    const auto span = [](int t) { return AnaSetSpan(kS, t, 1e6); };
    const auto swt = [](double ms) { return [=](int t) { return AnaSetSwt(kS, t, ms); }; };
    const auto all = [=](int t) { return AnaSetRefLvl(kS, t, -10.5) | rbw(t) | vbw(t) | span(t) | swt(100)(t); };
    const QList<int> scpi{33, 36, 40, 42, 46, 66, 68};
    const QList<CmdRow> rows{
      {scpi, rbw, "BAND:RES 1000.0;*OPC?\n"},
      {scpi, vbw, "BAND:VID 3000.0;*OPC?\n"},
      {{32, 37}, span, "SP 1000000.0\n"},
      {scpi, span, "FREQ:SPAN 1000000.0;*OPC?\n"},
      {scpi, swt(100), "SWE:TIME 0.1;*OPC?\n"},
      {{34, 69, 73}, all, ""},
      {{67}, all, "FREQ:SPAN 1000000.0;*OPC?\n|SWE:TIME 0.1;*OPC?\n"},
      {{59}, swt(1), "SWE:TIME 0.001;*OPC?\n"},  // the list's milliseconds go out as seconds
      {{59}, swt(10000), "SWE:TIME 10;*OPC?\n"},
      {{72}, swt(2), "SW 0.002\n"},
      {{33, 59, 67}, Reads(AnaGetSwt, 0.0025), "SWE:TIME?\n", "2.5E-3\n"},
      {{72}, Reads(AnaGetSwt, 0.1), "SW?", "0.1\n"},
      {{34}, Reads(AnaGetSwt, 7.0), ""},
      {{33, 36, 40, 42, 46, 47, 48, 49, 50, 51, 52, 66, 68}, OnOff(AnaContSwp), "INIT:CONT ON\n|INIT:CONT OFF\n"},
      {{72}, OnOff(AnaContSwp), "SN\n|SI\n"},
      {{34, 67}, OnOff(AnaContSwp), ""},
      {{33, 36, 40, 42, 46, 49, 52, 66}, OnOff(AnaDispUpd), "SYST:DISP:UPD ON\n|SYST:DISP:UPD OFF\n"},
      {{67}, OnOff(AnaDispUpd), "DISP:TRAC ON\n|DISP:TRAC OFF\n"},
      {{34, 47, 48, 50, 51, 68, 72}, OnOff(AnaDispUpd), ""},
    };
    QCOMPARE(CheckRows(rows), QString());
  }

  // Every type's conversation for one level, the status polls finding their
  // bit at the second read; then a reply without a number, no reply (nor the
  // status bit awaited: the dwell, then pauses until the I/O timeout, and no
  // level asked for), and a failed write or status poll. A failed tuning has
  // no dwell, except where the table waits before it looks at the status.
  // Dwells are waited in whole milliseconds.
  void levels() {
    const QString zeroSpan = "FREQ:CENT 1234567890.0;*OPC?\n|INIT;*OPC?\n|";
    const QString marker = zeroSpan + "CALC:MARK1:X 0.0100;*OPC?\n|CALC:MARK1:Y?\n";
    const QString center = "FREQ:CENT 1234567890.0;*OPC?\n|MARK:CENT 1234567890.0;*OPC?\n|MARK:LEV?\n";
    const QString receiverA = "F:C 1.23456789e+09;*WAI\n|MA:PE;MA?;*WAI\n";
    const QString receiverB = "FR 1.23456789e+09;*WAI\n|LE?;*WAI\n";
    const QString power = "POW:FREQ:CENT 1234567890.000000;*OPC?\n|CONF:SUB:POW IVAL,0,100;*OPC?\n|READ:ARR:POW?\n";
    const QString gprf = "CONF:GPRF:MEAS:RFS:FREQ 1234567890.000000;*WAI|READ:GPRF:MEAS:POW:RMS:CURR?\n";
    const QString sweep = "CF 1234567890.0;*WAI\n|SI\n|OPR8\n|*CLS\n|MLN ON\n|SI\n", twoLetter = sweep + "|PS\n|MFL?\n";
    const QString triggered = "FREQ 1234567890.000000\n|TRIG:IMM\n|READ1?\n";
    const QString fetch = "FREQ 1234567890.000000\n|INIT;*OPC?\n|FETC?\n";
    const QString corrected = "INP:NSEL 1\n|SENS:CORR:FREF 1.234568e+03 MHZ\n|MEAS?\n";
    const struct { QList<int> types; int fast; const char *reply; QString sent; double level; Waits waits;
                   ViStatus status = VI_SUCCESS; const char *failing = ""; } rows[] = {
        {{59}, 0, "-23.25\n", zeroSpan + "CALC:MARK:FUNC:SUMM:RMS:RES?\n", -23.25, {kDwell}},
        {{33, 36, 40, 42, 46, 59, 66, 68}, 1, "-40.5\n", marker, -40.5, {kDwell}},
        {{67}, 1, "-17.5\n", center, -17.5, {kDwell}},
        {{32, 37}, 1, "MA 100000000,-31.5\n", receiverA, -31.5, {kDwell}},
        {{32}, 1, "MA 1.0E+08 -31.5\n", receiverA, -31.5, {kDwell}},
        {{34, 35, 38, 39, 41, 43, 44, 45}, 1, "42.7\n", receiverB, 42.7, {kDwell}},
        {{69}, 1, "-10.0,-12.0,-11.0\n", power, -11.0, {}},
        {{69}, 1, "-10.0,INV,-12.0,\n", power, -11.0, {}},  // invalid parts left out of the mean
        {{70, 71}, 1, "0,-23.5\n", gprf, -23.5, {}},
        {{72}, 1, "1000000.0,-23.5\n", twoLetter, -23.5, {kDwell, 1}},
        {{72}, 1, "-30.5 -12\n", twoLetter, -30.5, {kDwell, 1}},  // only a comma brings a second number
        {{73}, 1, "-5.5\n", triggered, -5.5, {30}},
        {{74}, 1, "-6.5\n", fetch, -6.5, {}},
        {{76}, 1, "-7.5\n", ":TRIG;*OPC?\n|:SENS1:DATA?\n", -7.5, {100}},  // status polled every 100 ms
        {{77}, 1, "-20.25\n", corrected, -20.25, {kDwell}},
        {{78, 79, 80}, 1, "-3.5\n", "DF 1.23457e+09\n", -3.5, {kDwell}},
        {{0, 1, 24, 31, 81}, 1, "", "", 0.0, {}},
        {{59}, 1, "INVALID\n", marker, 0.0, {kDwell}, kErrNoNumber},
        {{32}, 1, "MA\n", receiverA, 0.0, {kDwell}, kErrNoNumber},
        {{69}, 1, "INV,NAN\n", power, 0.0, {}, kErrNoNumber},
        {{70}, 1, "0,INV\n", gprf, 0.0, {}, kErrNoNumber},
        {{72}, 1, "ERR\n", twoLetter, 0.0, {kDwell, 1}, kErrNoNumber},
        {{73}, 1, "\n", triggered, 0.0, {30}, kErrNoNumber},
        {{59}, 1, "", marker, 0.0, {kDwell}, VI_ERROR_TMO},
        {{67}, 1, "", center, 0.0, {kDwell}, VI_ERROR_TMO},
        {{34}, 1, "", receiverB, 0.0, {kDwell}, VI_ERROR_TMO},
        {{73}, 1, "", triggered, 0.0, {30}, VI_ERROR_TMO},
        {{74}, 1, "", fetch, 0.0, {}, VI_ERROR_TMO},
        {{77}, 1, "", corrected, 0.0, {kDwell}, VI_ERROR_TMO},
        {{72}, 1, "", sweep, 0.0, Waits{kDwell} + QVector<int>(10000, 1).toList(), VI_ERROR_TMO},
        {{76}, 1, "", ":TRIG;*OPC?\n", 0.0, QVector<int>(100, 100).toList(), VI_ERROR_TMO},
        {{72}, 1, "", sweep, 0.0, {kDwell}, VI_ERROR_IO, "viReadSTB"},
        {{59}, 1, "", "FREQ:CENT 1234567890.0;*OPC?\n", 0.0, {}, VI_ERROR_IO, "viWrite"},
        {{73}, 1, "", "FREQ 1234567890.000000\n", 0.0, {}, VI_ERROR_IO, "viWrite"},
        {{32}, 1, "", "F:C 1.23456789e+09;*WAI\n", 0.0, {kDwell}, VI_ERROR_IO, "viWrite"},
        {{34}, 1, "", "FR 1.23456789e+09;*WAI\n", 0.0, {kDwell}, VI_ERROR_IO, "viWrite"},
        {{78, 80}, 1, "", "DF 1.23457e+09\n", 0.0, {}, VI_ERROR_IO, "viWrite"},
        {{79}, 1, "", "DF 1.23457e+09\n", 0.0, {kDwell}, VI_ERROR_IO, "viWrite"},
    };
    for (const auto &row : rows) {
      for (int type : row.types) {
        FakeVisa::reset();
        if (*row.reply) {
          FakeVisa::statusByte(0);
          FakeVisa::statusByte(type == 76 ? 16 : 128);
          FakeVisa::reply(row.reply);
        }
        if (*row.failing)
          FakeVisa::failNext(row.failing, VI_ERROR_IO);
        QCOMPARE(Measured(type, row.fast), Outcome(type, row.status, row.level, row.sent, row.waits));
      }
    }

    SleepRecorder sleeps;
    double level = 0.0;
    for (double dwell : {0.0, -1.0, 0.0009, 0.5, 2.0}) {
      FakeVisa::reply("1\n");
      AnaMeasure(kS, 78, kHz, level, dwell, 0.0, 1);
    }
    QCOMPARE(sleeps.waits, (Waits{500, 2000}));
  }

  // Each instrument's writes in a full preparation. Then a failed open and a
  // failed write of each stage, in this order, give the codes -1 to -20 and
  // end the preparation. A read-back (the writes without a blank) belongs to
  // the stage before it; the analyzer's first six set-up writes go unreported.
  void preparationAndStageCodes() {
    const QList<std::tuple<ViSession, QString, QStringList>> instruments{
        {1, kGen1, {"POW -10;*OPC?\n", "POW?\n", "POW -20;*OPC?\n", "POW?\n", "FREQ 1000000000.0;*OPC?\n", "FREQ?\n",
                    "FREQ 100000000.0;*OPC?\n", "FREQ?\n", ":OUTP ON\n", "ROSC:SOUR INT\n"}},
        {2, kGen2, {"SOUR2:POW 5;*OPC?\n", "SOUR2:POW?\n", "SOUR2:POW 0;*OPC?\n", "SOUR2:POW?\n",
                    "SOUR2:FREQ 2000000000.0;*OPC?\n", "SOUR2:FREQ?\n", "SOUR2:FREQ 200000000.0;*OPC?\n",
                    "SOUR2:FREQ?\n", ":OUTP2 ON\n", "ROSC:SOUR2 INT\n"}},
        {3, kAna,
         (kZeroSpan + "|INIT:CONT OFF\n|SWE:TIME:AUTO ON;*OPC?\n|SYST:DISP:UPD OFF\n|ROSC:SOUR INT\n").split('|')},
    };
    Bench bench;
    QCOMPARE(bench.run(), 0);
    for (const auto &[session, rsrc, writes] : instruments)
      QCOMPARE(WritesTo(session), writes);
    int code = 0;
    for (const auto &[session, rsrc, writes] : instruments) {
      FakeVisa::reset();
      FakeVisa::failOpen(rsrc);
      QCOMPARE(QString("%1: %2").arg(rsrc).arg(Bench().run()), QString("%1: %2").arg(rsrc).arg(--code));
      const QStringList texts = session == 3 ? writes.mid(6) : writes.filter(" ");
      for (int i = 0; i < texts.size(); ++i) {
        const int occurrence = texts.mid(0, i).count(texts[i]) + 1;
        QVERIFY(FailWriteOf(texts[i], [] { Bench().run(); }, VI_ERROR_IO, session, occurrence));
        QCOMPARE(QString("%1: %2").arg(texts[i]).arg(Bench().run()), QString("%1: %2").arg(texts[i]).arg(--code));
        QCOMPARE(FakeVisa::writes().last(), texts[i]);  // the first failure ends the preparation
      }
    }
  }

  // Without a level sweep only the start level is set; generator 11 above its
  // check range has its levels set without read-back.
  void generatorsSetInPart() {
    Bench bench;
    bench.levelSweep = false;
    QCOMPARE(bench.run(), 0);
    QCOMPARE(WritesTo(1).mid(0, 3).join('|'), "POW -20;*OPC?\n|POW?\n|FREQ 1000000000.0;*OPC?\n");
    QVERIFY(FailWriteOf("POW -10;*OPC?\n", [] { Bench().run(); }, VI_ERROR_IO, 1));  // it would reject the level
    bench = Bench();
    bench.gen1 = Device(11, 28, 50000, 60000, -20, -10);
    FakeVisa::replyFor(kGen1, "60000000000\n");  // only the frequencies are read back
    FakeVisa::replyFor(kGen1, "50000000000\n");
    bench.scriptReadBacks(kGen2, bench.gen2);
    QCOMPARE(bench.init(), 0);
    QCOMPARE(WritesTo(1).mid(0, 4).join('|'), "POW -10;*OPC?\n|POW -20;*OPC?\n|FREQ 60000000000.0;*OPC?\n|FREQ?\n");
  }

  void skippedGeneratorsAndReopenedTesters() {
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
    // Open instruments are kept, radio testers reopened.
    FakeVisa::reset();
    bench = Bench();
    QCOMPARE(bench.run() + bench.run(), 0);
    QCOMPARE(OpensOf(kAna) + OpensOf(kGen1) + OpensOf(kGen2), 3);
    FakeVisa::reset();
    Bench testers;
    std::tie(testers.ana.Type, testers.gen2.Type, testers.gen1.Type) = std::tuple(70, 2, 3);
    QCOMPARE(testers.run(), 0);
    const ViSession firstTester = testers.ana.Session;
    QCOMPARE(testers.run(), 0);
    QCOMPARE(QList<int>({OpensOf(kAna), OpensOf(kGen2), OpensOf(kGen1)}), QList<int>({2, 2, 2}));
    QVERIFY(FakeVisa::transcript().contains("viClose " + QString::number(firstTester)));
    QCOMPARE(FakeVisa::writes().filter("ROUT:GPRF:MEAS:SCEN:SAL").size(), 2);  // routed at every start
    // A radio tester behind a secondary address is probed and reopened at every start as well.
    FakeVisa::reset();
    Bench secondary;
    secondary.gen1.Type = 1;
    for (int start = 0; start < 2; ++start) {
      FakeVisa::replyFor("GPIB0::28::0::INSTR", "Tester,1,2\n");
      FakeVisa::replyFor("GPIB0::28::0::INSTR", "\"RF_NSig\"\n");
      secondary.scriptReadBacks("GPIB0::28::1::INSTR", secondary.gen1);
      secondary.scriptReadBacks(kGen2, secondary.gen2);
      QCOMPARE(secondary.init(), 0);
    }
    QCOMPARE(OpensOf("GPIB0::28::1::INSTR"), 2);
  }

  // The resource strings of GPIB0, LAN and the serial line show in the open transcripts.
  void resourceStrings() {
    const struct { int interface, type; const char *expected; } rows[] = {
        {1, 69, "GPIB1::20::INSTR"}, {1, 1, "GPIB1::20::0::INSTR"}, {4, 75, "USB::0x1209::0x1ab::4711"},
        {4, 40, "USB0::0x0AAD::0x0117::100123::INSTR"},  // kept as entered
        {7, 40, "USB0::0x0AAD::0x0117::100123::INSTR"}};  // an unknown interface changes nothing
    for (const auto &row : rows) {
      DevStr dev = Instrument(row.type, row.interface);
      std::tie(dev.ProductId, dev.SerialNo, dev.VisaResourceString) =
          std::tuple(0x1AB, 4711, "USB0::0x0AAD::0x0117::100123::INSTR");
      MakeRsrc(dev);
      QCOMPARE(dev.VisaResourceString, QString(row.expected));
    }
  }

  // Writes and queries that succeed show in every transcript here; failed
  // exchanges leave the reply and the value alone.
  void failedExchanges() {
    double value = 7.0;
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(VisaQueryNum(2, "FREQ?\n", value), VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viWrite 2 \"FREQ?\\n\" -> VI_ERROR_IO"}));  // and no read
    QString reply = "old";
    int count = 7;
    QCOMPARE(VisaQuery(2, "*IDN?\n", reply), VI_ERROR_TMO);
    QCOMPARE(VisaQueryNum(2, "FREQ?\n", value), VI_ERROR_TMO);
    QCOMPARE(VisaQueryInt(2, "SWE:POIN?\n", count), VI_ERROR_TMO);
    QCOMPARE(QString("%1 %2 %3").arg(reply).arg(value).arg(count), QString("old 7 7"));
    QCOMPARE(VisaReadNum(1, value), VI_ERROR_TMO);
    QCOMPARE(value, 0.0);
    QCOMPARE(FakeVisa::transcript().last(), QString("viRead 1 100 -> VI_ERROR_TMO"));
  }

  // The number at the start of a reply, as a double and as an int, read with a
  // decimal point; replies longer than the buffer.
  void numberReplies() {
    const struct { const char *reply; double number; int integer; } rows[] = {
        {"1.5E+06\n", 1500000.0, 1}, {"", 0.0, 0}, {"OFF\n", 0.0, 0}, {"  -12.25dBm\n", -12.25, -12},
        {"+3e-3\n", 0.003, 3}, {".5\n", 0.5, 0}, {"10,20\n", 10.0, 10}, {"2E\n", 2.0, 2}, {"INF\n", 0.0, 0},
        {"+-5\n", 0.0, 0}, {"1E999\n", 0.0, 1}, {"99999999999\n", 99999999999.0, 0}};
    for (const auto &row : rows) {
      double value = -1.0, read = -1.0;
      int count = -1;
      for (int i = 0; i < 3; ++i)
        FakeVisa::reply(row.reply);
      const ViStatus status = VisaQueryNum(1, "X?\n", value) | VisaQueryInt(1, "X?\n", count) | VisaReadNum(1, read);
      const auto num = [](double v) { return QString::number(v, 'g', 17); };
      QCOMPARE(QString("%1: %2 %3 %4 %5").arg(row.reply).arg(status).arg(num(value)).arg(count).arg(num(read)),
               QString("%1: 0 %2 %3 %2").arg(row.reply, num(row.number)).arg(row.integer));
    }

    // Number reads take 100 bytes, queries 20000; the rest stays queued.
    FakeVisa::reply(QString("1.25,") + QString(200, '9') + "\n");
    double value = 0.0;
    QCOMPARE(VisaQueryNum(1, "TRAC?\n", value), VI_SUCCESS_MAX_CNT);
    QCOMPARE(value, 1.25);
    QCOMPARE(FakeVisa::transcript().last(), "viRead 1 100 -> \"1.25," + QString(95, '9') + "\" VI_SUCCESS_MAX_CNT");
    QString reply;
    QCOMPARE(VisaQuery(1, "X?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString(105, '9') + "\n");

    FakeVisa::reply(QString(20010, 'A'));
    QCOMPARE(VisaQuery(1, "TRAC?\n", reply), VI_SUCCESS_MAX_CNT);
    QCOMPARE(reply, QString(20000, 'A'));
  }

  void openTranscripts_data() {
    QTest::addColumn<DevStr>("dev");
    QTest::addColumn<QString>("failing");  // function whose next call returns failStatus
    QTest::addColumn<int>("failStatus");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("transcript");
    const QString idn = "viRead 1 20000 -> \"Maker,GEN,1,2\\n\"";
    const QString rst = "viWrite 1 \"*RST\\n\"", local = "viGpibControlREN 1 6", gtl = "viWrite 1 \"&GTL\\n\"";
    QTest::newRow("ordinary") << Instrument(24, 0, 28, Reset | Idn) << "" << 0 << 0
                              << Opened("GPIB0::28::INSTR") + QStringList({rst, "viWrite 1 \"*IDN?\\n\"", idn, local});
    QTest::newRow("LAN, no identification") << Instrument(40, 3) << "" << 0 << 0
                                            << Opened("TCPIP::192.168.0.7::INSTR") + QStringList({gtl});
    for (int type : {78, 79, 80})
      QTest::newRow(qPrintable(QString("power meter %1").arg(type)))
          << Instrument(type, 0, 13, Reset | Idn) << "" << 0 << 0
          << Opened("GPIB0::13::INSTR") + QStringList({QString("viWrite 1 \"W%1\\n\"").arg(type == 79 ? 3 : 4),
                                                       "viWrite 1 \"ZV\\n\"", idn, local});
    QTest::newRow("power meter, no identification: stays remote")
        << Instrument(80, 0, 13) << "" << 0 << 0 << Opened("GPIB0::13::INSTR") + QStringList({"viWrite 1 \"W4\\n\""});
    QTest::newRow("power meter 79: mode fails")
        << Instrument(79, 0, 13, Idn) << "viWrite" << VI_ERROR_IO << VI_ERROR_IO
        << Opened("GPIB0::13::INSTR") + QStringList({"viWrite 1 \"W3\\n\" -> VI_ERROR_IO"});
    QTest::newRow("power meter 78: mode failure ignored")
        << Instrument(78, 0, 13) << "viWrite" << VI_ERROR_IO << 0
        << Opened("GPIB0::13::INSTR") + QStringList({"viWrite 1 \"W4\\n\" -> VI_ERROR_IO"});
    QTest::newRow("receiver: terminator first")
        << Instrument(32, 1, 7) << "" << 0 << 0
        << QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB1::7::INSTR\" 0 5000 -> 1",
                        "viWrite 1 \"TER E\\n\""}) + Configure(1) + QStringList({local});
    QTest::newRow("serial, flow control 3 as 4")
        << Instrument(18, 2, 20, SerialLine) << "" << 0 << 0
        << Opened("ASRL2::INSTR") +
               QStringList({"MAX_QUEUE_LENGTH 50", "SEND_END_EN 1", "TMO_VALUE 6000", "TERMCHAR 10", "TERMCHAR_EN 0",
                            "IO_PROT 1", "SUPPRESS_END_EN 0", "ASRL_BAUD 9600", "ASRL_DATA_BITS 7", "ASRL_PARITY 2",
                            "ASRL_STOP_BITS 20", "ASRL_FLOW_CNTRL 4", "ASRL_END_IN 2", "ASRL_END_OUT 0",
                            "ASRL_XON_CHAR 17", "ASRL_XOFF_CHAR 19"})
                   .replaceInStrings(QRegularExpression("^"), "viSetAttribute 1 VI_ATTR_");
    QTest::newRow("serial type on LAN") << Instrument(18, 3, 20, SerialLine) << "" << 0 << 0
                                        << Opened("TCPIP::192.168.0.7::INSTR") + QStringList({gtl});
    QTest::newRow("other type on the serial line")
        << Instrument(24, 2, 20, SerialLine) << "" << 0 << 0 << Opened("ASRL2::INSTR");
    QTest::newRow("open fails: not configured")
        << Instrument(24, 0, 20, Reset) << "viOpen" << VI_ERROR_RSRC_NFOUND << VI_ERROR_RSRC_NFOUND
        << QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB0::20::INSTR\" 0 5000 -> VI_ERROR_RSRC_NFOUND",
                        "viClose 1000"});
    QTest::newRow("open warning counts as success")
        << Instrument(24, 0) << "viOpen" << VI_WARN_CONFIG_NLOADED << 0
        << Opened("GPIB0::20::INSTR").replaceInStrings(QRegularExpression("-> 1$"), "-> 1 VI_WARN_CONFIG_NLOADED") +
               QStringList({local});
    QTest::newRow("radio tester on the serial line: open fails")
        << Instrument(1, 2) << "viOpen" << VI_ERROR_RSRC_NFOUND << VI_ERROR_RSRC_NFOUND
        << QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"ASRL1::0::INSTR\" 0 10000 -> VI_ERROR_RSRC_NFOUND",
                        "viClose 1000"});
    QTest::newRow("configuration stops at first failure")
        << Instrument(24, 0) << "viSetBuf" << VI_ERROR_IO << VI_ERROR_IO
        << Opened("GPIB0::20::INSTR").mid(0, 4).replaceInStrings("4000", "4000 -> VI_ERROR_IO");
    QTest::newRow("failed reset skips identification")
        << Instrument(24, 0, 20, Reset | Idn) << "viWrite" << VI_ERROR_TMO << VI_ERROR_TMO
        << Opened("GPIB0::20::INSTR") + QStringList({"viWrite 1 \"*RST\\n\" -> VI_ERROR_TMO", local});
  }

  void openTranscripts() {
    QFETCH(DevStr, dev);
    QFETCH(QString, failing);
    QFETCH(int, failStatus);
    QFETCH(int, status);
    QFETCH(QStringList, transcript);
    if (!failing.isEmpty())
      FakeVisa::failNext(failing, failStatus);
    FakeVisa::reply("Maker,GEN,1,2\n");
    dev.Idn = "old";
    QCOMPARE(DevOpen(dev), status);
    QCOMPARE(dev.Idn, transcript.join('\n').contains("Maker") ? QString("Maker,GEN,1,2\n") : QString("old"));
    // The close then asks the session for its manager; the session number stays.
    const bool opened = !(status < 0 && failing == "viOpen");
    QCOMPARE(DevClose(dev), VI_SUCCESS);
    QCOMPARE(dev.Session, opened ? 1u : 0u);
    const QStringList close = {"viGetAttribute 1 VI_ATTR_RM_SESSION -> 1000", "viClose 1", "viClose 1000"};
    QCOMPARE(FakeVisa::transcript(), transcript + (opened ? close : QStringList()));
  }

  // A radio tester found at secondary address 7 or opened at 30 is configured
  // twice and reset twice: as a whole by DevOpenSec (the writes of whole),
  // then as every instrument by DevOpen (single). Then its routing, and the
  // failures of its open.
  void radioTesters() {
    const struct { int type, rfPort, opening, queries; bool found; QString resource;
                   QStringList whole, single; } opens[] = {
        {1, 1, Reset, 7, true, "GPIB0::20::0::INSTR",
         {"viWrite 2 \"*RST;*OPC?\\n\"", "viRead 2 20000 -> \"1\\n\"", "viWrite 2 \"*CLS\\n\"",
          "viWrite 2 \"OUTP RF2\\n\""},
         {"viWrite 2 \"*RST\\n\""}},
        {69, 2, 0, 29, false, "GPIB0::20::INSTR", {"viWrite 2 \"*CLS\\n\"", "viWrite 2 \"INP RF4\\n\""}, {}}};
    for (const auto &row : opens) {
      FakeVisa::reset();
      const QStringList transcript = Probe(row.queries, row.found) + Configure(2) + row.whole + Configure(2) +
                                     row.single + QStringList({"viGpibControlREN 2 6"});
      DevStr dev = Instrument(row.type, 0, 20, row.opening);
      dev.RfPort = row.rfPort;
      QCOMPARE(DevOpen(dev), VI_SUCCESS);
      QCOMPARE(QStringList({dev.VisaResourceString, dev.Idn}), QStringList({row.resource, "Tester,1,2\n"}));
      QCOMPARE(dev.Session, 2u);
      QCOMPARE(FakeVisa::transcript(), transcript);
    }

    const auto generator = [](const QString &unit, const QString &route) {
      return QStringList({"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n", "SOUR:GPRF:GEN:LIST OFF\n", "SOUR:GPRF:GEN:BBM CW\n",
                          "ROUT:GPRF:GEN" + unit + ":SCEN:SAL " + route + "\n",
                          "SOUR:GPRF:GEN" + unit + ":STAT ON;*OPC?\n"});
    };
    // The routing of every tester type; a failed step ends the open, an
    // unknown connector is refused before any routing.
    const struct { int type, rfPort, rtcNo; const char *failing; ViStatus status; QStringList writes; } rows[] = {
        {2, 1, 1, "", VI_SUCCESS, generator("1", "RF1O, TX1")},
        {2, 3, 1, "", VI_SUCCESS, generator("2", "RF3C, TX2")},
        {3, 1, 1, "", VI_SUCCESS, generator("", "R111,TX11")},
        {3, 0, 2, "", VI_SUCCESS, generator("", "R210,TX21")},  // unit 2 on AUX
        {70, 2, 1, "", VI_SUCCESS, {"*CLS\n", "ROUT:GPRF:MEAS:SCEN:SAL RF3C, RX2\n"}},
        {71, 3, 2, "", VI_SUCCESS, {"ROUT:GPRF:MEAS:SCEN:SAL R24, RX2\n"}},
        {2, 1, 1, "SOUR:GPRF:GEN:STAT OFF\n", VI_ERROR_TMO, {"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n"}},
        {2, 6, 1, "", VI_ERROR_INV_SETUP, generator("1", "").mid(0, 4)}};
    for (const auto &row : rows) {
      DevStr dev = Instrument(row.type, 0);
      std::tie(dev.RfPort, dev.RtcNo) = std::tuple(row.rfPort, row.rtcNo);
      FakeVisa::reset();
      if (*row.failing)
        QVERIFY(FailWriteOf(row.failing, [dev]() mutable { DevOpen(dev); }, VI_ERROR_TMO));
      QCOMPARE(DevOpen(dev), row.status);
      QCOMPARE(FakeVisa::writes(), row.writes);
      if (row.status == VI_SUCCESS)
        QCOMPARE(FakeVisa::transcript().last(), QString("viGpibControlREN 1 6"));
    }

    // A failure after the probe reports 1, and the session is not configured again.
    FakeVisa::reset();
    FakeVisa::reply("id\n");
    FakeVisa::failOpen("GPIB0::20::30::INSTR", VI_ERROR_RSRC_NFOUND);
    DevStr gen = Instrument(1, 0);
    QCOMPARE(DevOpen(gen), 1);
    QCOMPARE(FakeVisa::transcript().mid(FakeVisa::transcript().size() - 2),
             QStringList({"viOpen 1001 \"GPIB0::20::30::INSTR\" 0 0 -> VI_ERROR_RSRC_NFOUND", "viClose 1001"}));

    // Other interfaces have no secondary addresses.
    gen = Instrument(1, 3);
    QVERIFY(DevOpenSec(gen) < 0);
  }

  // "None" and "External" are never opened or addressed, even with a stale
  // session; a device never opened is not closed. Then a failed close, and
  // local control: GPIB, LAN and the serial line as the last step of the open
  // transcripts above.
  void localAndClose() {
    for (int type : {0, 31}) {
      DevStr gen2 = Instrument(type, 0, 20, Reset | Idn);
      gen2.Session = 5;
      QVERIFY(DevOpen(gen2) == VI_SUCCESS && DevLocal(gen2) == VI_SUCCESS && DevClose(gen2) == VI_SUCCESS);
    }
    DevStr never = Instrument(24, 0);
    QCOMPARE(DevClose(never), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList());

    DevStr gen = Instrument(24, 0);
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    FakeVisa::failNext("viClose", VI_ERROR_INV_OBJECT);
    QCOMPARE(DevClose(gen), VI_ERROR_INV_OBJECT);
    QCOMPARE(FakeVisa::transcript().last(), QString("viClose 1 -> VI_ERROR_INV_OBJECT"));

    const struct { int type; const char *resource; ViStatus status; QStringList calls; } rows[] = {
        {24, "GPIB1::4::INSTR", VI_ERROR_IO, {"viGpibControlREN 3 6 -> VI_ERROR_IO"}},
        {24, "USB::0x1234::0x1::1::INSTR", 0, {}},
        {24, "tcpip::10.0.0.1::INSTR", 0, {}},  // case-sensitive
        {75, "GPIB0::1::INSTR", 0, {}}};       // a sensor handle
    for (const auto &row : rows) {
      FakeVisa::reset();
      DevStr dev = Instrument(row.type, 0);
      std::tie(dev.Session, dev.VisaResourceString) = std::tuple(3, row.resource);
      FakeVisa::failNext("viGpibControlREN", row.status);
      QCOMPARE(DevLocal(dev), row.status);
      QCOMPARE(FakeVisa::transcript(), row.calls);
    }
  }

  // Before the sensor driver is loaded in this process; the open test loads it.
  void sensorDriverMissingOrIncomplete() {
    QVERIFY(!PwuLoad(FakePwu::folder() + "no-such-folder/") && !PwuLoad(FakePwu::incompleteFolder()));
    QCOMPARE(PwuLibraryPath(), QString());
    DevStr ana = Sensor();
    QCOMPARE(DevOpen(ana), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(Measured(75), Outcome(75, VI_ERROR_LIBRARY_NFOUND, 0.0, "", {}));
  }
  // The sensor always opens through its USB form, identifies every time, and
  // a second open closes the first session.
  void sensorOpenAndClose() {
    QVERIFY(FakePwu::load());
    DevStr ana = Sensor();
    std::tie(ana.Interface, ana.Reset) = std::tuple(0, true);
    FakePwu::setRevision("1.2.3");
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(ana.Idn, QString("Kestrova PWUx, 1.2.3"));
    ana.Reset = false;
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(ana.Session, 2u);
    QCOMPARE(FakePwu::transcript(), QStringList({kInit + "1 -> 1", "pwudrv_revision_query 1 -> \"1.2.3\"",
                                                 "pwudrv_close 1", kInit + "0 -> 2",
                                                 "pwudrv_revision_query 2 -> \"1.2.3\""}));

    ana = Sensor();
    ana.Idn = "old";
    FakePwu::failNext("pwudrv_init", -1074001);
    QCOMPARE(DevOpen(ana), -1074001);
    QCOMPARE(ana.Session, 0u);
    FakePwu::failNext("pwudrv_revision_query", -5);
    QCOMPARE(DevOpen(ana), -5);
    QCOMPARE(ana.Idn, QString("old"));
    FakePwu::failNext("pwudrv_init", 3);  // a warning opens the sensor
    QCOMPARE(DevOpen(ana), VI_SUCCESS);

    FakePwu::reset();
    ana = Sensor();
    QCOMPARE(DevClose(ana), VI_SUCCESS);  // nothing open
    ana.Session = 3;
    FakePwu::failNext("pwudrv_close", 1);  // a warning is no failure
    QCOMPARE(DevClose(ana), VI_SUCCESS);
    FakePwu::failNext("pwudrv_close", -2);
    QCOMPARE(DevClose(ana), -2);
    QCOMPARE(FakePwu::transcript(), QStringList({"pwudrv_close 3 -> 1", "pwudrv_close 3 -> -2"}));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  // The set-up first; a tracking generator asked of the sensor changes nothing.
  // No power has no level: the run must report a failed measurement rather
  // than draw or save minus infinity.
  void sensorSetupReadingsAndFailures() {
    QCOMPARE(Setup(true)(75), VI_SUCCESS);
    QCOMPARE(Setup(true, {}, {}, 0)(75), VI_SUCCESS);
    FakePwu::failNext("pwudrv_avg_configureAvgManual", -7);
    QCOMPARE(Setup(true, {}, {}, 0)(75), -7);
    QCOMPARE(FakePwu::transcript(),
             QStringList({"pwudrv_avg_configureAvgAuto 4 1 2", "pwudrv_range_setAutoEnabled 4 1 1",
                          "pwudrv_avg_configureAvgManual 4 1 16", "pwudrv_range_setAutoEnabled 4 1 1",
                          "pwudrv_avg_configureAvgManual 4 1 16 -> -7"}));

    const struct { double watts; const char *logged; ViStatus status; double dbm; } rows[] = {
        {0.001, "0.001", 0, 0.0}, {0.000001, "0.000001", 0, -30.0}, {2.0, "2", 0, 33.010299956639813},
        {0.0, "0", kPwuNoReading, 0.0}, {-0.000001, "-0.000001", kPwuNoReading, 0.0}};
    for (const auto &row : rows) {
      FakePwu::reset();
      FakePwu::reading(row.watts);
      QCOMPARE(Measured(75), Outcome(75, row.status, row.dbm, "", {kDwell}));
      const QString read = QString("pwudrv_meass_readMeasurement 4 1 10000 -> ") + row.logged;
      QCOMPARE(FakePwu::transcript(), QStringList({"pwudrv_chan_setCorrectionFrequency 4 1 1234567890", read}));
    }

    FakePwu::failNext("pwudrv_chan_setCorrectionFrequency", -3);
    QCOMPARE(Measured(75), Outcome(75, -3, 0.0, "", {}));  // no dwell
    FakePwu::readingFails(-4);
    QCOMPARE(Measured(75), Outcome(75, -4, 0.0, "", {kDwell}));
    FakePwu::reading(0.01);
    FakePwu::failNext("pwudrv_meass_readMeasurement", 2);  // a warning keeps the reading
    QCOMPARE(Measured(75), Outcome(75, VI_SUCCESS, 10.0, "", {kDwell}));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }
};

QTEST_GUILESS_MAIN(CmdSetsTest)
#include "tst_cmdsets.moc"
