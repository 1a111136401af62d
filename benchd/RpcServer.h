#pragma once
// The bench's VXI-11 core channel and, on the same port, the portmapper's
// GETPORT for it (TCP and UDP), for machines without a portmapper of their
// own. A fault, when named, makes the server misbehave on device_read the
// way broken instruments do: "silent" never answers any call,
// "close-mid-reply" hangs up halfway through the reply, "malformed" sends
// bytes that are no RPC reply, "oversize" returns more data than asked for.
#include "benchd/ServedBench.h"

#include <string>

class RpcServer {
public:
  RpcServer(ServedBench &bench, std::string fault) : bench_(bench), fault_(std::move(fault)) {}
  // Serves on 127.0.0.1:port (0: any free port); returns the port, 0 when
  // it cannot be had.
  unsigned start(unsigned port);

private:
  void serveTcp(int fd);
  void serveUdp(int fd);

  ServedBench &bench_;
  std::string fault_;
  unsigned port_ = 0;
};
