#pragma once
// A simulated instrument as an interface reaches it: bytes arrive in pieces,
// and a program message is complete at a line feed or at END. On the LAN the
// message "&GTL" is the interface's go-to-local request and never reaches the
// instrument's parser. Both libsolvisa's in-process bench and solvane-benchd
// talk to instruments through this.
#include "bench/Instrument.h"

#include <QByteArray>
#include <cstddef>

namespace sim {

class InstrumentLink {
public:
  InstrumentLink(Instrument &instrument, bool lan) : instrument_(instrument), lan_(lan) {}

  void write(const QByteArray &bytes, bool end);
  // Whether the instrument has something to send once addressed to talk.
  bool hasOutput();
  // Whether a response waits, without addressing the instrument to talk
  // (for interfaces that send responses unasked).
  bool hasQueuedOutput() { return !instrument_.outputQueue().isEmpty(); }
  // Takes up to max bytes of the response, stopping after termChar (when
  // >= 0); end tells whether the response is now complete.
  QByteArray take(size_t max, int termChar, bool &end, bool &atTermChar);
  void clear();
  int statusByte() const { return instrument_.statusByte(); }
  void goToLocal() { instrument_.goToLocal(); }
  int latencyMs() const { return instrument_.latencyMs; }

private:
  void deliver(const QByteArray &message);

  Instrument &instrument_;
  bool lan_;
  QByteArray partial_;
};

}  // namespace sim
