#pragma once
// Power meters and the USB power sensor. They are broadband: a reading is the
// power of every tone at the device's output together.
#include "bench/Analyzers.h"

namespace sim {

class PowerMeter : public Instrument {
public:
  PowerMeter(Bench &bench, int type, const Identity &identity);
  double correctionFrequencyHz() const { return freqHz_; }

protected:
  // The reading includes the meter's zero offset until it is zeroed.
  double measureDbm();
  Handler zero() {
    return action([this] { zeroOffsetW_ = 0.0; });
  }
  QByteArray dbmText(double dbm) const { return formatNumber(dbm, 3); }
  Handler setFrequency(QList<QByteArray> suffixes = {"HZ", "KHZ", "MHZ", "GHZ"}) {
    return setNumber(freqHz_, 0.0, 110e9, suffixes);
  }
  double freqHz_ = 50e6;
  double averages_ = 4;
  double resolution_ = 3;
  bool autoAverage_ = true;
  // A meter drifts off zero between zeroings; 1 nW shows at low levels only.
  double zeroOffsetW_ = 1e-9;
};

// SCPI power meters (73 "READ1?", 74 "INIT;*OPC?" + "FETC?").
class ScpiPowerMeter : public PowerMeter {
public:
  ScpiPowerMeter(Bench &bench, int type, const Identity &identity);

private:
  QByteArray unit_ = "DBM";
  double lastDbm_ = 0.0;
  bool continuous_ = true;
};

// The reflection power meter (76): a triggered reading fetched with
// ":SENS1:DATA?".
class ReflectionPowerMeter : public PowerMeter {
public:
  ReflectionPowerMeter(Bench &bench, int type, const Identity &identity);

private:
  double lastDbm_ = 0.0;
};

// The power meter with a frequency reference in MHz (77): "MEAS?".
class FrefPowerMeter : public PowerMeter {
public:
  FrefPowerMeter(Bench &bench, int type, const Identity &identity);

private:
  double attenuationDb_ = 0.0;
};

// Power meters set up with option strings (78, 79, 80). They talk a reading
// whenever they are addressed to talk.
class OptionPowerMeter : public PowerMeter {
public:
  OptionPowerMeter(Bench &bench, int type, const Identity &identity);
  void addressedToTalk() override;

protected:
  QList<QByteArray> units(const QByteArray &message) const override;
  Command parseUnit(const QByteArray &unit) const override { return splitLetters(unit); }
};

// The USB power sensor (75), driven by the sensor-driver library over VISA.
// Its readings are in watts.
class UsbPowerSensor : public PowerMeter {
public:
  UsbPowerSensor(Bench &bench, int type, const Identity &identity);
};

}  // namespace sim
