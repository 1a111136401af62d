// libsolvisa and the simulated bench as the program meets them: VISA session
// semantics and hostile arguments, commands that fail as on a real instrument,
// the I/O trace. End to end through the instrument layer and the sweep engine:
// every instrument type, a mixer in every LO mode, normalization, a tracking
// generator and compression; then the bench's own models. Last, against
// solvane-benchd on loopback: sweeps over every protocol, and faults that end
// in the right status in time without leaking a descriptor.
#include "bench/BenchFile.h"
#include "bench/ResourceName.h"
#include "dialogs/DevWindow.h"
#include "instruments/VisaExtensions.h"
#include "instruments/Measure.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "instruments/VisaFunctions.h"
#include "support/BenchDaemon.h"
#include "support/CfgFields.h"
#include "support/HeadlessObserver.h"
#include "support/PromptRecorder.h"
#include "support/SleepRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

// A function of the libsolvisa that VisaLoad loaded.
#define VI(name) reinterpret_cast<decltype(&name)>(solvisa().resolve(#name))

namespace {

QLibrary &solvisa() {
  static QLibrary lib(binDir() + "/libsolvisa.so");
  return lib;
}

constexpr double kToleranceDb = 0.1;  // five times the bench's noise
const QByteArray kCable = R"({"kind": "cable", "lossDbPerSqrtGHz": 1.5, "lossDbPerGHz": 0.3})";
const QString kNoError = "SYST:ERR? => 0,\"No error\"";  // with converse: the error queue is empty
// A privileged port that nobody here listens on: connections to it are refused.
const QString kRefusingSocket = "TCPIP::127.0.0.1::1::SOCKET";
const QByteArray kBench = R"({"instruments": [{"resource": "GPIB0::28::INSTR", "type": 24},
                                              {"resource": "TCPIP::192.168.0.9::INSTR", "type": 24},
                                              {"resource": "GPIB0::20::INSTR", "type": 59}]})";

// Names a bench (timeout 50 ms unless given) in SOLVISA_BENCH; a model of the same bench.
std::unique_ptr<sim::Bench> use(const QByteArray &json, QString *error = nullptr, int timeoutMs = 50) {
  qputenv("SOLVISA_BENCH", benchFile(json, timeoutMs).toLocal8Bit());
  QString ignored;
  return sim::benchFromJson(json, error ? error : &ignored);
}

ViSession openedRm() {
  ViSession rm = 0;
  VI(viOpenDefaultRM)(&rm);
  return rm;
}

ViSession openSession(const QString &resource) {
  ViSession vi = 0;
  return VI(viOpen)(openedRm(), resource.toLatin1().constData(), VI_NO_LOCK, 0, &vi) == VI_SUCCESS ? vi : 0;
}

// Sends each "message => answer" to an instrument through a session of the
// test's own and reads the answer when there is one; the exchanges that went
// otherwise. An answer where none was due shows as a lost query in the error queue.
QStringList converse(const QString &resource, const QStringList &exchanges) {
  QStringList wrong;
  const ViSession vi = openSession(resource);
  for (const QString &exchange : exchanges) {
    const QString message = exchange.section(" => ", 0, 0) + "\n";
    const QString answer = exchange.section(" => ", 1);
    QString reply;
    const ViStatus status = answer.isEmpty() ? VisaWrite(vi, message) : VisaQuery(vi, message, reply);
    if (status != VI_SUCCESS || reply != (answer.isEmpty() ? answer : answer + "\n"))
      wrong << QString("%1, answered \"%2\" (status %3)").arg(exchange, reply).arg(status);
  }
  VI(viClose)(vi);
  return wrong;
}

// Where the tests keep an instrument of a type: serial and LAN for a few, the
// USB sensor at its own resource, GPIB at the device's address for the rest.
QString rsrc(const DevStr &dev) {
  switch (dev.Type) {
  case 10: return "ASRL1::INSTR";
  case 58: return "ASRL2::INSTR";
  case 21: case 47: return QString("TCPIP::192.168.0.%1::INSTR").arg(dev.Type);
  case 75: return "USB::0x1209::0x3::100028";
  default: return QString("GPIB0::%1::INSTR").arg(dev.GpibAddress);
  }
}

void place(DevStr &dev, int type, int gpibAddress) {
  dev.Type = type;
  dev.GpibAddress = gpibAddress;
  const QString resource = rsrc(dev);
  dev.Interface = resource.startsWith("GPIB") ? 0 : resource.startsWith("ASRL") ? 2
                  : resource.startsWith("TCP")  ? 3 : 4;  // GPIB0, RS232, LAN, USB
  dev.SerialPort = type == 10 ? 0 : 1;
  dev.IpAddress = resource.section("::", 1, 1);
  dev.ProductId = 3;
  dev.SerialNo = 100028;
}

// 11 points from 100 MHz to 1100 MHz at -10 dBm, generator 1 into the analyzer.
CfgStr settings(int genType, int anaType) {
  CfgStr cfg;
  place(cfg.Gen1, genType, 28);
  place(cfg.Ana, anaType, 20);
  Set(cfg, "RF0=100 RF1=1100 Step=100 L0=-10 L1=-10 LStep=10");
  return cfg;
}

SwpOutcome sweep(CfgStr &cfg, bool normActive = false) {
  SleepRecorder noWaits;
  Headless observer;
  return SweepEngine(cfg, observer).run(normActive).outcome;
}

// Plans cfg and sweeps it once; the points whose level differs from what the
// bench model's device gives, as readable lines.
QStringList sweepAgainst(CfgStr &cfg, const sim::Bench &model) {
  QString error;
  if (!CalcSwpLst(cfg, &error))
    return {"refused: " + error};
  cfg.TraceCount = 1;
  AllocTrc(cfg);
  if (sweep(cfg) != SwpOutcome::Completed)
    return {"the sweep failed"};
  QStringList lines;
  for (int level = 0; level < cfg.LevelCount; ++level)
    for (int point = 0; point < cfg.PointCount; ++point) {
      const sim::Tone rf{cfg.Gen1Freqs[point] * 1e6, cfg.Gen1.StartLevel + level * cfg.Gen1.StepLevel};
      const sim::Tone lo{cfg.Gen2Freqs[point] * 1e6, cfg.Gen2.StartLevel};
      const double expected = cfg.ExternalAttenuation +
                              sim::Bench::levelIn(model.dut().respond({rf}, cfg.Gen2.Type ? &lo : nullptr),
                                                  cfg.AnaFreqs[point] * 1e6, 1e6, -200.0);
      const double got = cfg.Traces[0][level][point];
      if (!(std::abs(got - expected) <= kToleranceDb))
        lines << QString("level %1 point %2 (IF %3 MHz): measured %4 dBm, the device gives %5 dBm")
                     .arg(level).arg(point).arg(cfg.AnaFreqs[point]).arg(got).arg(expected);
    }
  return lines;
}

// Sweeps cfg on a bench of its instruments (generator 2 at the LO port) and the device.
QStringList measure(CfgStr &cfg, const QByteArray &dut) {
  QStringList parts;
  for (const DevStr *dev : {&cfg.Gen1, &cfg.Gen2, &cfg.Ana})
    if (dev->Type)
      parts << QString(R"({"resource": "%1", "type": %2, "port": "%3"})")
                   .arg(rsrc(*dev)).arg(dev->Type).arg(dev == &cfg.Gen2 ? "lo" : "rf");
  QString error;
  const auto model = use("{\"instruments\": [" + parts.join(',').toLatin1() + "], \"dut\": " + dut + "}", &error);
  return model ? sweepAgainst(cfg, *model) : QStringList{"no bench: " + error};
}

bool near(double a, double b) { return std::abs(a - b) < 0.01; }

double spread(const QVector<double> &values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return *high - *low;
}

// A bench file for the daemon: generator 1 (type 24) into the analyzer (type 59) through a cable.
QString daemonBench(const QString &gen, const QString &ana) {
  const QString json = QString(R"({"instruments": [{"resource": "%1", "type": 24}, {"resource": "%2", "type": 59}],
                                   "dut": %3})").arg(gen, ana, QString(kCable));
  return benchFile(json.toLatin1(), 400);
}

// Points the instrument record at a resource the way the device dialog does.
void placeOnWire(DevStr &dev, const QString &resource) {
  if (resource.startsWith("GPIB")) {
    dev.Interface = 0;
    dev.GpibAddress = resource.section("::", 1, 1).toInt();
  } else if (resource.startsWith("ASRL/")) {
    static int port = 0;
    const QByteArray device = resource.section("ASRL", 1).section("::", 0, 0).toLatin1();
    qputenv(qPrintable(QString("SOLVISA_ASRL%1").arg(++port)), device);
    dev.Interface = 2;
    dev.SerialPort = port - 1;
  } else if (resource.endsWith("::SOCKET")) {
    dev.Interface = 4;
    dev.VisaResourceString = resource;
  } else {
    dev.Interface = 3;
    dev.IpAddress = resource.section("::", 1, -2);
  }
}

int openDescriptors() { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); }

// Connecting may take long on a busy machine; I/O gets ioMs.
ViStatus openWithin(const QString &resource, ViUInt32 timeoutMs, ViSession &vi, ViUInt32 ioMs = 2000) {
  const ViStatus status = VI(viOpen)(openedRm(), resource.toLatin1().constData(), VI_NO_LOCK, timeoutMs, &vi);
  if (status == VI_SUCCESS)
    VI(viSetAttribute)(vi, VI_ATTR_TMO_VALUE, ioMs);
  return status;
}

}  // namespace

class TstSolvisa : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  const QString tracePath = dir.filePath("io.trace");

private slots:
  void initTestCase() {
    qputenv("SOLVISA_TRACE", tracePath.toLocal8Bit());
    qputenv("SOLVANE_VISA_LIBRARY", (binDir() + "/libsolvisa.so").toLocal8Bit());
    QVERIFY(VisaLoad() && VisaLibraryPath().endsWith("libsolvisa.so") && solvisa().load());
    QVERIFY(PwuLoad(binDir() + "/vxipnp/Win64/Bin/"));
  }

  // A test names its bench and its gateway; without a bench libsolvisa goes on the wire.
  void init() {
    qunsetenv("SOLVISA_BENCH");
    qunsetenv("SOLVISA_GPIB_GATEWAY");
  }

  void readsInPiecesAndRefusesHostileArguments() {
    QVERIFY(use(kBench));
    const ViSession vi = openSession("GPIB0::28::INSTR");
    char buffer[64] = {};
    ViUInt32 got = 0;
    const auto read = [&](ViUInt32 size) { return VI(viRead)(vi, reinterpret_cast<ViBuf>(buffer), size, &got); };
    // No buffer or a count past 2 GB: refused, and nothing counted as written.
    ViUInt32 written = 77;
    QCOMPARE(VI(viWrite)(vi, nullptr, 5, &written), VI_ERROR_USER_BUF);
    QCOMPARE(written, 0u);
    written = 77;
    QCOMPARE(VI(viWrite)(vi, reinterpret_cast<ViConstBuf>("*RST\n"), 0x80000000u, &written), VI_ERROR_INV_PARAMETER);
    QCOMPARE(written, 0u);
    QCOMPARE(VI(viRead)(vi, nullptr, 16, &got), VI_ERROR_USER_BUF);

    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    QCOMPARE(read(10), VI_SUCCESS_MAX_CNT);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("Solvane Si"));
    // A count past 2 GB reads what there is.
    QCOMPARE(read(0x80000000u), VI_SUCCESS);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("mulated,GEN-24,SIM000028,1.0\n"));
    QCOMPARE(read(sizeof buffer), VI_ERROR_TMO);
    QCOMPARE(got, 0u);
    // A device clear empties the output queue.
    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    QCOMPARE(VI(viClear)(vi), VI_SUCCESS);
    QCOMPARE(read(sizeof buffer), VI_ERROR_TMO);
    // Without END and without a line feed the instrument waits for the rest.
    QCOMPARE(VI(viSetAttribute)(vi, VI_ATTR_SEND_END_EN, 0), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "FREQ?"), VI_SUCCESS);
    QCOMPARE(read(sizeof buffer), VI_ERROR_TMO);
    QCOMPARE(VisaWrite(vi, "\n"), VI_SUCCESS);
    QCOMPARE(read(sizeof buffer), VI_SUCCESS);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("1000000000.00\n"));
  }

  void findsNamesAndOpensTheBench() {
    ViFindList list = 0, next = 0;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    QCOMPARE(VI(viFindRsrc)(openedRm(), "GPIB?*INSTR", &list, &count, desc), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(SimulatedBenchName(solvisa().fileName()), QString());
    QVERIFY(use(sim::defaultBenchJson()));
    QCOMPARE(SimulatedBenchName(solvisa().fileName()), QString("default"));
    QCOMPARE(SimulatedBenchName(binDir() + "/libfakevisa.so"), QString());  // a VISA without a bench
    QVERIFY(use(kBench));
    QCOMPARE(SimulatedBenchName(solvisa().fileName()), qEnvironmentVariable("SOLVISA_BENCH"));
    const ViSession rm = openedRm();
    QCOMPARE(VI(viFindRsrc)(rm, "GPIB?*INSTR", &list, &count, desc), VI_SUCCESS);
    QCOMPARE(count, 2u);
    QCOMPARE(QString(desc), QString("GPIB0::28::INSTR"));
    QCOMPARE(VI(viFindNext)(list, desc), VI_SUCCESS);
    QCOMPARE(QString(desc), QString("GPIB0::20::INSTR"));
    QCOMPARE(VI(viFindNext)(list, desc), VI_ERROR_RSRC_NFOUND);
    // A find without a list keeps none: the next list's handle follows.
    QCOMPARE(VI(viFindRsrc)(rm, "GPIB?*", nullptr, &count, desc), VI_SUCCESS);
    QCOMPARE(VI(viFindRsrc)(rm, "GPIB?*", &next, &count, desc), VI_SUCCESS);
    QCOMPARE(next, list + 1);
    QCOMPARE(VI(viClose)(next), VI_SUCCESS);
    QCOMPARE(VI(viStatusDesc)(0, VI_ERROR_TMO, desc), VI_SUCCESS);
    QCOMPARE(QString(desc), QString("VI_ERROR_TMO: Timeout expired before operation completed."));

    ViSession vi = 0, lan = 0, owner = 0;
    QCOMPARE(VI(viOpen)(rm, "GPIB0::21::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
    // An ordinary instrument has no secondary addresses.
    QCOMPARE(VI(viOpen)(rm, "GPIB0::28::3::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(VI(viOpen)(rm, "GPIB0:28", VI_NO_LOCK, 0, &vi), VI_ERROR_INV_RSRC_NAME);
    QCOMPARE(VI(viOpen)(rm, "gpib::28::instr", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    ViUInt32 timeout = 0;
    QCOMPARE(VI(viGetAttribute)(vi, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    QCOMPARE(timeout, 2000u);
    QCOMPARE(VI(viSetAttribute)(vi, VI_ATTR_TMO_VALUE, 10000), VI_SUCCESS);
    QCOMPARE(VI(viGetAttribute)(vi, VI_ATTR_TMO_VALUE, &timeout), VI_SUCCESS);
    QCOMPARE(timeout, 10000u);
    QCOMPARE(VI(viGetAttribute)(vi, VI_ATTR_RM_SESSION, &owner), VI_SUCCESS);
    QCOMPARE(owner, rm);
    QCOMPARE(VI(viSetAttribute)(vi, VI_ATTR_ASRL_BAUD, 9600), VI_ERROR_NSUP_ATTR);  // not a serial port
    QCOMPARE(VI(viSetAttribute)(vi, VI_ATTR_TERMCHAR_EN, 2), VI_ERROR_NSUP_ATTR_STATE);
    QCOMPARE(VI(viSetBuf)(vi, 0, 4000), VI_ERROR_INV_MASK);
    QCOMPARE(VI(viSetBuf)(vi, 3, 4000), VI_SUCCESS);
    QCOMPARE(VI(viGpibControlREN)(vi, VI_GPIB_REN_ADDRESS_GTL), VI_SUCCESS);
    QCOMPARE(VI(viOpen)(rm, "TCPIP0::192.168.0.9::inst0::INSTR", VI_NO_LOCK, 0, &lan), VI_SUCCESS);
    QCOMPARE(VI(viGpibControlREN)(lan, VI_GPIB_REN_ADDRESS_GTL), VI_ERROR_NSUP_OPER);
    // Closing the resource manager closes its sessions.
    QCOMPARE(VI(viClose)(rm), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "*CLS\n"), VI_ERROR_INV_OBJECT);
    QCOMPARE(VisaWrite(lan, "*CLS\n"), VI_ERROR_INV_OBJECT);
  }

  // Instruments the program meets in ways of their own: the sensor driver's
  // sensor (it measures in everyInstrumentType, type 75); a receiver that reads
  // in dBuV until told dBm; a radio tester without a function that names itself
  // "RF_NSig": the program opens secondary address 30, where nobody listens,
  // and stops at the open.
  void sensorReceiverAndRadioTester() {
    QVERIFY(use(R"({"instruments": [{"resource": "USB::0x1209::0x3::100028", "type": 75},
                                    {"resource": "GPIB0::20::INSTR", "type": 34},
                                    {"resource": "GPIB0::28::INSTR", "type": 1, "secondary": 31}]})"));
    DevStr sensor;
    place(sensor, 75, 0);
    QCOMPARE(DevOpen(sensor), VI_SUCCESS);
    QCOMPARE(sensor.Idn, QString("Kestrova PWUx, 1.0.0 simulated"));
    sensor.SerialNo = 100029;  // no such sensor on the bench
    QCOMPARE(DevOpen(sensor), VI_ERROR_RSRC_NFOUND);

    const ViSession receiver = openSession("GPIB0::20::INSTR");
    double level = 0.0;
    QCOMPARE(VisaQueryNum(receiver, "FR 1e+08;LE?\n", level), VI_SUCCESS);
    QVERIFY(level > 0.0);  // the noise floor in dBuV
    QCOMPARE(VisaQueryNum(receiver, "SPE 20,ON;LE?\n", level), VI_SUCCESS);
    QVERIFY(level < -50.0);  // the same floor in dBm

    CfgStr cfg = settings(1, 59);
    SleepRecorder noWaits;
    QCOMPARE(InstInit(cfg.Gen1, cfg.Gen2, cfg.Ana, cfg.Spx, cfg.Rcx, false), -1);
  }

  void aSilentInstrumentHoldsUpNoOtherSession() {
    QVERIFY(use(kBench, nullptr, 800));
    const ViSession gen = openSession("GPIB0::28::INSTR");
    const ViSession ana = openSession("GPIB0::20::INSTR");
    // The analyzer has nothing to say: its read waits the bench's 800 ms.
    double nothing = 0.0;
    std::thread silent([ana, &nothing] { VisaReadNum(ana, nothing); });
    QThread::msleep(50);
    QElapsedTimer clock;
    clock.start();
    QString reply;
    QCOMPARE(VisaQuery(gen, "*IDN?\n", reply), VI_SUCCESS);
    const qint64 waited = clock.elapsed();
    silent.join();
    QVERIFY2(waited < 400, qPrintable(QString("the generator waited %1 ms").arg(waited)));
  }

  // Every generator into a spectrum analyzer, every analyzer from a
  // generator: InstInit, 11 points as the device gives them, and no command
  // of the program refused. Then a conversation with the type under test:
  // what it keeps and refuses, above all the other types' spellings, so that
  // a wrong one from the program would show.
  void everyInstrumentType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("exchanges");
    const QString undefined = "SYST:ERR? => -113,\"Undefined header\"";
    QHash<int, QStringList> talk;
    talk[24] = QStringList{
        "FREQ abc => ", "*CLS;" + kNoError,
        // An unknown header: no answer, and the rest of the message discarded.
        "FREX 1000000.0;*OPC? => ", "*ESR? => 32", undefined, kNoError,
        "FREQ abc => ", "FREQ => ", "FREQ 1000O0000.0;*OPC? => ", "FREQ 100000000.0,*OPC? => ",
        "SYST:ERR?;SYST:ERR? => -104,\"Data type error\";-109,\"Missing parameter\"",
        "SYST:ERR?;SYST:ERR? => -104,\"Data type error\";-104,\"Data type error\"",
        // It keeps its state, and refuses what is out of range.
        "FREQ 1234567890.0;*OPC? => 1", "POW -12.5;*OPC? => 1", "FREQ?;POW? => 1234567890.00;-12.50",
        "FREQ 50000000000.0;*OPC? => ", "POW 30 => ", "FREQ?;POW? => 1234567890.00;-12.50",
        "SYST:ERR?;SYST:ERR? => -222,\"Data out of range\";-222,\"Data out of range\"",
        "POW -10.0004;*OPC?;POW? => 1;-10.00",  // 0.01 dB steps
        ":OUTP ON;:OUTP? => 1", "*RST;:OUTP?;FREQ? => 0;1000000000.00"};
    talk[1] = QStringList{"SYST:REM:ADDR:SEC? 6;SYST:REM:ADDR:SEC? 7 => \"\";\"RF_NSig\""};
    talk[4] = QStringList{"POW -10;*OPC? => ", undefined};
    // "L:ON" is the spelling of types 15-17 and 29.
    talk[12] = QStringList{"RF 5000000.0 => ", "RF? => RF 5000000.0", "L -7;*OPC? => 1", "LEV:ON => ", "L:ON => ",
                           undefined};
    // Receiver set B reports what it took; "DET P" belongs to the other receivers.
    talk[35] = QStringList{"A 23;A? => 20", "B:I 100000H;B:I? => 120000", "DET PEAK => ", "DET P => ",
                           "SYST:ERR? => -224,\"Illegal parameter value\""};
    // The end of a sweep shows in the status byte, until *CLS.
    talk[72] = QStringList{"CF 1000000.0;*WAI;SI;OPR8;*CLS;MLN ON;*STB? => 0", "SI;*STB? => 128"};
    // Type 76 never reads the reply to ":TRIG;*OPC?".
    talk[76] = QVector<QString>(11, "SYST:ERR? => -410,\"Query INTERRUPTED\"").toList();
    talk[78] = QStringList{"ZV => Solvane Simulated,PWM-78,SIM000020,1.0"};
    for (int type = 1; type <= 80; ++type)
      if (type != 31)
        QTest::addRow(type <= 30 ? "generator %d" : "analyzer %d", type) << type << talk.value(type);
  }
  void everyInstrumentType() {
    QFETCH(int, type);
    QFETCH(QStringList, exchanges);
    CfgStr cfg = type <= 30 ? settings(type, 59) : settings(24, type);
    QCOMPARE(measure(cfg, kCable), QStringList());
    QCOMPARE(converse(rsrc(type <= 30 ? cfg.Gen1 : cfg.Ana), exchanges), QStringList());
    QCOMPARE(converse(rsrc(cfg.Gen1), {kNoError}) + converse(rsrc(cfg.Ana), {kNoError}), QStringList());
  }

  // Mode (fixed LO, fixed IF at 70 MHz or swept LO), sideband, N and the LO's range.
  void mixerConversionLoss_data() {
    QTest::addColumn<QString>("plan");
    QTest::newRow("fixed LO, upper sideband") << "LO0=2000 LO1=3000";
    QTest::newRow("fixed IF, upper sideband") << "FixedLo=0 FixedIf=1 IF0=70 LO0=30 LO1=1030";
    QTest::newRow("fixed IF, lower sideband") << "FixedLo=0 FixedIf=1 IF0=70 Usb=0 LO0=170 LO1=1170";
    QTest::newRow("swept LO, upper sideband") << "FixedLo=0 LO0=1500 LO1=2500";
    QTest::newRow("swept LO, lower sideband") << "FixedLo=0 Usb=0 LO0=1500 LO1=2500";
    QTest::newRow("fixed LO, N/D = 2") << "Usb=0 N=2 LO0=3000 LO1=4000";
  }
  void mixerConversionLoss() {
    QFETCH(QString, plan);
    CfgStr cfg = settings(24, 59);
    place(cfg.Gen2, 21, 27);
    cfg.Gen2.StartLevel = cfg.Gen2.StopLevel = 7.0;
    Set(cfg, plan);
    QCOMPARE(measure(cfg, R"({"kind": "mixer", "n": )" + QByteArray::number(cfg.Numerator) + "}"), QStringList());
    for (double level : cfg.Traces[0][0])  // a mixer's conversion loss, not the analyzer's noise floor
      QVERIFY2(level < -14.0 && level > -30.0, qPrintable(QString::number(level)));
    QCOMPARE(converse(rsrc(cfg.Gen2), {kNoError}), QStringList());
  }

  // The cable's measured response as the reference, subtracted at the receiver
  // or fed back into the generator level, leaves generator 1's -10 dBm.
  void normalizationFlattensTheResponse() {
    CfgStr cfg = settings(24, 59);
    QCOMPARE(measure(cfg, R"({"kind": "cable", "lossDbPerSqrtGHz": 3.0})"), QStringList());
    QVERIFY(spread(cfg.Traces[0][0]) > 2.0);
    for (int i = 0; i < cfg.PointCount; ++i)
      cfg.NormData[i] = cfg.Traces[0][0][i] - cfg.Gen1.StartLevel;
    for (int normalizeGen : {0, 1}) {
      cfg.NormalizeGen = normalizeGen;
      AddTrcRec(cfg);
      QCOMPARE(sweep(cfg, true), SwpOutcome::Completed);
      const QVector<double> &flat = cfg.Traces[1 + normalizeGen][0];
      QVERIFY2(spread(flat) < 2 * kToleranceDb, qPrintable(QString::number(spread(flat))));
      QVERIFY2(std::abs(flat[0] - cfg.Gen1.StartLevel) < kToleranceDb, qPrintable(QString::number(flat[0])));
    }
  }

  void trackingGeneratorDrivesTheDevice_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("source power") << 59;
    QTest::newRow("source attenuation") << 53;
  }
  void trackingGeneratorDrivesTheDevice() {
    QFETCH(int, type);
    CfgStr cfg = settings(0, type);  // generator 1 not addressed: the analyzer's own is the source
    cfg.Ana.TrackingGenerator = true;
    QCOMPARE(measure(cfg, R"({"kind": "filter", "centerHz": 600e6, "bandwidthHz": 400e6})"), QStringList());
    QVERIFY(spread(cfg.Traces[0][0]) > 20.0);  // the filter's skirts
    QCOMPARE(converse(rsrc(cfg.Ana), {kNoError}), QStringList());
  }

  void levelSweepShowsCompression() {
    CfgStr cfg = settings(24, 59);
    Set(cfg, "Levels=1 L0=-40 L1=0");
    QCOMPARE(measure(cfg, R"({"kind": "amplifier", "gainDb": 20, "slopeDbPerGHz": 0, "p1dbOutDbm": 10})"),
             QStringList());
    QCOMPARE(cfg.LevelCount, 5);
    const TraceRec &trace = cfg.Traces[0];
    const double smallSignalGain = trace[0][0] - -40.0;
    QVERIFY(std::abs(smallSignalGain - 20.0) < kToleranceDb);
    QVERIFY2(trace[4][0] < smallSignalGain - 5.0, qPrintable(QString::number(trace[4][0])));  // gain at 0 dBm
    QVERIFY2(std::abs(trace[3][0] - 9.0) < kToleranceDb, qPrintable(QString::number(trace[3][0])));  // 1 dB point
  }

  // The bench's devices as the sweeps cannot show them: those measure against the same model.
  void devicesUnderTest() {
    QString error;
    auto mixer = sim::makeDut(QJsonObject{{"kind", "mixer"}, {"n", 2}, {"lossDb", 6.0}, {"slopeDbPerGHz", 0.0},
                                          {"rippleDb", 0.0}, {"upperSidebandExtraDb", 1.0}, {"loNominalDbm", 7.0},
                                          {"p1dbInDbm", 30.0}, {"loIsolationDb", 40.0}}, &error);
    QVERIFY2(mixer, qPrintable(error));
    const sim::Tone lo{1.5e9, 7.0}, weakLo{1.5e9, 4.0};
    const QVector<sim::Tone> out = mixer->respond({{1e9, -20.0}}, &lo);
    QCOMPARE(out.size(), 3);
    QVERIFY(out[0].freqHz == 1.5e9 && out[0].levelDbm == -33.0);     // LO leakage
    QVERIFY(out[1].freqHz == 0.5e9 && near(out[1].levelDbm, -26.0));  // abs(2 x 1 GHz - 1.5 GHz)
    QVERIFY(out[2].freqHz == 3.5e9 && near(out[2].levelDbm, -27.0));
    // An LO 3 dB below its nominal drive costs conversion loss; no LO, no product.
    QVERIFY(mixer->respond({{1e9, -20.0}}, &weakLo)[1].levelDbm < -27.5);
    QVERIFY(mixer->respond({{1e9, -20.0}}, nullptr).isEmpty());
    auto filter = sim::makeDut(QJsonObject{{"kind", "filter"}, {"centerHz", 1e9}, {"insertionLossDb", 2.0}}, &error);
    QVERIFY(near(filter->respond({{1e9, 0.0}}, nullptr)[0].levelDbm, -2.0));
    auto multiplier = sim::makeDut(QJsonObject{{"kind", "multiplier"}, {"n", 3}}, &error);
    QCOMPARE(multiplier->respond({{1e9, 0.0}}, nullptr)[0].freqHz, 3e9);
  }

  void benchFiles() {
    const QPair<QByteArray, QString> rows[] = {
        {R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 31}]})",
         "GPIB0::1::INSTR: no simulated instrument of type 31"},
        {R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 24, "port": "if"}]})",
         "GPIB0::1::INSTR: port must be \"rf\" or \"lo\""},
        {R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 24},
                             {"resource": "gpib::1::instr", "type": 59}]})",
         "gpib::1::instr: two instruments at one address"},
        {R"({"dut": {"kind": "antenna"}})", "unknown device kind \"antenna\""}, {"{", "not a JSON object"}};
    for (const auto &row : rows) {
      QString got;
      QVERIFY(!sim::benchFromJson(row.first, &got));
      QVERIFY2(got.startsWith(row.second), qPrintable(got));
    }
    QString error;
    // The default bench's generator meets the default settings in traceOfADefaultSweep; its analyzer
    // would sweep as another type too.
    auto bench = sim::loadBench("default", &error);
    QVERIFY2(bench, qPrintable(error));
    QCOMPARE(bench->find("GPIB0::20::INSTR")->type(), 59);
    QCOMPARE(bench->find("USB::0x1209::0x3::100028")->type(), 75);
    QVERIFY(bench->find("GPIB0::28::INSTR")->latencyMs > 0);
    bench = sim::loadBench(sourceDir() + "/bench/mixer-bench.json", &error);
    QVERIFY2(bench, qPrintable(error));
    QCOMPARE(bench->name, QString("mixer"));
    QCOMPARE(bench->find("GPIB0::27::INSTR")->type(), 24);
    QVERIFY(!sim::loadBench("/nonexistent/bench.json", &error));
    QVERIFY(error.startsWith("/nonexistent/bench.json: "));
  }

  void resourceNames() {
    const struct { const char *resource, *instrument; int secondary; } rows[] = {
        {"GPIB0::20::INSTR", "GPIB0::20", -1}, {"gpib::20::instr", "GPIB0::20", -1},  // board 0 by default
        {"GPIB1::20::7::INSTR", "GPIB1::20", 7}, {"ASRL2::INSTR", "ASRL2", -1},
        {"TCPIP::192.168.0.1::INSTR", "TCPIP0::192.168.0.1", -1}, {"GPIB0:20", "", -1},
        {"USB::0x1209::0x001A::17", "USB0::0x1209::0x1a::17", -1}};
    for (const auto &row : rows) {
      const sim::ResourceName name = sim::parseResourceName(row.resource);
      QCOMPARE(QString("%1 %2 %3").arg(name.instrument).arg(name.secondary).arg(name.valid),
               QString("%1 %2 %3").arg(row.instrument).arg(row.secondary).arg(*row.instrument != 0));
    }
  }

  // The status byte and device clear too where the protocol has messages for them.
  void sweepsOverEveryProtocol_data() {
    QTest::addColumn<QString>("protocol");
    QTest::newRow("VXI-11 through a gateway") << "vxi11";
    QTest::newRow("GPIB settings, gateway named") << "gateway";
    QTest::newRow("HiSLIP") << "hislip";
    QTest::newRow("raw socket") << "socket";
    QTest::newRow("serial line") << "serial";
  }
  void sweepsOverEveryProtocol() {
    QFETCH(QString, protocol);
    const bool serial = protocol == "serial";
    const QString gen = serial ? "ASRL1::INSTR" : "GPIB0::28::INSTR";
    const QString ana = serial ? "ASRL2::INSTR" : "GPIB0::20::INSTR";
    const QString file = daemonBench(gen, ana);
    BenchDaemon daemon(file);
    QVERIFY(daemon.ready());
    if (protocol == "gateway")
      qputenv("SOLVISA_GPIB_GATEWAY", "127.0.0.1");
    auto wire = [&](const QString &r) {
      if (protocol == "gateway")
        return r;
      const QString served = daemon.resource(r, protocol);
      return serial ? "ASRL" + served + "::INSTR" : served;
    };
    CfgStr cfg = settings(24, 59);
    placeOnWire(cfg.Gen1, wire(gen));
    placeOnWire(cfg.Ana, wire(ana));
    cfg.StepFreq = 250.0;
    QString error;
    const auto model = sim::loadBench(file, &error);
    QVERIFY2(model, qPrintable(error));
    QCOMPARE(sweepAgainst(cfg, *model), QStringList());
    // A thousand opens and refusals over all rows leave no descriptor behind.
    const int before = openDescriptors();
    for (int i = 0; i < 200; ++i) {
      ViSession vi = 0;
      if (openWithin(i % 2 ? kRefusingSocket : wire(gen), 1000, vi) == VI_SUCCESS)
        QCOMPARE(VI(viClose)(vi), VI_SUCCESS);
    }
    QCOMPARE(openDescriptors(), before);
    if (protocol != "vxi11" && protocol != "hislip")
      return;
    ViSession vi = 0;
    QCOMPARE(openWithin(wire(ana), 2000, vi), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    ViUInt16 stb = 0;
    QCOMPARE(VI(viReadSTB)(vi, &stb), VI_SUCCESS);
    QCOMPARE(stb & 16, 16);  // message available
    QCOMPARE(VI(viClear)(vi), VI_SUCCESS);
    QCOMPARE(VI(viReadSTB)(vi, &stb), VI_SUCCESS);
    QCOMPARE(stb & 16, 0);
    double nothing = 0.0;
    QCOMPARE(VisaReadNum(vi, nothing), VI_ERROR_TMO);
    QCOMPARE(VI(viClose)(vi), VI_SUCCESS);
  }

  // Faults of the daemon are met at its VXI-11 resource; a pty is a serial line nobody answers.
  void faultsEndInTheRightStatusInTime_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("openStatus");
    QTest::addColumn<int>("readStatus");
    QTest::addColumn<QString>("why");
    const QString daemon = "TCPIP::127.0.0.1::inst0::INSTR";
    QTest::newRow("host that does not answer")
        << "silent" << daemon << int(VI_ERROR_TMO) << 0 << "no answer from 127.0.0.1 within 0.7 s";
    QTest::newRow("server closes mid-reply")
        << "close-mid-reply" << daemon << 0 << int(VI_ERROR_CONN_LOST) << "connection to 127.0.0.1 lost";
    QTest::newRow("malformed RPC reply") << "malformed" << daemon << 0 << int(VI_ERROR_IO)
                                         << "malformed reply from 127.0.0.1 (RPC: Can't decode result)";
    QTest::newRow("reply larger than the buffer") << "oversize" << daemon << 0 << int(VI_ERROR_IO)
                                                  << "reply from 127.0.0.1 larger than asked for";
    QTest::newRow("refused port") << "" << kRefusingSocket << int(VI_ERROR_RSRC_NFOUND) << 0 << "port 1 refused";
    QTest::newRow("GPIB without linux-gpib")
        << "" << "GPIB0::5::INSTR" << int(VI_ERROR_RSRC_NFOUND) << 0 << "no GPIB driver";
    QTest::newRow("silent serial line") << "" << "ASRL%1::INSTR" << 0 << int(VI_ERROR_TMO)
                                        << "no answer from %1 within 0.5 s";
  }
  void faultsEndInTheRightStatusInTime() {
    QFETCH(QString, fault);
    QFETCH(QString, resource);
    QFETCH(int, openStatus);
    QFETCH(int, readStatus);
    QFETCH(QString, why);
    if (resource.startsWith("GPIB") && QLibrary("libgpib.so.0").load())
      QSKIP("linux-gpib is installed here");
    const int master = resource.startsWith("ASRL") ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
    if (master >= 0) {
      QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
      resource = resource.arg(ptsname(master));
      why = why.arg(ptsname(master));
    }
    // Rows without a fault meet no daemon of theirs but run one all the same.
    BenchDaemon daemon(daemonBench("GPIB0::28::INSTR", "GPIB0::20::INSTR"),
                       fault.isEmpty() ? QStringList() : QStringList{"--fault", fault});
    QVERIFY(daemon.ready());
    QElapsedTimer clock;
    clock.start();
    ViSession vi = 0;
    const ViStatus opened = openWithin(resource, fault == "silent" ? 700 : 2000, vi, 500);
    QCOMPARE(opened, ViStatus(openStatus));
    if (opened == VI_SUCCESS) {
      QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
      char buffer[100];
      ViUInt32 got = 0;
      QCOMPARE(VI(viRead)(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), ViStatus(readStatus));
    }
    QCOMPARE(QString(reinterpret_cast<const char *(*)()>(solvisa().resolve("solvisa_last_reason"))()), why);
    if (opened == VI_SUCCESS)
      VI(viClose)(vi);
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString("took %1 ms").arg(clock.elapsed())));
    if (master >= 0)
      ::close(master);
  }

  void theDeviceDialogOffersLanProtocolsAndNamesWhyATestFailed() {
    // Interface 5 is the raw socket, 6 HiSLIP.
    const std::pair<int, QString> rows[] = {{5, kRefusingSocket}, {6, "TCPIP::127.0.0.1::hislip0,1::INSTR"}};
    for (const auto &[interface, resource] : rows) {
      CfgStr cfg = Defaults();
      cfg.Gen1.Interface = interface;
      cfg.Gen1.IpAddress = "127.0.0.1:1";
      DevWindow dialog(&cfg);
      PromptRecorder prompts;
      W<QPushButton>(dialog, "G1Tst")->click();
      QCOMPARE(cfg.Gen1.VisaResourceString, resource);
      QCOMPARE(W<QLineEdit>(dialog, "G1Msg")->text(), QString("Test failed: port 1 refused"));
    }
  }

  // Last: reads the trace that a default sweep wrote after all the tests above.
  void traceOfADefaultSweep() {
    QByteArray json = sim::defaultBenchJson();
    const auto model = use(json.replace("\"latencyMs\": 25", "\"latencyMs\": 0"));
    QVERIFY(model);
    const qint64 before = QFileInfo(tracePath).size();
    CfgStr cfg = Defaults();
    QCOMPARE(sweepAgainst(cfg, *model), QStringList());
    QFile trace(tracePath);
    QVERIFY(trace.open(QIODevice::ReadOnly) && trace.seek(before));
    const QStringList lines = QString::fromLatin1(trace.readAll()).split('\n', Qt::SkipEmptyParts);
    const QRegularExpression format(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  vi\\w+ +#\\d+ +\\S* +.*  (VI_\\w+|0x[0-9A-F]+)$");
    for (const QString &line : lines)
      QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines[0].contains("viOpenDefaultRM"));
    QVERIFY(lines[1].contains("viOpen          #") &&
            lines[1].contains("\"GPIB0::28::INSTR\" timeout 5000  VI_SUCCESS"));

    // After the preparation (it ends with the sweep-time query) the RF
    // level, then the frequency of the first point with its answer and status.
    const int prepared = lines.indexOf(QRegularExpression(".*SWE:TIME\\?.*"));
    QVERIFY2(QRegularExpression("#\\d+ +GPIB0::28::INSTR +> \"FREQ 100000000\\.0;\\*OPC\\?\\\\n\"  VI_SUCCESS$")
                 .match(lines[prepared + 4]).hasMatch(), qPrintable(lines[prepared + 4]));
    QVERIFY(lines[prepared + 5].contains(" < \"1\\n\"  VI_SUCCESS"));
    QCOMPARE(lines.filter("CALC:MARK1:Y?").size(), cfg.PointCount);
    QVERIFY(lines.filter("VI_ERROR").isEmpty());
  }
};

QTEST_MAIN(TstSolvisa)
#include "tst_solvisa.moc"
