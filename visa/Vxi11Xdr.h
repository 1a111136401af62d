#pragma once
// The VXI-11 core channel's procedures and messages in XDR (ONC RPC program
// 0x0607AF, version 1), used by the client transport and by solvane-benchd.
#include <rpc/rpc.h>

#include <cstdarg>

#include <string>
#include <vector>

namespace vxi11 {

constexpr u_long kCoreProgram = 0x0607AF;
constexpr u_long kCoreVersion = 1;

enum Procedure : u_long {
  CreateLink = 10, DeviceWrite = 11, DeviceRead = 12, DeviceReadStb = 13, DeviceTrigger = 14,
  DeviceClear = 15, DeviceRemote = 16, DeviceLocal = 17, DestroyLink = 23,
};

// Operation flags and read reasons.
constexpr int kFlagWaitLock = 1, kFlagEnd = 8, kFlagTermCharSet = 128;
constexpr int kReasonRequestCount = 1, kReasonChar = 2, kReasonEnd = 4;

// Device_ErrorCode values.
enum Error : int {
  NoError = 0, SyntaxError = 1, DeviceNotAccessible = 3, InvalidLinkId = 4, ParameterError = 5,
  OperationNotSupported = 8, OutOfResources = 9, IoTimeout = 15, IoError = 17, Abort = 23,
};

struct CreateLinkParms {
  int clientId = 0;
  bool lockDevice = false;
  u_int lockTimeout = 0;
  std::string device;
};
struct CreateLinkResp {
  int error = 0;
  int link = 0;
  u_int abortPort = 0;
  u_int maxRecvSize = 0;
};
struct WriteParms {
  int link = 0;
  u_int ioTimeout = 0, lockTimeout = 0;
  int flags = 0;
  std::vector<char> data;
};
struct WriteResp {
  int error = 0;
  u_int size = 0;
};
struct ReadParms {
  int link = 0;
  u_int requestSize = 0, ioTimeout = 0, lockTimeout = 0;
  int flags = 0;
  char termChar = 0;
};
struct ReadResp {
  int error = 0;
  int reason = 0;
  std::vector<char> data;
};
struct GenericParms {
  int link = 0;
  int flags = 0;
  u_int lockTimeout = 0, ioTimeout = 0;
};
struct ReadStbResp {
  int error = 0;
  u_char stb = 0;
};
struct ErrorResp {
  int error = 0;
};

bool_t encode(XDR *x, CreateLinkParms *p);
bool_t encode(XDR *x, CreateLinkResp *p);
bool_t encode(XDR *x, WriteParms *p);
bool_t encode(XDR *x, WriteResp *p);
bool_t encode(XDR *x, ReadParms *p);
bool_t encode(XDR *x, ReadResp *p);
bool_t encode(XDR *x, GenericParms *p);
bool_t encode(XDR *x, ReadStbResp *p);
bool_t encode(XDR *x, ErrorResp *p);
bool_t encode(XDR *x, int *link);  // Device_Link

// The encoder as the RPC library calls it: the object follows the stream.
template <typename T>
bool_t xdrOf(XDR *x, ...) {
  va_list arguments;
  va_start(arguments, x);
  void *p = va_arg(arguments, void *);
  va_end(arguments);
  return encode(x, static_cast<T *>(p));
}

}  // namespace vxi11
