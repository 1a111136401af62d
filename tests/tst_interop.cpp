// Clients nobody here wrote, against the project's VISA library and
// solvane-benchd: pyvisa loading libsolvisa, the pure-Python VISA backend and
// the LXI tools talking to the daemon. Each skips, saying why, when its
// package is missing; VXI-11 clients that insist on the portmapper's own
// port skip when port 111 is taken.
#include "support/BenchDaemon.h"
#include "support/TestPaths.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kPython = "/usr/bin/python3";

const QByteArray kBench = R"({"instruments": [{"resource": "GPIB0::20::INSTR", "type": 59}]})";

bool pythonHas(const QString &module) { return QProcess::execute(kPython, {"-c", "import " + module}) == 0; }

// What a program printed, or why it failed.
QString run(const QString &program, const QStringList &arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(20000))
    return "timed out";
  return QString::fromUtf8(process.readAllStandardOutput() +
                           (process.exitCode() ? process.readAllStandardError() : QByteArray()));
}

const char *const kIdn = "Solvane Simulated,SPA-59,SIM000020,1.0";

}  // namespace

class TstInterop : public QObject {
  Q_OBJECT

private slots:
  void pyvisaUsesLibsolvisa() {
    if (!pythonHas("pyvisa"))
      QSKIP("python3-pyvisa is not installed");
    BenchDaemon daemon(benchFile(kBench, 500));
    QVERIFY(daemon.ready());
    const QString script = R"(
import pyvisa, sys
rm = pyvisa.ResourceManager(sys.argv[1])
print(rm.list_resources("TCPIP?*"))
inst = rm.open_resource(sys.argv[2])
print(inst.query("*IDN?").strip())
print(inst.read_stb())
inst.close()
rm.close()
)";
    QCOMPARE(run(kPython, {"-c", script, binDir() + "/libsolvisa.so", daemon.resource("GPIB0::20::INSTR", "vxi11")}),
             QString("('TCPIP0::127.0.0.1::inst0::INSTR',)\n%1\n0\n").arg(kIdn));
  }

  void purePythonBackendTalksToTheDaemon_data() {
    QTest::addColumn<QString>("protocol");
    QTest::newRow("raw socket") << "socket";
    QTest::newRow("VXI-11") << "vxi11";
  }
  void purePythonBackendTalksToTheDaemon() {
    QFETCH(QString, protocol);
    if (!pythonHas("pyvisa_py"))
      QSKIP("python3-pyvisa-py is not installed");
    BenchDaemon daemon(benchFile(kBench, 500),
                       protocol == "vxi11" ? QStringList{"--portmapper-port", "111"} : QStringList());
    if (!daemon.ready())
      QSKIP("port 111 is taken: the pure-Python backend asks the portmapper only there");
    const QString script = R"(
import pyvisa, sys
inst = pyvisa.ResourceManager("@py").open_resource(sys.argv[1], read_termination="\n", write_termination="\n")
print(inst.query("*IDN?"))
)";
    QCOMPARE(run(kPython, {"-c", script, daemon.resource("GPIB0::20::INSTR", protocol)}), QString(kIdn) + "\n");
  }

  void lxiToolsFindAndQueryTheDaemon() {
    if (QStandardPaths::findExecutable("lxi").isEmpty())
      QSKIP("lxi-tools is not installed");
    BenchDaemon daemon(benchFile(kBench, 500), {"--portmapper-port", "111"});
    if (!daemon.ready())
      QSKIP("port 111 is taken: the LXI tools ask the portmapper only there");
    const QString port = daemon.resource("GPIB0::20::INSTR", "socket").section("::", 2, 2);
    QCOMPARE(run("lxi", {"scpi", "-a", "127.0.0.1", "*IDN?"}), QString(kIdn) + "\n");
    QCOMPARE(run("lxi", {"scpi", "-a", "127.0.0.1", "-r", "-p", port, "*IDN?"}), QString(kIdn) + "\n");
    QVERIFY(run("lxi", {"discover", "-t", "1"}).contains(QString("Found \"%1\" on address 127.0.0.1").arg(kIdn)));
  }
};

QTEST_GUILESS_MAIN(TstInterop)
#include "tst_interop.moc"
