#pragma once
// Devices under test: what comes out of the device for the tones at its RF
// and LO inputs. Levels in dBm, frequencies in hertz.
#include <QJsonObject>
#include <QVector>
#include <memory>

namespace sim {

struct Tone {
  double freqHz = 0.0;
  double levelDbm = 0.0;
};

class Dut {
public:
  virtual ~Dut() = default;
  virtual QVector<Tone> respond(const QVector<Tone> &rf, const Tone *lo) const = 0;
};

// Gain compression of an amplifying or mixing stage: the linear output level
// bent towards saturation so that the output is 1 dB low when the linear
// output reaches p1dbOutDbm.
double compressed(double linearOutDbm, double p1dbOutDbm);

// A device from its bench-file description ({"kind": "mixer", ...}); nullptr
// and an error text for an unknown kind.
std::unique_ptr<Dut> makeDut(const QJsonObject &description, QString *error);

}  // namespace sim
