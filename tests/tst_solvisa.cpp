// libsolvisa and the simulated bench as the program meets them: VISA session
// semantics, corrupted commands that fail as on a real instrument, the I/O
// trace, and end to end through the instrument layer and the sweep engine:
// every generator and analyzer type, a mixer in every LO mode, normalization,
// a tracking generator and an amplifier's compression.
#include "bench/BenchFile.h"
#include "instruments/VisaExtensions.h"
#include "instruments/Measure.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "instruments/VisaFunctions.h"
#include "storage/CfgFile.h"
#include "support/HeadlessObserver.h"
#include "support/SleepRecorder.h"
#include "support/TestPaths.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QLibrary>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>

// A function of the libsolvisa that VisaLoad loaded.
#define VI(name) reinterpret_cast<decltype(&name)>(solvisa().resolve(#name))

namespace {

QLibrary &solvisa() {
  static QLibrary lib(binDir() + "/libsolvisa.so");
  return lib;
}

constexpr double kToleranceDb = 0.1;  // five times the bench's noise
const QByteArray kCable = R"({"kind": "cable", "lossDbPerSqrtGHz": 1.5, "lossDbPerGHz": 0.3})";
const QByteArray kBench = R"({"instruments": [
    {"resource": "GPIB0::28::INSTR", "type": 24},
    {"resource": "TCPIP::192.168.0.9::INSTR", "type": 24},
    {"resource": "GPIB0::20::INSTR", "type": 59}]})";

// Writes the bench file with a 50 ms timeout and names it in SOLVISA_BENCH;
// returns a model of the same bench.
std::unique_ptr<sim::Bench> use(QByteArray json, QString *error = nullptr) {
  static QTemporaryDir dir;
  static int count = 0;
  json.replace(json.indexOf('{'), 1, "{\"timeoutMs\": 50, ");
  QFile file(dir.filePath(QString("bench%1.json").arg(++count)));
  if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size())
    return nullptr;
  qputenv("SOLVISA_BENCH", file.fileName().toLocal8Bit());
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

// Empties an instrument's error queue through a session of the test's own.
QStringList drainErrors(const QString &resource) {
  QStringList errors;
  const ViSession vi = openSession(resource);
  QString reply = "no answer";
  while (VisaQuery(vi, "SYST:ERR?\n", reply) == VI_SUCCESS && !reply.startsWith("0,") && errors.size() < 50)
    errors << reply.trimmed();
  if (!reply.startsWith("0,"))
    errors << "SYST:ERR? of " + resource + " failed";
  VI(viClose)(vi);
  return errors;
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
  cfg.Gen1.StartFreq = 100.0;
  cfg.Gen1.StopFreq = 1100.0;
  cfg.StepFreq = 100.0;
  cfg.Gen1.StartLevel = cfg.Gen1.StopLevel = -10.0;
  cfg.Gen1.StepLevel = 10.0;
  return cfg;
}

SwpOutcome sweep(CfgStr &cfg, bool normActive = false) {
  SleepRecorder noWaits;
  Headless observer;
  return SweepEngine(cfg, observer).run(normActive).outcome;
}

// Plans cfg and sweeps it once on a bench of its instruments (generator 2 at
// the LO port) and the device; the points whose level differs from what the
// bench's model gives, as readable lines.
QStringList measure(CfgStr &cfg, const QByteArray &dut) {
  QStringList parts;
  for (const DevStr *dev : {&cfg.Gen1, &cfg.Gen2, &cfg.Ana})
    if (dev->Type)
      parts << QString(R"({"resource": "%1", "type": %2, "port": "%3"})")
                   .arg(rsrc(*dev)).arg(dev->Type).arg(dev == &cfg.Gen2 ? "lo" : "rf");
  QString error;
  const auto model = use("{\"instruments\": [" + parts.join(',').toLatin1() + "], \"dut\": " + dut + "}", &error);
  if (!model || !CalcSwpLst(cfg, &error))
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
                              sim::Bench::levelIn(model->dut().respond({rf}, cfg.Gen2.Type ? &lo : nullptr),
                                                  cfg.AnaFreqs[point] * 1e6, 1e6, -200.0);
      const double got = cfg.Traces[0][level][point];
      if (!(std::abs(got - expected) <= kToleranceDb))
        lines << QString("level %1 point %2 (IF %3 MHz): measured %4 dBm, the device gives %5 dBm")
                     .arg(level).arg(point).arg(cfg.AnaFreqs[point]).arg(got).arg(expected);
    }
  return lines;
}

double spread(const QVector<double> &values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return *high - *low;
}

}  // namespace

class TstSolvisa : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QString tracePath;

private slots:
  void initTestCase() {
    tracePath = dir.filePath("io.trace");
    qputenv("SOLVISA_TRACE", tracePath.toLocal8Bit());
    qputenv("SOLVANE_VISA_LIBRARY", (binDir() + "/libsolvisa.so").toLocal8Bit());
    qunsetenv("SOLVISA_BENCH");
    QVERIFY(VisaLoad() && VisaLibraryPath().endsWith("libsolvisa.so") && solvisa().load());
    QVERIFY(PwuLoad(binDir() + "/vxipnp/Win64/Bin/"));
  }

  // First, before any bench is named.
  void withoutBenchEveryResourceIsNotFound() {
    DevStr gen;
    place(gen, 24, 28);
    QCOMPARE(DevOpen(gen), VI_ERROR_RSRC_NFOUND);
    ViFindList list = 0;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    QCOMPARE(VI(viFindRsrc)(openedRm(), "GPIB?*INSTR", &list, &count, desc), VI_ERROR_RSRC_NFOUND);
  }

  void namesTheSimulatedBench() {
    const QString library = binDir() + "/libsolvisa.so";
    QCOMPARE(SimulatedBenchName(library), QString());
    QVERIFY(use(kBench));
    QCOMPARE(SimulatedBenchName(library), qEnvironmentVariable("SOLVISA_BENCH"));
    QVERIFY(use(sim::defaultBenchJson()));
    QCOMPARE(SimulatedBenchName(library), QString("default"));
    QCOMPARE(SimulatedBenchName(binDir() + "/libfakevisa.so"), QString());  // a VISA without a bench
  }

  void sessionsAndAttributes() {
    QVERIFY(use(kBench));
    const ViSession rm = openedRm();
    ViSession vi = 0, lan = 0, owner = 0;
    QCOMPARE(VI(viOpen)(rm, "GPIB0::21::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
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
    QCOMPARE(VI(viPrintf)(vi, "*IDN?\n"), VI_ERROR_NSUP_OPER);
    // Closing the resource manager closes its sessions.
    QCOMPARE(VI(viClose)(rm), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "*CLS\n"), VI_ERROR_INV_OBJECT);
    QCOMPARE(VisaWrite(lan, "*CLS\n"), VI_ERROR_INV_OBJECT);
  }

  // The sensor driver's sensor measures in everyInstrumentType (type 75).
  void sensorDriverFindsTheBenchSensors() {
    QVERIFY(use(R"({"instruments": [{"resource": "USB::0x1209::0x3::100028", "type": 75}]})"));
    DevStr sensor;
    place(sensor, 75, 0);
    QCOMPARE(DevOpen(sensor), VI_SUCCESS);
    QCOMPARE(sensor.Idn, QString("Kestrova PWUx, 1.0.0 simulated"));
    sensor.SerialNo = 100029;  // no such sensor on the bench
    QCOMPARE(DevOpen(sensor), VI_ERROR_RSRC_NFOUND);
  }

  void readsInPiecesAndEndsAtEnd() {
    QVERIFY(use(kBench));
    const ViSession vi = openSession("GPIB0::28::INSTR");
    char buffer[64] = {};
    ViUInt32 got = 0;
    const auto read = [&](ViUInt32 size) { return VI(viRead)(vi, reinterpret_cast<ViBuf>(buffer), size, &got); };
    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    QCOMPARE(read(10), VI_SUCCESS_MAX_CNT);
    QCOMPARE(QByteArray(buffer, int(got)), QByteArray("Solvane Si"));
    QCOMPARE(read(sizeof buffer), VI_SUCCESS);
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

  void findsTheBenchResources() {
    QVERIFY(use(kBench));
    ViFindList list = 0;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    QCOMPARE(VI(viFindRsrc)(openedRm(), "GPIB?*INSTR", &list, &count, desc), VI_SUCCESS);
    QCOMPARE(count, 2u);
    QCOMPARE(QString(desc), QString("GPIB0::28::INSTR"));
    QCOMPARE(VI(viFindNext)(list, desc), VI_SUCCESS);
    QCOMPARE(QString(desc), QString("GPIB0::20::INSTR"));
    QCOMPARE(VI(viFindNext)(list, desc), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(VI(viStatusDesc)(0, VI_ERROR_TMO, desc), VI_SUCCESS);
    QCOMPARE(QString(desc), QString("VI_ERROR_TMO: Timeout expired before operation completed."));
  }

  // Every generator into a spectrum analyzer, every analyzer from a
  // generator: InstInit, 11 points as the device gives them, and no command
  // of the program refused.
  void everyInstrumentType_data() {
    QTest::addColumn<int>("genType");
    QTest::addColumn<int>("anaType");
    QTest::addColumn<QStringList>("anaErrors");
    for (int type = 1; type <= 30; ++type)
      QTest::addRow("generator %d", type) << type << 59 << QStringList();
    for (int type = 32; type <= 80; ++type)  // type 76 never reads the reply to ":TRIG;*OPC?"
      QTest::addRow("analyzer %d", type)
          << 24 << type << QStringList(QVector<QString>(type == 76 ? 11 : 0, "-410,\"Query INTERRUPTED\"").toList());
  }
  void everyInstrumentType() {
    QFETCH(int, genType);
    QFETCH(int, anaType);
    QFETCH(QStringList, anaErrors);
    CfgStr cfg = settings(genType, anaType);
    QCOMPARE(measure(cfg, kCable), QStringList());
    QCOMPARE(drainErrors(rsrc(cfg.Gen1)), QStringList());
    QCOMPARE(drainErrors(rsrc(cfg.Ana)), anaErrors);
  }

  // Without a function that names itself "RF_NSig" the program opens
  // secondary address 30, where nobody listens, and stops at the open.
  void radioTesterWithoutSignallingFunction() {
    QVERIFY(use(R"({"instruments": [{"resource": "GPIB0::28::INSTR", "type": 1, "secondary": 31},
                                    {"resource": "GPIB0::20::INSTR", "type": 59}]})"));
    CfgStr cfg = settings(1, 59);
    SleepRecorder noWaits;
    QCOMPARE(InstInit(cfg.Gen1, cfg.Gen2, cfg.Ana, cfg.Spx, cfg.Rcx, false), -1);
  }

  // Mode ("fixed LO", "fixed IF" at 70 MHz or "swept LO"), sideband, N and
  // the LO start frequency.
  void mixerConversionLoss_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("upper");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("loStartMhz");
    QTest::newRow("fixed LO, upper sideband") << "fixed LO" << 1 << 1 << 2000.0;
    QTest::newRow("fixed LO, lower sideband") << "fixed LO" << 0 << 1 << 2000.0;
    QTest::newRow("fixed IF, upper sideband") << "fixed IF" << 1 << 1 << 30.0;
    QTest::newRow("fixed IF, lower sideband") << "fixed IF" << 0 << 1 << 170.0;
    QTest::newRow("swept LO, upper sideband") << "swept LO" << 1 << 1 << 1500.0;
    QTest::newRow("swept LO, lower sideband") << "swept LO" << 0 << 1 << 1500.0;
    QTest::newRow("fixed LO, N/D = 2") << "fixed LO" << 0 << 2 << 3000.0;
  }
  void mixerConversionLoss() {
    QFETCH(QString, mode);
    QFETCH(int, upper);
    QFETCH(int, n);
    QFETCH(double, loStartMhz);
    CfgStr cfg = settings(24, 59);
    place(cfg.Gen2, 21, 27);
    cfg.Gen2.StartFreq = loStartMhz;
    cfg.Gen2.StopFreq = loStartMhz + 1000.0;
    cfg.Gen2.StartLevel = cfg.Gen2.StopLevel = 7.0;
    cfg.FixedLo = mode == "fixed LO";
    cfg.FixedIf = mode == "fixed IF";
    cfg.Ana.StartFreq = cfg.FixedIf ? 70.0 : 0.0;
    cfg.UpperSideband = upper;
    cfg.Numerator = n;
    QCOMPARE(measure(cfg, R"({"kind": "mixer", "n": )" + QByteArray::number(n) + "}"), QStringList());
    for (double level : cfg.Traces[0][0])  // a mixer's conversion loss, not the analyzer's noise floor
      QVERIFY2(level < -14.0 && level > -30.0, qPrintable(QString::number(level)));
    QCOMPARE(drainErrors(rsrc(cfg.Gen2)), QStringList());
  }

  void normalizationFlattensTheResponse_data() {
    QTest::addColumn<int>("normalizeGen");
    QTest::newRow("at the receiver") << 0;
    QTest::newRow("at the generator") << 1;
  }
  void normalizationFlattensTheResponse() {
    QFETCH(int, normalizeGen);
    CfgStr cfg = settings(24, 59);
    QCOMPARE(measure(cfg, R"({"kind": "cable", "lossDbPerSqrtGHz": 3.0})"), QStringList());
    QVERIFY(spread(cfg.Traces[0][0]) > 2.0);
    // The cable's measured response as the reference, subtracted at the
    // receiver or fed back into the generator level, leaves generator 1's -10 dBm.
    for (int i = 0; i < cfg.PointCount; ++i)
      cfg.NormData[i] = cfg.Traces[0][0][i] - cfg.Gen1.StartLevel;
    cfg.NormalizeGen = normalizeGen;
    AddTrcRec(cfg);
    QCOMPARE(sweep(cfg, true), SwpOutcome::Completed);
    const QVector<double> &flat = cfg.Traces[1][0];
    QVERIFY2(spread(flat) < 2 * kToleranceDb, qPrintable(QString::number(spread(flat))));
    QVERIFY2(std::abs(flat[0] - cfg.Gen1.StartLevel) < kToleranceDb, qPrintable(QString::number(flat[0])));
  }

  void trackingGeneratorDrivesTheDevice_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("source power") << 59;
    QTest::newRow("source attenuation") << 53;
  }
  void trackingGeneratorDrivesTheDevice() {
    QFETCH(int, type);
    CfgStr cfg = settings(24, type);
    cfg.Gen1.Type = 0;  // not addressed: the analyzer's own generator is the source
    cfg.Ana.TrackingGenerator = true;
    QCOMPARE(measure(cfg, R"({"kind": "filter", "centerHz": 600e6, "bandwidthHz": 400e6})"), QStringList());
    QVERIFY(spread(cfg.Traces[0][0]) > 20.0);  // the filter's skirts
    QCOMPARE(drainErrors(rsrc(cfg.Ana)), QStringList());
  }

  void levelSweepShowsCompression() {
    CfgStr cfg = settings(24, 59);
    cfg.LevelSweep = true;
    cfg.Gen1.StartLevel = -40.0;
    cfg.Gen1.StopLevel = 0.0;
    QCOMPARE(measure(cfg, R"({"kind": "amplifier", "gainDb": 20, "slopeDbPerGHz": 0, "p1dbOutDbm": 10})"),
             QStringList());
    QCOMPARE(cfg.LevelCount, 5);
    const TraceRec &trace = cfg.Traces[0];
    const double smallSignalGain = trace[0][0] - -40.0;
    QVERIFY(std::abs(smallSignalGain - 20.0) < kToleranceDb);
    QVERIFY2(trace[4][0] < smallSignalGain - 5.0, qPrintable(QString::number(trace[4][0])));  // gain at 0 dBm
    QVERIFY(trace[3][0] - trace[2][0] < 10.0 - 0.5);  // -20 to -10 dBm: already below 10 dB more
  }

  // Last: reads the trace that a default sweep wrote after all the tests above.
  void traceOfADefaultSweep() {
    QByteArray json = sim::defaultBenchJson();
    QVERIFY(use(json.replace("\"latencyMs\": 25", "\"latencyMs\": 0")));
    const qint64 before = QFileInfo(tracePath).size();
    CfgStr cfg;
    CfgDefaults(cfg);
    QVERIFY(CalcSwpLst(cfg));
    cfg.TraceCount = 1;
    AllocTrc(cfg);
    QCOMPARE(sweep(cfg), SwpOutcome::Completed);
    QFile trace(tracePath);
    QVERIFY(trace.open(QIODevice::ReadOnly) && trace.seek(before));
    const QStringList lines = QString::fromLatin1(trace.readAll()).split('\n', Qt::SkipEmptyParts);
    const QRegularExpression format(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  vi\\w+ +#\\d+ +\\S* +.*  (VI_\\w+|0x[0-9A-F]+)$");
    for (const QString &line : lines)
      QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines[0].contains("viOpenDefaultRM"));
    QVERIFY(lines[1].contains("viOpen          #") && lines[1].contains("\"GPIB0::28::INSTR\" timeout 5000  VI_SUCCESS"));

    // After the preparation (it ends with the sweep-time query) the RF
    // level, then the frequency of the first point with its answer and status.
    const int prepared = lines.indexOf(QRegularExpression(".*SWE:TIME\\?.*"));
    QVERIFY(prepared > 0);
    QVERIFY2(QRegularExpression("#\\d+ +GPIB0::28::INSTR +> \"FREQ 100000000\\.0;\\*OPC\\?\\\\n\"  VI_SUCCESS$")
                 .match(lines[prepared + 4]).hasMatch(), qPrintable(lines[prepared + 4]));
    QVERIFY(lines[prepared + 5].contains(" < \"1\\n\"  VI_SUCCESS"));
    QCOMPARE(lines.filter("CALC:MARK1:Y?").size(), cfg.PointCount);
    QVERIFY(lines.filter("VI_ERROR").isEmpty());
  }
};

QTEST_GUILESS_MAIN(TstSolvisa)
#include "tst_solvisa.moc"
