#pragma once
// Signal generators: the SCPI generators (with their per-type spelling of
// the level and output commands), the short-command generators, and the
// second source of the two-source generators.
#include "bench/Bench.h"
#include "bench/Handlers.h"
#include "bench/Instrument.h"

#include <QJsonObject>

namespace sim {

// What every generator keeps: frequency, level, RF output. Settings outside
// the instrument's range are refused (and the old value stays), so a
// set-and-read-back check fails as it would on the real bench.
class Generator : public Instrument, public Source {
public:
  Generator(Bench &bench, int type, const Identity &identity, const QJsonObject &options);
  bool tone(Tone &out) const override;
  double frequencyHz() const { return freqHz_; }
  double levelDbm() const { return levelDbm_; }
  bool outputOn() const { return on_; }

protected:
  void reset() override;
  Handler setFrequency() { return setNumber(freqHz_, minFreq_, maxFreq_, {"HZ", "KHZ", "MHZ", "GHZ"}, 0.01); }
  Handler setLevel(QList<QByteArray> suffixes = {}) { return setNumber(levelDbm_, minLevel_, maxLevel_, suffixes, 0.01); }
  QByteArray frequencyText() const { return formatNumber(freqHz_, 2); }
  QByteArray levelText() const { return formatNumber(levelDbm_, 2); }

  double freqHz_ = 1e9;
  double levelDbm_ = -30.0;
  bool on_ = false;
  bool switchable_ = true;  // false: the output has no switch and is always on
  bool externalReference_ = false;
  double minFreq_, maxFreq_, minLevel_, maxLevel_;
};

// SCPI generators (4-11, 18-24, 26, 27, 30) and the second source of the
// two-source generators (25, 28).
class ScpiGenerator : public Generator {
public:
  ScpiGenerator(Bench &bench, int type, const Identity &identity, const QJsonObject &options);
};

// Generators with the short command set (12-17, 29): "RF", "L", "LEV:ON".
class ShortCommandGenerator : public Generator {
public:
  ShortCommandGenerator(Bench &bench, int type, const Identity &identity, const QJsonObject &options);
};

}  // namespace sim
