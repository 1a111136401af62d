// Loading of the two run-time libraries: the VISA search order, a missing or
// incomplete library, an instrument layer that fails cleanly without one, and
// at start-up the fallback of the analyzer from the USB power sensor to the
// power meter.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/TestPaths.h"
#include "instruments/LibStartup.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "instruments/VisaLibrary.h"

#include <QtTest>

namespace {

// What start-up found, as "VISA sensor-driver analyzer-type changed", each flag 0 or 1.
QString found(const LibStartup &libs) {
  return QString("%1 %2 %3 %4").arg(libs.VisaLoaded).arg(libs.SensorDriverLoaded).arg(libs.AnaType)
      .arg(libs.AnaTypeChanged);
}

}  // namespace

class TstVisaLoad : public QObject {
  Q_OBJECT

  QTemporaryDir vxi_;

 private slots:
  void searchOrderAndDriverFolder() {
    qputenv("SOLVANE_VISA_LIBRARY", "/opt/lab/libmyvisa.so");
    const QString appDir = QCoreApplication::applicationDirPath();
    QCOMPARE(VisaCandidates(), QStringList({"/opt/lab/libmyvisa.so", "libvisa.so", appDir + "/libsolvisa.so",
                                            appDir + "/../lib/solvane/libsolvisa.so"}));
    qunsetenv("SOLVANE_VISA_LIBRARY");
    QCOMPARE(VisaCandidates().first(), QString("libvisa.so"));

    qunsetenv("VXIPNPPATH64");
    QCOMPARE(VxiFolder(), QString("Win64/Bin/"));
    qputenv("VXIPNPPATH64", "/opt/vxipnp/");  // without the separator in startupSensorFallback
    QCOMPARE(VxiFolder(), QString("/opt/vxipnp/Win64/Bin/"));
  }

  // Runs before any library is loaded in this process. A library that lacks
  // one entry point is refused, and no later candidate is taken in its place.
  void withoutLibraryEverythingFails() {
    QVERIFY(!VisaLoadFrom({binDir() + "/no-such-visa.so"}));
    QVERIFY(!VisaLoadFrom({FakeVisa::incompleteLibraryPath(), FakeVisa::libraryPath()}));
    QCOMPARE(VisaLibraryPath(), QString());
    FakeVisa::reset();  // the fake is reachable by the test, not by the program
    DevStr dev;
    dev.Type = 24;
    dev.Reset = true;
    dev.QueryIdn = true;
    dev.Idn = "old";
    QCOMPARE(DevOpen(dev), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(dev.Session, 0u);
    QCOMPARE(dev.Idn, QString("old"));
    dev.Type = 1;
    QCOMPARE(DevOpen(dev), VI_ERROR_LIBRARY_NFOUND);
    dev.Session = 3;
    QCOMPARE(DevLocal(dev), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(DevClose(dev), VI_ERROR_LIBRARY_NFOUND);
    QString reply = "old";
    double value = 1.0;
    ViUInt16 stb = 1;
    QCOMPARE(VisaWrite(3, "*RST\n"), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(VisaQuery(3, "*IDN?\n", reply), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(VisaReadNum(3, value), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(VisaReadStb(3, stb), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(reply, QString("old"));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void missingCandidatesAreSkipped() {
    QVERIFY(VisaLoadFrom({binDir() + "/no-such-visa.so", FakeVisa::libraryPath()}));
    QCOMPARE(VisaLibraryPath(), FakeVisa::libraryPath());
    // The table is filled once and stays.
    QVERIFY(VisaLoadFrom({FakeVisa::incompleteLibraryPath()}));
    QVERIFY(VisaLoad());
    QCOMPARE(VisaLibraryPath(), FakeVisa::libraryPath());
    FakeVisa::reset();
    QCOMPARE(VisaWrite(1, "*CLS\n"), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viWrite 1 \"*CLS\\n\""}));
  }

  void startupSensorFallback() {
    qputenv("VXIPNPPATH64", vxi_.path().toLocal8Bit());
    const LibStartup libs = LoadLibs(75);
    QCOMPARE(found(libs), QString("1 0 73 1"));
    QCOMPARE(libs.VxiPath, vxi_.path() + "/Win64/Bin/");
    QCOMPARE(found(LoadLibs(40)), QString("1 0 40 0"));

    QVERIFY(QDir().mkpath(vxi_.path() + "/Win64/Bin"));
    QVERIFY(QFile::link(FakePwu::folder() + "libpwudrv_64.so", vxi_.path() + "/Win64/Bin/libpwudrv_64.so"));
    QCOMPARE(found(LoadLibs(75)), QString("1 1 75 0"));
    QCOMPARE(PwuLibraryPath(), vxi_.path() + "/Win64/Bin/libpwudrv_64.so");
  }
};

QTEST_GUILESS_MAIN(TstVisaLoad)
#include "tst_visaload.moc"
