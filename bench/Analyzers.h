#pragma once
// Measuring instruments with a tuned receiver: spectrum analyzers, the two
// receiver command sets, the analyzer with two-letter commands.
#include "bench/Bench.h"
#include "bench/Handlers.h"

namespace sim {

// Tuned to one frequency in zero span; a reading is the power within the
// resolution bandwidth, over the analyzer's noise floor.
class TunedReceiver : public Instrument {
public:
  TunedReceiver(Bench &bench, int type, const Identity &identity);
  double centerHz() const { return centerHz_; }

protected:
  double measure();
  double bandwidthHz() const { return rbwHz_ > 0.0 ? rbwHz_ : 1e6; }  // automatic: 1 MHz
  Handler setCenter() { return setNumber(centerHz_, 0.0, 50e9, {"HZ", "KHZ", "MHZ", "GHZ"}); }
  Handler setBandwidth(double &target) { return setNumber(target, 1.0, 50e6, {"HZ", "KHZ", "MHZ"}); }
  QByteArray levelText(double dbm) const { return formatNumber(dbm, 2); }

  double centerHz_ = 1e9;
  double spanHz_ = 1e6;
  double rbwHz_ = 0.0;  // 0 = automatic
  double vbwHz_ = 0.0;
  double refLevelDbm_ = 0.0;
  double sweepTimeS_ = 0.0;  // 0 = automatic
  bool continuous_ = true;
  bool externalReference_ = false;
};

// SCPI spectrum analyzers and receivers (33, 36, 40, 42, 46-66, 68) with
// markers and zero span, the tracking generator of some of them, and the
// analyzer with marker commands (67).
class ScpiAnalyzer : public TunedReceiver, public Source {
public:
  ScpiAnalyzer(Bench &bench, int type, const Identity &identity);
  bool tone(Tone &out) const override;  // the tracking generator in network mode

private:
  void registerMarkerAnalyzer();
  void registerTrackingGenerator();
  double sweepTime() const { return sweepTimeS_ > 0.0 ? sweepTimeS_ : 0.0025; }

  QByteArray mode_ = "SAN";
  QByteArray detector_ = "RMS";
  QByteArray unit_ = "DBM";
  double markerX_ = 0.0;
  double tgLevelDbm_ = -10.0;
  bool displayUpdate_ = true;
  bool preamp_ = false;
};

// EMI receivers with command set A (32, 37): "F:C", "MA:PE;MA?".
class ReceiverSetA : public TunedReceiver {
public:
  ReceiverSetA(Bench &bench, int type, const Identity &identity);

private:
  QByteArray terminator_ = "E";
};

// EMI receivers with command set B (34, 35, 38, 39, 41, 43, 44, 45): "FR",
// "LE?", attenuation, IF bandwidth, detector and unit.
class ReceiverSetB : public TunedReceiver {
public:
  ReceiverSetB(Bench &bench, int type, const Identity &identity);

private:
  double attenuationDb_ = 10.0;
  bool autoAttenuation_ = true;
  bool unitDbm_ = false;
  QByteArray detector_ = "A";
};

// The analyzer with two-letter commands (72) and its status byte: bit 7
// reports a finished single sweep when the operation register enables it.
class TwoLetterAnalyzer : public TunedReceiver {
public:
  TwoLetterAnalyzer(Bench &bench, int type, const Identity &identity);

protected:
  Command parseUnit(const QByteArray &unit) const override;
  int deviceStatusBits() const override;
  void clearStatus() override { operationEvents_ = 0; }

private:
  int operationEnable_ = 0;
  int operationEvents_ = 0;
  double markerDbm_ = -200.0;
};

// Splits "OPR8" or "KF1" into the letters and the data that follow them.
Command splitLetters(const QByteArray &unit);

}  // namespace sim
