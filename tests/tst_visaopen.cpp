// Opening, local control and closing of instruments, as exact transcripts of
// the VISA calls that reach the recording fake library.
#include "support/FakeVisa.h"
#include "instruments/Visa.h"

#include <QtTest>

namespace {

const QStringList kConfigure1 = {
    "viSetAttribute 1 VI_ATTR_TMO_VALUE 10000",
    "viSetBuf 1 3 4000",
    "viSetAttribute 1 VI_ATTR_WR_BUF_OPER_MODE 1",
    "viSetAttribute 1 VI_ATTR_RD_BUF_OPER_MODE 1",
};

DevStr device(int type, int interface, int address = 20)
{
  DevStr dev;
  dev.Type = type;
  dev.Interface = interface;
  dev.GpibAddress = address;
  return dev;
}

// The probe of a radio tester's primary address: identification and the
// answers to the secondary-address queries 1..answers.size().
void scriptRadioTester(const QStringList &answers)
{
  FakeVisa::replyFor("GPIB0::20::0::INSTR", "Tester,1,2\n");
  for (const QString &answer : answers)
    FakeVisa::replyFor("GPIB0::20::0::INSTR", answer);
}

QStringList probeTranscript(int queries, bool found)
{
  QStringList lines = {
      "viOpenDefaultRM -> 1000",
      "viOpen 1000 \"GPIB0::20::0::INSTR\" 0 10000 -> 1",
      "viWrite 1 \"*IDN?\\n\"",
      "viRead 1 20000 -> \"Tester,1,2\\n\"",
  };
  for (int n = 1; n <= queries; ++n) {
    lines << QString("viWrite 1 \"SYST:REM:ADDR:SEC? %1\\n\"").arg(n);
    const bool signalling = found && n == queries;
    lines << QString("viRead 1 20000 -> \"\\\"%1\\\"\\n\"").arg(signalling ? "RF_NSig" : "RF_NMeas");
  }
  lines << "viWrite 1 \"SYST:GTRM:COMP OFF\\n\"" << "viClose 1" << "viClose 1000";
  return lines;
}

QStringList withSession(QStringList lines, int session)
{
  for (QString &line : lines)
    line.replace(" 1 ", QString(" %1 ").arg(session));
  return lines;
}

}  // namespace

class TstVisaOpen : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(FakeVisa::load()); }
  void init() { FakeVisa::reset(); }

  void ordinaryInstrument()
  {
    DevStr gen = device(24, 0, 28);
    gen.Reset = true;
    gen.QueryIdn = true;
    FakeVisa::replyFor("GPIB0::28::INSTR", "Maker,GEN,1,2\n");
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(gen.Session, 1u);
    QCOMPARE(gen.Idn, QString("Maker,GEN,1,2\n"));
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB0::28::INSTR\" 0 5000 -> 1"})
                 + kConfigure1 +
                 QStringList({"viWrite 1 \"*RST\\n\"", "viWrite 1 \"*IDN?\\n\"",
                              "viRead 1 20000 -> \"Maker,GEN,1,2\\n\"", "viGpibControlREN 1 6"}));
  }

  void sweepOpenWithoutIdentificationOnLan()
  {
    DevStr ana = device(40, 3);
    ana.IpAddress = "192.168.0.7";
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(ana.Idn, QString());
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000",
                          "viOpen 1000 \"TCPIP::192.168.0.7::INSTR\" 0 5000 -> 1"})
                 + kConfigure1 + QStringList({"viWrite 1 \"&GTL\\n\""}));
  }

  void receiverTerminatorBeforeConfiguration()
  {
    DevStr ana = device(32, 1, 7);
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript().mid(0, 4),
             QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB1::7::INSTR\" 0 5000 -> 1",
                          "viWrite 1 \"TER E\\n\"", "viSetAttribute 1 VI_ATTR_TMO_VALUE 10000"}));
  }

  void failedOpenIsNotConfigured()
  {
    FakeVisa::failOpen("GPIB0::20::INSTR");
    DevStr gen = device(24, 0);
    gen.Reset = true;
    QCOMPARE(DevOpen(gen), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(gen.Session, 0u);
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000",
                          "viOpen 1000 \"GPIB0::20::INSTR\" 0 5000 -> VI_ERROR_RSRC_NFOUND"}));
  }

  void configurationStopsAtFirstFailure()
  {
    FakeVisa::failNext("viSetBuf", VI_ERROR_IO);
    DevStr gen = device(24, 0);
    QCOMPARE(DevOpen(gen), VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript().mid(2),
             QStringList({"viSetAttribute 1 VI_ATTR_TMO_VALUE 10000", "viSetBuf 1 3 4000 -> VI_ERROR_IO"}));
  }

  // A VISA that opens with a warning still gives a usable, configured session.
  void openWarningCountsAsSuccess()
  {
    FakeVisa::failNext("viOpen", VI_WARN_CONFIG_NLOADED);
    DevStr gen = device(24, 0);
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript().at(1),
             QString("viOpen 1000 \"GPIB0::20::INSTR\" 0 5000 -> 1 VI_WARN_CONFIG_NLOADED"));
    QCOMPARE(FakeVisa::transcript().size(), 7);
  }

  void failedResetSkipsIdentification()
  {
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    DevStr gen = device(24, 0);
    gen.Reset = true;
    gen.QueryIdn = true;
    gen.Idn = "old";
    QCOMPARE(DevOpen(gen), VI_ERROR_TMO);
    QCOMPARE(gen.Idn, QString("old"));
    QCOMPARE(FakeVisa::transcript().mid(6),
             QStringList({"viWrite 1 \"*RST\\n\" -> VI_ERROR_TMO", "viGpibControlREN 1 6"}));
  }

  void serialLineSettings()
  {
    DevStr gen = device(18, 2);
    gen.SerialPort = 1;
    gen.Baudrate = 9600;
    gen.DataBits = 7;
    gen.Parity = 2;
    gen.StopBits = 20;
    gen.FlowControl = 3;
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"ASRL2::INSTR\" 0 5000 -> 1"}) +
                 kConfigure1 +
                 QStringList({
                     "viSetAttribute 1 VI_ATTR_MAX_QUEUE_LENGTH 50",
                     "viSetAttribute 1 VI_ATTR_SEND_END_EN 1",
                     "viSetAttribute 1 VI_ATTR_TMO_VALUE 6000",
                     "viSetAttribute 1 VI_ATTR_TERMCHAR 10",
                     "viSetAttribute 1 VI_ATTR_TERMCHAR_EN 0",
                     "viSetAttribute 1 VI_ATTR_IO_PROT 1",
                     "viSetAttribute 1 VI_ATTR_SUPPRESS_END_EN 0",
                     "viSetAttribute 1 VI_ATTR_ASRL_BAUD 9600",
                     "viSetAttribute 1 VI_ATTR_ASRL_DATA_BITS 7",
                     "viSetAttribute 1 VI_ATTR_ASRL_PARITY 2",
                     "viSetAttribute 1 VI_ATTR_ASRL_STOP_BITS 20",
                     "viSetAttribute 1 VI_ATTR_ASRL_FLOW_CNTRL 4",
                     "viSetAttribute 1 VI_ATTR_ASRL_END_IN 2",
                     "viSetAttribute 1 VI_ATTR_ASRL_END_OUT 0",
                     "viSetAttribute 1 VI_ATTR_ASRL_XON_CHAR 17",
                     "viSetAttribute 1 VI_ATTR_ASRL_XOFF_CHAR 19",
                 }));
  }

  void serialSettingsOnlyForSerialTypesOnTheSerialLine()
  {
    DevStr lan = device(18, 3);
    QCOMPARE(DevOpen(lan), VI_SUCCESS);
    DevStr otherType = device(24, 2);
    QCOMPARE(DevOpen(otherType), VI_SUCCESS);
    QVERIFY(!FakeVisa::transcript().join('\n').contains("ASRL_BAUD"));
  }

  void powerMeterKinds_data()
  {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("mode");
    QTest::newRow("78") << 78 << "W4\\n";
    QTest::newRow("79") << 79 << "W3\\n";
    QTest::newRow("80") << 80 << "W4\\n";
  }

  void powerMeterKinds()
  {
    QFETCH(int, type);
    QFETCH(QString, mode);
    DevStr ana = device(type, 0, 13);
    ana.QueryIdn = true;
    ana.Reset = true;
    FakeVisa::reply("PM 1.0\n");
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(ana.Idn, QString("PM 1.0\n"));
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB0::13::INSTR\" 0 5000 -> 1"}) +
                 kConfigure1 +
                 QStringList({"viWrite 1 \"" + mode + "\"", "viWrite 1 \"ZV\\n\"",
                              "viRead 1 20000 -> \"PM 1.0\\n\"", "viGpibControlREN 1 6"}));
  }

  void powerMeterWithoutIdentificationStaysRemote()
  {
    DevStr ana = device(80, 0, 13);
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript().last(), QString("viWrite 1 \"W4\\n\""));
  }

  void powerMeterModeFailure()
  {
    DevStr meter79 = device(79, 0, 13);
    meter79.QueryIdn = true;
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(DevOpen(meter79), VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript().last(), QString("viWrite 1 \"W3\\n\" -> VI_ERROR_IO"));

    FakeVisa::reset();
    DevStr meter78 = device(78, 0, 13);
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    QCOMPARE(DevOpen(meter78), VI_SUCCESS);
  }

  void radioTesterFoundAtSeven()
  {
    scriptRadioTester({"\"RF_NMeas\"\n", "\"RF_NMeas\"\n", "\"RF_NMeas\"\n", "\"RF_NMeas\"\n",
                       "\"RF_NMeas\"\n", "\"RF_NMeas\"\n", "\"RF_NSig\"\n"});
    DevStr gen = device(1, 0);
    gen.Reset = true;
    gen.RfPort = 1;
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(gen.Session, 2u);
    QCOMPARE(gen.VisaResourceString, QString("GPIB0::20::0::INSTR"));
    QCOMPARE(gen.Idn, QString("Tester,1,2\n"));
    QCOMPARE(FakeVisa::transcript(),
             probeTranscript(7, true) +
                 QStringList({"viOpenDefaultRM -> 1001", "viOpen 1001 \"GPIB0::20::7::INSTR\" 0 0 -> 2"}) +
                 withSession(kConfigure1, 2) +
                 QStringList({"viWrite 2 \"*RST;*OPC?\\n\"", "viRead 2 20000 -> \"1\\n\"",
                              "viWrite 2 \"*CLS\\n\"", "viWrite 2 \"OUTP RF2\\n\""}) +
                 withSession(kConfigure1, 2) +
                 QStringList({"viWrite 2 \"*RST\\n\"", "viGpibControlREN 2 6"}));
  }

  void radioTesterNotFoundOpensThirty()
  {
    QStringList answers;
    for (int n = 1; n <= 29; ++n)
      answers << "\"RF_NMeas\"\n";
    scriptRadioTester(answers);
    DevStr ana = device(69, 0);
    ana.RfPort = 2;
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(),
             probeTranscript(29, false) +
                 QStringList({"viOpenDefaultRM -> 1001", "viOpen 1001 \"GPIB0::20::30::INSTR\" 0 0 -> 2"}) +
                 withSession(kConfigure1, 2) +
                 QStringList({"viWrite 2 \"*CLS\\n\""}) + QStringList({"viWrite 2 \"INP RF4\\n\""}) +
                 withSession(kConfigure1, 2) + QStringList({"viGpibControlREN 2 6"}));
  }

  void radioTesterSerialAndFailures()
  {
    DevStr gen = device(1, 2);
    gen.SerialPort = 0;
    FakeVisa::failOpen("ASRL1::0::INSTR", VI_ERROR_RSRC_NFOUND);
    QCOMPARE(DevOpen(gen), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000",
                          "viOpen 1000 \"ASRL1::0::INSTR\" 0 10000 -> VI_ERROR_RSRC_NFOUND", "viClose 1000"}));

    // A failure after the probe reports 1, and the session is not configured again.
    FakeVisa::reset();
    FakeVisa::reply("id\n");
    FakeVisa::failOpen("GPIB0::20::30::INSTR", VI_ERROR_RSRC_NFOUND);
    gen = device(1, 0);
    QCOMPARE(DevOpen(gen), 1);
    QVERIFY(FakeVisa::transcript().last().startsWith("viOpen 1001 \"GPIB0::20::30::INSTR\" 0 0 ->"));

    // Other interfaces have no secondary addresses.
    FakeVisa::reset();
    gen = device(1, 3);
    QVERIFY(DevOpenSec(gen) < 0);
  }

  void radioTesterRouting_data()
  {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rfPort");
    QTest::addColumn<int>("rtcNo");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("2 RF1O") << 2 << 1 << 1
                            << QStringList({"ROUT:GPRF:GEN1:SCEN:SAL RF1O, TX1\n",
                                            "SOUR:GPRF:GEN1:STAT ON;*OPC?\n"});
    QTest::newRow("2 RF3C") << 2 << 3 << 1
                            << QStringList({"ROUT:GPRF:GEN2:SCEN:SAL RF3C, TX2\n",
                                            "SOUR:GPRF:GEN2:STAT ON;*OPC?\n"});
    QTest::newRow("3 unit 1 RF1") << 3 << 1 << 1
                                  << QStringList({"ROUT:GPRF:GEN:SCEN:SAL R111,TX11\n",
                                                  "SOUR:GPRF:GEN:STAT ON;*OPC?\n"});
    QTest::newRow("3 unit 2 AUX") << 3 << 0 << 2
                                  << QStringList({"ROUT:GPRF:GEN:SCEN:SAL R210,TX21\n",
                                                  "SOUR:GPRF:GEN:STAT ON;*OPC?\n"});
  }

  void radioTesterRouting()
  {
    QFETCH(int, type);
    QFETCH(int, rfPort);
    QFETCH(int, rtcNo);
    QFETCH(QStringList, writes);
    DevStr gen = device(type, 0);
    gen.RfPort = rfPort;
    gen.RtcNo = rtcNo;
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList({"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n",
                                              "SOUR:GPRF:GEN:LIST OFF\n", "SOUR:GPRF:GEN:BBM CW\n"}) + writes);
    QCOMPARE(FakeVisa::transcript().last(), QString("viGpibControlREN 1 6"));
  }

  void measurementRouting()
  {
    DevStr ana = device(70, 0);
    ana.RfPort = 2;
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList({"*CLS\n", "ROUT:GPRF:MEAS:SCEN:SAL RF3C, RX2\n"}));

    FakeVisa::reset();
    ana = device(71, 0);
    ana.RfPort = 3;
    ana.RtcNo = 2;
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(FakeVisa::writes(), QStringList({"ROUT:GPRF:MEAS:SCEN:SAL R24, RX2\n"}));
  }

  void routingStopsAtFailureAndRefusesUnknownConnector()
  {
    DevStr gen = device(2, 0);
    FakeVisa::failNext("viWrite", VI_SUCCESS);
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(DevOpen(gen), VI_ERROR_TMO);
    QCOMPARE(FakeVisa::writes(), QStringList({"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n"}));

    FakeVisa::reset();
    gen.RfPort = 6;
    QCOMPARE(DevOpen(gen), VI_ERROR_INV_SETUP);
    QVERIFY(!FakeVisa::writes().join("").contains("ROUT"));
  }

  // "None" and "External" are never opened or addressed, even with a stale session.
  void uncontrolledGenerators()
  {
    for (int type : {0, 31}) {
      DevStr gen2 = device(type, 0);
      gen2.Session = 5;
      gen2.Reset = true;
      gen2.QueryIdn = true;
      QCOMPARE(DevOpen(gen2), VI_SUCCESS);
      QCOMPARE(DevLocal(gen2), VI_SUCCESS);
      QCOMPARE(DevClose(gen2), VI_SUCCESS);
    }
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void localByInterface_data()
  {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("GPIB") << 24 << "GPIB1::4::INSTR" << QStringList({"viGpibControlREN 3 6"});
    QTest::newRow("LAN") << 24 << "TCPIP::10.0.0.1::INSTR" << QStringList({"viWrite 3 \"&GTL\\n\""});
    QTest::newRow("serial") << 24 << "ASRL1::INSTR" << QStringList();
    QTest::newRow("USB") << 24 << "USB::0x1234::0x1::1::INSTR" << QStringList();
    QTest::newRow("case-sensitive") << 24 << "tcpip::10.0.0.1::INSTR" << QStringList();
    QTest::newRow("sensor handle") << 75 << "GPIB0::1::INSTR" << QStringList();
  }

  void localByInterface()
  {
    QFETCH(int, type);
    QFETCH(QString, resource);
    QFETCH(QStringList, calls);
    DevStr dev = device(type, 0);
    dev.Session = 3;
    dev.VisaResourceString = resource;
    QCOMPARE(DevLocal(dev), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), calls);
  }

  void localFailure()
  {
    DevStr dev = device(24, 0);
    dev.Session = 3;
    dev.VisaResourceString = "GPIB0::1::INSTR";
    FakeVisa::failNext("viGpibControlREN", VI_ERROR_IO);
    QCOMPARE(DevLocal(dev), VI_ERROR_IO);
  }

  void closeSessionAndManager()
  {
    DevStr gen = device(24, 0);
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    FakeVisa::reset();
    DevStr never = device(24, 0);
    QCOMPARE(DevClose(never), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList());

    FakeVisa::reset();
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(DevClose(gen), VI_SUCCESS);
    QCOMPARE(gen.Session, 1u);
    QCOMPARE(FakeVisa::transcript().mid(7),
             QStringList({"viGetAttribute 1 VI_ATTR_RM_SESSION -> 1000", "viClose 1", "viClose 1000"}));

    FakeVisa::reset();
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    FakeVisa::failNext("viClose", VI_ERROR_INV_OBJECT);
    QCOMPARE(DevClose(gen), VI_ERROR_INV_OBJECT);
    QCOMPARE(FakeVisa::transcript().last(), QString("viClose 1 -> VI_ERROR_INV_OBJECT"));
  }
};

QTEST_GUILESS_MAIN(TstVisaOpen)
#include "tst_visaopen.moc"
