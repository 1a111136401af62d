#pragma once
// The simulated bench as a transport: the instrument lives in this process.
// One lock guards every bench; waits (answer latency, a timeout on an
// instrument with nothing to say) happen outside it, so a silent instrument
// never stalls another session.
#include "bench/Bench.h"
#include "bench/InstrumentLink.h"
#include "visa/Transport.h"

class BenchTransport : public Transport {
public:
  BenchTransport(const sim::Bench &bench, sim::Instrument &instrument, bool lan);

  ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) override;
  ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) override;
  ViStatus clear(const IoSettings &io) override;
  ViStatus readStb(ViUInt16 &stb, const IoSettings &io) override;
  ViStatus controlRen(ViUInt16 mode, const IoSettings &io) override;

private:
  int timeoutMs(const IoSettings &io) const;

  const sim::Bench &bench_;
  sim::InstrumentLink link_;
};
