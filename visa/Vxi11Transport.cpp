#include "visa/Vxi11Transport.h"

#include "visa/Net.h"
#include "visa/Vxi11Xdr.h"

#include <cstring>
#include <unistd.h>

namespace {

// The reply of a call may come this much later than the instrument's own
// timeout, which starts when the server receives the call.
constexpr int kReplyMarginMs = 250;

u_int serverTimeout(const IoSettings &io) { return io.timeoutMs < 0 ? 0xFFFFFFFFu : u_int(io.timeoutMs); }

template <typename T>
xdrproc_t xdr() {
  return &vxi11::xdrOf<T>;
}

}  // namespace

std::unique_ptr<Transport> Vxi11Transport::connect(const Resource &resource, const IoSettings &io, ViStatus &status,
                                                   std::string &reason) {
  const std::string host = resource.host.toStdString();
  const unsigned port =
      portmapperLookup(host, vxi11::kCoreProgram, vxi11::kCoreVersion, io.timeoutMs, status, reason);
  if (port == 0)
    return nullptr;
  std::unique_ptr<Vxi11Transport> t(new Vxi11Transport);
  t->host_ = host;
  if (!t->rpc_.connect(host, port, vxi11::kCoreProgram, vxi11::kCoreVersion, io.timeoutMs, status, reason))
    return nullptr;
  vxi11::CreateLinkParms parms;
  parms.clientId = int(getpid());
  parms.device = resource.device.toStdString();
  vxi11::CreateLinkResp link;
  status = t->call(vxi11::CreateLink, xdr<vxi11::CreateLinkParms>(), &parms, xdr<vxi11::CreateLinkResp>(), &link, io);
  if (status == VI_SUCCESS && link.error != vxi11::NoError) {
    status = VI_ERROR_RSRC_NFOUND;
    t->reason_ = host + " has no device " + parms.device;
  }
  if (status != VI_SUCCESS) {
    reason = t->reason_;
    return nullptr;
  }
  t->link_ = link.link;
  t->linked_ = true;
  t->maxWrite_ = link.maxRecvSize >= 16 ? link.maxRecvSize : 1024;
  return t;
}

Vxi11Transport::~Vxi11Transport() {
  if (!linked_)
    return;
  IoSettings brief;
  brief.timeoutMs = 500;
  vxi11::ErrorResp ignored;
  call(vxi11::DestroyLink, xdr<int>(), &link_, xdr<vxi11::ErrorResp>(), &ignored, brief);
}

ViStatus Vxi11Transport::call(u_long procedure, xdrproc_t in, void *args, xdrproc_t out, void *result,
                              const IoSettings &io) {
  std::string why;
  const int timeout = io.timeoutMs < 0 ? -1 : io.timeoutMs + kReplyMarginMs;
  const ViStatus status = rpc_.call(procedure, in, args, out, result, timeout, why);
  if (status != VI_SUCCESS) {
    // The RPC timeout includes the margin; the user set the VISA timeout.
    if (status == VI_ERROR_TMO)
      why = "no answer from " + host_ + " within " + secondsText(io.timeoutMs);
    return fail(status, why);
  }
  return VI_SUCCESS;
}

ViStatus Vxi11Transport::deviceError(int error) {
  switch (error) {
  case vxi11::NoError:
    return VI_SUCCESS;
  case vxi11::IoTimeout:
    return fail(VI_ERROR_TMO, "the instrument at " + host_ + " did not answer in time");
  case vxi11::InvalidLinkId:
    return fail(VI_ERROR_CONN_LOST, "link to " + host_ + " lost");
  case vxi11::OperationNotSupported:
    return fail(VI_ERROR_NSUP_OPER, host_ + " does not support the operation");
  default:
    return fail(VI_ERROR_IO, host_ + " reported error " + std::to_string(error));
  }
}

ViStatus Vxi11Transport::write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) {
  written = 0;
  do {
    vxi11::WriteParms parms;
    const size_t chunk = std::min(count - written, maxWrite_);
    const bool last = written + chunk == count;
    parms.link = link_;
    parms.ioTimeout = serverTimeout(io);
    parms.flags = last && io.sendEnd ? vxi11::kFlagEnd : 0;
    parms.data.assign(buf + written, buf + written + chunk);
    vxi11::WriteResp resp;
    ViStatus status = call(vxi11::DeviceWrite, xdr<vxi11::WriteParms>(), &parms, xdr<vxi11::WriteResp>(), &resp, io);
    if (status == VI_SUCCESS)
      status = deviceError(resp.error);
    if (status != VI_SUCCESS)
      return status;
    if (resp.size > chunk)
      return fail(VI_ERROR_IO, "malformed reply from " + host_);
    written += resp.size;
    if (resp.size == 0 && chunk > 0)
      return fail(VI_ERROR_IO, host_ + " accepted no data");
  } while (written < count);
  return VI_SUCCESS;
}

ViStatus Vxi11Transport::read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) {
  got = 0;
  while (got < count) {
    vxi11::ReadParms parms;
    parms.link = link_;
    parms.requestSize = u_int(std::min<size_t>(count - got, 0x7FFFFFFF));
    parms.ioTimeout = serverTimeout(io);
    parms.flags = io.termCharEnabled ? vxi11::kFlagTermCharSet : 0;
    parms.termChar = char(io.termChar);
    vxi11::ReadResp resp;
    ViStatus status = call(vxi11::DeviceRead, xdr<vxi11::ReadParms>(), &parms, xdr<vxi11::ReadResp>(), &resp, io);
    if (status == VI_SUCCESS)
      status = deviceError(resp.error);
    if (status != VI_SUCCESS)
      return status;
    if (resp.data.size() > count - got)
      return fail(VI_ERROR_IO, "reply from " + host_ + " larger than asked for");
    std::memcpy(buf + got, resp.data.data(), resp.data.size());
    got += resp.data.size();
    if (resp.reason & vxi11::kReasonEnd)
      return VI_SUCCESS;
    if (resp.reason & vxi11::kReasonChar)
      return VI_SUCCESS_TERM_CHAR;
  }
  return VI_SUCCESS_MAX_CNT;
}

ViStatus Vxi11Transport::generic(u_long procedure, const IoSettings &io) {
  vxi11::GenericParms parms;
  parms.link = link_;
  parms.ioTimeout = serverTimeout(io);
  vxi11::ErrorResp resp;
  const ViStatus status = call(procedure, xdr<vxi11::GenericParms>(), &parms, xdr<vxi11::ErrorResp>(), &resp, io);
  return status == VI_SUCCESS ? deviceError(resp.error) : status;
}

ViStatus Vxi11Transport::clear(const IoSettings &io) { return generic(vxi11::DeviceClear, io); }

ViStatus Vxi11Transport::readStb(ViUInt16 &stb, const IoSettings &io) {
  vxi11::GenericParms parms;
  parms.link = link_;
  parms.ioTimeout = serverTimeout(io);
  vxi11::ReadStbResp resp;
  ViStatus status = call(vxi11::DeviceReadStb, xdr<vxi11::GenericParms>(), &parms, xdr<vxi11::ReadStbResp>(), &resp, io);
  if (status == VI_SUCCESS)
    status = deviceError(resp.error);
  if (status == VI_SUCCESS)
    stb = resp.stb;
  return status;
}

ViStatus Vxi11Transport::controlRen(ViUInt16 mode, const IoSettings &io) {
  // Deasserting REN or go-to-local returns the front panel; the others
  // put the instrument in remote.
  const bool local = mode == VI_GPIB_REN_DEASSERT || mode == 2 || mode == VI_GPIB_REN_ADDRESS_GTL;
  return generic(local ? vxi11::DeviceLocal : vxi11::DeviceRemote, io);
}
