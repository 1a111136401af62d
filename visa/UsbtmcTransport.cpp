#include "visa/UsbtmcTransport.h"

#include <cstring>
#include <vector>

namespace {

enum : uint8_t { DevDepMsgOut = 1, RequestDevDepMsgIn = 2 };
enum : uint8_t { InitiateClear = 5, CheckClearStatus = 6, ReadStatusByte = 128, RenControl = 160, GoToLocal = 161 };
constexpr uint8_t kStatusSuccess = 1, kStatusPending = 2;
constexpr size_t kHeaderSize = 12;
constexpr size_t kMaxTransfer = 1024 * 1024;

int usbTimeout(const IoSettings &io) { return io.timeoutMs < 0 ? 0 : std::max(io.timeoutMs, 1); }

void putLittleEndian32(unsigned char *out, uint32_t value) {
  for (int i = 0; i < 4; ++i, value >>= 8)
    out[i] = static_cast<unsigned char>(value);
}

uint32_t littleEndian32(const unsigned char *in) {
  return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

}  // namespace

uint8_t UsbtmcTransport::nextTag() {
  tag_ = tag_ == 255 ? 1 : tag_ + 1;  // never 0
  return tag_;
}

ViStatus UsbtmcTransport::failure(int result) {
  if (result == kUsbTimeout)
    return fail(VI_ERROR_TMO, "the USB instrument did not answer in time");
  return fail(VI_ERROR_IO, "USB transfer failed (" + std::to_string(result) + ")");
}

ViStatus UsbtmcTransport::write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) {
  written = 0;
  do {
    const size_t chunk = std::min(count - written, kMaxTransfer);
    const bool last = written + chunk == count;
    std::vector<unsigned char> packet(kHeaderSize + (chunk + 3) / 4 * 4, 0);
    const uint8_t tag = nextTag();
    packet[0] = DevDepMsgOut;
    packet[1] = tag;
    packet[2] = uint8_t(~tag);
    putLittleEndian32(&packet[4], uint32_t(chunk));
    packet[8] = last && io.sendEnd ? 1 : 0;  // EOM
    std::memcpy(&packet[kHeaderSize], buf + written, chunk);
    const int sent = pipe_->bulkOut(packet.data(), int(packet.size()), usbTimeout(io));
    if (sent != int(packet.size()))
      return failure(sent < 0 ? sent : -1);
    written += chunk;
  } while (written < count);
  return VI_SUCCESS;
}

ViStatus UsbtmcTransport::read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) {
  got = 0;
  while (got < count) {
    const uint32_t asked = uint32_t(std::min(count - got, kMaxTransfer));
    unsigned char request[kHeaderSize] = {};
    const uint8_t tag = nextTag();
    request[0] = RequestDevDepMsgIn;
    request[1] = tag;
    request[2] = uint8_t(~tag);
    putLittleEndian32(&request[4], asked);
    request[8] = io.termCharEnabled ? 2 : 0;
    request[9] = io.termChar;
    const int sent = pipe_->bulkOut(request, int(sizeof request), usbTimeout(io));
    if (sent != int(sizeof request))
      return failure(sent < 0 ? sent : -1);
    std::vector<unsigned char> in(kHeaderSize + asked + 3);
    const int n = pipe_->bulkIn(in.data(), int(in.size()), usbTimeout(io));
    if (n < 0)
      return failure(n);
    const uint32_t size = n >= int(kHeaderSize) ? littleEndian32(&in[4]) : 0;
    if (n < int(kHeaderSize) || in[0] != RequestDevDepMsgIn || in[1] != tag || in[2] != uint8_t(~tag) ||
        size > asked || size > uint32_t(n) - kHeaderSize)
      return fail(VI_ERROR_IO, "malformed USBTMC reply");
    std::memcpy(buf + got, &in[kHeaderSize], size);
    got += size;
    if (in[8] & 1)
      return VI_SUCCESS;
    if (in[8] & 2)
      return VI_SUCCESS_TERM_CHAR;
  }
  return VI_SUCCESS_MAX_CNT;
}

ViStatus UsbtmcTransport::clear(const IoSettings &io) {
  unsigned char answer[2] = {};
  int result = pipe_->classRequest(true, InitiateClear, 0, answer, 1, usbTimeout(io));
  if (result < 1)
    return failure(result < 0 ? result : -1);
  if (answer[0] != kStatusSuccess)
    return fail(VI_ERROR_IO, "the USB instrument refused the clear");
  do {
    result = pipe_->classRequest(true, CheckClearStatus, 0, answer, 2, usbTimeout(io));
    if (result < 1)
      return failure(result < 0 ? result : -1);
  } while (answer[0] == kStatusPending);
  pipe_->clearHalts();
  return VI_SUCCESS;
}

ViStatus UsbtmcTransport::readStb(ViUInt16 &stb, const IoSettings &io) {
  statusTag_ = statusTag_ >= 127 ? 2 : statusTag_ + 1;  // 2 to 127
  unsigned char answer[3] = {};
  const int result = pipe_->classRequest(true, ReadStatusByte, statusTag_, answer, 3, usbTimeout(io));
  if (result < 3)
    return failure(result < 0 ? result : -1);
  if (answer[0] != kStatusSuccess || answer[1] != statusTag_)
    return fail(VI_ERROR_IO, "malformed USBTMC status reply");
  stb = answer[2];
  return VI_SUCCESS;
}

ViStatus UsbtmcTransport::controlRen(ViUInt16 mode, const IoSettings &io) {
  unsigned char answer[1] = {};
  const bool local = mode == VI_GPIB_REN_DEASSERT || mode == 2 || mode == VI_GPIB_REN_ADDRESS_GTL;
  const int result = local ? pipe_->classRequest(true, GoToLocal, 0, answer, 1, usbTimeout(io))
                           : pipe_->classRequest(true, RenControl, 1, answer, 1, usbTimeout(io));
  if (result < 1)
    return failure(result < 0 ? result : -1);
  return answer[0] == kStatusSuccess ? VI_SUCCESS : fail(VI_ERROR_NSUP_OPER, "the USB instrument refused");
}
