#include "visa/StreamTransport.h"

#include "visa/Net.h"
#include "visa/PendingBytes.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

StreamTransport::~StreamTransport() { ::close(fd_); }

ViStatus StreamTransport::ioFailure(ViStatus status, const IoSettings &io) {
  if (status == VI_ERROR_TMO)
    return fail(status, "no answer from " + peer_ + " within " + secondsText(io.timeoutMs));
  return fail(status, "connection to " + peer_ + " lost");
}

ViStatus StreamTransport::write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) {
  written = 0;
  const Deadline deadline(io.timeoutMs);
  ViStatus status = sendAll(fd_, buf, count, deadline);
  if (status == VI_SUCCESS && io.sendEnd && (count == 0 || buf[count - 1] != io.termChar))
    status = sendAll(fd_, &io.termChar, 1, deadline);
  if (status != VI_SUCCESS)
    return ioFailure(status, io);
  written = count;
  return VI_SUCCESS;
}

ViStatus StreamTransport::read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) {
  got = 0;
  const Deadline deadline(io.timeoutMs);
  while (got < count) {
    if (pending_.empty()) {
      char chunk[65536];
      size_t n = 0;
      const ViStatus status = receiveSome(fd_, chunk, sizeof chunk, deadline, n);
      if (status != VI_SUCCESS)
        return ioFailure(status, io);
      pending_.append(chunk, n);
    }
    size_t moved = 0;
    const bool atTerm = takePending(pending_, buf + got, count - got, io, moved);
    got += moved;
    // A termination character with nothing behind it ends the message as END
    // would, as it does on the program's other interfaces.
    if (atTerm)
      return pending_.empty() ? VI_SUCCESS : VI_SUCCESS_TERM_CHAR;
  }
  return VI_SUCCESS_MAX_CNT;
}

ViStatus StreamTransport::clear(const IoSettings &) {
  // A stream has no device clear; what is left of an old answer goes.
  pending_.clear();
  return VI_SUCCESS;
}

ViStatus StreamTransport::readStb(ViUInt16 &stb, const IoSettings &io) {
  // Without a status line the byte can only be asked for in words, and only
  // when the session says the instrument speaks them: an answer still
  // waiting to be read would otherwise pass for the status byte.
  if (!io.statusByQuery)
    return fail(VI_ERROR_NSUP_OPER, "a status byte over " + peer_ + " needs VI_ATTR_IO_PROT = 4 (488.2 strings)");
  static const ViByte query[] = "*STB?\n";
  size_t n = 0;
  ViStatus status = write(query, sizeof query - 1, io, n);
  char answer[32] = {};
  if (status >= 0)
    status = read(reinterpret_cast<ViByte *>(answer), sizeof answer - 1, io, n);
  if (status < 0)
    return status;
  stb = ViUInt16(std::atoi(answer));
  return VI_SUCCESS;
}
