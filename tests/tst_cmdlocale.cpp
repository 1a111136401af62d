// The command sets under a desktop locale with a decimal comma: every number
// format sent and every reply read must still use the decimal point.
#include "support/FakeVisa.h"
#include "support/SleepRecorder.h"
#include "instruments/AnaCmd.h"
#include "instruments/GenCmd.h"
#include "instruments/Measure.h"

#include <QLocale>
#include <QtTest>
#include <clocale>
#include <cstdio>

namespace {

constexpr ViSession kSession = 1;

// A C library locale with a decimal comma, empty when none is installed.
QByteArray selectCommaLocale() {
  for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8", "it_IT.UTF-8",
                           "es_ES.UTF-8", "sv_SE.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') return name;
  }
  std::setlocale(LC_ALL, "C");
  return QByteArray();
}

}  // namespace

class CmdLocaleTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    QVERIFY(FakeVisa::load());
    const QByteArray name = selectCommaLocale();
    if (name.isEmpty())
      QSKIP("No locale with a decimal comma is installed (see `locale -a`); scripts/setup generates de_DE.UTF-8.");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    QCOMPARE(QByteArray(probe), QByteArray("1,5"));  // the hazard is real in this process
  }
  void cleanupTestCase() {
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
  }
  void init() { FakeVisa::reset(); }

  void formatsSendDecimalPoints() {
    GenSetFrq(kSession, 24, 1000000000.5);
    GenSetFrq(kSession, 1, 1234567890.0);
    GenSetLvl(kSession, 24, -10.5);
    GenSetLvl(kSession, 53, -7.25);
    AnaSetRefLvl(kSession, 59, -10.5);
    AnaSetRefLvl(kSession, 32, -10.5);
    AnaSetRbw(kSession, 32, 1500);
    AnaSetSwt(kSession, 59, 100);
    AnaSetSwt(kSession, 72, 2);
    QCOMPARE(FakeVisa::writes(),
             (QStringList{"FREQ 1000000000.5;*OPC?\n", "SOUR:RFG:FREQ 1.23456789e+09;*OPC?\n", "POW -10.5;*OPC?\n",
                          "SOUR:TG:ATT 7.25;*OPC?\n", "DISP:WIND1:TRAC:Y:RLEV -10.500;*OPC?\n", "LE:RE -10.500000\n",
                          "B:R 1500\n", "SWE:TIME 0.1;*OPC?\n", "SW 0.002\n"}));
  }

  void measurementsSendDecimalPoints() {
    SleepRecorder sleeps;
    double level = 0.0;
    FakeVisa::reply("-1\n");
    AnaMeasure(kSession, 59, 1234567.5, level, 0.0, 0.0125, 1);
    FakeVisa::reply("-1\n");
    AnaMeasure(kSession, 73, 1234567.5, level, 0.0, 0.0, 1);
    FakeVisa::reply("-1\n");
    AnaMeasure(kSession, 77, 1234.5e6, level, 0.0, 0.0, 1);
    FakeVisa::reply("-1\n");
    AnaMeasure(kSession, 34, 1234567.5, level, 0.0, 0.0, 1);
    QCOMPARE(FakeVisa::writes(),
             (QStringList{"FREQ:CENT 1234567.5;*OPC?\n", "INIT;*OPC?\n", "CALC:MARK1:X 0.0125;*OPC?\n",
                          "CALC:MARK1:Y?\n", "FREQ 1234567.500000\n", "TRIG:IMM\n", "READ1?\n", "INP:NSEL 1\n",
                          "SENS:CORR:FREF 1.234500e+03 MHZ\n", "MEAS?\n", "FR 1234567.5;*WAI\n", "LE?;*WAI\n"}));
  }

  void repliesAreReadWithDecimalPoints() {
    double value = 0.0;
    FakeVisa::reply("1.5E+06\n");
    QCOMPARE(GenGetFrq(kSession, 24, value), VI_SUCCESS);
    QCOMPARE(value, 1.5e6);
    FakeVisa::reply("RF 2.5E+09\n");
    QCOMPARE(GenGetFrq(kSession, 12, value), VI_SUCCESS);
    QCOMPARE(value, 2.5e9);
    FakeVisa::reply("-10.25\n");
    QCOMPARE(GenChkLvl(kSession, 24, -10.25), 0);

    SleepRecorder sleeps;
    FakeVisa::reply("-10.5,-11.5\n");
    QCOMPARE(AnaMeasure(kSession, 69, 1e8, value, 0.0, 0.0, 1), VI_SUCCESS);
    QCOMPARE(value, -11.0);
    FakeVisa::statusByte(128);
    FakeVisa::reply("1000000.0,-23.5\n");
    QCOMPARE(AnaMeasure(kSession, 72, 1e8, value, 0.0, 0.0, 1), VI_SUCCESS);
    QCOMPARE(value, -23.5);
    FakeVisa::reply("MA 100000000.0,-31.25\n");
    QCOMPARE(AnaMeasure(kSession, 32, 1e8, value, 0.0, 0.0, 1), VI_SUCCESS);
    QCOMPARE(value, -31.25);
  }
};

QTEST_GUILESS_MAIN(CmdLocaleTest)
#include "tst_cmdlocale.moc"
