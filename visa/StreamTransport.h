#pragma once
// A byte stream without message boundaries (a raw socket, a serial line):
// a read ends at the termination character (as VI_SUCCESS when nothing
// follows it, since that is where the message ends) or when the buffer is
// full, and
// END on a write is sent as the termination character. Bytes that arrive
// after the termination character wait for the next read.
#include "visa/Transport.h"

#include <string>

class StreamTransport : public Transport {
public:
  explicit StreamTransport(int fd, std::string peer) : fd_(fd), peer_(std::move(peer)) {}
  ~StreamTransport() override;

  ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) override;
  ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) override;
  ViStatus clear(const IoSettings &io) override;
  ViStatus readStb(ViUInt16 &stb, const IoSettings &io) override;
  void discardInput() override { pending_.clear(); }

protected:
  ViStatus ioFailure(ViStatus status, const IoSettings &io);
  int fd_;

private:
  std::string peer_;
  std::string pending_;
};
