#include "visa/Vxi11Xdr.h"

namespace vxi11 {

namespace {

// Largest opaque field accepted from the peer; bigger is a malformed message.
constexpr u_int kMaxData = 64u * 1024 * 1024;

bool_t opaque(XDR *x, std::vector<char> &data) {
  u_int size = u_int(data.size());
  if (!xdr_u_int(x, &size))
    return FALSE;
  if (x->x_op == XDR_DECODE) {
    if (size > kMaxData)
      return FALSE;
    data.resize(size);
  }
  return size == 0 || xdr_opaque(x, data.data(), size);
}

bool_t string(XDR *x, std::string &text) {
  std::vector<char> bytes(text.begin(), text.end());
  if (!opaque(x, bytes))
    return FALSE;
  text.assign(bytes.begin(), bytes.end());
  return TRUE;
}

}  // namespace

bool_t encode(XDR *x, CreateLinkParms *p) {
  bool_t lock = p->lockDevice;
  const bool_t ok = xdr_int(x, &p->clientId) && xdr_bool(x, &lock) && xdr_u_int(x, &p->lockTimeout) &&
                    string(x, p->device);
  p->lockDevice = lock;
  return ok;
}

bool_t encode(XDR *x, CreateLinkResp *p) {
  return xdr_int(x, &p->error) && xdr_int(x, &p->link) && xdr_u_int(x, &p->abortPort) &&
         xdr_u_int(x, &p->maxRecvSize);
}

bool_t encode(XDR *x, WriteParms *p) {
  return xdr_int(x, &p->link) && xdr_u_int(x, &p->ioTimeout) && xdr_u_int(x, &p->lockTimeout) &&
         xdr_int(x, &p->flags) && opaque(x, p->data);
}

bool_t encode(XDR *x, WriteResp *p) { return xdr_int(x, &p->error) && xdr_u_int(x, &p->size); }

bool_t encode(XDR *x, ReadParms *p) {
  return xdr_int(x, &p->link) && xdr_u_int(x, &p->requestSize) && xdr_u_int(x, &p->ioTimeout) &&
         xdr_u_int(x, &p->lockTimeout) && xdr_int(x, &p->flags) && xdr_char(x, &p->termChar);
}

bool_t encode(XDR *x, ReadResp *p) { return xdr_int(x, &p->error) && xdr_int(x, &p->reason) && opaque(x, p->data); }

bool_t encode(XDR *x, GenericParms *p) {
  return xdr_int(x, &p->link) && xdr_int(x, &p->flags) && xdr_u_int(x, &p->lockTimeout) &&
         xdr_u_int(x, &p->ioTimeout);
}

bool_t encode(XDR *x, ReadStbResp *p) { return xdr_int(x, &p->error) && xdr_u_char(x, &p->stb); }

bool_t encode(XDR *x, ErrorResp *p) { return xdr_int(x, &p->error); }

bool_t encode(XDR *x, int *link) { return xdr_int(x, link); }

}  // namespace vxi11
