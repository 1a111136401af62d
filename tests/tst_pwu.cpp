// The USB power sensor through the recording fake driver library.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "instruments/Measure.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"

#include <QtTest>

namespace {

DevStr sensor(ViSession session = 0) {
  DevStr ana;
  ana.Type = 75;
  ana.Interface = 4;
  ana.ProductId = 0x2f;
  ana.SerialNo = 1234;
  ana.Session = session;
  return ana;
}

const QString kInit = "pwudrv_init \"USB::0x1209::0x2f::1234\" 0 ";

}  // namespace

class TstPwu : public QObject {
  Q_OBJECT

  QList<int> sleeps_;

 private slots:
  // Runs before the driver is loaded in this process.
  void missingOrIncompleteDriver() {
    QVERIFY(!PwuLoad(FakePwu::folder() + "no-such-folder/"));
    QVERIFY(!PwuLoad(FakePwu::incompleteFolder()));
    QCOMPARE(PwuLibraryPath(), QString());
    DevStr ana = sensor();
    QCOMPARE(DevOpen(ana), VI_ERROR_LIBRARY_NFOUND);
    double level = 1.0;
    QCOMPARE(PwuMeasure(1, 1e9, 0.0, level), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(level, 1.0);
  }

  void load() {
    QVERIFY(FakePwu::load());
    QVERIFY(FakeVisa::load());
    SetInstrumentSleep([this](int ms) { sleeps_ << ms; });
  }

  void init() {
    FakePwu::reset();
    FakeVisa::reset();
    sleeps_.clear();
  }

  // The sensor always opens through its USB form, identifies every time, and
  // a second open closes the first session.
  void openTwice() {
    DevStr ana = sensor();
    ana.Interface = 0;
    ana.Reset = true;
    FakePwu::setRevision("1.2.3");
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(ana.Session, 1u);
    QCOMPARE(ana.Idn, QString("Kestrova PWUx, 1.2.3"));
    ana.Reset = false;
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(ana.Session, 2u);
    QCOMPARE(FakePwu::transcript(), QStringList({kInit + "1 -> 1", "pwudrv_revision_query 1 -> \"1.2.3\"",
                                                 "pwudrv_close 1", kInit + "0 -> 2",
                                                 "pwudrv_revision_query 2 -> \"1.2.3\""}));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void openFailures() {
    DevStr ana = sensor();
    ana.Idn = "old";
    FakePwu::failNext("pwudrv_init", -1074001);
    QCOMPARE(DevOpen(ana), -1074001);
    QCOMPARE(ana.Session, 0u);
    FakePwu::failNext("pwudrv_revision_query", -5);
    QCOMPARE(DevOpen(ana), -5);
    QCOMPARE(ana.Idn, QString("old"));
    FakePwu::failNext("pwudrv_init", 3);  // a warning opens the sensor
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
  }

  void setupAveraging() {
    DevStr ana = sensor(4);
    ana.PwxxResolution = 2;
    ana.PwxxCount = 64;
    QCOMPARE(PwuSetup(ana), VI_SUCCESS);
    ana.PwxxAutoAveraging = 0;
    QCOMPARE(PwuSetup(ana), VI_SUCCESS);
    FakePwu::failNext("pwudrv_avg_configureAvgManual", -7);
    QCOMPARE(PwuSetup(ana), -7);
    QCOMPARE(FakePwu::transcript(),
             QStringList({"pwudrv_avg_configureAvgAuto 4 1 2", "pwudrv_range_setAutoEnabled 4 1 1",
                          "pwudrv_avg_configureAvgManual 4 1 64", "pwudrv_range_setAutoEnabled 4 1 1",
                          "pwudrv_avg_configureAvgManual 4 1 64 -> -7"}));
  }

  // No power has no level: the run must report a failed measurement rather
  // than draw or save minus infinity.
  void readings_data() {
    QTest::addColumn<double>("watts");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<int>("status");
    QTest::addColumn<double>("dbm");
    QTest::newRow("1 mW") << 0.001 << "0.001" << 0 << 0.0;
    QTest::newRow("1 uW") << 0.000001 << "0.000001" << 0 << -30.0;
    QTest::newRow("2 W") << 2.0 << "2" << 0 << 33.010299956639813;
    QTest::newRow("zero") << 0.0 << "0" << kPwuNoReading << 7.0;
    QTest::newRow("negative") << -0.000001 << "-0.000001" << kPwuNoReading << 7.0;
  }

  void readings() {
    QFETCH(double, watts);
    QFETCH(QString, logged);
    QFETCH(int, status);
    QFETCH(double, dbm);
    FakePwu::reading(watts);
    double level = 7.0;
    QCOMPARE(PwuMeasure(1, 2.4e9, 0.25, level), status);
    QVERIFY(qAbs(level - dbm) < 1e-9);
    QCOMPARE(sleeps_, QList<int>({250}));
    QCOMPARE(FakePwu::transcript(), QStringList({"pwudrv_chan_setCorrectionFrequency 1 1 2400000000",
                                                 "pwudrv_meass_readMeasurement 1 1 10000 -> " + logged}));
  }

  void measurementFailures() {
    double level = 7.0;
    FakePwu::failNext("pwudrv_chan_setCorrectionFrequency", -3);
    QCOMPARE(PwuMeasure(1, 1e9, 1.0, level), -3);
    QCOMPARE(sleeps_, QList<int>());
    FakePwu::readingFails(-4);
    QCOMPARE(PwuMeasure(1, 1e9, 0.0, level), -4);
    QCOMPARE(level, 7.0);
    FakePwu::failNext("pwudrv_meass_readMeasurement", 2);  // a warning keeps the reading
    QCOMPARE(PwuMeasure(1, 1e9, 0.0, level), VI_SUCCESS);
    QCOMPARE(level, 0.0);
  }

  void closeThroughDevClose() {
    DevStr ana = sensor();
    QCOMPARE(DevClose(ana), VI_SUCCESS);
    ana.Session = 3;
    FakePwu::failNext("pwudrv_close", 1);
    QCOMPARE(DevClose(ana), VI_SUCCESS);
    FakePwu::failNext("pwudrv_close", -2);
    QCOMPARE(DevClose(ana), -2);
    QCOMPARE(DevLocal(ana), VI_SUCCESS);
    QCOMPARE(FakePwu::transcript(), QStringList({"pwudrv_close 3 -> 1", "pwudrv_close 3 -> -2"}));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }
};

QTEST_GUILESS_MAIN(TstPwu)
#include "tst_pwu.moc"
