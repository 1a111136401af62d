#include "bench/PowerMeters.h"

#include <cmath>

namespace sim {

namespace {

constexpr double kPowerMeterFloorDbm = -70.0;

Instrument::Handler optionCode(double min, double max) {
  return [min, max](const Command &c) {
    double value = 0.0;
    if (!parseNumber(c.data, value) || value < min || value > max || value != std::floor(value))
      return int(kIllegalParameterValue);
    return int(kNoError);
  };
}

}  // namespace

PowerMeter::PowerMeter(Bench &bench, int type, const Identity &identity) : Instrument(bench, type, identity) {}

double PowerMeter::measureDbm() {
  const double mw = std::pow(10.0, bench_.reading(freqHz_, 0.0, kPowerMeterFloorDbm) / 10.0);
  return 10.0 * std::log10(mw + zeroOffsetW_ * 1000.0);
}

ScpiPowerMeter::ScpiPowerMeter(Bench &bench, int type, const Identity &identity) : PowerMeter(bench, type, identity) {
  on("UNIT:POW", setChoice(unit_, {"DBM", "W"}));
  on("SENS:FUNC", acceptChoice({"\"POW:AVG\""}));
  on("SENS:AVER:COUN:AUTO", setSwitch(autoAverage_));
  on("SENS:AVER:COUN:AUTO:TYPE", acceptChoice({"RES", "NSR"}));
  on("SENS:AVER:COUN:AUTO:RES", setNumber(resolution_, 1, 4, {}, 1));
  on("SENS:AVER:COUN", setNumber(averages_, 1, 1024, {}, 1));
  on("SENS:AVER:TCON", acceptChoice({"REP", "MOV"}));
  on("INIT:CONT", setSwitch(continuous_));
  on("FREQ", setFrequency());
  auto reading = [this] {
    return unit_ == "W" ? formatScientific(std::pow(10.0, lastDbm_ / 10.0) / 1000.0) : dbmText(lastDbm_);
  };
  on("TRIG:IMM", action([this] { lastDbm_ = measureDbm(); }));
  on("INIT", action([this] { lastDbm_ = measureDbm(); }));
  on("FETC?", query(reading));
  on("CAL:ZERO:AUTO", [this](const Command &c) {
    if (c.data.toUpper() != "ONCE")
      return int(kIllegalParameterValue);
    zeroOffsetW_ = 0.0;
    return int(kNoError);
  });
  on("READ1?", query([this, reading] {
       lastDbm_ = measureDbm();
       return reading();
     }));
}

ReflectionPowerMeter::ReflectionPowerMeter(Bench &bench, int type, const Identity &identity)
    : PowerMeter(bench, type, identity) {
  on("TRG:SOUR", acceptChoice({"EXT", "INT", "IMM"}));
  on("SENS1:FUNC:OFF:ALL1", action([] {}));
  on("SENS1", acceptChoice({"\"POW:REFL\"", "\"POW:FORW\""}));
  on("UNIT1:POW:REFL", acceptChoice({"RL", "DBM", "W"}));
  on("TRIG", action([this] { lastDbm_ = measureDbm(); }));
  on("SENS1:DATA?", query([this] { return dbmText(lastDbm_); }));
  on("CAL1:ZERO", zero());
}

FrefPowerMeter::FrefPowerMeter(Bench &bench, int type, const Identity &identity) : PowerMeter(bench, type, identity) {
  on("INP:NSEL", optionCode(1, 2));
  on("AMPL:RANG:AUTO", acceptChoice({"ON", "OFF"}));
  on("CALC:FILT:AUTO", acceptChoice({"ON", "OFF"}));
  on("AMPL:ATT", setNumber(attenuationDb_, 0.0, 60.0));
  on("POW:UNIT", acceptChoice({"DBM"}));
  on("AMPL:UNIT", acceptChoice({"DBM"}));
  on("SENS:CORR:FREF", setFrequency({"MHZ", "GHZ", "KHZ", "HZ"}));
  on("MEAS?", query([this] { return dbmText(measureDbm()); }));
  on("CAL:ZERO", zero());
}

OptionPowerMeter::OptionPowerMeter(Bench &bench, int type, const Identity &identity)
    : PowerMeter(bench, type, identity) {
  on("W", optionCode(1, 8));
  on("C", optionCode(1, 2));
  on("N", optionCode(0, 1));
  on("Q", optionCode(1, 3));
  on("U", optionCode(0, 1));
  on("KF", optionCode(0, 1));
  on("X", optionCode(0, 3));
  on("ZV", query([this] { return identification(); }));
  on("DF", setFrequency());
  on("ZE", zero());
}

QList<QByteArray> OptionPowerMeter::units(const QByteArray &message) const {
  // Option strings separate their codes with commas.
  QList<QByteArray> result;
  for (const QByteArray &unit : Instrument::units(message))
    result.append(unit.split(','));
  return result;
}

void OptionPowerMeter::addressedToTalk() { outputQueue() = dbmText(measureDbm()) + '\n'; }

UsbPowerSensor::UsbPowerSensor(Bench &bench, int type, const Identity &identity) : PowerMeter(bench, type, identity) {
  on("SYST:REV?", query([] { return QByteArray("2.1.0"); }));
  on("CAL:ZERO", zero());
  on("SENS1:AVER:COUN:AUTO", setSwitch(autoAverage_));
  on("SENS1:AVER:COUN:AUTO:RES", setNumber(resolution_, 1, 4, {}, 1));
  on("SENS1:AVER:COUN", setNumber(averages_, 1, 1024, {}, 1));
  on("SENS1:RANG:AUTO", acceptChoice({"ON", "OFF", "1", "0"}));
  on("INIT1:CONT", acceptChoice({"ON", "OFF", "1", "0"}));
  on("SENS1:CORR:FREQ", setFrequency());
  on("FETC1?", query([this] { return formatScientific(std::pow(10.0, measureDbm() / 10.0) / 1000.0); }));
}

}  // namespace sim
