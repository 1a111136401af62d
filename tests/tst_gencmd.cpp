// Generator command sets against the recording fake VISA: the exact bytes of
// every command class, queries versus writes, and the set-and-read-back checks.
#include "support/FakeVisa.h"
#include "instruments/CmdReply.h"
#include "instruments/GenCmd.h"

#include <QtTest>

namespace {

constexpr ViSession kSession = 1;

int readCount() {
  int n = 0;
  for (const QString &line : FakeVisa::transcript()) n += line.startsWith("viRead ") ? 1 : 0;
  return n;
}

}  // namespace

class GenCmdTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void setFrequency_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("hz");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("query");
    QTest::newRow("1") << 1 << 1e9 << "SOUR:RFG:FREQ 1e+09;*OPC?\n" << true;
    QTest::newRow("1 needs nine digits") << 1 << 1234567890.0 << "SOUR:RFG:FREQ 1.23456789e+09;*OPC?\n" << true;
    QTest::newRow("2") << 2 << 100e6 << "SOUR:GPRF:GEN:RFS:FREQ 1e+08;*OPC?\n" << true;
    QTest::newRow("3") << 3 << 2.5e9 << "SOUR:GPRF:GEN:RFS:FREQ 2.5e+09;*OPC?\n" << true;
    for (int type : {4, 11, 18, 24, 26, 27, 30})
      QTest::newRow(qPrintable(QString::number(type))) << type << 1e9 << "FREQ 1000000000.0;*OPC?\n" << true;
    QTest::newRow("24 fraction") << 24 << 1000000000.25 << "FREQ 1000000000.2;*OPC?\n" << true;
    for (int type : {12, 17, 29})
      QTest::newRow(qPrintable(QString::number(type))) << type << 1e9 << "RF 1000000000.0\n" << false;
    for (int type : {25, 28})
      QTest::newRow(qPrintable(QString::number(type))) << type << 1e9 << "SOUR2:FREQ 1000000000.0;*OPC?\n" << true;
  }
  void setFrequency() {
    QFETCH(int, type);
    QFETCH(double, hz);
    QFETCH(QString, sent);
    QFETCH(bool, query);
    QCOMPARE(GenSetFrq(kSession, type, hz), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{sent});
    QCOMPARE(readCount(), query ? 1 : 0);
  }

  void typesWithoutCommandsSendNothing() {
    for (int type : {0, 31, 32, 59, 75, 81}) {
      double value = 42.0;
      QCOMPARE(GenSetFrq(kSession, type, 1e9), VI_SUCCESS);
      QCOMPARE(GenGetFrq(kSession, type, value), VI_SUCCESS);
      QCOMPARE(GenGetLvl(kSession, type == 59 ? 61 : type, value), VI_SUCCESS);
      QCOMPARE(GenRfOut(kSession, type, true), VI_SUCCESS);
      QCOMPARE(value, 42.0);
    }
    QCOMPARE(GenSetLvl(kSession, 31, -10.0), VI_SUCCESS);
    QCOMPARE(GenRfOut(kSession, 4, true), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void getFrequency_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<double>("hz");
    QTest::newRow("1") << 1 << "SOUR:RFG:FREQ?\n" << "1.5E+06\n" << 1.5e6;
    QTest::newRow("2") << 2 << "SOUR:GPRF:GEN:RFS:FREQ?\n" << "1000000000\n" << 1e9;
    QTest::newRow("3") << 3 << "SOUR:GPRF:GEN:RFS:FREQ?\n" << "1e9\n" << 1e9;
    QTest::newRow("4") << 4 << "FREQ?\n" << "6000000000\n" << 6e9;
    QTest::newRow("30") << 30 << "FREQ?\n" << "+100000000.0\n" << 1e8;
    QTest::newRow("12 word and number") << 12 << "RF?\n" << "RF 100000000.0\n" << 1e8;
    QTest::newRow("29") << 29 << "RF?\n" << "RF  2.5E+09\n" << 2.5e9;
    QTest::newRow("25") << 25 << "SOUR2:FREQ?\n" << "1000000000.0\n" << 1e9;
    QTest::newRow("28") << 28 << "SOUR2:FREQ?\n" << "1000000000.0\n" << 1e9;
  }
  void getFrequency() {
    QFETCH(int, type);
    QFETCH(QString, asked);
    QFETCH(QString, reply);
    QFETCH(double, hz);
    FakeVisa::reply(reply);
    double value = 0.0;
    QCOMPARE(GenGetFrq(kSession, type, value), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{asked});
    QCOMPARE(value, hz);
  }

  void replyWithoutNumberIsAFailure_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("reply");
    QTest::newRow("number query") << 24 << "ERROR\n";
    QTest::newRow("empty") << 24 << "\n";
    QTest::newRow("word only") << 12 << "RF\n";
    QTest::newRow("no word") << 12 << "100000000\n";
  }
  void replyWithoutNumberIsAFailure() {
    QFETCH(int, type);
    QFETCH(QString, reply);
    FakeVisa::reply(reply);
    double value = 7.0;
    QCOMPARE(GenGetFrq(kSession, type, value), kErrNoNumber);
    QCOMPARE(value, 7.0);
  }

  void checkFrequency_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("hz");
    QTest::addColumn<QString>("readBack");
    QTest::addColumn<int>("result");
    QTest::newRow("6 GHz exact") << 24 << 6e9 << "6000000000.0\n" << 0;
    QTest::newRow("6 GHz one hertz off") << 24 << 6e9 << "6000000001.0\n" << -1;
    QTest::newRow("half rounds up") << 24 << 6e9 << "5999999999.5\n" << 0;
    QTest::newRow("below half") << 24 << 6e9 << "5999999999.4\n" << -1;
    QTest::newRow("40 GHz") << 24 << 40e9 << "4.0E+10\n" << 0;
    QTest::newRow("nine digits confirmed") << 1 << 1234567890.0 << "1234567890\n" << 0;
    QTest::newRow("short command set") << 12 << 1e8 << "RF 100000000.0\n" << 0;
    QTest::newRow("no number") << 24 << 0.0 << "ERR\n" << -1;
  }
  void checkFrequency() {
    QFETCH(int, type);
    QFETCH(double, hz);
    QFETCH(QString, readBack);
    QFETCH(int, result);
    FakeVisa::reply(readBack);
    QCOMPARE(GenChkFrq(kSession, type, hz), result);
  }

  void checkFrequencyFailures() {
    QCOMPARE(GenChkFrq(0, 24, 1e9), 0);  // not opened: passes without I/O
    QCOMPARE(FakeVisa::transcript(), QStringList());
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(GenChkFrq(kSession, 24, 1e9), -1);
    QCOMPARE(FakeVisa::writes().size(), 1);  // no read-back after a failed set
    FakeVisa::reset();
    FakeVisa::timeout();
    QCOMPARE(GenChkFrq(kSession, 24, 1e9), -1);
  }

  void setLevel_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("dbm");
    QTest::addColumn<QString>("sent");
    QTest::newRow("1") << 1 << -10.0 << "SOUR:RFG:LEV -10;*OPC?\n";
    QTest::newRow("2") << 2 << -10.5 << "SOUR:GPRF:GEN:RFS:LEV -10.5;*OPC?\n";
    QTest::newRow("3") << 3 << 0.0 << "SOUR:GPRF:GEN:RFS:LEV 0;*OPC?\n";
    QTest::newRow("4") << 4 << -10.0 << "POW:POW -10;*OPC?\n";
    QTest::newRow("5") << 5 << 5.25 << "POW:POW 5.25;*OPC?\n";
    for (int type : {6, 11, 18, 24, 26, 27, 30})
      QTest::newRow(qPrintable(QString::number(type))) << type << -10.0 << "POW -10;*OPC?\n";
    QTest::newRow("six digits") << 24 << -100.12345 << "POW -100.123;*OPC?\n";
    for (int type : {12, 17, 29})
      QTest::newRow(qPrintable(QString::number(type))) << type << -10.0 << "L -10;*OPC?\n";
    for (int type : {25, 28})
      QTest::newRow(qPrintable(QString::number(type))) << type << -10.0 << "SOUR2:POW -10;*OPC?\n";
    for (int type : {33, 40, 46, 57, 58, 59, 60, 65})
      QTest::newRow(qPrintable(QString::number(type))) << type << -10.0 << "SOUR:POW -10dBm;*OPC?\n";
    QTest::newRow("53 attenuation") << 53 << -10.0 << "SOUR:TG:ATT 10;*OPC?\n";
    QTest::newRow("53 at 0 dBm") << 53 << 0.0 << "SOUR:TG:ATT 0;*OPC?\n";
  }
  void setLevel() {
    QFETCH(int, type);
    QFETCH(double, dbm);
    QFETCH(QString, sent);
    QCOMPARE(GenSetLvl(kSession, type, dbm), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{sent});
    QCOMPARE(readCount(), 1);
  }

  void getLevel_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("asked");
    QTest::newRow("1") << 1 << "SOUR:RFG:LEV?\n";
    QTest::newRow("2") << 2 << "SOUR:GPRF:GEN:RFS:LEV?\n";
    QTest::newRow("3") << 3 << "SOUR:GPRF:GEN:RFS:LEV?\n";
    QTest::newRow("4") << 4 << "POW:POW?\n";
    QTest::newRow("5") << 5 << "POW:POW?\n";
    for (int type : {6, 11, 18, 24, 26, 27, 30}) QTest::newRow(qPrintable(QString::number(type))) << type << "POW?\n";
    for (int type : {12, 17, 29}) QTest::newRow(qPrintable(QString::number(type))) << type << "L?\n";
    for (int type : {25, 28}) QTest::newRow(qPrintable(QString::number(type))) << type << "SOUR2:POW?\n";
    for (int type : {33, 40, 46, 57, 58, 59, 60, 65})
      QTest::newRow(qPrintable(QString::number(type))) << type << "SOUR:POW?\n";
  }
  void getLevel() {
    QFETCH(int, type);
    QFETCH(QString, asked);
    FakeVisa::reply("-12.5\n");
    double dbm = 0.0;
    QCOMPARE(GenGetLvl(kSession, type, dbm), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{asked});
    QCOMPARE(dbm, -12.5);
  }

  void checkLevel_data() {
    QTest::addColumn<QString>("readBack");
    QTest::addColumn<int>("result");
    QTest::newRow("exact") << "-10.0\n" << 0;
    QTest::newRow("within a thousandth") << "-10.0004\n" << 0;
    QTest::newRow("two thousandths off") << "-10.002\n" << -1;
    QTest::newRow("no number") << "\n" << -1;
  }
  void checkLevel() {
    QFETCH(QString, readBack);
    QFETCH(int, result);
    FakeVisa::reply(readBack);
    QCOMPARE(GenChkLvl(kSession, 24, -10.0), result);
    QCOMPARE(FakeVisa::writes(), (QStringList{"POW -10;*OPC?\n", "POW?\n"}));
  }

  void checkLevelFailures() {
    QCOMPARE(GenChkLvl(0, 24, -10.0), 0);
    QCOMPARE(FakeVisa::transcript(), QStringList());
    FakeVisa::failNext("viRead", VI_ERROR_TMO);  // the completion answer of the set
    QCOMPARE(GenChkLvl(kSession, 24, -10.0), -1);
    QCOMPARE(FakeVisa::writes().size(), 1);
  }

  void rfOutput_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("query");
    QTest::newRow("1 on") << 1 << true << "INIT:RFG\n" << false;
    QTest::newRow("1 off") << 1 << false << "ABORT:RFG\n" << false;
    QTest::newRow("2 on") << 2 << true << "SOUR:GPRF:GEN:STAT ON;*OPC?\n" << true;
    QTest::newRow("3 off") << 3 << false << "SOUR:GPRF:GEN:STAT OFF;*OPC?\n" << true;
    for (int type : {5, 9, 11, 18, 19, 24, 27})
      QTest::newRow(qPrintable(QString::number(type))) << type << true << ":OUTP ON\n" << false;
    QTest::newRow("24 off") << 24 << false << ":OUTP OFF\n" << false;
    for (int type : {10, 20, 23, 26, 30})
      QTest::newRow(qPrintable(QString::number(type))) << type << true << "OUTP1 ON;*OPC?\n" << true;
    QTest::newRow("10 off") << 10 << false << "OUTP1 OFF;*OPC?\n" << true;
    QTest::newRow("12") << 12 << true << "LEV:ON\n" << false;
    QTest::newRow("14 off") << 14 << false << "LEV:OFF\n" << false;
    QTest::newRow("15") << 15 << true << "L:ON\n" << false;
    QTest::newRow("29 off") << 29 << false << "L:OFF\n" << false;
    QTest::newRow("25") << 25 << true << ":OUTP2 ON\n" << false;
    QTest::newRow("28 off") << 28 << false << ":OUTP2 OFF\n" << false;
  }
  void rfOutput() {
    QFETCH(int, type);
    QFETCH(bool, on);
    QFETCH(QString, sent);
    QFETCH(bool, query);
    QCOMPARE(GenRfOut(kSession, type, on), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList{sent});
    QCOMPARE(readCount(), query ? 1 : 0);
  }

  void rfOutputFailureIsReported() {
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(GenRfOut(kSession, 1, true), VI_ERROR_IO);
  }

  void referenceOscillator_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("external");
    QTest::addColumn<QStringList>("sent");
    const QStringList ext{"ROSC:SOUR EXT\n"};
    for (int type : {5, 11, 18, 24, 26, 27, 30, 33, 36, 40, 42, 47, 48, 52, 53, 54, 56, 58, 62, 65, 66})
      QTest::newRow(qPrintable(QString::number(type))) << type << 1 << ext;
    QTest::newRow("24 internal") << 24 << 0 << QStringList{"ROSC:SOUR INT\n"};
    QTest::newRow("any non-zero is external") << 24 << 2 << ext;
    QTest::newRow("46 three times") << 46 << 1 << (ext + ext + ext);
    QTest::newRow("57 three times") << 57 << 0 << QStringList{"ROSC:SOUR INT\n", "ROSC:SOUR INT\n", "ROSC:SOUR INT\n"};
    QTest::newRow("25") << 25 << 1 << QStringList{"ROSC:SOUR2 EXT\n"};
    QTest::newRow("28 internal") << 28 << 0 << QStringList{"ROSC:SOUR2 INT\n"};
    QTest::newRow("32 without terminator") << 32 << 1 << QStringList{"REFE E"};
    QTest::newRow("37 internal") << 37 << 0 << QStringList{"REFE I"};
    QTest::newRow("72") << 72 << 1 << QStringList{"RFE\n"};
    QTest::newRow("72 internal") << 72 << 0 << QStringList{"RFI\n"};
    for (int type : {1, 2, 3, 4, 12, 17, 29, 31, 34, 45, 49, 50, 51, 55, 63, 64, 67, 68, 69, 70, 71, 73, 75, 80})
      QTest::newRow(qPrintable("none " + QString::number(type))) << type << 1 << QStringList();
  }
  void referenceOscillator() {
    QFETCH(int, type);
    QFETCH(int, external);
    QFETCH(QStringList, sent);
    QCOMPARE(SetRefOsc(kSession, type, external), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), sent);
  }

  void referenceResultIsTheLastWrite() {
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(SetRefOsc(kSession, 46, 1), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes().size(), 3);
  }
};

QTEST_GUILESS_MAIN(GenCmdTest)
#include "tst_gencmd.moc"
