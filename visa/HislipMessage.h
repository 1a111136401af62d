#pragma once
// HiSLIP messages: a 16-byte header ("HS", message type, control code,
// 32-bit parameter, 64-bit payload length, big-endian) and the payload.
// Shared by the client transport and solvane-benchd.
#include "instruments/VisaDefs.h"
#include "visa/Net.h"

#include <cstdint>
#include <string>

namespace hislip {

enum Type : uint8_t {
  Initialize = 0, InitializeResponse = 1, FatalError = 2, Error = 3, Data = 6, DataEnd = 7,
  DeviceClearComplete = 8, DeviceClearAcknowledge = 9, AsyncRemoteLocalControl = 10,
  AsyncRemoteLocalResponse = 11, Interrupted = 13, AsyncInterrupted = 14, AsyncMaximumMessageSize = 15,
  AsyncMaximumMessageSizeResponse = 16, AsyncInitialize = 17, AsyncInitializeResponse = 18,
  AsyncDeviceClear = 19, AsyncStatusQuery = 21, AsyncStatusResponse = 22, AsyncDeviceClearAcknowledge = 23,
};

constexpr uint16_t kProtocolVersion = 0x0100;
constexpr uint32_t kFirstMessageId = 0xFFFFFF00u;
// Largest payload accepted from the peer; more is a broken message.
constexpr uint64_t kMaxPayload = 64u * 1024 * 1024;

struct Message {
  uint8_t type = 0;
  uint8_t control = 0;
  uint32_t parameter = 0;
  std::string payload;
};

ViStatus send(int fd, const Message &message, const Deadline &deadline);
// VI_ERROR_IO for a header that is not HiSLIP's or a payload past kMaxPayload.
ViStatus receive(int fd, Message &message, const Deadline &deadline);

}  // namespace hislip
