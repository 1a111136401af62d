#pragma once
// The simulated bench: the instruments by resource, the device under test
// between the sources and the measuring instruments, and the noise of a
// measurement (a fixed seed, so that every run gives the same numbers).
#include "bench/Dut.h"
#include "bench/Instrument.h"

#include <QString>
#include <QVector>
#include <memory>
#include <random>
#include <vector>

namespace sim {

// Where an instrument is connected: a source feeding the device's RF or LO
// input, or a measuring instrument at its output.
enum class Port { Rf, Lo, Output };

// A source the device under test sees (a generator, or an analyzer's
// tracking generator). A switched-off source gives nothing.
class Source {
public:
  virtual ~Source() = default;
  virtual bool tone(Tone &out) const = 0;
};

class Bench {
public:
  Bench();
  ~Bench();
  Bench(const Bench &) = delete;
  Bench &operator=(const Bench &) = delete;

  QString name;
  int timeoutCapMs = 0;  // > 0: no VISA timeout lasts longer (test benches)
  double noiseDb = 0.02;  // standard deviation of a reading

  void add(const QString &resource, std::unique_ptr<Instrument> instrument, Port port);
  // The instrument a resource string addresses, nullptr when the bench has
  // none there. Secondary addresses reach only instruments that have them.
  Instrument *find(const QString &resource) const;
  QStringList resources() const;
  void setDut(std::unique_ptr<Dut> dut);
  const Dut &dut() const { return *dut_; }
  void seed(unsigned value) { random_.seed(value); }

  // Every tone at the device's output for the sources' present state.
  QVector<Tone> outputTones() const;
  // Noise-free level (dBm) in a bandwidth around a frequency, the floor of
  // the measuring instrument included. A bandwidth of 0 measures everything
  // (a power meter).
  double expectedLevel(double freqHz, double bandwidthHz, double floorDbm) const;
  // The level of a set of tones as a receiver sees it.
  static double levelIn(const QVector<Tone> &tones, double freqHz, double bandwidthHz, double floorDbm);
  // The same with the measurement noise of one reading.
  double reading(double freqHz, double bandwidthHz, double floorDbm);

private:
  struct Slot {
    QString resource;
    std::unique_ptr<Instrument> instrument;
    Port port;
  };
  std::vector<Slot> slots_;
  std::unique_ptr<Dut> dut_;
  std::mt19937 random_{1};
};

}  // namespace sim
