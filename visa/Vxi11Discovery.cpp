#include "visa/Vxi11Discovery.h"

#include "visa/Net.h"
#include "visa/Vxi11Xdr.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <rpc/pmap_prot.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr u_int kXid = 0x53564431;

// The GETPORT call as one UDP datagram.
size_t getPortCall(char *buffer, size_t size) {
  XDR x;
  xdrmem_create(&x, buffer, u_int(size), XDR_ENCODE);
  rpc_msg call{};
  call.rm_xid = kXid;
  call.rm_direction = CALL;
  call.rm_call.cb_rpcvers = RPC_MSG_VERSION;
  call.rm_call.cb_prog = PMAPPROG;
  call.rm_call.cb_vers = PMAPVERS;
  call.rm_call.cb_proc = PMAPPROC_GETPORT;
  call.rm_call.cb_cred = _null_auth;
  call.rm_call.cb_verf = _null_auth;
  pmap query{vxi11::kCoreProgram, vxi11::kCoreVersion, IPPROTO_TCP, 0};
  const bool ok = xdr_callmsg(&x, &call) && xdr_pmap(&x, &query);
  const size_t length = ok ? xdr_getpos(&x) : 0;
  xdr_destroy(&x);
  return length;
}

// The port in a GETPORT reply to our call, 0 when it is none.
u_int portIn(char *reply, size_t size) {
  XDR x;
  xdrmem_create(&x, reply, u_int(size), XDR_DECODE);
  rpc_msg msg{};
  u_int port = 0;
  msg.acpted_rply.ar_verf = _null_auth;
  msg.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&port);
  msg.acpted_rply.ar_results.proc = reinterpret_cast<xdrproc_t>(xdr_u_int);
  const bool ok = xdr_replymsg(&x, &msg) && msg.rm_xid == kXid && msg.rm_reply.rp_stat == MSG_ACCEPTED &&
                  msg.acpted_rply.ar_stat == SUCCESS;
  xdr_destroy(&x);
  return ok ? port : 0;
}

}  // namespace

QStringList findVxi11Instruments(int waitMs) {
  QStringList found;
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return found;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  bool given = false;
  const int pmapPort = qEnvironmentVariableIntValue("SOLVISA_PORTMAPPER_PORT", &given);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(uint16_t(given ? pmapPort : 111));
  to.sin_addr.s_addr = given ? htonl(INADDR_LOOPBACK) : htonl(INADDR_BROADCAST);
  char buffer[512];
  const size_t length = getPortCall(buffer, sizeof buffer);
  if (length && sendto(fd, buffer, length, 0, reinterpret_cast<sockaddr *>(&to), sizeof to) > 0) {
    // On loopback one portmapper answers: wait for it, however busy the machine.
    const Deadline deadline(given ? 2000 : waitMs);
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, deadline.remainingMs()) > 0) {
      sockaddr_in from{};
      socklen_t fromLength = sizeof from;
      const ssize_t n = recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
      char address[INET_ADDRSTRLEN] = {};
      if (n > 0 && portIn(buffer, size_t(n)) != 0 && inet_ntop(AF_INET, &from.sin_addr, address, sizeof address)) {
        const QString resource = QString("TCPIP0::%1::inst0::INSTR").arg(address);
        if (!found.contains(resource))
          found << resource;
        if (given)
          break;
      }
    }
  }
  ::close(fd);
  return found;
}
