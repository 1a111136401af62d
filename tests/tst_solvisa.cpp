// libsolvisa as the program meets it: loaded through VisaLoad, every
// resource "not found" without a bench, VISA session semantics with one,
// corrupted commands that fail as on a real instrument, and the I/O trace.
#include "bench/SimulatedBench.h"
#include "instruments/GenCmd.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "instruments/VisaFunctions.h"
#include "storage/CfgFile.h"
#include "support/SimBench.h"
#include "support/TestPaths.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QLibrary>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

const QByteArray kBench = R"({"instruments": [
    {"resource": "GPIB0::28::INSTR", "type": 24},
    {"resource": "TCPIP::192.168.0.9::INSTR", "type": 24},
    {"resource": "GPIB0::20::INSTR", "type": 59}]})";

// The functions of the library under test, resolved from the file VisaLoad loaded.
struct Lib {
  QLibrary library{binDir() + "/libsolvisa.so"};
  template <typename F> F get(const char *name) { return reinterpret_cast<F>(library.resolve(name)); }
};

ViSession openedRm() {
  Lib lib;
  ViSession rm = 0;
  lib.get<decltype(&viOpenDefaultRM)>("viOpenDefaultRM")(&rm);
  return rm;
}

DevStr gpibDevice(int type, int address) {
  DevStr dev;
  dev.Type = type;
  dev.GpibAddress = address;
  return dev;
}

}  // namespace

class TstSolvisa : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QString tracePath;
  Lib lib;

private slots:
  void initTestCase() {
    tracePath = dir.filePath("io.trace");
    qputenv("SOLVISA_TRACE", tracePath.toLocal8Bit());
    qunsetenv("SOLVISA_BENCH");
    QVERIFY(SimBench::load());
    QVERIFY(lib.library.load());
  }

  // First, before any bench is named.
  void withoutBenchEveryResourceIsNotFound() {
    DevStr gen = gpibDevice(24, 28);
    QCOMPARE(DevOpen(gen), VI_ERROR_RSRC_NFOUND);
    ViFindList list = 0;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    QCOMPARE(lib.get<decltype(&viFindRsrc)>("viFindRsrc")(openedRm(), "?*INSTR", &list, &count, desc),
             VI_ERROR_RSRC_NFOUND);
  }

  void namesTheSimulatedBench() {
    const QString library = binDir() + "/libsolvisa.so";
    qunsetenv("SOLVISA_BENCH");
    QCOMPARE(SimulatedBenchName(library), QString());
    QVERIFY(SimBench::use(kBench));
    QCOMPARE(SimulatedBenchName(library), qEnvironmentVariable("SOLVISA_BENCH"));
    QVERIFY(SimBench::use(sim::defaultBenchJson()));
    QCOMPARE(SimulatedBenchName(library), QString("default"));
    QCOMPARE(SimulatedBenchName(binDir() + "/libfakevisa.so"), QString());  // a VISA without a bench
  }

  void corruptedCommandTimesOutAndIsQueuedAsError_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("error");
    QTest::newRow("header") << "FREQ:CENX 100000000.0;*OPC?\n" << "-113,\"Undefined header\"\n";
    QTest::newRow("number") << "FREQ:CENT 1000O0000.0;*OPC?\n" << "-104,\"Data type error\"\n";
    QTest::newRow("separator") << "FREQ:CENT 100000000.0,*OPC?\n" << "-104,\"Data type error\"\n";
  }
  void corruptedCommandTimesOutAndIsQueuedAsError() {
    QFETCH(QString, command);
    QFETCH(QString, error);
    QVERIFY(SimBench::use(kBench));
    DevStr ana = gpibDevice(59, 20);
    QCOMPARE(DevOpen(ana), VI_SUCCESS);
    QString reply = "untouched";
    QCOMPARE(VisaQuery(ana.Session, "FREQ:CENT 100000000.0;*OPC?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, QString("1\n"));
    reply = "untouched";
    QCOMPARE(VisaQuery(ana.Session, command, reply), VI_ERROR_TMO);
    QCOMPARE(reply, QString("untouched"));
    QCOMPARE(VisaQuery(ana.Session, "SYST:ERR?\n", reply), VI_SUCCESS);
    QCOMPARE(reply, error);
  }

  void sessionsAndAttributes() {
    QVERIFY(SimBench::use(kBench));
    const ViSession rm = openedRm();
    auto open = lib.get<decltype(&viOpen)>("viOpen");
    auto setAttribute = lib.get<decltype(&viSetAttribute)>("viSetAttribute");
    auto getAttribute = lib.get<decltype(&viGetAttribute)>("viGetAttribute");
    ViSession vi = 0;
    QCOMPARE(open(rm, "GPIB0::21::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(open(rm, "GPIB0:28", VI_NO_LOCK, 0, &vi), VI_ERROR_INV_RSRC_NAME);
    QCOMPARE(open(rm, "gpib::28::instr", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    ViUInt32 timeout = 0;
    QCOMPARE(getAttribute(vi, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    QCOMPARE(timeout, 2000u);
    QCOMPARE(setAttribute(vi, VI_ATTR_TMO_VALUE, 10000), VI_SUCCESS);
    QCOMPARE(getAttribute(vi, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    QCOMPARE(timeout, 10000u);
    ViSession owner = 0;
    QCOMPARE(getAttribute(vi, VI_ATTR_RM_SESSION, &owner), VI_SUCCESS);
    QCOMPARE(owner, rm);
    QCOMPARE(setAttribute(vi, VI_ATTR_ASRL_BAUD, 9600), VI_ERROR_NSUP_ATTR);  // not a serial port
    QCOMPARE(setAttribute(vi, VI_ATTR_TERMCHAR_EN, 2), VI_ERROR_NSUP_ATTR_STATE);
    QCOMPARE(lib.get<decltype(&viSetBuf)>("viSetBuf")(vi, 0, 4000), VI_ERROR_INV_MASK);
    QCOMPARE(lib.get<decltype(&viSetBuf)>("viSetBuf")(vi, 3, 4000), VI_SUCCESS);
    QCOMPARE(lib.get<decltype(&viGpibControlREN)>("viGpibControlREN")(vi, VI_GPIB_REN_ADDRESS_GTL), VI_SUCCESS);
    ViSession lan = 0;
    QCOMPARE(open(rm, "TCPIP0::192.168.0.9::inst0::INSTR", VI_NO_LOCK, 0, &lan), VI_SUCCESS);
    QCOMPARE(lib.get<decltype(&viGpibControlREN)>("viGpibControlREN")(lan, VI_GPIB_REN_ADDRESS_GTL),
             VI_ERROR_NSUP_OPER);
    QCOMPARE(lib.get<decltype(&viPrintf)>("viPrintf")(vi, "*IDN?\n"), VI_ERROR_NSUP_OPER);
    // Closing the resource manager closes its sessions.
    QCOMPARE(lib.get<decltype(&viClose)>("viClose")(rm), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "*CLS\n"), VI_ERROR_INV_OBJECT);
    QCOMPARE(VisaWrite(lan, "*CLS\n"), VI_ERROR_INV_OBJECT);
  }

  void sensorDriverReadsTheBench() {
    QVERIFY(SimBench::use(R"({"noiseDb": 0, "instruments": [{"resource": "GPIB0::28::INSTR", "type": 24},
                                {"resource": "USB::0x1209::0x3::100028", "type": 75}]})"));
    DevStr sensor;
    sensor.Type = 75;
    sensor.Interface = 4;
    sensor.ProductId = 3;
    sensor.SerialNo = 100028;
    QCOMPARE(DevOpen(sensor), VI_SUCCESS);
    QCOMPARE(sensor.Idn, QString("Kestrova PWUx, 1.0.0 simulated"));
    QCOMPARE(PwuSetup(sensor), VI_SUCCESS);
    DevStr gen = gpibDevice(24, 28);
    QCOMPARE(DevOpen(gen), VI_SUCCESS);
    QCOMPARE(GenSetLvl(gen.Session, 24, -20.0), VI_SUCCESS);
    QCOMPARE(GenRfOut(gen.Session, 24, true), VI_SUCCESS);
    double level = 0.0;
    QCOMPARE(PwuMeasure(sensor.Session, 1e9, 0.0, level), VI_SUCCESS);
    QVERIFY2(std::abs(level - -20.0) < 0.01, qPrintable(QString::number(level)));
    sensor.SerialNo = 100029;  // no such sensor on the bench
    QCOMPARE(DevOpen(sensor), VI_ERROR_RSRC_NFOUND);
  }

  void readsInPiecesAndEndsAtEnd() {
    QVERIFY(SimBench::use(kBench));
    const ViSession vi = SimBench::openSession("GPIB0::28::INSTR");
    auto read = lib.get<decltype(&viRead)>("viRead");
    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    char buffer[64] = {};
    ViUInt32 got = 0;
    QCOMPARE(read(vi, reinterpret_cast<ViBuf>(buffer), 10, &got), VI_SUCCESS_MAX_CNT);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("Solvane Si"));
    QCOMPARE(read(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_SUCCESS);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("mulated,GEN-24,SIM000028,1.0\n"));
    QCOMPARE(read(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_ERROR_TMO);
    QCOMPARE(got, 0u);
    // A device clear empties the output queue.
    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    QCOMPARE(lib.get<decltype(&viClear)>("viClear")(vi), VI_SUCCESS);
    QCOMPARE(read(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_ERROR_TMO);
    // Without END and without a line feed the instrument waits for the rest.
    QCOMPARE(lib.get<decltype(&viSetAttribute)>("viSetAttribute")(vi, VI_ATTR_SEND_END_EN, 0), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "FREQ?"), VI_SUCCESS);
    QCOMPARE(read(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_ERROR_TMO);
    QCOMPARE(VisaWrite(vi, "\n"), VI_SUCCESS);
    QCOMPARE(read(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_SUCCESS);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("1000000000.00\n"));
  }

  void findsTheBenchResources() {
    QVERIFY(SimBench::use(kBench));
    ViFindList list = 0;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    QCOMPARE(lib.get<decltype(&viFindRsrc)>("viFindRsrc")(openedRm(), "GPIB?*INSTR", &list, &count, desc),
             VI_SUCCESS);
    QCOMPARE(count, 2u);
    QCOMPARE(QString(desc), QString("GPIB0::28::INSTR"));
    auto next = lib.get<decltype(&viFindNext)>("viFindNext");
    QCOMPARE(next(list, desc), VI_SUCCESS);
    QCOMPARE(QString(desc), QString("GPIB0::20::INSTR"));
    QCOMPARE(next(list, desc), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(lib.get<decltype(&viStatusDesc)>("viStatusDesc")(0, VI_ERROR_TMO, desc), VI_SUCCESS);
    QCOMPARE(QString(desc), QString("VI_ERROR_TMO: Timeout expired before operation completed."));
  }

  // Last: reads the trace that all the tests above and a default sweep wrote.
  void traceOfADefaultSweep() {
    QByteArray json = sim::defaultBenchJson();
    json.replace("\"latencyMs\": 25", "\"latencyMs\": 0");
    QVERIFY(SimBench::use(json));
    const qint64 before = QFileInfo(tracePath).size();  // 0 while nothing is traced yet
    CfgStr cfg;
    CfgDefaults(cfg);
    QVERIFY(CalcSwpLst(cfg));
    cfg.TraceCount = 1;
    AllocTrc(cfg);
    QCOMPARE(SimBench::sweep(cfg), SwpOutcome::Completed);
    QFile trace(tracePath);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    trace.seek(before);
    const QStringList lines = QString::fromLatin1(trace.readAll()).split('\n', Qt::SkipEmptyParts);

    const QRegularExpression format(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  vi\\w+ +#\\d+ +\\S* +.*  (VI_\\w+|0x[0-9A-F]+)$");
    for (const QString &line : lines)
      QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines[0].contains("viOpenDefaultRM"));
    QVERIFY(lines[1].contains("viOpen          #") && lines[1].contains("\"GPIB0::28::INSTR\" timeout 5000  VI_SUCCESS"));

    // Point by point: RF frequency, analyzer tuned, one sweep, marker, reading.
    QStringList exchanges;  // resource, direction, bytes and status
    const QRegularExpression exchange("#\\d+ +(\\S+) +([<>] .*)$");
    for (const QString &line : lines) {
      const QRegularExpressionMatch m = exchange.match(line);
      if (m.hasMatch())
        exchanges << m.captured(1) + ' ' + m.captured(2).simplified();
    }
    // The points follow the preparation, which ends with the sweep-time query.
    const int prepared = exchanges.indexOf(QRegularExpression(".*SWE:TIME\\?.*"));
    const int first = exchanges.indexOf(QRegularExpression("GPIB0::28::INSTR > \"FREQ 100000000\\.0;.*"), prepared);
    QVERIFY2(prepared > 0 && first > prepared, qPrintable(exchanges.join('\n')));
    QCOMPARE(exchanges.mid(first, 12), QStringList({
        "GPIB0::28::INSTR > \"FREQ 100000000.0;*OPC?\\n\" VI_SUCCESS",
        "GPIB0::28::INSTR < \"1\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR > \"FREQ:CENT 100000000.0;*OPC?\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR < \"1\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR > \"INIT;*OPC?\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR < \"1\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR > \"CALC:MARK1:X 0.0025;*OPC?\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR < \"1\\n\" VI_SUCCESS",
        "GPIB0::20::INSTR > \"CALC:MARK1:Y?\\n\" VI_SUCCESS",
        exchanges[first + 9],
        "GPIB0::28::INSTR > \"FREQ 110000000.0;*OPC?\\n\" VI_SUCCESS",
        "GPIB0::28::INSTR < \"1\\n\" VI_SUCCESS",
    }));
    QVERIFY(exchanges[first + 9].startsWith("GPIB0::20::INSTR < \"-"));
    QCOMPARE(exchanges.filter("CALC:MARK1:Y?").size(), cfg.PointCount);
    QVERIFY(exchanges.filter("VI_ERROR").isEmpty());
  }
};

QTEST_GUILESS_MAIN(TstSolvisa)
#include "tst_solvisa.moc"
