// "*IDN?" round trips over loopback against one solvane-benchd: libsolvisa
// over VXI-11, HiSLIP and a raw socket, the pure-Python VISA backend and
// liblxi over VXI-11. The clients that ask the portmapper only on port 111
// need that port free.
#include "instruments/VisaFunctions.h"
#include "support/BenchDaemon.h"
#include "support/TestPaths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kRounds = 2000;

void report(const char *client, double seconds, int rounds) {
  std::printf("%-34s %8.1f us per *IDN? (%d rounds)\n", client, seconds * 1e6 / rounds, rounds);
}

void libsolvisa(const QString &resource, const char *label) {
  QLibrary lib(binDir() + "/libsolvisa.so");
  auto openRm = reinterpret_cast<decltype(&viOpenDefaultRM)>(lib.resolve("viOpenDefaultRM"));
  auto open = reinterpret_cast<decltype(&viOpen)>(lib.resolve("viOpen"));
  auto write = reinterpret_cast<decltype(&viWrite)>(lib.resolve("viWrite"));
  auto read = reinterpret_cast<decltype(&viRead)>(lib.resolve("viRead"));
  ViSession rm = 0, vi = 0;
  if (!openRm || openRm(&rm) != VI_SUCCESS || open(rm, qPrintable(resource), VI_NO_LOCK, 2000, &vi) != VI_SUCCESS) {
    std::printf("%-34s cannot open %s\n", label, qPrintable(resource));
    return;
  }
  char buffer[256];
  ViUInt32 n = 0;
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < kRounds; ++i) {
    write(vi, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n);
    read(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &n);
  }
  report(label, clock.nsecsElapsed() / 1e9, kRounds);
}

void pyvisaPy(const QString &resource) {
  const int rounds = kRounds / 4;
  const QString script = QString(R"(
import pyvisa, time
inst = pyvisa.ResourceManager("@py").open_resource("%1", read_termination="\n", write_termination="\n")
start = time.perf_counter()
for _ in range(%2):
    inst.query("*IDN?")
print(time.perf_counter() - start)
)").arg(resource).arg(rounds);
  QProcess python;
  python.start("/usr/bin/python3", {"-c", script});
  python.waitForFinished(120000);
  bool ok = false;
  const double seconds = python.readAllStandardOutput().trimmed().toDouble(&ok);
  if (ok)
    report("pyvisa-py (pure Python), VXI-11", seconds, rounds);
  else
    std::printf("pyvisa-py: %s\n", python.readAllStandardError().constData());
}

void liblxi() {
  QLibrary lib("liblxi.so.1");
  const auto init = reinterpret_cast<int (*)()>(lib.resolve("lxi_init"));
  const auto connect = reinterpret_cast<int (*)(const char *, int, const char *, int, int)>(lib.resolve("lxi_connect"));
  const auto send = reinterpret_cast<int (*)(int, const char *, int, int)>(lib.resolve("lxi_send"));
  const auto receive = reinterpret_cast<int (*)(int, char *, int, int)>(lib.resolve("lxi_receive"));
  if (!init || !connect || !send || !receive) {
    std::printf("liblxi: not installed\n");
    return;
  }
  init();
  const int device = connect("127.0.0.1", 0, "inst0", 2000, 0 /* VXI-11 */);
  if (device < 0) {
    std::printf("liblxi: cannot connect\n");
    return;
  }
  char buffer[256];
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < kRounds; ++i) {
    send(device, "*IDN?\n", 6, 2000);
    receive(device, buffer, sizeof buffer, 2000);
  }
  report("liblxi, VXI-11", clock.nsecsElapsed() / 1e9, kRounds);
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  WriteAll(dir.filePath("bench.json"), R"({"instruments": [{"resource": "GPIB0::20::INSTR", "type": 59}]})");
  BenchDaemon daemon(dir.filePath("bench.json"), {"--portmapper-port", "111"});
  if (!daemon.ready()) {
    std::printf("solvane-benchd cannot serve the portmapper's port 111 (taken, or not root)\n");
    return 1;
  }
  qputenv("SOLVISA_PORTMAPPER_PORT", "111");
  libsolvisa(daemon.resource("GPIB0::20::INSTR", "vxi11"), "libsolvisa, VXI-11");
  libsolvisa(daemon.resource("GPIB0::20::INSTR", "hislip"), "libsolvisa, HiSLIP");
  libsolvisa(daemon.resource("GPIB0::20::INSTR", "socket"), "libsolvisa, raw socket");
  pyvisaPy(daemon.resource("GPIB0::20::INSTR", "vxi11"));
  liblxi();
  return 0;
}
