// Opening, local control and closing of instruments, as exact transcripts of
// the VISA calls that reach the recording fake library.
#include "support/FakeVisa.h"
#include "instruments/Visa.h"

#include <QtTest>

class TstVisaOpen : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void ordinaryInstrument()
  {
    DevStr gen;
    gen.Type = 24;
    gen.Interface = 0;
    gen.GpibAddress = 28;
    gen.Reset = true;
    gen.QueryIdn = true;
    FakeVisa::replyFor("GPIB0::28::INSTR", "Maker,GEN,1,2\n");
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(gen.Session, 1u);
    QCOMPARE(gen.Idn, QString("Maker,GEN,1,2\n"));
    QCOMPARE(FakeVisa::transcript(), QStringList({
        "viOpenDefaultRM -> 1000",
        "viOpen 1000 \"GPIB0::28::INSTR\" 0 5000 -> 1",
        "viSetAttribute 1 VI_ATTR_TMO_VALUE 10000",
        "viSetBuf 1 3 4000",
        "viSetAttribute 1 VI_ATTR_WR_BUF_OPER_MODE 1",
        "viSetAttribute 1 VI_ATTR_RD_BUF_OPER_MODE 1",
        "viWrite 1 \"*RST\\n\"",
        "viWrite 1 \"*IDN?\\n\"",
        "viRead 1 20000 -> \"Maker,GEN,1,2\\n\"",
        "viGpibControlREN 1 6",
    }));
  }
};

QTEST_GUILESS_MAIN(TstVisaOpen)
#include "tst_visaopen.moc"
