#include "bench/Dut.h"

#include <QJsonValue>
#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace sim {

double compressed(double linearOutDbm, double p1dbOutDbm) {
  // At the 1 dB point 10*log10(1 + 10^(-5.868/10)) is 1 dB.
  const double saturationDbm = p1dbOutDbm + 5.868;
  return linearOutDbm - 10.0 * std::log10(1.0 + std::pow(10.0, (linearOutDbm - saturationDbm) / 10.0));
}

namespace {

constexpr double kPi = 3.14159265358979323846;

double ghz(double hz) { return hz / 1e9; }

double param(const QJsonObject &o, const char *key, double fallback) {
  return o.value(QLatin1String(key)).toDouble(fallback);
}

// A mixer: both sidebands at abs(f(RF) x N/D +- f(LO)). The conversion loss
// rises with frequency, has a little ripple, rises when the LO drive is below
// its nominal level, and the output compresses at high RF input.
class Mixer : public Dut {
public:
  explicit Mixer(const QJsonObject &o)
      : ratio_(param(o, "n", 1) / param(o, "d", 1)), lossDb_(param(o, "lossDb", 6.5)),
        slope_(param(o, "slopeDbPerGHz", 0.35)), ripple_(param(o, "rippleDb", 0.4)),
        upperExtra_(param(o, "upperSidebandExtraDb", 0.6)), loNominal_(param(o, "loNominalDbm", 7.0)),
        p1dbIn_(param(o, "p1dbInDbm", 1.0)), loIsolation_(param(o, "loIsolationDb", 35.0)) {}

  double conversionLoss(double rfHz, double loDbm, bool upper) const {
    const double starvation = std::max(0.0, loNominal_ - loDbm);
    return lossDb_ + slope_ * (ghz(rfHz) - 1.0) + ripple_ * std::sin(2 * kPi * ghz(rfHz) / 1.3) +
           0.6 * starvation + 0.05 * starvation * starvation + (upper ? upperExtra_ : 0.0);
  }

  QVector<Tone> respond(const QVector<Tone> &rf, const Tone *lo) const override {
    QVector<Tone> out;
    if (!lo)
      return out;  // no LO drive, no conversion
    out.append({lo->freqHz, lo->levelDbm - loIsolation_});
    for (const Tone &t : rf) {
      const double mixed = t.freqHz * ratio_;
      for (bool upper : {false, true}) {
        const double loss = conversionLoss(t.freqHz, lo->levelDbm, upper);
        const double level = compressed(t.levelDbm - loss, p1dbIn_ - loss);
        out.append({upper ? mixed + lo->freqHz : std::abs(mixed - lo->freqHz), level});
      }
    }
    return out;
  }

private:
  double ratio_, lossDb_, slope_, ripple_, upperExtra_, loNominal_, p1dbIn_, loIsolation_;
};

// A linear two-port whose loss depends on frequency only; an amplifier
// compresses in addition.
class TwoPort : public Dut {
public:
  TwoPort(std::function<double(double)> gainDb, double p1dbOutDbm)
      : gainDb_(std::move(gainDb)), p1dbOut_(p1dbOutDbm) {}
  QVector<Tone> respond(const QVector<Tone> &rf, const Tone *) const override {
    QVector<Tone> out;
    for (const Tone &t : rf) {
      const double linear = t.levelDbm + gainDb_(t.freqHz);
      out.append({t.freqHz, std::isfinite(p1dbOut_) ? compressed(linear, p1dbOut_) : linear});
    }
    return out;
  }

private:
  std::function<double(double)> gainDb_;
  double p1dbOut_;
};

// A frequency multiplier: the output at f(RF) x N/D, driven towards
// saturation.
class Multiplier : public Dut {
public:
  explicit Multiplier(const QJsonObject &o)
      : ratio_(param(o, "n", 2) / param(o, "d", 1)), lossDb_(param(o, "lossDb", 12.0)),
        slope_(param(o, "slopeDbPerGHz", 0.5)), p1dbOut_(param(o, "p1dbOutDbm", 5.0)) {}
  QVector<Tone> respond(const QVector<Tone> &rf, const Tone *) const override {
    QVector<Tone> out;
    for (const Tone &t : rf) {
      const double linear = t.levelDbm - lossDb_ - slope_ * ghz(t.freqHz);
      out.append({t.freqHz * ratio_, compressed(linear, p1dbOut_)});
    }
    return out;
  }

private:
  double ratio_, lossDb_, slope_, p1dbOut_;
};

double filterGainDb(const QJsonObject &o, double freqHz) {
  const double center = param(o, "centerHz", 1e9);
  const double bandwidth = param(o, "bandwidthHz", 2e8);
  const double order = param(o, "order", 3);
  const double detune = (freqHz / center - center / freqHz) * center / bandwidth;
  const double rejection = 10.0 * std::log10(1.0 + std::pow(detune * detune, order));
  return -param(o, "insertionLossDb", 1.5) - std::min(rejection, param(o, "stopbandDb", 80.0));
}

}  // namespace

std::unique_ptr<Dut> makeDut(const QJsonObject &o, QString *error) {
  const QString kind = o.value(QLatin1String("kind")).toString(QStringLiteral("through"));
  constexpr double kLinear = std::numeric_limits<double>::infinity();
  if (kind == QLatin1String("mixer"))
    return std::make_unique<Mixer>(o);
  if (kind == QLatin1String("multiplier"))
    return std::make_unique<Multiplier>(o);
  if (kind == QLatin1String("through"))
    return std::make_unique<TwoPort>([](double) { return 0.0; }, kLinear);
  if (kind == QLatin1String("cable")) {
    const double a = param(o, "lossDbPerSqrtGHz", 1.2), b = param(o, "lossDbPerGHz", 0.15);
    return std::make_unique<TwoPort>([a, b](double f) { return -a * std::sqrt(ghz(f)) - b * ghz(f); }, kLinear);
  }
  if (kind == QLatin1String("filter"))
    return std::make_unique<TwoPort>([o](double f) { return filterGainDb(o, f); }, kLinear);
  if (kind == QLatin1String("amplifier")) {
    const double gain = param(o, "gainDb", 20.0), slope = param(o, "slopeDbPerGHz", -0.8);
    return std::make_unique<TwoPort>([gain, slope](double f) { return gain + slope * ghz(f); },
                                     param(o, "p1dbOutDbm", 10.0));
  }
  if (error)
    *error = QStringLiteral("unknown device kind \"%1\"").arg(kind);
  return nullptr;
}

}  // namespace sim
