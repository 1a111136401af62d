// solvane-benchd: the simulated bench on the wire, on loopback only. Every
// instrument answers over VXI-11 (as "gpibB,P" through a gateway, or
// "instN"), HiSLIP ("hislipN"), a raw socket of its own, and serial
// instruments on a pseudo-terminal each. The resource strings to open are
// printed, one instrument a line, then "ready".
#include "bench/BenchFile.h"
#include "benchd/HislipServer.h"
#include "benchd/RpcServer.h"
#include "benchd/ServedBench.h"
#include "benchd/StreamServers.h"
#include "visa/Vxi11Xdr.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <rpc/pmap_clnt.h>
#include <unistd.h>

namespace {

constexpr unsigned kSystemPortmapperPort = 111;

// Registers the VXI-11 port with a portmapper already running here.
bool registerWithPortmapper(unsigned port) {
  pmap_unset(vxi11::kCoreProgram, vxi11::kCoreVersion);
  return pmap_set(vxi11::kCoreProgram, vxi11::kCoreVersion, IPPROTO_TCP, u_short(port));
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser options;
  options.setApplicationDescription("Serves the simulated bench over VXI-11, HiSLIP, sockets and "
                                    "pseudo-terminals on 127.0.0.1.");
  options.addHelpOption();
  options.addOptions({
      {"bench", "Bench file, or \"default\".", "file", "default"},
      {"portmapper-port", "Answer portmapper requests on this port (0: any free port) instead of "
                          "registering with the system's portmapper.", "port"},
      {"hislip-port", "HiSLIP port (0: any free port).", "port", "4880"},
      {"socket-port", "First raw socket port (0: any free ports).", "port", "5025"},
      {"fault", "Misbehave on VXI-11 reads: silent, close-mid-reply, malformed, oversize.", "name"},
      {"until-stdin-closes", "Exit when standard input closes (the starting process ended)."},
  });
  options.process(app);

  QString error;
  auto bench = sim::loadBench(options.value("bench"), &error);
  if (!bench) {
    std::fprintf(stderr, "solvane-benchd: %s\n", qPrintable(error));
    return 1;
  }
  ServedBench served(std::move(bench));

  RpcServer rpc(served, options.value("fault").toStdString());
  unsigned rpcPort = 0;
  if (options.isSet("portmapper-port")) {
    rpcPort = rpc.start(options.value("portmapper-port").toUInt());
    std::printf("portmapper %u\n", rpcPort);
  } else {
    rpcPort = rpc.start(0);
    if (rpcPort && !registerWithPortmapper(rpcPort)) {
      // No portmapper runs here: answer its requests on its port ourselves.
      rpcPort = rpc.start(kSystemPortmapperPort);
      if (rpcPort)
        std::printf("portmapper %u\n", rpcPort);
    }
  }
  if (!rpcPort) {
    std::fprintf(stderr, "solvane-benchd: no port for VXI-11 (port 111 needs root; try --portmapper-port 0)\n");
    return 1;
  }
  HislipServer hislip(served);
  const unsigned hislipPort = hislip.start(options.value("hislip-port").toUInt());
  if (!hislipPort) {
    std::fprintf(stderr, "solvane-benchd: HiSLIP port %s is taken\n", qPrintable(options.value("hislip-port")));
    return 1;
  }
  unsigned socketPort = options.value("socket-port").toUInt();
  const QStringList resources = served.resources();
  for (int i = 0; i < resources.size(); ++i) {
    sim::Instrument &instrument = *served.byDevice("inst" + QString::number(i));
    const unsigned port = serveSocket(served, instrument, socketPort);
    if (socketPort)
      ++socketPort;
    std::printf("%s vxi11=TCPIP::127.0.0.1::%s::INSTR hislip=TCPIP::127.0.0.1::hislip%d,%u::INSTR "
                "socket=TCPIP::127.0.0.1::%u::SOCKET",
                qPrintable(resources[i]), qPrintable(ServedBench::gatewayName(resources[i])), i, hislipPort, port);
    if (resources[i].startsWith("ASRL", Qt::CaseInsensitive))
      std::printf(" serial=%s", servePseudoTerminal(served, instrument).c_str());
    std::printf("\n");
  }
  std::printf("ready\n");
  std::fflush(stdout);
  if (options.isSet("until-stdin-closes")) {
    char ignored[256];
    while (read(STDIN_FILENO, ignored, sizeof ignored) > 0) {
    }
    return 0;
  }
  for (;;)
    pause();
}
