// The level measurement of every analyzer class against the recording fake
// VISA: the exchanges, the replies parsed, the dwell waited where it belongs
// and the failures passed up.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/SleepRecorder.h"
#include "instruments/CmdReply.h"
#include "instruments/Measure.h"

#include <QtTest>

namespace {

constexpr ViSession kS = 1;
constexpr double kHz = 100e6;
constexpr double kDwellS = 0.0259;  // waited as 25 ms
constexpr int kDwell = 25;

struct Reading {
  ViStatus status;
  double level;
};

Reading measure(int type, int fast = 1, double hz = kHz) {
  double level = 99.0;
  const ViStatus status = AnaMeasure(kS, type, hz, level, kDwellS, 0.01, fast);
  return {status, level};
}

using Waits = QList<int>;

}  // namespace

class MeasureTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void levels_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("fast");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<double>("level");
    QTest::addColumn<Waits>("waits");
    const QStringList zeroSpan{"FREQ:CENT 100000000.0;*OPC?\n", "INIT;*OPC?\n"};
    QTest::newRow("59 slow: RMS over the trace")
        << 59 << 0 << "-23.25\n" << zeroSpan + QStringList{"CALC:MARK:FUNC:SUMM:RMS:RES?\n"} << -23.25 << Waits{kDwell};
    for (int type : {33, 36, 40, 42, 46, 59, 66, 68})
      QTest::newRow(qPrintable(QString::number(type) + " fast: marker at the marker position"))
          << type << 1 << "-40.5\n" << zeroSpan + QStringList{"CALC:MARK1:X 0.0100;*OPC?\n", "CALC:MARK1:Y?\n"} << -40.5
          << Waits{kDwell};
    QTest::newRow("67") << 67 << 1 << "-17.5\n"
                        << QStringList{"FREQ:CENT 100000000.0;*OPC?\n", "MARK:CENT 100000000.0;*OPC?\n", "MARK:LEV?\n"}
                        << -17.5 << Waits{kDwell};
    for (int type : {32, 37})
      QTest::newRow(qPrintable(QString::number(type))) << type << 1 << "MA 100000000,-31.5\n"
                                                       << QStringList{"F:C 1e+08;*WAI\n", "MA:PE;MA?;*WAI\n"} << -31.5
                                                       << Waits{kDwell};
    QTest::newRow("32 blank separator") << 32 << 1 << "MA 1.0E+08 -31.5\n"
                                        << QStringList{"F:C 1e+08;*WAI\n", "MA:PE;MA?;*WAI\n"} << -31.5 << Waits{kDwell};
    for (int type : {34, 35, 38, 39, 41, 43, 44, 45})
      QTest::newRow(qPrintable(QString::number(type)))
          << type << 1 << "42.7\n" << QStringList{"FR 1e+08;*WAI\n", "LE?;*WAI\n"} << 42.7 << Waits{kDwell};
    const QStringList powerList{"POW:FREQ:CENT 100000000.000000;*OPC?\n", "CONF:SUB:POW IVAL,0,100;*OPC?\n",
                                "READ:ARR:POW?\n"};
    QTest::newRow("69 mean") << 69 << 1 << "-10.0,-12.0,-11.0\n" << powerList << -11.0 << Waits{};
    QTest::newRow("69 invalid parts left out") << 69 << 1 << "-10.0,INV,-12.0,\n" << powerList << -11.0 << Waits{};
    for (int type : {70, 71})
      QTest::newRow(qPrintable(QString::number(type)))
          << type << 1 << "0,-23.5\n"
          << QStringList{"CONF:GPRF:MEAS:RFS:FREQ 100000000.000000;*WAI", "READ:GPRF:MEAS:POW:RMS:CURR?\n"} << -23.5
          << Waits{};
    const QStringList twoLetter{"CF 100000000.0;*WAI\n", "SI\n", "OPR8\n", "*CLS\n", "MLN ON\n", "SI\n", "PS\n", "MFL?\n"};
    QTest::newRow("72") << 72 << 1 << "1000000.0,-23.5\n" << twoLetter << -23.5 << Waits{kDwell, 1};
    QTest::newRow("72 one number") << 72 << 1 << "-30.5\n" << twoLetter << -30.5 << Waits{kDwell, 1};
    QTest::newRow("73 fixed settling") << 73 << 1 << "-5.5\n"
                                       << QStringList{"FREQ 100000000.000000\n", "TRIG:IMM\n", "READ1?\n"} << -5.5
                                       << Waits{30};
    QTest::newRow("74") << 74 << 1 << "-6.5\n" << QStringList{"FREQ 100000000.000000\n", "INIT;*OPC?\n", "FETC?\n"}
                        << -6.5 << Waits{};
    QTest::newRow("76 polled every 100 ms") << 76 << 1 << "-7.5\n" << QStringList{":TRIG;*OPC?\n", ":SENS1:DATA?\n"}
                                            << -7.5 << Waits{100};
    QTest::newRow("77") << 77 << 1 << "-20.25\n"
                        << QStringList{"INP:NSEL 1\n", "SENS:CORR:FREF 1.000000e+02 MHZ\n", "MEAS?\n"} << -20.25
                        << Waits{kDwell};
    for (int type : {78, 79, 80})
      QTest::newRow(qPrintable(QString::number(type)))
          << type << 1 << "-3.5\n" << QStringList{"DF 1e+08\n"} << -3.5 << Waits{kDwell};
    for (int type : {0, 1, 24, 31, 81})
      QTest::newRow(qPrintable(QString::number(type) + " none")) << type << 1 << "" << QStringList() << 0.0 << Waits{};
  }
  void levels() {
    QFETCH(int, type);
    QFETCH(int, fast);
    QFETCH(QString, reply);
    QFETCH(QStringList, sent);
    QFETCH(double, level);
    QFETCH(Waits, waits);
    SleepRecorder sleeps;
    FakeVisa::statusByte(0);  // the status polls find their bit at the second read
    FakeVisa::statusByte(type == 76 ? 16 : 128);
    FakeVisa::reply(reply);
    const Reading r = measure(type, fast);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, level);
    QCOMPARE(FakeVisa::writes(), sent);
    QCOMPARE(sleeps.waits, waits);
  }

  void tuningToTheHertz() {
    FakeVisa::reply("-1\n");
    measure(34, 1, 1234567890.0);
    FakeVisa::reply("MA 1234567890,-1\n");
    measure(32, 1, 1234567890.0);
    QCOMPARE(FakeVisa::writes().filter("1.23456789e+09;*WAI\n").size(), 2);
  }

  void repliesWithoutLevel_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("reply");
    QTest::newRow("59") << 59 << "INVALID\n";
    QTest::newRow("32 word only") << 32 << "MA\n";
    QTest::newRow("69 nothing valid") << 69 << "INV,NAN\n";
    QTest::newRow("70 invalid level") << 70 << "0,INV\n";
    QTest::newRow("72") << 72 << "ERR\n";
    QTest::newRow("73") << 73 << "\n";
  }
  void repliesWithoutLevel() {
    QFETCH(int, type);
    QFETCH(QString, reply);
    SleepRecorder sleeps;
    FakeVisa::statusByte(128);
    FakeVisa::reply(reply);
    const Reading r = measure(type);
    QCOMPARE(r.status, kErrNoNumber);
    QCOMPARE(r.level, 0.0);
  }

  void failuresArePassedUp() {
    SleepRecorder sleeps;
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    const Reading r = measure(59);
    QCOMPARE(r.status, VI_ERROR_TMO);
    QCOMPARE(r.level, 0.0);
    QCOMPARE(sleeps.waits, Waits());  // no dwell after a failed tuning
    for (int type : {59, 67, 34, 73, 74, 77}) {  // the level never comes
      FakeVisa::reset();
      QCOMPARE(measure(type).status, VI_ERROR_TMO);
    }
    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(measure(73).status, VI_ERROR_IO);  // a meter's failures are no longer hidden
    QCOMPARE(FakeVisa::writes().size(), 1);
  }

  void failedFrequencyWriteDwellsFirstOnSomeTypes() {
    for (int type : {32, 34, 78, 79, 80}) {
      SleepRecorder sleeps;
      FakeVisa::reset();
      FakeVisa::failNext("viWrite", VI_ERROR_IO);
      QCOMPARE(measure(type).status, VI_ERROR_IO);
      QCOMPARE(sleeps.waits, type == 78 || type == 80 ? Waits() : Waits{kDwell});
      QCOMPARE(FakeVisa::writes().size(), 1);
    }
  }

  void statusBitThatNeverComesEndsInTimeout() {
    SleepRecorder sleeps;
    const Reading r = measure(72);  // no status byte queued: always 0
    QCOMPARE(r.status, VI_ERROR_TMO);
    QCOMPARE(r.level, 0.0);
    QVERIFY(!FakeVisa::writes().contains("PS\n"));
    QCOMPARE(sleeps.total() - kDwell, 10000);

    SleepRecorder reflection;
    FakeVisa::reset();
    QCOMPARE(measure(76).status, VI_ERROR_TMO);
    QCOMPARE(reflection.waits.size(), 100);  // every 100 ms for 10 s
    QCOMPARE(FakeVisa::writes(), QStringList{":TRIG;*OPC?\n"});

    FakeVisa::reset();
    FakeVisa::failNext("viReadSTB", VI_ERROR_IO);
    QCOMPARE(measure(72).status, VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript().filter("viReadSTB").size(), 1);
  }

  void usbSensorInWatts() {
    QVERIFY(FakePwu::load());
    SleepRecorder sleeps;
    FakePwu::reading(0.001);
    const Reading r = measure(75);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, 0.0);
    FakePwu::reading(1e-6);
    QCOMPARE(measure(75).level, -30.0);
    FakePwu::readingFails(VI_ERROR_TMO);
    QCOMPARE(measure(75).status, VI_ERROR_TMO);
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void dwellInWholeMilliseconds() {
    SleepRecorder sleeps;
    double level = 0.0;
    for (double dwell : {0.0, -1.0, 0.0009, 0.5, 2.0}) {
      FakeVisa::reply("1\n");
      AnaMeasure(kS, 78, kHz, level, dwell, 0.0, 1);
    }
    QCOMPARE(sleeps.waits, (Waits{500, 2000}));
  }
};

QTEST_GUILESS_MAIN(MeasureTest)
#include "tst_measure.moc"
