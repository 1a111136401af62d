#include "benchd/RpcServer.h"

#include "benchd/Listener.h"
#include "benchd/Responder.h"
#include "visa/Net.h"
#include "visa/Vxi11Xdr.h"

#include <arpa/inet.h>
#include <map>
#include <memory>
#include <rpc/pmap_prot.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr u_int kMaxRecord = 16u * 1024 * 1024;
constexpr u_int kMaxWrite = 64 * 1024;

enum AcceptStat : u_int { Success = 0, ProgramUnavailable = 1, ProcedureUnavailable = 3, GarbageArguments = 4 };

struct Call {
  u_int xid = 0, program = 0, version = 0, procedure = 0;
};

bool skipAuth(XDR *x) {
  u_int flavor = 0, length = 0;
  if (!xdr_u_int(x, &flavor) || !xdr_u_int(x, &length) || length > 400)
    return false;
  char body[400];
  return length == 0 || xdr_opaque(x, body, length);
}

bool decodeCall(XDR *x, Call &call) {
  u_int direction = 0, rpcVersion = 0;
  return xdr_u_int(x, &call.xid) && xdr_u_int(x, &direction) && direction == 0 && xdr_u_int(x, &rpcVersion) &&
         rpcVersion == 2 && xdr_u_int(x, &call.program) && xdr_u_int(x, &call.version) &&
         xdr_u_int(x, &call.procedure) && skipAuth(x) && skipAuth(x);
}

bool encodeReplyHeader(XDR *x, u_int xid, u_int stat) {
  u_int fields[] = {xid, 1 /* reply */, 0 /* accepted */, 0, 0 /* null verifier */, stat};
  for (u_int &field : fields)
    if (!xdr_u_int(x, &field))
      return false;
  return true;
}

// One connection's links to instruments.
struct Links {
  std::map<int, std::unique_ptr<Responder>> byId;
  int next = 1;
};

// Encodes into one buffer per thread, made once: only what is encoded is
// ever touched.
class Reply {
public:
  Reply() {
    static thread_local std::unique_ptr<char[]> buffer(new char[kReplyCapacity]);
    buffer_ = buffer.get();
    xdrmem_create(&x_, buffer_, kReplyCapacity, XDR_ENCODE);
  }
  ~Reply() { xdr_destroy(&x_); }
  XDR *xdr() { return &x_; }
  std::string bytes() { return std::string(buffer_, xdr_getpos(&x_)); }

private:
  static constexpr u_int kReplyCapacity = kMaxRecord + 1024;
  char *buffer_;
  XDR x_;
};

}  // namespace

unsigned RpcServer::start(unsigned port) {
  const int tcp = listenOn(port);
  if (tcp < 0)
    return 0;
  port_ = portOf(tcp);
  const int udp = listenOn(port_, true);
  serveConnections(tcp, [this](int fd) { serveTcp(fd); });
  if (udp >= 0)
    std::thread([this, udp] { serveUdp(udp); }).detach();
  return port_;
}

namespace {

// The reply to one call, "" when the call gets none. Links belong to the
// connection; UDP calls have none.
std::string answer(ServedBench &bench, const std::string &fault, unsigned port, char *data, size_t size,
                   Links *links) {
  XDR in;
  xdrmem_create(&in, data, u_int(size), XDR_DECODE);
  Call call;
  if (!decodeCall(&in, call)) {
    xdr_destroy(&in);
    return std::string();
  }
  Reply reply;
  XDR *out = reply.xdr();
  auto respond = [&](auto &result) {
    encodeReplyHeader(out, call.xid, Success);
    vxi11::encode(out, &result);
  };
  auto garbage = [&] { encodeReplyHeader(out, call.xid, GarbageArguments); };
  // Arguments that do not decode are answered GARBAGE_ARGS.
  auto decoded = [&](auto *args) {
    if (vxi11::encode(&in, args))
      return true;
    garbage();
    return false;
  };
  if (call.program == PMAPPROG && call.procedure == PMAPPROC_GETPORT) {
    pmap query{};
    if (xdr_pmap(&in, &query)) {
      u_int found = query.pm_prog == vxi11::kCoreProgram && query.pm_prot == IPPROTO_TCP ? port : 0;
      encodeReplyHeader(out, call.xid, Success);
      xdr_u_int(out, &found);
    } else {
      garbage();
    }
  } else if (call.program == PMAPPROG && call.procedure == PMAPPROC_NULL) {
    encodeReplyHeader(out, call.xid, Success);
  } else if (call.program != vxi11::kCoreProgram || !links) {
    encodeReplyHeader(out, call.xid, ProgramUnavailable);
  } else {
    auto linkOf = [&](int id) -> Responder * {
      auto it = links->byId.find(id);
      return it == links->byId.end() ? nullptr : it->second.get();
    };
    switch (call.procedure) {
    case vxi11::CreateLink: {
      vxi11::CreateLinkParms p;
      vxi11::CreateLinkResp r;
      if (!decoded(&p))
        break;
      sim::Instrument *instrument = bench.byDevice(QString::fromStdString(p.device));
      if (instrument) {
        r.link = links->next++;
        r.maxRecvSize = kMaxWrite;
        links->byId[r.link] = std::make_unique<Responder>(bench, *instrument, true);
      } else {
        r.error = vxi11::DeviceNotAccessible;
      }
      respond(r);
      break;
    }
    case vxi11::DeviceWrite: {
      vxi11::WriteParms p;
      vxi11::WriteResp r;
      if (!decoded(&p))
        break;
      if (Responder *link = linkOf(p.link)) {
        link->write(QByteArray(p.data.data(), int(p.data.size())), p.flags & vxi11::kFlagEnd);
        r.size = u_int(p.data.size());
      } else {
        r.error = vxi11::InvalidLinkId;
      }
      respond(r);
      break;
    }
    case vxi11::DeviceRead: {
      vxi11::ReadParms p;
      vxi11::ReadResp r;
      if (!decoded(&p))
        break;
      Responder *link = linkOf(p.link);
      if (!link) {
        r.error = vxi11::InvalidLinkId;
      } else if (!link->waitForOutput(p.ioTimeout)) {
        r.error = vxi11::IoTimeout;
      } else {
        bool end = false, atTerm = false;
        const QByteArray bytes = link->take(p.requestSize, (p.flags & vxi11::kFlagTermCharSet) ? p.termChar : -1, end, atTerm);
        r.data.assign(bytes.begin(), bytes.end());
        if (fault == "oversize")
          r.data.resize(r.data.size() + p.requestSize + 16, '#');
        r.reason = end ? vxi11::kReasonEnd : atTerm ? vxi11::kReasonChar : vxi11::kReasonRequestCount;
      }
      if (fault == "malformed") {
        // A reply whose data claims nearly 4 GiB that never follow.
        int error = 0, reason = vxi11::kReasonEnd;
        u_int claimed = 0xFFFFFFF0u;
        encodeReplyHeader(out, call.xid, Success);
        xdr_int(out, &error) && xdr_int(out, &reason) && xdr_u_int(out, &claimed);
      } else {
        respond(r);
      }
      break;
    }
    case vxi11::DeviceReadStb: {
      vxi11::GenericParms p;
      vxi11::ReadStbResp r;
      if (!decoded(&p))
        break;
      if (Responder *link = linkOf(p.link))
        r.stb = u_char(link->statusByte());
      else
        r.error = vxi11::InvalidLinkId;
      respond(r);
      break;
    }
    case vxi11::DeviceClear:
    case vxi11::DeviceLocal:
    case vxi11::DeviceRemote:
    case vxi11::DeviceTrigger: {
      vxi11::GenericParms p;
      vxi11::ErrorResp r;
      if (!decoded(&p))
        break;
      Responder *link = linkOf(p.link);
      if (!link)
        r.error = vxi11::InvalidLinkId;
      else if (call.procedure == vxi11::DeviceClear)
        link->clear();
      else if (call.procedure == vxi11::DeviceLocal)
        link->goToLocal();
      respond(r);
      break;
    }
    case vxi11::DestroyLink: {
      int id = 0;
      vxi11::ErrorResp r;
      if (!decoded(&id))
        break;
      r.error = links->byId.erase(id) ? vxi11::NoError : vxi11::InvalidLinkId;
      respond(r);
      break;
    }
    default:
      encodeReplyHeader(out, call.xid, ProcedureUnavailable);
    }
  }
  xdr_destroy(&in);
  return reply.bytes();
}

}  // namespace

void RpcServer::serveTcp(int fd) {
  Links links;
  const Deadline never(-1);
  for (;;) {
    // One record: fragments of a 4-byte header (last-fragment bit, length).
    std::string record;
    uint32_t header = 0;
    do {
      if (receiveAll(fd, &header, 4, never) != VI_SUCCESS)
        return;
      header = ntohl(header);
      const u_int length = header & 0x7FFFFFFF;
      if (record.size() + length > kMaxRecord)
        return;
      const size_t at = record.size();
      record.resize(at + length);
      if (length && receiveAll(fd, &record[at], length, never) != VI_SUCCESS)
        return;
    } while (!(header & 0x80000000u));
    if (fault_ == "silent")
      continue;
    const std::string reply = answer(bench_, fault_, port_, &record[0], record.size(), &links);
    if (reply.empty())
      continue;
    const uint32_t mark = htonl(0x80000000u | uint32_t(reply.size()));
    std::string bytes(reinterpret_cast<const char *>(&mark), 4);
    bytes += reply;
    if (fault_ == "close-mid-reply" && reply.size() > 40) {
      sendAll(fd, bytes.data(), bytes.size() / 2, never);
      return;
    }
    if (sendAll(fd, bytes.data(), bytes.size(), never) != VI_SUCCESS)
      return;
  }
}

void RpcServer::serveUdp(int fd) {
  char datagram[8192];
  for (;;) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = recvfrom(fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr *>(&from), &length);
    if (n <= 0)
      continue;
    const std::string reply = answer(bench_, fault_, port_, datagram, size_t(n), nullptr);
    if (!reply.empty())
      sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr *>(&from), length);
  }
}
