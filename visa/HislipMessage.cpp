#include "visa/HislipMessage.h"

namespace hislip {

namespace {

void putBigEndian(unsigned char *out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8)
    out[i] = static_cast<unsigned char>(value);
}

uint64_t getBigEndian(const unsigned char *in, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value = value << 8 | in[i];
  return value;
}

}  // namespace

ViStatus send(int fd, const Message &message, const Deadline &deadline) {
  std::string bytes(16, '\0');
  auto *h = reinterpret_cast<unsigned char *>(&bytes[0]);
  h[0] = 'H';
  h[1] = 'S';
  h[2] = message.type;
  h[3] = message.control;
  putBigEndian(h + 4, message.parameter, 4);
  putBigEndian(h + 8, message.payload.size(), 8);
  bytes += message.payload;
  return sendAll(fd, bytes.data(), bytes.size(), deadline);
}

ViStatus receive(int fd, Message &message, const Deadline &deadline) {
  unsigned char h[16];
  ViStatus status = receiveAll(fd, h, sizeof h, deadline);
  if (status != VI_SUCCESS)
    return status;
  const uint64_t length = getBigEndian(h + 8, 8);
  if (h[0] != 'H' || h[1] != 'S' || length > kMaxPayload)
    return VI_ERROR_IO;
  message.type = h[2];
  message.control = h[3];
  message.parameter = uint32_t(getBigEndian(h + 4, 4));
  message.payload.assign(size_t(length), '\0');
  return length ? receiveAll(fd, &message.payload[0], size_t(length), deadline) : VI_SUCCESS;
}

}  // namespace hislip
