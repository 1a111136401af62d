// The level measurement of every analyzer class against the recording fake
// VISA: the exchanges, the replies parsed, the dwell waited where it belongs
// and the failures passed up.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/SleepRecorder.h"
#include "instruments/CmdReply.h"
#include "instruments/Measure.h"
#include "instruments/PwuDriver.h"

#include <QtTest>
#include <cmath>

namespace {

constexpr ViSession kSession = 1;
constexpr double kHz = 100e6;
constexpr double kDwellS = 0.0259;  // waited as 25 ms
constexpr int kDwellMs = 25;

struct Reading {
  ViStatus status;
  double level;
};

Reading measure(int type, double markerPos = 0.0, int fast = 1, double hz = kHz) {
  double level = 99.0;
  const ViStatus status = AnaMeasure(kSession, type, hz, level, kDwellS, markerPos, fast);
  return {status, level};
}

}  // namespace

class MeasureTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void zeroSpanRms() {
    SleepRecorder sleeps;
    FakeVisa::reply("-23.25\n");
    const Reading r = measure(59, 0.01, 0);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, -23.25);
    QCOMPARE(FakeVisa::writes(), (QStringList{"FREQ:CENT 100000000.0;*OPC?\n", "INIT;*OPC?\n",
                                              "CALC:MARK:FUNC:SUMM:RMS:RES?\n"}));
    QCOMPARE(sleeps.waits, QList<int>{kDwellMs});
  }

  void zeroSpanMarker() {
    for (int type : {33, 36, 40, 42, 46, 59, 66, 68}) {
      FakeVisa::reset();
      FakeVisa::reply("-40.5\n");
      const Reading r = measure(type, 0.01, 1);
      QCOMPARE(r.level, -40.5);
      QCOMPARE(FakeVisa::writes(), (QStringList{"FREQ:CENT 100000000.0;*OPC?\n", "INIT;*OPC?\n",
                                                "CALC:MARK1:X 0.0100;*OPC?\n", "CALC:MARK1:Y?\n"}));
    }
  }

  void zeroSpanFailuresArePassedUp() {
    SleepRecorder sleeps;
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    Reading r = measure(59);
    QCOMPARE(r.status, VI_ERROR_TMO);
    QCOMPARE(r.level, 0.0);
    QCOMPARE(sleeps.waits, QList<int>());  // no dwell after a failed tuning
    FakeVisa::reset();
    FakeVisa::timeout();  // the marker level never comes
    QCOMPARE(measure(59).status, VI_ERROR_TMO);
    FakeVisa::reset();
    FakeVisa::reply("INVALID\n");
    r = measure(59);
    QCOMPARE(r.status, kErrNoNumber);
    QCOMPARE(r.level, 0.0);
  }

  void markerCenter67() {
    SleepRecorder sleeps;
    FakeVisa::reply("-17.5\n");
    const Reading r = measure(67);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, -17.5);
    QCOMPARE(FakeVisa::writes(), (QStringList{"FREQ:CENT 100000000.0;*OPC?\n", "MARK:CENT 100000000.0;*OPC?\n",
                                              "MARK:LEV?\n"}));
    QCOMPARE(sleeps.waits, QList<int>{kDwellMs});
  }

  void receiversA() {
    SleepRecorder sleeps;
    for (int type : {32, 37}) {
      FakeVisa::reset();
      FakeVisa::reply("MA 100000000,-31.5\n");
      const Reading r = measure(type);
      QCOMPARE(r.status, VI_SUCCESS);
      QCOMPARE(r.level, -31.5);
      QCOMPARE(FakeVisa::writes(), (QStringList{"F:C 1e+08;*WAI\n", "MA:PE;MA?;*WAI\n"}));
    }
    FakeVisa::reset();
    FakeVisa::reply("MA 1.23456789E+09 -31.5\n");
    QCOMPARE(measure(32, 0, 1, 1234567890.0).level, -31.5);
    QCOMPARE(FakeVisa::writes().first(), QString("F:C 1.23456789e+09;*WAI\n"));
    FakeVisa::reset();
    FakeVisa::reply("MA\n");
    QCOMPARE(measure(32).status, kErrNoNumber);
    QCOMPARE(sleeps.waits, (QList<int>{kDwellMs, kDwellMs, kDwellMs, kDwellMs}));
  }

  void receiversB() {
    for (int type : {34, 35, 38, 39, 41, 43, 44, 45}) {
      FakeVisa::reset();
      FakeVisa::reply("42.7\n");
      const Reading r = measure(type);
      QCOMPARE(r.level, 42.7);
      QCOMPARE(FakeVisa::writes(), (QStringList{"FR 1e+08;*WAI\n", "LE?;*WAI\n"}));
    }
    SleepRecorder sleeps;
    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(measure(34).status, VI_ERROR_IO);
    QCOMPARE(FakeVisa::writes().size(), 1);
    QCOMPARE(sleeps.waits, QList<int>{kDwellMs});  // the dwell comes before the check
  }

  void radioTesterMeanOfPowers() {
    SleepRecorder sleeps;
    FakeVisa::reply("-10.0,-12.0,-11.0\n");
    const Reading r = measure(69);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, -11.0);
    QCOMPARE(FakeVisa::writes(), (QStringList{"POW:FREQ:CENT 100000000.000000;*OPC?\n",
                                              "CONF:SUB:POW IVAL,0,100;*OPC?\n", "READ:ARR:POW?\n"}));
    QCOMPARE(sleeps.waits, QList<int>());
    FakeVisa::reset();
    FakeVisa::reply("-10.0,INV,-12.0,\n");  // invalid parts do not pull the mean towards 0 dBm
    QCOMPARE(measure(69).level, -11.0);
    FakeVisa::reset();
    FakeVisa::reply("INV,NAN\n");
    QCOMPARE(measure(69).status, kErrNoNumber);
  }

  void radioTesterGprf() {
    SleepRecorder sleeps;
    for (int type : {70, 71}) {
      FakeVisa::reset();
      FakeVisa::reply("0,-23.5\n");
      const Reading r = measure(type);
      QCOMPARE(r.status, VI_SUCCESS);
      QCOMPARE(r.level, -23.5);
      QCOMPARE(FakeVisa::writes(), (QStringList{"CONF:GPRF:MEAS:RFS:FREQ 100000000.000000;*WAI",
                                                "READ:GPRF:MEAS:POW:RMS:CURR?\n"}));
    }
    QCOMPARE(sleeps.waits, QList<int>());
    FakeVisa::reset();
    FakeVisa::reply("0,INV\n");
    QCOMPARE(measure(70).status, kErrNoNumber);
  }

  void twoLetterAnalyzer() {
    SleepRecorder sleeps;
    FakeVisa::statusByte(0);
    FakeVisa::statusByte(128);
    FakeVisa::reply("1000000.0,-23.5\n");
    const Reading r = measure(72);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, -23.5);
    QCOMPARE(FakeVisa::writes(), (QStringList{"CF 100000000.0;*WAI\n", "SI\n", "OPR8\n", "*CLS\n", "MLN ON\n", "SI\n",
                                              "PS\n", "MFL?\n"}));
    QCOMPARE(FakeVisa::transcript().filter("viReadSTB").size(), 2);
    QCOMPARE(sleeps.waits.first(), kDwellMs);
    FakeVisa::reset();
    FakeVisa::statusByte(128);
    FakeVisa::reply("-30.5\n");  // a single number is the level
    QCOMPARE(measure(72).level, -30.5);
  }

  void statusBitThatNeverComesEndsInTimeout() {
    SleepRecorder sleeps;
    const Reading r = measure(72);  // no status byte queued: always 0
    QCOMPARE(r.status, VI_ERROR_TMO);
    QCOMPARE(r.level, 0.0);
    QVERIFY(!FakeVisa::writes().contains("PS\n"));
    QCOMPARE(sleeps.total() - kDwellMs, 10000);

    SleepRecorder reflection;
    FakeVisa::reset();
    QCOMPARE(measure(76).status, VI_ERROR_TMO);
    QCOMPARE(reflection.waits.size(), 100);  // every 100 ms for 10 s
    QCOMPARE(FakeVisa::writes(), QStringList{":TRIG;*OPC?\n"});
  }

  void failingStatusByteReadEndsThePoll() {
    SleepRecorder sleeps;
    FakeVisa::failNext("viReadSTB", VI_ERROR_IO);
    QCOMPARE(measure(72).status, VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript().filter("viReadSTB").size(), 1);
  }

  void powerMeters() {
    SleepRecorder sleeps;
    FakeVisa::reply("-5.5\n");
    Reading r = measure(73);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, -5.5);
    QCOMPARE(FakeVisa::writes(), (QStringList{"FREQ 100000000.000000\n", "TRIG:IMM\n", "READ1?\n"}));
    QCOMPARE(sleeps.waits, QList<int>{30});  // a fixed settling time, not the dwell

    FakeVisa::reset();
    FakeVisa::reply("-6.5\n");
    r = measure(74);
    QCOMPARE(r.level, -6.5);
    QCOMPARE(FakeVisa::writes(), (QStringList{"FREQ 100000000.000000\n", "INIT;*OPC?\n", "FETC?\n"}));

    FakeVisa::reset();
    FakeVisa::statusByte(0);
    FakeVisa::statusByte(16);
    FakeVisa::reply("-7.5\n");
    r = measure(76);
    QCOMPARE(r.level, -7.5);
    QCOMPARE(FakeVisa::writes(), (QStringList{":TRIG;*OPC?\n", ":SENS1:DATA?\n"}));
    QCOMPARE(sleeps.waits.mid(1), QList<int>{100});
  }

  void powerMeterWithoutReadingIsAFailure() {
    for (int type : {73, 74}) {
      FakeVisa::reset();
      const Reading r = measure(type);  // the meter never answers
      QCOMPARE(r.status, VI_ERROR_TMO);
      QCOMPARE(r.level, 0.0);
    }
    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(measure(73).status, VI_ERROR_IO);
    QCOMPARE(FakeVisa::writes().size(), 1);
  }

  void correctedMeter77() {
    SleepRecorder sleeps;
    FakeVisa::reply("-20.25\n");
    const Reading r = measure(77);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, -20.25);
    QCOMPARE(FakeVisa::writes(), (QStringList{"INP:NSEL 1\n", "SENS:CORR:FREF 1.000000e+02 MHZ\n", "MEAS?\n"}));
    QCOMPARE(sleeps.waits, QList<int>{kDwellMs});
    FakeVisa::reset();
    QCOMPARE(measure(77).status, VI_ERROR_TMO);
  }

  void optionStringMeters() {
    for (int type : {78, 79, 80}) {
      SleepRecorder sleeps;
      FakeVisa::reset();
      FakeVisa::reply("-3.5\n");
      const Reading r = measure(type);
      QCOMPARE(r.level, -3.5);
      QCOMPARE(FakeVisa::writes(), QStringList{"DF 1e+08\n"});
      QCOMPARE(sleeps.waits, QList<int>{kDwellMs});
    }
  }

  void failedFrequencyDwellOnlyOn79() {
    for (int type : {78, 79, 80}) {
      SleepRecorder sleeps;
      FakeVisa::reset();
      FakeVisa::failNext("viWrite", VI_ERROR_IO);
      QCOMPARE(measure(type).status, VI_ERROR_IO);
      QCOMPARE(sleeps.waits, type == 79 ? QList<int>{kDwellMs} : QList<int>());
      QCOMPARE(FakeVisa::transcript().filter("viRead ").size(), 0);
    }
  }

  void usbSensorInWatts() {
    QVERIFY(FakePwu::load());
    SleepRecorder sleeps;
    FakePwu::reading(0.001);
    Reading r = measure(75);
    QCOMPARE(r.status, VI_SUCCESS);
    QCOMPARE(r.level, 0.0);
    FakePwu::reading(1e-6);
    QCOMPARE(measure(75).level, -30.0);
    FakePwu::readingFails(VI_ERROR_TMO);
    QCOMPARE(measure(75).status, VI_ERROR_TMO);
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void typesWithoutMeasurement() {
    SleepRecorder sleeps;
    for (int type : {0, 1, 24, 31, 81}) {
      const Reading r = measure(type);
      QCOMPARE(r.status, VI_SUCCESS);
      QCOMPARE(r.level, 0.0);
    }
    QCOMPARE(FakeVisa::transcript(), QStringList());
    QCOMPARE(sleeps.waits, QList<int>());
  }

  void dwellInWholeMilliseconds() {
    SleepRecorder sleeps;
    double level = 0.0;
    for (double dwell : {0.0, -1.0, 0.0009, 0.5, 2.0}) {
      FakeVisa::reply("1\n");
      AnaMeasure(kSession, 78, kHz, level, dwell, 0.0, 1);
    }
    QCOMPARE(sleeps.waits, (QList<int>{500, 2000}));
  }
};

QTEST_GUILESS_MAIN(MeasureTest)
#include "tst_measure.moc"
