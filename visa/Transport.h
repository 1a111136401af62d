#pragma once
// What a session asks of the line to its instrument. One implementation per
// kind of interface (the simulated bench, VXI-11, raw socket, HiSLIP, serial,
// USBTMC, GPIB), chosen by the resource string when the session opens. The
// session layer above owns attributes, locking and the trace; a transport
// only moves bytes and answers the few interface-level requests.
#include "instruments/VisaDefs.h"

#include <cstddef>
#include <string>

// The session attributes that shape one I/O call.
struct IoSettings {
  int timeoutMs = 2000;        // < 0: wait without limit
  bool sendEnd = true;         // the last byte of a write carries END
  bool termCharEnabled = false;
  unsigned char termChar = '\n';
  bool statusByQuery = false;  // VI_ATTR_IO_PROT is 488.2 strings: *STB? gives the status byte
};

class Transport {
public:
  virtual ~Transport() = default;

  // Writes all count bytes or fails; written tells how many went out.
  virtual ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) = 0;
  // Reads up to count bytes and stops at END (VI_SUCCESS), at the
  // termination character when enabled (VI_SUCCESS_TERM_CHAR) or when the
  // buffer is full (VI_SUCCESS_MAX_CNT).
  virtual ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) = 0;
  virtual ViStatus clear(const IoSettings &io) = 0;
  virtual ViStatus readStb(ViUInt16 &stb, const IoSettings &io) = 0;
  // REN and go-to-local control (viGpibControlREN's modes).
  virtual ViStatus controlRen(ViUInt16 mode, const IoSettings &io) {
    (void)mode, (void)io;
    return VI_ERROR_NSUP_OPER;
  }
  // An interface attribute changed (baud rate, parity, ...).
  virtual ViStatus configure(ViAttr attr, ViAttrState value) {
    (void)attr, (void)value;
    return VI_SUCCESS;
  }
  // Drops bytes received but not yet read.
  virtual void discardInput() {}

  // Why the last failure happened, in words a user understands
  // ("port 5025 refused"); empty when the status says it all.
  const std::string &reason() const { return reason_; }

protected:
  ViStatus fail(ViStatus status, std::string reason) {
    reason_ = std::move(reason);
    return status;
  }
  std::string reason_;
};
