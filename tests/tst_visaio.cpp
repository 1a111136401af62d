// The VISA session layer as exact transcripts of the calls that reach the
// recording fake library: resource strings, write, query and number reads,
// and the open, local control and close of instruments. The USB power sensor
// goes through its own fake driver library instead, as a run reaches it
// (open, set-up, measurement, close), and never through VISA.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "instruments/AnaCmd.h"
#include "instruments/Measure.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"

#include <QtTest>

#include <clocale>
#include <tuple>

Q_DECLARE_METATYPE(DevStr)

namespace {

enum Setup { Reset = 1, Idn = 2, SerialLine = 4 };

DevStr device(int type, int interface, int address = 20, int setup = 0) {
  DevStr dev;
  std::tie(dev.Type, dev.Interface, dev.GpibAddress, dev.IpAddress, dev.Reset, dev.QueryIdn) =
      std::tuple(type, interface, address, "192.168.0.7", bool(setup & Reset), bool(setup & Idn));
  if (setup & SerialLine)
    std::tie(dev.SerialPort, dev.Baudrate, dev.DataBits, dev.Parity, dev.StopBits, dev.FlowControl) =
        std::tuple(1, 9600, 7, 2, 20, 3);
  return dev;
}

QStringList configure(int session) {
  return QStringList({"viSetAttribute %1 VI_ATTR_TMO_VALUE 10000", "viSetBuf %1 3 4000",
                      "viSetAttribute %1 VI_ATTR_WR_BUF_OPER_MODE 1", "viSetAttribute %1 VI_ATTR_RD_BUF_OPER_MODE 1"})
      .replaceInStrings("%1", QString::number(session));
}

DevStr sensor(ViSession session = 0) {
  DevStr ana = device(75, 4);
  std::tie(ana.ProductId, ana.SerialNo, ana.Session) = std::tuple(0x2f, 1234, session);
  return ana;
}

const QString kInit = "pwudrv_init \"USB::0x1209::0x2f::1234\" 0 ";

ViStatus measure(double hz, double dwellS, double &level) { return AnaMeasure(1, 75, hz, level, dwellS, 0.0, 1); }

// The transcript of an ordinary open of resource as session 1, configured.
QStringList opened(const QString &resource) {
  return QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"" + resource + "\" 0 5000 -> 1"}) + configure(1);
}

// Scripts the probe of a radio tester's primary address, whose secondary-address
// queries 1..queries answer "RF_NMeas" ("RF_NSig" at the last when found), and
// returns its transcript up to the open of the address found (30 when none).
QStringList probe(int queries, bool found) {
  FakeVisa::replyFor("GPIB0::20::0::INSTR", "Tester,1,2\n");
  QStringList lines = {"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB0::20::0::INSTR\" 0 10000 -> 1",
                       "viWrite 1 \"*IDN?\\n\"", "viRead 1 20000 -> \"Tester,1,2\\n\""};
  for (int n = 1; n <= queries; ++n) {
    const QString function = found && n == queries ? "RF_NSig" : "RF_NMeas";
    FakeVisa::replyFor("GPIB0::20::0::INSTR", "\"" + function + "\"\n");
    lines << QString("viWrite 1 \"SYST:REM:ADDR:SEC? %1\\n\"").arg(n)
          << "viRead 1 20000 -> \"\\\"" + function + "\\\"\\n\"";
  }
  return lines << "viWrite 1 \"SYST:GTRM:COMP OFF\\n\"" << "viClose 1" << "viClose 1000"
               << "viOpenDefaultRM -> 1001"
               << QString("viOpen 1001 \"GPIB0::20::%1::INSTR\" 0 0 -> 2").arg(found ? queries : 30);
}

}  // namespace

class TstVisaIo : public QObject {
  Q_OBJECT

  QList<int> sleeps_;

 private slots:
  void initTestCase() {
    QVERIFY(FakeVisa::load());
    SetInstrumentSleep([this](int ms) { sleeps_ << ms; });
  }
  void init() {
    std::setlocale(LC_NUMERIC, "C");
    FakeVisa::reset();
    FakePwu::reset();
    sleeps_.clear();
  }

  void resourceStrings() {
    const struct { int interface, type; const char *expected; } rows[] = {
        {0, 1, "GPIB0::20::0::INSTR"}, {0, 24, "GPIB0::20::INSTR"}, {1, 69, "GPIB1::20::INSTR"},
        {1, 1, "GPIB1::20::0::INSTR"}, {2, 10, "ASRL3::INSTR"}, {3, 40, "TCPIP::192.168.0.1::INSTR"},
        {4, 75, "USB::0x1209::0x1ab::4711"}, {4, 40, "USB0::0x0AAD::0x0117::100123::INSTR"},  // kept as entered
        {7, 40, "USB0::0x0AAD::0x0117::100123::INSTR"}};  // an unknown interface changes nothing
    for (const auto &row : rows) {
      DevStr dev = device(row.type, row.interface);
      std::tie(dev.SerialPort, dev.IpAddress, dev.ProductId, dev.SerialNo, dev.VisaResourceString) =
          std::tuple(2, "192.168.0.1", 0x1AB, 4711, "USB0::0x0AAD::0x0117::100123::INSTR");
      MakeRsrc(dev);
      QCOMPARE(dev.VisaResourceString, QString(row.expected));
    }
  }

  void writeAndQuery() {
    QCOMPARE(VisaWrite(4, "REFE E"), VI_SUCCESS);
    QCOMPARE(VisaWrite(4, "FREQ 1.5;*OPC?\n"), VI_SUCCESS);
    FakeVisa::reply("Maker,Model,123,1.0\n");
    QString reply = "old";
    QCOMPARE(VisaQuery(2, "*IDN?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("Maker,Model,123,1.0\n"));
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viWrite 4 \"REFE E\"", "viWrite 4 \"FREQ 1.5;*OPC?\\n\"", "viWrite 2 \"*IDN?\\n\"",
                          "viRead 2 20000 -> \"Maker,Model,123,1.0\\n\""}));

    // Failed exchanges leave the reply and the value alone.
    FakeVisa::reset();
    reply = "old";
    double value = 7.0;
    int count = 7;
    QCOMPARE(VisaQuery(2, "*IDN?\n", reply), VI_ERROR_TMO);
    QCOMPARE(VisaQueryNum(2, "FREQ?\n", value), VI_ERROR_TMO);
    QCOMPARE(VisaQueryInt(2, "SWE:POIN?\n", count), VI_ERROR_TMO);
    QCOMPARE(QString("%1 %2 %3").arg(reply).arg(value).arg(count), QString("old 7 7"));
    QCOMPARE(VisaReadNum(1, value), VI_ERROR_TMO);
    QCOMPARE(value, 0.0);
    QCOMPARE(FakeVisa::transcript().last(), QString("viRead 1 100 -> VI_ERROR_TMO"));

    FakeVisa::reset();
    FakeVisa::failNext("viWrite", VI_ERROR_IO);
    FakeVisa::reply("1\n");
    QCOMPARE(VisaQueryNum(2, "FREQ?\n", value), VI_ERROR_IO);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viWrite 2 \"FREQ?\\n\" -> VI_ERROR_IO"}));
  }

  // The number at the start of a reply, as a double and as an int, read with
  // a decimal point under a desktop locale with a decimal comma too (when
  // installed; scripts/setup installs it).
  void numberReplies() {
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const struct { const char *reply; double number; int integer; } rows[] = {
        {"1.5E+06\n", 1500000.0, 1}, {"", 0.0, 0}, {"OFF\n", 0.0, 0}, {"  -12.25dBm\n", -12.25, -12},
        {"+3e-3\n", 0.003, 3}, {".5\n", 0.5, 0}, {"10,20\n", 10.0, 10}, {"2E\n", 2.0, 2}, {"INF\n", 0.0, 0},
        {"+-5\n", 0.0, 0}, {"1E999\n", 0.0, 1}, {"99999999999\n", 99999999999.0, 0}};
    for (const auto &row : rows) {
      double value = -1.0, read = -1.0;
      int count = -1;
      for (int i = 0; i < 3; ++i)
        FakeVisa::reply(row.reply);
      const ViStatus status = VisaQueryNum(1, "X?\n", value) | VisaQueryInt(1, "X?\n", count) | VisaReadNum(1, read);
      const auto num = [](double v) { return QString::number(v, 'g', 17); };
      QCOMPARE(QString("%1: %2 %3 %4 %5").arg(row.reply).arg(status).arg(num(value)).arg(count).arg(num(read)),
               QString("%1: 0 %2 %3 %2").arg(row.reply, num(row.number)).arg(row.integer));
    }
  }

  // Number reads take 100 bytes, queries 20000; the rest stays queued.
  void repliesLongerThanTheBuffer() {
    FakeVisa::reply(QString("1.25,") + QString(200, '9') + "\n");
    double value = 0.0;
    QCOMPARE(VisaQueryNum(1, "TRAC?\n", value), VI_SUCCESS_MAX_CNT);
    QCOMPARE(value, 1.25);
    QCOMPARE(FakeVisa::transcript().at(1), "viRead 1 100 -> \"1.25," + QString(95, '9') + "\" VI_SUCCESS_MAX_CNT");
    QString reply;
    QCOMPARE(VisaQuery(1, "X?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString(105, '9') + "\n");

    FakeVisa::reply(QString(20010, 'A'));
    QCOMPARE(VisaQuery(1, "TRAC?\n", reply), VI_SUCCESS_MAX_CNT);
    QCOMPARE(reply, QString(20000, 'A'));
  }

  void openTranscripts_data() {
    QTest::addColumn<DevStr>("dev");
    QTest::addColumn<QString>("failing");  // function whose next call returns failStatus
    QTest::addColumn<int>("failStatus");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("transcript");
    const QString idn = "viRead 1 20000 -> \"Maker,GEN,1,2\\n\"";
    const QString rst = "viWrite 1 \"*RST\\n\"", local = "viGpibControlREN 1 6", gtl = "viWrite 1 \"&GTL\\n\"";
    QTest::newRow("ordinary") << device(24, 0, 28, Reset | Idn) << "" << 0 << 0
                              << opened("GPIB0::28::INSTR") + QStringList({rst, "viWrite 1 \"*IDN?\\n\"", idn, local});
    QTest::newRow("LAN, no identification") << device(40, 3) << "" << 0 << 0
                                            << opened("TCPIP::192.168.0.7::INSTR") + QStringList({gtl});
    for (int type : {78, 79, 80})
      QTest::newRow(qPrintable(QString("power meter %1").arg(type)))
          << device(type, 0, 13, Reset | Idn) << "" << 0 << 0
          << opened("GPIB0::13::INSTR") + QStringList({QString("viWrite 1 \"W%1\\n\"").arg(type == 79 ? 3 : 4),
                                                       "viWrite 1 \"ZV\\n\"", idn, local});
    QTest::newRow("power meter, no identification: stays remote")
        << device(80, 0, 13) << "" << 0 << 0 << opened("GPIB0::13::INSTR") + QStringList({"viWrite 1 \"W4\\n\""});
    QTest::newRow("power meter 79: mode fails")
        << device(79, 0, 13, Idn) << "viWrite" << VI_ERROR_IO << VI_ERROR_IO
        << opened("GPIB0::13::INSTR") + QStringList({"viWrite 1 \"W3\\n\" -> VI_ERROR_IO"});
    QTest::newRow("power meter 78: mode failure ignored")
        << device(78, 0, 13) << "viWrite" << VI_ERROR_IO << 0
        << opened("GPIB0::13::INSTR") + QStringList({"viWrite 1 \"W4\\n\" -> VI_ERROR_IO"});
    QTest::newRow("receiver: terminator first")
        << device(32, 1, 7) << "" << 0 << 0
        << QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB1::7::INSTR\" 0 5000 -> 1",
                        "viWrite 1 \"TER E\\n\""}) + configure(1) + QStringList({local});
    QTest::newRow("serial, flow control 3 as 4")
        << device(18, 2, 20, SerialLine) << "" << 0 << 0
        << opened("ASRL2::INSTR") +
               QStringList({"MAX_QUEUE_LENGTH 50", "SEND_END_EN 1", "TMO_VALUE 6000", "TERMCHAR 10", "TERMCHAR_EN 0",
                            "IO_PROT 1", "SUPPRESS_END_EN 0", "ASRL_BAUD 9600", "ASRL_DATA_BITS 7", "ASRL_PARITY 2",
                            "ASRL_STOP_BITS 20", "ASRL_FLOW_CNTRL 4", "ASRL_END_IN 2", "ASRL_END_OUT 0",
                            "ASRL_XON_CHAR 17", "ASRL_XOFF_CHAR 19"})
                   .replaceInStrings(QRegularExpression("^"), "viSetAttribute 1 VI_ATTR_");
    QTest::newRow("serial type on LAN") << device(18, 3, 20, SerialLine) << "" << 0 << 0
                                        << opened("TCPIP::192.168.0.7::INSTR") + QStringList({gtl});
    QTest::newRow("other type on the serial line")
        << device(24, 2, 20, SerialLine) << "" << 0 << 0 << opened("ASRL2::INSTR");
    QTest::newRow("open fails: not configured")
        << device(24, 0, 20, Reset) << "viOpen" << VI_ERROR_RSRC_NFOUND << VI_ERROR_RSRC_NFOUND
        << QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"GPIB0::20::INSTR\" 0 5000 -> VI_ERROR_RSRC_NFOUND",
                        "viClose 1000"});
    QTest::newRow("open warning counts as success")
        << device(24, 0) << "viOpen" << VI_WARN_CONFIG_NLOADED << 0
        << opened("GPIB0::20::INSTR").replaceInStrings(QRegularExpression("-> 1$"), "-> 1 VI_WARN_CONFIG_NLOADED") +
               QStringList({local});
    QTest::newRow("configuration stops at first failure")
        << device(24, 0) << "viSetBuf" << VI_ERROR_IO << VI_ERROR_IO
        << opened("GPIB0::20::INSTR").mid(0, 4).replaceInStrings("4000", "4000 -> VI_ERROR_IO");
    QTest::newRow("failed reset skips identification")
        << device(24, 0, 20, Reset | Idn) << "viWrite" << VI_ERROR_TMO << VI_ERROR_TMO
        << opened("GPIB0::20::INSTR") + QStringList({"viWrite 1 \"*RST\\n\" -> VI_ERROR_TMO", local});
  }

  void openTranscripts() {
    QFETCH(DevStr, dev);
    QFETCH(QString, failing);
    QFETCH(int, failStatus);
    QFETCH(int, status);
    QFETCH(QStringList, transcript);
    if (!failing.isEmpty())
      FakeVisa::failNext(failing, failStatus);
    FakeVisa::reply("Maker,GEN,1,2\n");
    dev.Idn = "old";
    QCOMPARE(DevOpen(dev), status);
    QCOMPARE(FakeVisa::transcript(), transcript);
    QCOMPARE(dev.Session, status < 0 && failing == "viOpen" ? 0u : 1u);
    QCOMPARE(dev.Idn, transcript.join('\n').contains("Maker") ? QString("Maker,GEN,1,2\n") : QString("old"));
  }

  // Configured twice and reset twice: as a whole by DevOpenSec, then as every
  // instrument by DevOpen.
  void radioTesterFoundAtSevenOrOpenedAtThirty() {
    const QStringList atSeven = probe(7, true) + configure(2) +
                                QStringList({"viWrite 2 \"*RST;*OPC?\\n\"", "viRead 2 20000 -> \"1\\n\"",
                                             "viWrite 2 \"*CLS\\n\"", "viWrite 2 \"OUTP RF2\\n\""}) +
                                configure(2) + QStringList({"viWrite 2 \"*RST\\n\"", "viGpibControlREN 2 6"});
    DevStr gen = device(1, 0, 20, Reset);
    gen.RfPort = 1;
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(gen.Session, 2u);
    QCOMPARE(gen.VisaResourceString, QString("GPIB0::20::0::INSTR"));
    QCOMPARE(gen.Idn, QString("Tester,1,2\n"));
    QCOMPARE(FakeVisa::transcript(), atSeven);

    FakeVisa::reset();
    const QStringList atThirty = probe(29, false) + configure(2) +
                                 QStringList({"viWrite 2 \"*CLS\\n\"", "viWrite 2 \"INP RF4\\n\""}) + configure(2) +
                                 QStringList({"viGpibControlREN 2 6"});
    DevStr ana = device(69, 0);
    ana.RfPort = 2;
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), atThirty);
  }

  void radioTesterRoutingAndFailures() {
    const auto generator = [](const QString &unit, const QString &route) {
      return QStringList({"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n", "SOUR:GPRF:GEN:LIST OFF\n", "SOUR:GPRF:GEN:BBM CW\n",
                          "ROUT:GPRF:GEN" + unit + ":SCEN:SAL " + route + "\n",
                          "SOUR:GPRF:GEN" + unit + ":STAT ON;*OPC?\n"});
    };
    const struct { int type, rfPort, rtcNo; QStringList writes; } rows[] = {
        {2, 1, 1, generator("1", "RF1O, TX1")},
        {2, 3, 1, generator("2", "RF3C, TX2")},
        {3, 1, 1, generator("", "R111,TX11")},
        {3, 0, 2, generator("", "R210,TX21")},  // unit 2 on AUX
        {70, 2, 1, {"*CLS\n", "ROUT:GPRF:MEAS:SCEN:SAL RF3C, RX2\n"}},
        {71, 3, 2, {"ROUT:GPRF:MEAS:SCEN:SAL R24, RX2\n"}}};
    for (const auto &row : rows) {
      FakeVisa::reset();
      DevStr dev = device(row.type, 0);
      std::tie(dev.RfPort, dev.RtcNo) = std::tuple(row.rfPort, row.rtcNo);
      QCOMPARE(DevOpen(dev), VI_SUCCESS);
      QCOMPARE(FakeVisa::writes(), row.writes);
      QCOMPARE(FakeVisa::transcript().last(), QString("viGpibControlREN 1 6"));
    }

    // A failed routing step ends the open; an unknown connector is refused.
    FakeVisa::reset();
    DevStr gen = device(2, 0);
    FakeVisa::failNext("viWrite", VI_SUCCESS);
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    QCOMPARE(DevOpen(gen), VI_ERROR_TMO);
    QCOMPARE(FakeVisa::writes(), QStringList({"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n"}));
    FakeVisa::reset();
    gen.RfPort = 6;
    QCOMPARE(DevOpen(gen), VI_ERROR_INV_SETUP);
    QVERIFY(!FakeVisa::writes().join("").contains("ROUT"));
    FakeVisa::reset();
    gen = device(1, 2);
    FakeVisa::failOpen("ASRL1::0::INSTR", VI_ERROR_RSRC_NFOUND);
    QCOMPARE(DevOpen(gen), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(FakeVisa::transcript(),
             QStringList({"viOpenDefaultRM -> 1000", "viOpen 1000 \"ASRL1::0::INSTR\" 0 10000 -> VI_ERROR_RSRC_NFOUND",
                          "viClose 1000"}));

    // A failure after the probe reports 1, and the session is not configured again.
    FakeVisa::reset();
    FakeVisa::reply("id\n");
    FakeVisa::failOpen("GPIB0::20::30::INSTR", VI_ERROR_RSRC_NFOUND);
    gen = device(1, 0);
    QCOMPARE(DevOpen(gen), 1);
    QCOMPARE(FakeVisa::transcript().mid(FakeVisa::transcript().size() - 2),
             QStringList({"viOpen 1001 \"GPIB0::20::30::INSTR\" 0 0 -> VI_ERROR_RSRC_NFOUND", "viClose 1001"}));

    // Other interfaces have no secondary addresses.
    gen = device(1, 3);
    QVERIFY(DevOpenSec(gen) < 0);
  }

  // GPIB, LAN and the serial line as the last step of the open transcripts above.
  void localByInterface() {
    const struct { int type; const char *resource; ViStatus status; QStringList calls; } rows[] = {
        {24, "GPIB1::4::INSTR", VI_ERROR_IO, {"viGpibControlREN 3 6 -> VI_ERROR_IO"}},
        {24, "USB::0x1234::0x1::1::INSTR", 0, {}},
        {24, "tcpip::10.0.0.1::INSTR", 0, {}},  // case-sensitive
        {75, "GPIB0::1::INSTR", 0, {}}};       // a sensor handle
    for (const auto &row : rows) {
      FakeVisa::reset();
      DevStr dev = device(row.type, 0);
      std::tie(dev.Session, dev.VisaResourceString) = std::tuple(3, row.resource);
      FakeVisa::failNext("viGpibControlREN", row.status);
      QCOMPARE(DevLocal(dev), row.status);
      QCOMPARE(FakeVisa::transcript(), row.calls);
    }
  }

  // "None" and "External" are never opened or addressed, even with a stale
  // session; a device never opened is not closed.
  void closeSessionAndManager() {
    for (int type : {0, 31}) {
      DevStr gen2 = device(type, 0, 20, Reset | Idn);
      gen2.Session = 5;
      QCOMPARE(DevOpen(gen2), VI_SUCCESS);
      QCOMPARE(DevLocal(gen2), VI_SUCCESS);
      QCOMPARE(DevClose(gen2), VI_SUCCESS);
    }
    DevStr never = device(24, 0);
    QCOMPARE(DevClose(never), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList());

    DevStr gen = device(24, 0);
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

  // Before the sensor driver is loaded in this process; the open test loads it.
  void sensorDriverMissingOrIncomplete() {
    QVERIFY(!PwuLoad(FakePwu::folder() + "no-such-folder/"));
    QVERIFY(!PwuLoad(FakePwu::incompleteFolder()));
    QCOMPARE(PwuLibraryPath(), QString());
    DevStr ana = sensor();
    QCOMPARE(DevOpen(ana), VI_ERROR_LIBRARY_NFOUND);
    double level = 0.0;
    QCOMPARE(measure(1e9, 0.0, level), VI_ERROR_LIBRARY_NFOUND);
  }
  // The sensor always opens through its USB form, identifies every time, and
  // a second open closes the first session.
  void sensorOpenAndClose() {
    QVERIFY(FakePwu::load());
    DevStr ana = sensor();
    std::tie(ana.Interface, ana.Reset) = std::tuple(0, true);
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

    ana = sensor();
    ana.Idn = "old";
    FakePwu::failNext("pwudrv_init", -1074001);
    QCOMPARE(DevOpen(ana), -1074001);
    QCOMPARE(ana.Session, 0u);
    FakePwu::failNext("pwudrv_revision_query", -5);
    QCOMPARE(DevOpen(ana), -5);
    QCOMPARE(ana.Idn, QString("old"));
    FakePwu::failNext("pwudrv_init", 3);  // a warning opens the sensor
    QCOMPARE(DevOpen(ana), VI_SUCCESS);

    FakePwu::reset();
    ana = sensor();
    QCOMPARE(DevClose(ana), VI_SUCCESS);  // nothing open
    ana.Session = 3;
    FakePwu::failNext("pwudrv_close", 1);  // a warning is no failure
    QCOMPARE(DevClose(ana), VI_SUCCESS);
    FakePwu::failNext("pwudrv_close", -2);
    QCOMPARE(DevClose(ana), -2);
    QCOMPARE(FakePwu::transcript(), QStringList({"pwudrv_close 3 -> 1", "pwudrv_close 3 -> -2"}));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  // No power has no level: the run must report a failed measurement rather
  // than draw or save minus infinity.
  void sensorReadings() {
    const struct { double watts; const char *logged; ViStatus status; double dbm; } rows[] = {
        {0.001, "0.001", 0, 0.0}, {0.000001, "0.000001", 0, -30.0}, {2.0, "2", 0, 33.010299956639813},
        {0.0, "0", kPwuNoReading, 0.0}, {-0.000001, "-0.000001", kPwuNoReading, 0.0}};
    for (const auto &row : rows) {
      FakePwu::reset();
      sleeps_.clear();
      FakePwu::reading(row.watts);
      double level = 7.0;
      QCOMPARE(measure(2.4e9, 0.2509, level), row.status);  // the dwell in whole milliseconds
      QVERIFY2(qAbs(level - row.dbm) < 1e-9, row.logged);
      QCOMPARE(sleeps_, QList<int>({250}));
      const QString read = QString("pwudrv_meass_readMeasurement 1 1 10000 -> ") + row.logged;
      QCOMPARE(FakePwu::transcript(), QStringList({"pwudrv_chan_setCorrectionFrequency 1 1 2400000000", read}));
    }
  }

  // A tracking generator asked of the sensor changes nothing.
  void sensorSetupAndMeasurementFailures() {
    DevStr ana = sensor(4);
    std::tie(ana.TrackingGenerator, ana.PwxxResolution, ana.PwxxCount) = std::tuple(true, 2, 64);
    SpxStr spx;
    RcxStr rcx;
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    ana.PwxxAutoAveraging = 0;
    QCOMPARE(AnaSetup(ana, spx, rcx), VI_SUCCESS);
    FakePwu::failNext("pwudrv_avg_configureAvgManual", -7);
    QCOMPARE(AnaSetup(ana, spx, rcx), -7);
    QCOMPARE(FakePwu::transcript(),
             QStringList({"pwudrv_avg_configureAvgAuto 4 1 2", "pwudrv_range_setAutoEnabled 4 1 1",
                          "pwudrv_avg_configureAvgManual 4 1 64", "pwudrv_range_setAutoEnabled 4 1 1",
                          "pwudrv_avg_configureAvgManual 4 1 64 -> -7"}));

    FakePwu::reset();
    double level = 7.0;
    FakePwu::failNext("pwudrv_chan_setCorrectionFrequency", -3);
    QCOMPARE(measure(1e9, 1.0, level), -3);
    QCOMPARE(sleeps_, QList<int>());
    FakePwu::readingFails(-4);
    QCOMPARE(measure(1e9, 0.0, level), -4);
    FakePwu::reading(0.01);
    FakePwu::failNext("pwudrv_meass_readMeasurement", 2);  // a warning keeps the reading
    QCOMPARE(measure(1e9, 0.0, level), VI_SUCCESS);
    QCOMPARE(level, 10.0);
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }
};

QTEST_GUILESS_MAIN(TstVisaIo)
#include "tst_visaio.moc"
