// Loading of the VISA library: the search order, a missing or incomplete
// library, and an instrument layer that fails cleanly without one.
#include "support/FakeVisa.h"
#include "support/TestPaths.h"
#include "instruments/Visa.h"
#include "instruments/VisaLibrary.h"

#include <QtTest>

class TstVisaLoad : public QObject {
  Q_OBJECT

 private slots:
  void searchOrder()
  {
    qputenv("SOLVANE_VISA_LIBRARY", "/opt/lab/libmyvisa.so");
    QCOMPARE(VisaCandidates(), QStringList({"/opt/lab/libmyvisa.so", "libvisa.so",
                                            QCoreApplication::applicationDirPath() + "/libsolvisa.so"}));
    qunsetenv("SOLVANE_VISA_LIBRARY");
    QCOMPARE(VisaCandidates().first(), QString("libvisa.so"));
  }

  // Runs before any library is loaded in this process.
  void withoutLibraryEverythingFails()
  {
    QVERIFY(!VisaLoadFrom({binDir() + "/no-such-visa.so"}));
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

  // A library that lacks one entry point is refused, and no later candidate
  // is taken in its place.
  void incompleteLibraryRefused()
  {
    QVERIFY(!VisaLoadFrom({FakeVisa::incompleteLibraryPath(), FakeVisa::libraryPath()}));
    QCOMPARE(VisaLibraryPath(), QString());
    QString reply;
    QCOMPARE(VisaQuery(1, "*IDN?\n", reply), VI_ERROR_LIBRARY_NFOUND);
  }

  void missingCandidatesAreSkipped()
  {
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
};

QTEST_GUILESS_MAIN(TstVisaLoad)
#include "tst_visaload.moc"
