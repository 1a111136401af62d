// Start-up loading of the two run-time libraries and the fallback of the
// analyzer from the USB power sensor to the power meter.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "instruments/LibStartup.h"
#include "instruments/PwuDriver.h"

#include <QtTest>

class TstLibStartup : public QObject {
  Q_OBJECT

  QTemporaryDir vxi_;

 private slots:
  void initTestCase() { QVERIFY(vxi_.isValid()); }

  void driverFolder()
  {
    qunsetenv("VXIPNPPATH64");
    QCOMPARE(VxiFolder(), QString("Win64/Bin/"));
    qputenv("VXIPNPPATH64", "/opt/vxipnp");
    QCOMPARE(VxiFolder(), QString("/opt/vxipnp/Win64/Bin/"));
    qputenv("VXIPNPPATH64", "/opt/vxipnp/");
    QCOMPARE(VxiFolder(), QString("/opt/vxipnp/Win64/Bin/"));
  }

  void withoutSensorDriverTheSensorBecomesThePowerMeter()
  {
    qputenv("VXIPNPPATH64", vxi_.path().toLocal8Bit());
    qputenv("SOLVANE_VISA_LIBRARY", FakeVisa::libraryPath().toLocal8Bit());
    const LibStartup sensor = LoadLibs(75);
    QVERIFY(sensor.VisaLoaded);
    QVERIFY(!sensor.SensorDriverLoaded);
    QCOMPARE(sensor.AnaType, 73);
    QVERIFY(sensor.AnaTypeChanged);
    QCOMPARE(sensor.VxiPath, vxi_.path() + "/Win64/Bin/");

    const LibStartup analyzer = LoadLibs(40);
    QCOMPARE(analyzer.AnaType, 40);
    QVERIFY(!analyzer.AnaTypeChanged);
  }

  void withSensorDriverTheSensorStays()
  {
    QVERIFY(QDir().mkpath(vxi_.path() + "/Win64/Bin"));
    QVERIFY(QFile::link(FakePwu::folder() + "libpwudrv_64.so", vxi_.path() + "/Win64/Bin/libpwudrv_64.so"));
    const LibStartup sensor = LoadLibs(75);
    QVERIFY(sensor.SensorDriverLoaded);
    QCOMPARE(sensor.AnaType, 75);
    QVERIFY(!sensor.AnaTypeChanged);
    QCOMPARE(PwuLibraryPath(), vxi_.path() + "/Win64/Bin/libpwudrv_64.so");
  }
};

QTEST_GUILESS_MAIN(TstLibStartup)
#include "tst_libstartup.moc"
