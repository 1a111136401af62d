#pragma once
// One ONC RPC client over TCP with the VISA timeout on every call, and the
// portmapper's GETPORT, for the VXI-11 transport.
#include "instruments/VisaDefs.h"

#include <rpc/rpc.h>
#include <string>

class RpcClient {
public:
  RpcClient() = default;
  ~RpcClient();
  RpcClient(const RpcClient &) = delete;
  RpcClient &operator=(const RpcClient &) = delete;

  // Connects within the timeout; false with the status and the reason.
  bool connect(const std::string &host, unsigned port, u_long program, u_long version, int timeoutMs,
               ViStatus &status, std::string &reason);
  // VI_SUCCESS, VI_ERROR_TMO (no reply in time), VI_ERROR_CONN_LOST or
  // VI_ERROR_IO (a reply that does not decode); reason says which.
  ViStatus call(u_long procedure, xdrproc_t encodeArgs, void *args, xdrproc_t decodeResult, void *result,
                int timeoutMs, std::string &reason);

private:
  CLIENT *client_ = nullptr;
  std::string host_;
};

// The TCP port of a program on host, asked of the portmapper (port 111, or
// SOLVISA_PORTMAPPER_PORT). 0 with the status and reason when unknown.
unsigned portmapperLookup(const std::string &host, u_long program, u_long version, int timeoutMs,
                          ViStatus &status, std::string &reason);
