// Generator command sets against the recording fake VISA: the exact bytes of
// every command class, queries versus writes, and the set-and-read-back checks.
#include "support/CmdTranscript.h"
#include "support/FakeVisa.h"
#include "instruments/CmdReply.h"
#include "instruments/GenCmd.h"

#include <QtTest>

namespace {

constexpr ViSession kS = 1;

// One row per type of the list, each sending sent with reads replies read.
QList<CmdRow> ForTypes(std::initializer_list<int> types, const std::function<ViStatus(int)> &call,
                       const QStringList &sent, int reads) {
  QList<CmdRow> rows;
  for (int type : types) rows << CmdRow{QString::number(type), [=] { return call(type); }, sent, reads};
  return rows;
}

}  // namespace

class GenCmdTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void setFrequency() {
    const auto at1GHz = [](int type) { return GenSetFrq(kS, type, 1e9); };
    QList<CmdRow> rows{
        {"1", [] { return GenSetFrq(kS, 1, 1e9); }, {"SOUR:RFG:FREQ 1e+09;*OPC?\n"}, 1},
        {"1 nine digits", [] { return GenSetFrq(kS, 1, 1234567890.0); }, {"SOUR:RFG:FREQ 1.23456789e+09;*OPC?\n"}, 1},
        {"2", [] { return GenSetFrq(kS, 2, 100e6); }, {"SOUR:GPRF:GEN:RFS:FREQ 1e+08;*OPC?\n"}, 1},
        {"3", [] { return GenSetFrq(kS, 3, 2.5e9); }, {"SOUR:GPRF:GEN:RFS:FREQ 2.5e+09;*OPC?\n"}, 1},
        {"24 tie", [] { return GenSetFrq(kS, 24, 1000000000.25); }, {"FREQ 1000000000.2;*OPC?\n"}, 1},
    };
    rows << ForTypes({4, 11, 18, 24, 26, 27, 30}, at1GHz, {"FREQ 1000000000.0;*OPC?\n"}, 1)
         << ForTypes({12, 17, 29}, at1GHz, {"RF 1000000000.0\n"}, 0)
         << ForTypes({25, 28}, at1GHz, {"SOUR2:FREQ 1000000000.0;*OPC?\n"}, 1)
         << ForTypes({0, 31, 32, 59, 75, 81}, at1GHz, {}, 0);
    QCOMPARE(CheckRows(rows), QString());
  }

  void setLevel() {
    const auto at10 = [](int type) { return GenSetLvl(kS, type, -10.0); };
    QList<CmdRow> rows{
        {"1", [] { return GenSetLvl(kS, 1, -10.0); }, {"SOUR:RFG:LEV -10;*OPC?\n"}, 1},
        {"2", [] { return GenSetLvl(kS, 2, -10.5); }, {"SOUR:GPRF:GEN:RFS:LEV -10.5;*OPC?\n"}, 1},
        {"3", [] { return GenSetLvl(kS, 3, 0.0); }, {"SOUR:GPRF:GEN:RFS:LEV 0;*OPC?\n"}, 1},
        {"24 six digits", [] { return GenSetLvl(kS, 24, -100.12345); }, {"POW -100.123;*OPC?\n"}, 1},
        {"53 attenuation", [] { return GenSetLvl(kS, 53, -10.0); }, {"SOUR:TG:ATT 10;*OPC?\n"}, 1},
        {"53 at 0 dBm", [] { return GenSetLvl(kS, 53, 0.0); }, {"SOUR:TG:ATT 0;*OPC?\n"}, 1},
    };
    rows << ForTypes({4, 5}, at10, {"POW:POW -10;*OPC?\n"}, 1)
         << ForTypes({6, 11, 18, 24, 26, 27, 30}, at10, {"POW -10;*OPC?\n"}, 1)
         << ForTypes({12, 17, 29}, at10, {"L -10;*OPC?\n"}, 1)
         << ForTypes({25, 28}, at10, {"SOUR2:POW -10;*OPC?\n"}, 1)
         << ForTypes({33, 40, 46, 57, 58, 59, 60, 65}, at10, {"SOUR:POW -10dBm;*OPC?\n"}, 1)
         << ForTypes({0, 31, 32, 61, 72, 81}, at10, {}, 0);
    QCOMPARE(CheckRows(rows), QString());
  }

  void readBack_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("level");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<double>("value");
    QTest::newRow("f1") << 1 << false << "SOUR:RFG:FREQ?\n" << "1.5E+06\n" << 1.5e6;
    QTest::newRow("f2") << 2 << false << "SOUR:GPRF:GEN:RFS:FREQ?\n" << "1e9\n" << 1e9;
    QTest::newRow("f4") << 4 << false << "FREQ?\n" << "+6000000000\n" << 6e9;
    QTest::newRow("f12 word and number") << 12 << false << "RF?\n" << "RF 100000000.0\n" << 1e8;
    QTest::newRow("f28") << 28 << false << "SOUR2:FREQ?\n" << "1000000000.0\n" << 1e9;
    QTest::newRow("l1") << 1 << true << "SOUR:RFG:LEV?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l3") << 3 << true << "SOUR:GPRF:GEN:RFS:LEV?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l5") << 5 << true << "POW:POW?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l30") << 30 << true << "POW?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l29") << 29 << true << "L?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l25") << 25 << true << "SOUR2:POW?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l65 tracking generator") << 65 << true << "SOUR:POW?\n" << "-12.5\n" << -12.5;
    QTest::newRow("l53 none") << 53 << true << "" << "" << 7.0;
    QTest::newRow("f31 none") << 31 << false << "" << "" << 7.0;
  }
  void readBack() {
    QFETCH(int, type);
    QFETCH(bool, level);
    QFETCH(QString, asked);
    QFETCH(QString, reply);
    QFETCH(double, value);
    FakeVisa::reply(reply);
    double got = 7.0;
    QCOMPARE(level ? GenGetLvl(kS, type, got) : GenGetFrq(kS, type, got), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), asked.isEmpty() ? QStringList() : QStringList{asked});
    QCOMPARE(got, value);
  }

  void replyWithoutNumberIsAFailure() {
    for (const auto &[type, reply] : {std::pair{24, "ERROR\n"}, {24, "\n"}, {12, "RF\n"}, {12, "100000000\n"}}) {
      FakeVisa::reset();
      FakeVisa::reply(reply);
      double value = 7.0;
      QCOMPARE(GenGetFrq(kS, type, value), kErrNoNumber);
      QCOMPARE(value, 7.0);
    }
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
    QTest::newRow("no number") << 24 << 0.0 << "ERR\n" << -1;
    QTest::newRow("no answer") << 24 << 1e9 << "" << -1;
  }
  void checkFrequency() {
    QFETCH(int, type);
    QFETCH(double, hz);
    QFETCH(QString, readBack);
    QFETCH(int, result);
    if (!readBack.isEmpty()) FakeVisa::reply(readBack);
    QCOMPARE(GenChkFrq(kS, type, hz), result);
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
    QCOMPARE(GenChkLvl(kS, 24, -10.0), result);
    QCOMPARE(FakeVisa::writes(), (QStringList{"POW -10;*OPC?\n", "POW?\n"}));
  }

  void checksWithoutSessionOrWithFailedSet() {
    QCOMPARE(GenChkFrq(0, 24, 1e9), 0);  // not opened: passes without I/O
    QCOMPARE(GenChkLvl(0, 24, -10.0), 0);
    QCOMPARE(FakeVisa::transcript(), QStringList());
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(GenChkFrq(kS, 24, 1e9), -1);
    FakeVisa::failNext("viRead", VI_ERROR_TMO);  // the completion answer of the set
    QCOMPARE(GenChkLvl(kS, 24, -10.0), -1);
    QCOMPARE(FakeVisa::writes().size(), 2);  // no read-back after a failed set
  }

  void rfOutput() {
    const auto on = [](int type) { return GenRfOut(kS, type, true); };
    const auto off = [](int type) { return GenRfOut(kS, type, false); };
    QList<CmdRow> rows = ForTypes({1}, on, {"INIT:RFG\n"}, 0);
    rows << ForTypes({1}, off, {"ABORT:RFG\n"}, 0) << ForTypes({2}, on, {"SOUR:GPRF:GEN:STAT ON;*OPC?\n"}, 1)
         << ForTypes({3}, off, {"SOUR:GPRF:GEN:STAT OFF;*OPC?\n"}, 1)
         << ForTypes({5, 9, 11, 18, 19, 24, 27}, on, {":OUTP ON\n"}, 0) << ForTypes({24}, off, {":OUTP OFF\n"}, 0)
         << ForTypes({10, 20, 23, 26, 30}, on, {"OUTP1 ON;*OPC?\n"}, 1)
         << ForTypes({10}, off, {"OUTP1 OFF;*OPC?\n"}, 1) << ForTypes({12, 14}, on, {"LEV:ON\n"}, 0)
         << ForTypes({13}, off, {"LEV:OFF\n"}, 0) << ForTypes({15, 29}, on, {"L:ON\n"}, 0)
         << ForTypes({17}, off, {"L:OFF\n"}, 0) << ForTypes({25}, on, {":OUTP2 ON\n"}, 0)
         << ForTypes({28}, off, {":OUTP2 OFF\n"}, 0) << ForTypes({4, 31, 0, 59}, on, {}, 0);
    QCOMPARE(CheckRows(rows), QString());
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(GenRfOut(kS, 1, true), VI_ERROR_IO);  // a switch-on that did not go out is reported
  }

  void referenceOscillator() {
    const auto ext = [](int type) { return SetRefOsc(kS, type, 1); };
    const auto internal = [](int type) { return SetRefOsc(kS, type, 0); };
    const QStringList rosc{"ROSC:SOUR EXT\n"};
    QList<CmdRow> rows = ForTypes({5, 11, 18, 24, 26, 27, 30, 33, 36, 40, 42, 47, 48, 52, 53, 54, 56, 58, 62, 65, 66},
                                  ext, rosc, 0);
    rows << ForTypes({24}, internal, {"ROSC:SOUR INT\n"}, 0)
         << CmdRow{"any non-zero", [] { return SetRefOsc(kS, 24, 2); }, rosc, 0}
         << ForTypes({46, 57}, ext, rosc + rosc + rosc, 0) << ForTypes({25}, ext, {"ROSC:SOUR2 EXT\n"}, 0)
         << ForTypes({28}, internal, {"ROSC:SOUR2 INT\n"}, 0) << ForTypes({32}, ext, {"REFE E"}, 0)
         << ForTypes({37}, internal, {"REFE I"}, 0) << ForTypes({72}, ext, {"RFE\n"}, 0)
         << ForTypes({72}, internal, {"RFI\n"}, 0)
         << ForTypes({1, 2, 3, 4, 12, 29, 31, 34, 45, 49, 55, 63, 67, 68, 69, 70, 71, 73, 75, 80}, ext, {}, 0);
    QCOMPARE(CheckRows(rows), QString());
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(SetRefOsc(kS, 46, 1), VI_SUCCESS);  // the last of the three counts
  }
};

QTEST_GUILESS_MAIN(GenCmdTest)
#include "tst_gencmd.moc"
