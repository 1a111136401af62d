// libsolvisa against solvane-benchd on loopback: the program's own open,
// command and measurement code sweeps over VXI-11, HiSLIP, a raw socket and
// a serial line; status byte and device clear on the LAN; and broken
// servers, refused ports and silent lines end in the right status in time,
// without leaking a file descriptor.
#include "bench/BenchFile.h"
#include "dialogs/DevWindow.h"
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
#include "sweep/SwpObserver.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <stdlib.h>
#include <unistd.h>

#define VI(name) reinterpret_cast<decltype(&name)>(solvisa().resolve(#name))

namespace {

QLibrary &solvisa() {
  static QLibrary lib(binDir() + "/libsolvisa.so");
  return lib;
}

const QByteArray kCable = R"({"kind": "cable", "lossDbPerSqrtGHz": 1.5, "lossDbPerGHz": 0.3})";

QString benchFile(const QString &gen, const QString &ana) {
  static QTemporaryDir dir;
  static int count = 0;
  const QString path = dir.filePath(QString("bench%1.json").arg(++count));
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(QString(R"({"timeoutMs": 400, "instruments": [{"resource": "%1", "type": 24},
                        {"resource": "%2", "type": 59}], "dut": %3})")
                 .arg(gen, ana, QString(kCable)).toLatin1());
  return path;
}

// Points the instrument record at a resource the way the device dialog does.
void place(DevStr &dev, int type, const QString &resource) {
  dev.Type = type;
  if (resource.startsWith("GPIB")) {
    dev.Interface = 0;
    dev.GpibAddress = resource.section("::", 1, 1).toInt();
  } else if (resource.startsWith("ASRL/")) {
    static int port = 0;
    qputenv(qPrintable(QString("SOLVISA_ASRL%1").arg(++port)), resource.section("ASRL", 1).section("::", 0, 0).toLatin1());
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

// A loopback port that is taken but not listened on: it refuses connections.
struct RefusingPort {
  RefusingPort() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr *>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~RefusingPort() { ::close(fd); }
  int fd = -1;
  unsigned port = 0;
};

int openDescriptors() { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); }

ViSession rm() {
  static ViSession manager = 0;
  if (!manager)
    VI(viOpenDefaultRM)(&manager);
  return manager;
}

// Connecting may take long on a busy machine; I/O gets ioMs.
ViStatus openWithin(const QString &resource, ViUInt32 timeoutMs, ViSession &vi, ViUInt32 ioMs = 2000) {
  const ViStatus status = VI(viOpen)(rm(), resource.toLatin1().constData(), VI_NO_LOCK, timeoutMs, &vi);
  if (status == VI_SUCCESS)
    VI(viSetAttribute)(vi, VI_ATTR_TMO_VALUE, ioMs);
  return status;
}

QString reason() { return QString::fromUtf8(reinterpret_cast<const char *(*)()>(solvisa().resolve("solvisa_last_reason"))()); }

}  // namespace

class TstWire : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    qunsetenv("SOLVISA_BENCH");
    qputenv("SOLVANE_VISA_LIBRARY", (binDir() + "/libsolvisa.so").toLocal8Bit());
    QVERIFY(VisaLoad() && solvisa().load());
  }

  void sweepsOverEveryProtocol_data() {
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("gen");
    QTest::addColumn<QString>("ana");
    QTest::newRow("VXI-11 through a gateway") << "vxi11" << "GPIB0::28::INSTR" << "GPIB0::20::INSTR";
    QTest::newRow("GPIB settings, gateway named") << "gateway" << "GPIB0::28::INSTR" << "GPIB0::20::INSTR";
    QTest::newRow("HiSLIP") << "hislip" << "GPIB0::28::INSTR" << "GPIB0::20::INSTR";
    QTest::newRow("raw socket") << "socket" << "GPIB0::28::INSTR" << "GPIB0::20::INSTR";
    QTest::newRow("serial line") << "serial" << "ASRL1::INSTR" << "ASRL2::INSTR";
  }
  void sweepsOverEveryProtocol() {
    QFETCH(QString, protocol);
    QFETCH(QString, gen);
    QFETCH(QString, ana);
    const QString file = benchFile(gen, ana);
    BenchDaemon daemon(file);
    QVERIFY(daemon.ready());
    qputenv("SOLVISA_PORTMAPPER_PORT", daemon.portmapperPort().toLatin1());
    if (protocol == "gateway")
      qputenv("SOLVISA_GPIB_GATEWAY", "127.0.0.1");
    else
      qunsetenv("SOLVISA_GPIB_GATEWAY");
    auto wire = [&](const QString &r) {
      if (protocol == "gateway")
        return r;
      const QString served = daemon.resource(r, protocol);
      return protocol == "serial" ? "ASRL" + served + "::INSTR" : served;
    };
    CfgStr cfg;
    place(cfg.Gen1, 24, wire(gen));
    place(cfg.Ana, 59, wire(ana));
    cfg.Gen1.StartFreq = 100.0;
    cfg.Gen1.StopFreq = 1100.0;
    cfg.StepFreq = 250.0;
    cfg.Gen1.StartLevel = cfg.Gen1.StopLevel = -10.0;
    cfg.Gen1.StepLevel = 10.0;
    QString error;
    QVERIFY(CalcSwpLst(cfg, &error));
    cfg.TraceCount = 1;
    AllocTrc(cfg);
    SleepRecorder noWaits;
    Headless observer;
    QCOMPARE(int(SweepEngine(cfg, observer).run(false).outcome), int(SwpOutcome::Completed));
    const auto model = sim::loadBench(file, &error);
    for (int point = 0; point < cfg.PointCount; ++point) {
      const sim::Tone rf{cfg.Gen1Freqs[point] * 1e6, -10.0};
      const double expected = sim::Bench::levelIn(model->dut().respond({rf}, nullptr), rf.freqHz, 1e6, -200.0);
      QVERIFY2(std::abs(cfg.Traces[0][0][point] - expected) < 0.1,
               qPrintable(QString("point %1: %2 dBm, expected %3").arg(point).arg(cfg.Traces[0][0][point]).arg(expected)));
    }
  }

  void statusByteAndDeviceClear_data() {
    QTest::addColumn<QString>("protocol");
    QTest::newRow("VXI-11") << "vxi11";
    QTest::newRow("HiSLIP") << "hislip";
  }
  void statusByteAndDeviceClear() {
    QFETCH(QString, protocol);
    BenchDaemon daemon(benchFile("GPIB0::28::INSTR", "GPIB0::20::INSTR"));
    QVERIFY(daemon.ready());
    qputenv("SOLVISA_PORTMAPPER_PORT", daemon.portmapperPort().toLatin1());
    ViSession vi = 0;
    QCOMPARE(openWithin(daemon.resource("GPIB0::20::INSTR", protocol), 2000, vi), VI_SUCCESS);
    QCOMPARE(VisaWrite(vi, "*IDN?\n"), VI_SUCCESS);
    ViUInt16 stb = 0;
    QCOMPARE(VI(viReadSTB)(vi, &stb), VI_SUCCESS);
    QCOMPARE(stb & 16, 16);  // message available
    QCOMPARE(VI(viClear)(vi), VI_SUCCESS);
    QCOMPARE(VI(viReadSTB)(vi, &stb), VI_SUCCESS);
    QCOMPARE(stb & 16, 0);
    char buffer[64];
    ViUInt32 got = 0;
    QCOMPARE(VI(viRead)(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_ERROR_TMO);
    QCOMPARE(VI(viClose)(vi), VI_SUCCESS);
  }

  void faultsEndInTheRightStatusInTime_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("openStatus");
    QTest::addColumn<int>("readStatus");
    QTest::addColumn<QString>("why");
    QTest::newRow("host that does not answer") << "silent" << int(VI_ERROR_TMO) << 0 << "no answer from 127.0.0.1 within 0.7 s";
    QTest::newRow("server closes mid-reply") << "close-mid-reply" << 0 << int(VI_ERROR_CONN_LOST) << "connection to 127.0.0.1 lost";
    QTest::newRow("malformed RPC reply") << "malformed" << 0 << int(VI_ERROR_IO) << "malformed reply from 127.0.0.1 (RPC: Can't decode result)";
    QTest::newRow("reply larger than the buffer") << "oversize" << 0 << int(VI_ERROR_IO) << "reply from 127.0.0.1 larger than asked for";
    QTest::newRow("refused port") << "refused" << int(VI_ERROR_RSRC_NFOUND) << 0 << "port %1 refused";
    QTest::newRow("GPIB without linux-gpib") << "gpib" << int(VI_ERROR_RSRC_NFOUND) << 0 << "no GPIB driver";
    QTest::newRow("silent serial line") << "pty" << 0 << int(VI_ERROR_TMO) << "no answer from %2 within 0.5 s";
  }
  void faultsEndInTheRightStatusInTime() {
    QFETCH(QString, fault);
    QFETCH(int, openStatus);
    QFETCH(int, readStatus);
    QFETCH(QString, why);
    std::unique_ptr<BenchDaemon> daemon;
    QString resource;
    QString expectedWhy = why;
    int master = -1;
    RefusingPort refusing;
    if (fault == "refused") {
      resource = QString("TCPIP::127.0.0.1::%1::SOCKET").arg(refusing.port);
      expectedWhy = why.arg(refusing.port);
    } else if (fault == "gpib") {
      if (QLibrary("libgpib.so.0").load())
        QSKIP("linux-gpib is installed here");
      qunsetenv("SOLVISA_GPIB_GATEWAY");
      resource = "GPIB0::5::INSTR";
    } else if (fault == "pty") {
      master = posix_openpt(O_RDWR | O_NOCTTY);
      QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
      resource = QString("ASRL%1::INSTR").arg(ptsname(master));
      expectedWhy = why.arg(ptsname(master));
    } else {
      daemon = std::make_unique<BenchDaemon>(benchFile("GPIB0::28::INSTR", "GPIB0::20::INSTR"),
                                             QStringList{"--fault", fault});
      QVERIFY(daemon->ready());
      qputenv("SOLVISA_PORTMAPPER_PORT", daemon->portmapperPort().toLatin1());
      resource = "TCPIP::127.0.0.1::inst0::INSTR";
    }
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
    QCOMPARE(reason(), expectedWhy);
    if (opened == VI_SUCCESS)
      VI(viClose)(vi);
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString("took %1 ms").arg(clock.elapsed())));
    if (master >= 0)
      ::close(master);
  }

  void theDeviceDialogOffersLanProtocolsAndNamesWhyATestFailed_data() {
    QTest::addColumn<int>("interface");
    QTest::addColumn<QString>("resource");
    QTest::newRow("raw socket") << 5 << "TCPIP::127.0.0.1::%1::SOCKET";
    QTest::newRow("HiSLIP") << 6 << "TCPIP::127.0.0.1::hislip0,%1::INSTR";
  }
  void theDeviceDialogOffersLanProtocolsAndNamesWhyATestFailed() {
    QFETCH(int, interface);
    QFETCH(QString, resource);
    RefusingPort refusing;
    CfgStr cfg = Defaults();
    cfg.Gen1.Interface = interface;
    cfg.Gen1.IpAddress = QString("127.0.0.1:%1").arg(refusing.port);
    DevWindow dialog(&cfg);
    PromptRecorder prompts;
    QCOMPARE(Entries(dialog, "G1Ift"), QStringList({"GPIB0", "GPIB1", "LAN (VXI-11)", "LAN (socket)", "LAN (HiSLIP)"}));
    W<QPushButton>(dialog, "G1Tst")->click();
    QCOMPARE(cfg.Gen1.VisaResourceString, resource.arg(refusing.port));
    QCOMPARE(W<QLineEdit>(dialog, "G1Msg")->text(), QString("Test failed: port %1 refused").arg(refusing.port));
  }

  void thousandOpensLeaveNoDescriptor() {
    BenchDaemon daemon(benchFile("GPIB0::28::INSTR", "ASRL1::INSTR"));
    QVERIFY(daemon.ready());
    qputenv("SOLVISA_PORTMAPPER_PORT", daemon.portmapperPort().toLatin1());
    const QStringList resources = {daemon.resource("GPIB0::28::INSTR", "vxi11"),
                                   daemon.resource("GPIB0::28::INSTR", "hislip"),
                                   daemon.resource("GPIB0::28::INSTR", "socket"),
                                   "ASRL" + daemon.resource("ASRL1::INSTR", "serial") + "::INSTR",
                                   "TCPIP::127.0.0.1::1::SOCKET"};
    const int before = openDescriptors();
    for (int i = 0; i < 1000; ++i) {
      ViSession vi = 0;
      if (openWithin(resources[i % resources.size()], 1000, vi) == VI_SUCCESS)
        QCOMPARE(VI(viClose)(vi), VI_SUCCESS);
    }
    QCOMPARE(openDescriptors(), before);
  }
};

QTEST_MAIN(TstWire)
#include "tst_wire.moc"
