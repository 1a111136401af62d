#include "benchd/StreamServers.h"

#include "benchd/Listener.h"
#include "benchd/Responder.h"
#include "visa/Net.h"

#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Serves one stream until it ends.
void serveStream(ServedBench &bench, sim::Instrument &instrument, int fd, bool lan) {
  Responder responder(bench, instrument, lan);
  const Deadline never(-1);
  char chunk[4096];
  size_t n = 0;
  while (receiveSome(fd, chunk, sizeof chunk, never, n) == VI_SUCCESS) {
    responder.write(QByteArray(chunk, int(n)), false);
    const QByteArray response = responder.takeQueued();
    if (!response.isEmpty() && sendAll(fd, response.constData(), size_t(response.size()), never) != VI_SUCCESS &&
        lan)
      return;
  }
}

}  // namespace

unsigned serveSocket(ServedBench &bench, sim::Instrument &instrument, unsigned port) {
  const int listener = listenOn(port);
  if (listener < 0)
    return 0;
  serveConnections(listener, [&bench, &instrument](int fd) { serveStream(bench, instrument, fd, true); });
  return portOf(listener);
}

std::string servePseudoTerminal(ServedBench &bench, sim::Instrument &instrument) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
    return std::string();
  termios tio{};
  tcgetattr(master, &tio);
  cfmakeraw(&tio);
  tcsetattr(master, TCSANOW, &tio);
  const std::string path = ptsname(master);
  // Keeps the line open between clients: without a slave open, reading the
  // master fails at once.
  const int keeper = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  (void)keeper;
  std::thread([&bench, &instrument, master] {
    for (;;)
      serveStream(bench, instrument, master, false);
  }).detach();
  return path;
}
