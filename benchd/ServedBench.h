#pragma once
// The simulated bench as solvane-benchd serves it: every instrument under
// the names the wire protocols use, and one lock, since connections are
// served on threads of their own.
#include "bench/Bench.h"
#include "bench/InstrumentLink.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>

class ServedBench {
public:
  explicit ServedBench(std::unique_ptr<sim::Bench> bench);

  // "gpib0,28" (as through a LAN gateway), "instN" or "hislipN" (the
  // instruments in bench order, from 0); nullptr when nothing is there.
  sim::Instrument *byDevice(const QString &device) const;
  QStringList resources() const { return bench_->resources(); }
  static QString gatewayName(const QString &resource);
  // How long an instrument with nothing to say keeps a read waiting.
  int readTimeoutMs(unsigned requestedMs) const;

  std::mutex mutex;

private:
  std::unique_ptr<sim::Bench> bench_;
};
