// Resource strings, and the write, query and number-read operations on which
// every command set is built.
#include "support/FakeVisa.h"
#include "instruments/Visa.h"

#include <QtTest>

#include <clocale>

class TstVisaIo : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void resourceStrings_data()
  {
    QTest::addColumn<int>("interface");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("expected");
    QTest::newRow("GPIB0 radio tester") << 0 << 1 << "GPIB0::20::0::INSTR";
    QTest::newRow("GPIB0 generator") << 0 << 24 << "GPIB0::20::INSTR";
    QTest::newRow("GPIB1 analyzer") << 1 << 69 << "GPIB1::20::INSTR";
    QTest::newRow("GPIB1 radio tester") << 1 << 1 << "GPIB1::20::0::INSTR";
    QTest::newRow("RS232 COM3") << 2 << 10 << "ASRL3::INSTR";
    QTest::newRow("LAN") << 3 << 40 << "TCPIP::192.168.0.1::INSTR";
    QTest::newRow("USB sensor") << 4 << 75 << "USB::0x1209::0x1ab::4711";
    QTest::newRow("USB other type") << 4 << 40 << "USB0::0x0AAD::0x0117::100123::INSTR";
    QTest::newRow("unknown interface") << 7 << 40 << "USB0::0x0AAD::0x0117::100123::INSTR";
  }

  void resourceStrings()
  {
    QFETCH(int, interface);
    QFETCH(int, type);
    QFETCH(QString, expected);
    DevStr dev;
    dev.Interface = interface;
    dev.Type = type;
    dev.GpibAddress = 20;
    dev.SerialPort = 2;
    dev.IpAddress = "192.168.0.1";
    dev.ProductId = 0x1AB;
    dev.SerialNo = 4711;
    dev.VisaResourceString = "USB0::0x0AAD::0x0117::100123::INSTR";
    MakeRsrc(dev);
    QCOMPARE(dev.VisaResourceString, expected);
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void writeSendsEveryByte()
  {
    QCOMPARE(VisaWrite(4, "REFE E"), VI_SUCCESS);
    QCOMPARE(VisaWrite(4, "FREQ 1.5;*OPC?\n"), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viWrite 4 \"REFE E\"", "viWrite 4 \"FREQ 1.5;*OPC?\\n\""}));
    QCOMPARE(FakeVisa::writes(), QStringList({"REFE E", "FREQ 1.5;*OPC?\n"}));
  }

  void queryKeepsTerminator()
  {
    FakeVisa::reply("Maker,Model,123,1.0\n");
    QString reply = "old";
    QCOMPARE(VisaQuery(2, "*IDN?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("Maker,Model,123,1.0\n"));
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viWrite 2 \"*IDN?\\n\"", "viRead 2 20000 -> \"Maker,Model,123,1.0\\n\""}));
  }

  void failedQueryLeavesReplyAndValue()
  {
    QString reply = "old";
    double value = 7.0;
    int count = 7;
    QCOMPARE(VisaQuery(2, "*IDN?\n", reply), VI_ERROR_TMO);
    QCOMPARE(VisaQueryNum(2, "FREQ?\n", value), VI_ERROR_TMO);
    QCOMPARE(VisaQueryInt(2, "SWE:POIN?\n", count), VI_ERROR_TMO);
    QCOMPARE(reply, QString("old"));
    QCOMPARE(value, 7.0);
    QCOMPARE(count, 7);
    QCOMPARE(FakeVisa::transcript().at(1), QString("viRead 2 20000 -> VI_ERROR_TMO"));

    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    FakeVisa::reply("1\n");
    QCOMPARE(VisaQueryNum(2, "FREQ?\n", value), VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viWrite 2 \"FREQ?\\n\" -> VI_ERROR_IO"}));
  }

  void numberReplies_data()
  {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<double>("number");
    QTest::addColumn<int>("integer");
    QTest::newRow("exponent") << "1.5E+06\n" << 1500000.0 << 1;
    QTest::newRow("empty") << "" << 0.0 << 0;
    QTest::newRow("words") << "OFF\n" << 0.0 << 0;
    QTest::newRow("leading blanks and sign") << "  -12.25dBm\n" << -12.25 << -12;
    QTest::newRow("plus sign") << "+3e-3\n" << 0.003 << 3;
    QTest::newRow("point first") << ".5\n" << 0.5 << 0;
    QTest::newRow("two numbers") << "10,20\n" << 10.0 << 10;
    QTest::newRow("no digits after exponent") << "2E\n" << 2.0 << 2;
    QTest::newRow("infinity word") << "INF\n" << 0.0 << 0;
    QTest::newRow("double sign") << "+-5\n" << 0.0 << 0;
    QTest::newRow("beyond double") << "1E999\n" << 0.0 << 1;
    QTest::newRow("beyond int") << "99999999999\n" << 99999999999.0 << 0;
  }

  void numberReplies()
  {
    QFETCH(QString, reply);
    QFETCH(double, number);
    QFETCH(int, integer);
    double value = -1.0;
    int count = -1;
    FakeVisa::reply(reply);
    FakeVisa::reply(reply);
    FakeVisa::reply(reply);
    QCOMPARE(VisaQueryNum(1, "X?\n", value), VI_SUCCESS);
    QCOMPARE(value, number);
    QCOMPARE(VisaQueryInt(1, "X?\n", count), VI_SUCCESS);
    QCOMPARE(count, integer);
    value = -1.0;
    QCOMPARE(VisaReadNum(1, value), VI_SUCCESS);
    QCOMPARE(value, number);
  }

  // The reply is read with a decimal point whatever the user's locale.
  void numbersIgnoreLocale()
  {
    const char *previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    if (!previous)
      QSKIP("the German locale is not installed (scripts/setup installs it)");
    FakeVisa::reply("2.5\n");
    double value = 0.0;
    QCOMPARE(VisaReadNum(1, value), VI_SUCCESS);
    std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(value, 2.5);
  }

  void numberReadTakesHundredBytes()
  {
    const QString longReply = QString("1.25,") + QString(200, '9') + "\n";
    FakeVisa::reply(longReply);
    double value = 0.0;
    QCOMPARE(VisaQueryNum(1, "TRAC?\n", value), VI_SUCCESS_MAX_CNT);
    QCOMPARE(value, 1.25);
    QCOMPARE(FakeVisa::transcript().at(1),
             "viRead 1 100 -> \"1.25," + QString(95, '9') + "\" VI_SUCCESS_MAX_CNT");
    // The rest stays in the output queue for the next read.
    QString rest;
    QCOMPARE(VisaQuery(1, "X?\n", rest), VI_SUCCESS);
    QCOMPARE(rest, QString(105, '9') + "\n");
  }

  void queryReplyLongerThanBuffer()
  {
    FakeVisa::reply(QString(20010, 'A'));
    QString reply;
    QCOMPARE(VisaQuery(1, "TRAC?\n", reply), VI_SUCCESS_MAX_CNT);
    QCOMPARE(reply, QString(20000, 'A'));
  }

  void readNumberFailureGivesZero()
  {
    double value = 5.0;
    FakeVisa::timeout();
    QCOMPARE(VisaReadNum(1, value), VI_ERROR_TMO);
    QCOMPARE(value, 0.0);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viRead 1 100 -> VI_ERROR_TMO"}));
  }

  void statusByte()
  {
    FakeVisa::statusByte(0x10);
    ViUInt16 stb = 0;
    QCOMPARE(VisaReadStb(1, stb), VI_SUCCESS);
    QCOMPARE(stb, ViUInt16(0x10));
    QCOMPARE(VisaReadStb(0, stb), VI_ERROR_INV_OBJECT);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viReadSTB 1 -> 16", "viReadSTB 0 -> VI_ERROR_INV_OBJECT"}));
  }

  // The fake's own rules on which every command test relies.
  void fakeScriptRules()
  {
    FakeVisa::replyForSession(2, "two\n");
    FakeVisa::replyFor("GPIB0::9::INSTR", "nine\n");
    FakeVisa::reply("any\n");
    QString reply;
    QCOMPARE(VisaQuery(1, "FREQ 1;*OPC?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("1\n"));
    QCOMPARE(VisaQuery(1, "A?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("any\n"));
    QCOMPARE(VisaQuery(2, "A?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("two\n"));
    DevStr dev;
    dev.Type = 24;
    dev.GpibAddress = 9;
    QCOMPARE(DevOpen(dev), VI_SUCCESS);
    QCOMPARE(VisaQuery(dev.Session, "A?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("nine\n"));
    FakeVisa::setAutoOpc(false);
    FakeVisa::reply("0\n");
    QCOMPARE(VisaQuery(1, "*OPC?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("0\n"));
    QCOMPARE(VisaWrite(0, "X\n"), VI_ERROR_INV_OBJECT);
  }
};

QTEST_GUILESS_MAIN(TstVisaIo)
#include "tst_visaio.moc"
