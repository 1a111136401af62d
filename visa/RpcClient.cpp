#include "visa/RpcClient.h"

#include "visa/Net.h"

#include <QByteArray>
#include <arpa/inet.h>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <rpc/pmap_prot.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr unsigned kPortmapperPort = 111;

timeval timevalOf(int ms) {
  if (ms < 0)
    return timeval{24 * 3600, 0};
  return timeval{ms / 1000, (ms % 1000) * 1000};
}

}  // namespace

RpcClient::~RpcClient() {
  if (client_)
    clnt_destroy(client_);
}

bool RpcClient::connect(const std::string &host, unsigned port, u_long program, u_long version, int timeoutMs,
                        ViStatus &status, std::string &reason) {
  host_ = host;
  int fd = connectTcp(host, port, timeoutMs, status, reason);
  if (fd < 0)
    return false;
  // The RPC library reads and writes blocking; each call has its own timeout.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getpeername(fd, reinterpret_cast<sockaddr *>(&address), &length);
  client_ = clnttcp_create(&address, program, version, &fd, 0, 0);
  if (!client_) {
    ::close(fd);
    status = VI_ERROR_RSRC_NFOUND;
    reason = "no RPC service at " + host;
    return false;
  }
  clnt_control(client_, CLSET_FD_CLOSE, nullptr);
  return true;
}

ViStatus RpcClient::call(u_long procedure, xdrproc_t encodeArgs, void *args, xdrproc_t decodeResult, void *result,
                         int timeoutMs, std::string &reason) {
  const clnt_stat outcome = clnt_call(client_, procedure, encodeArgs, reinterpret_cast<char *>(args), decodeResult,
                                      reinterpret_cast<char *>(result), timevalOf(timeoutMs));
  switch (outcome) {
  case RPC_SUCCESS:
    return VI_SUCCESS;
  case RPC_TIMEDOUT:
    reason = "no answer from " + host_ + " within " + secondsText(timeoutMs);
    return VI_ERROR_TMO;
  case RPC_CANTSEND:
  case RPC_CANTRECV:
    reason = "connection to " + host_ + " lost";
    return VI_ERROR_CONN_LOST;
  default:
    reason = "malformed reply from " + host_ + " (" + clnt_sperrno(outcome) + ")";
    return VI_ERROR_IO;
  }
}

unsigned portmapperLookup(const std::string &host, u_long program, u_long version, int timeoutMs, ViStatus &status,
                          std::string &reason) {
  bool given = false;
  const unsigned pmapPort = unsigned(qEnvironmentVariableIntValue("SOLVISA_PORTMAPPER_PORT", &given));
  RpcClient portmapper;
  if (!portmapper.connect(host, given ? pmapPort : kPortmapperPort, PMAPPROG, PMAPVERS, timeoutMs, status, reason))
    return 0;
  pmap query{program, version, IPPROTO_TCP, 0};
  u_int port = 0;
  status = portmapper.call(PMAPPROC_GETPORT, reinterpret_cast<xdrproc_t>(xdr_pmap), &query,
                           reinterpret_cast<xdrproc_t>(xdr_u_int), &port, timeoutMs, reason);
  if (status == VI_SUCCESS && port == 0) {
    status = VI_ERROR_RSRC_NFOUND;
    reason = "no VXI-11 service on " + host;
  }
  return status == VI_SUCCESS ? port : 0;
}
