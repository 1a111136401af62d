#include "bench/Bench.h"

#include "bench/ResourceName.h"

#include <cmath>

namespace sim {

Bench::Bench() : dut_(makeDut(QJsonObject(), nullptr)) {}
Bench::~Bench() = default;

void Bench::add(const QString &resource, std::unique_ptr<Instrument> instrument, Port port) {
  slots_.push_back(Slot{resource, std::move(instrument), port});
}

Instrument *Bench::find(const QString &resource) const {
  const ResourceName wanted = parseResourceName(resource);
  if (!wanted.valid)
    return nullptr;
  for (const Slot &slot : slots_) {
    if (parseResourceName(slot.resource).instrument != wanted.instrument)
      continue;
    return slot.instrument->listensAt(wanted.secondary) ? slot.instrument.get() : nullptr;
  }
  return nullptr;
}

QStringList Bench::resources() const {
  QStringList list;
  for (const Slot &slot : slots_)
    list.append(slot.resource);
  return list;
}

void Bench::setDut(std::unique_ptr<Dut> dut) { dut_ = std::move(dut); }

QVector<Tone> Bench::outputTones() const {
  QVector<Tone> rf;
  Tone lo;
  bool haveLo = false;
  for (const Slot &slot : slots_) {
    const auto *source = dynamic_cast<const Source *>(slot.instrument.get());
    Tone t;
    if (!source || !source->tone(t))
      continue;
    if (slot.port == Port::Lo) {
      if (!haveLo)
        lo = t;
      haveLo = true;
    } else {
      rf.append(t);  // a generator at the RF input, or a tracking generator
    }
  }
  return dut_->respond(rf, haveLo ? &lo : nullptr);
}

double Bench::expectedLevel(double freqHz, double bandwidthHz, double floorDbm) const {
  return levelIn(outputTones(), freqHz, bandwidthHz, floorDbm);
}

double Bench::levelIn(const QVector<Tone> &tones, double freqHz, double bandwidthHz, double floorDbm) {
  const double halfWidth = std::max(bandwidthHz / 2.0, 1.0);
  double milliwatts = std::pow(10.0, floorDbm / 10.0);
  for (const Tone &t : tones)
    if (bandwidthHz <= 0.0 || std::abs(t.freqHz - freqHz) <= halfWidth)
      milliwatts += std::pow(10.0, t.levelDbm / 10.0);
  return 10.0 * std::log10(milliwatts);
}

double Bench::reading(double freqHz, double bandwidthHz, double floorDbm) {
  std::normal_distribution<double> noise(0.0, noiseDb);
  return expectedLevel(freqHz, bandwidthHz, floorDbm) + noise(random_);
}

}  // namespace sim
