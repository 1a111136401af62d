#pragma once
// GPIB through linux-gpib's libgpib.so, loaded when the first GPIB session
// opens. Without it the open fails with VI_ERROR_RSRC_NFOUND and the reason
// "no GPIB driver".
#include "visa/Resource.h"
#include "visa/Transport.h"

#include <memory>

class GpibTransport : public Transport {
public:
  static std::unique_ptr<Transport> open(const Resource &resource, const IoSettings &io, ViStatus &status,
                                         std::string &reason);
  ~GpibTransport() override;

  ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) override;
  ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) override;
  ViStatus clear(const IoSettings &io) override;
  ViStatus readStb(ViUInt16 &stb, const IoSettings &io) override;
  ViStatus controlRen(ViUInt16 mode, const IoSettings &io) override;

private:
  explicit GpibTransport(int device) : device_(device) {}
  ViStatus outcome(int status, const IoSettings &io);
  void applyTimeout(const IoSettings &io);

  int device_;
  int timeoutMs_ = -2;
};
