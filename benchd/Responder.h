#pragma once
// One connection's view of a served instrument: every access under the
// bench's lock, every wait (answer latency, a read with nothing to say)
// outside it.
#include "benchd/ServedBench.h"

class Responder {
public:
  Responder(ServedBench &bench, sim::Instrument &instrument, bool lan)
      : bench_(bench), link_(instrument, lan) {}

  void write(const QByteArray &bytes, bool end);
  // Addresses the instrument to talk and waits for its answer; false after
  // timeoutMs without one.
  bool waitForOutput(unsigned timeoutMs);
  // The response waiting, if any, without addressing the instrument to talk.
  QByteArray takeQueued();
  QByteArray take(size_t max, int termChar, bool &end, bool &atTermChar);
  void clear();
  int statusByte();
  void goToLocal();

private:
  ServedBench &bench_;
  sim::InstrumentLink link_;
};
