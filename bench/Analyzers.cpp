#include "bench/Analyzers.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

const QList<QByteArray> kFrequencyUnits = {"HZ", "KHZ", "MHZ", "GHZ"};
constexpr double kDbuvPerDbm = 107.0;  // 0 dBm in 50 ohm is 107 dBuV

// The displayed average noise level of a receiver in a bandwidth.
double noiseFloorDbm(double bandwidthHz) { return -150.0 + 10.0 * std::log10(bandwidthHz); }

bool in(int type, std::initializer_list<int> types) { return std::find(types.begin(), types.end(), type) != types.end(); }

}  // namespace

Command splitLetters(const QByteArray &unit) {
  const QByteArray t = unit.trimmed();
  if (t.startsWith('*') || t.contains(':'))
    return Command::parse(t);  // common commands and SYST:ERR?
  int split = 0;
  while (split < t.size() && QChar::isLetter(uchar(t[split])))
    ++split;
  if (split < t.size() && t[split] == '?')
    ++split;
  return Command{t.left(split).toUpper(), t.mid(split).trimmed()};
}

TunedReceiver::TunedReceiver(Bench &bench, int type, const Identity &identity) : Instrument(bench, type, identity) {}

double TunedReceiver::measure() { return bench_.reading(centerHz_, bandwidthHz(), noiseFloorDbm(bandwidthHz())); }

ScpiAnalyzer::ScpiAnalyzer(Bench &bench, int type, const Identity &identity) : TunedReceiver(bench, type, identity) {
  on("FREQ:CENT", setCenter());
  on("FREQ:CENT?", query([this] { return formatNumber(centerHz_, 1); }));
  on("FREQ:SPAN", setNumber(spanHz_, 0.0, 50e9, kFrequencyUnits));
  on("SWE:TIME", setNumber(sweepTimeS_, 1e-6, 16000.0, {"S", "MS"}));
  on("SWE:TIME:AUTO", setAutomatic(sweepTimeS_));
  on("SWE:TIME?", query([this] { return formatScientific(sweepTime()); }));
  if (type == 67) {
    registerMarkerAnalyzer();
    return;
  }
  on("INST", setChoice(mode_, {"SAN", in(type, {53, 66}) ? "NAN" : "NET"}));
  on("DET", setChoice(detector_, {"RMS", "SAMP", "POS", "NEG", "AVER"}));
  on("UNIT:POW", setChoice(unit_, {"DBM", "DBUV", "W"}));
  on(type == 68 ? "DISP:TRAC:Y:RLEV" : "DISP:WIND1:TRAC:Y:RLEV", setNumber(refLevelDbm_, -130.0, 30.0, {"DBM"}));
  on("BAND:RES", setBandwidth(rbwHz_));
  on("BAND:VID", setBandwidth(vbwHz_));
  on("BAND:RES:AUTO", setAutomatic(rbwHz_));
  on("BAND:VID:AUTO", setAutomatic(vbwHz_));
  on("INIT:CONT", setSwitch(continuous_));
  on("INIT", action([] {}));  // one sweep; the reading is taken when it is asked for
  on("SYST:DISP:UPD", setSwitch(displayUpdate_));
  on("ROSC:SOUR", setFlag(externalReference_, "EXT", "INT"));
  on("INP:GAIN:STAT", setSwitch(preamp_));
  on("CALC:MARK:FUNC:SUMM:RMS:RES?", query([this] { return levelText(measure()); }));
  on("CALC:MARK1:X", setNumber(markerX_, 0.0, 50e9, {"S", "MS", "HZ", "KHZ", "MHZ", "GHZ"}));
  on("CALC:MARK1:Y?", query([this] { return levelText(measure()); }));
  registerTrackingGenerator();
}

void ScpiAnalyzer::registerMarkerAnalyzer() {
  on("MARK:CENT", setCenter());
  on("MARK:LEV?", query([this] { return levelText(measure()); }));
  on("DISP:TRAC", setSwitch(continuous_));
}

void ScpiAnalyzer::registerTrackingGenerator() {
  if (in(type(), {33, 40, 46, 57, 58, 59, 60, 65})) {
    on("SOUR:POW", setNumber(tgLevelDbm_, -60.0, 10.0, {"DBM"}, 0.01));
    on("SOUR:POW?", query([this] { return formatNumber(tgLevelDbm_, 2); }));
  } else if (type() == 53) {
    on("SOUR:TG:ATT", [this](const Command &c) {
      double attenuation = 0.0;
      const int error = setNumber(attenuation, 0.0, 70.0, {"DB"}, 0.1)(c);
      if (error == kNoError)
        tgLevelDbm_ = -attenuation;
      return error;
    });
    on("SOUR:TG:ATT?", query([this] { return formatNumber(-tgLevelDbm_, 1); }));
  }
}

bool ScpiAnalyzer::tone(Tone &out) const {
  if (mode_ == "SAN")
    return false;
  out = Tone{centerHz_, tgLevelDbm_};  // the generator tracks the receiver
  return true;
}

ReceiverSetA::ReceiverSetA(Bench &bench, int type, const Identity &identity) : TunedReceiver(bench, type, identity) {
  on("TER", setChoice(terminator_, {"E", "L"}));
  on("LE:RE", setNumber(refLevelDbm_, -130.0, 30.0));
  on("SP", [this](const Command &c) {
    if (c.data.toUpper() == "Z") {
      spanHz_ = 0.0;
      return int(kNoError);
    }
    return setNumber(spanHz_, 0.0, 50e9)(c);
  });
  on("B:R", setBandwidth(rbwHz_));
  on("B:V", setBandwidth(vbwHz_));
  on("SW:T", setNumber(sweepTimeS_, 1e-6, 16000.0));
  on("REFE", setFlag(externalReference_, "E", "I"));
  on("DET", acceptChoice({"RMS", "AV", "PK", "QP"}));
  on("UNIT:POW", acceptChoice({"DBM"}));
  on("F:C", setCenter());
  on("MA:PE", action([] {}));
  on("MA?", query([this] { return "MA " + formatNumber(centerHz_, 1) + ',' + levelText(measure()); }));
}

ReceiverSetB::ReceiverSetB(Bench &bench, int type, const Identity &identity) : TunedReceiver(bench, type, identity) {
  on("H", acceptChoice({"OF", "ON"}));
  on("A:A", setSwitch(autoAttenuation_));
  on("A", [this](const Command &c) {
    // The attenuator has 10 dB steps; the receiver reports the step it took.
    const int error = setNumber(attenuationDb_, 0.0, 70.0, {}, 10.0)(c);
    if (error == kNoError)
      autoAttenuation_ = false;
    return error;
  });
  on("A?", query([this] { return QByteArray::number(int(attenuationDb_)); }));
  on("B:I", [this](const Command &c) {
    // IF bandwidths of the EMI bands; the receiver takes the nearest.
    double wanted = 0.0;
    const int error = setNumber(wanted, 0.0, 10e6, {"H"})(c);
    if (error != kNoError)
      return error;
    double best = 200.0;
    for (double b : {200.0, 9000.0, 120000.0, 1000000.0})
      if (std::abs(b - wanted) < std::abs(best - wanted))
        best = b;
    rbwHz_ = best;
    return int(kNoError);
  });
  on("B:I?", query([this] { return QByteArray::number(int(bandwidthHz())); }));
  on("SPE", [this, type](const Command &c) {
    const QList<QByteArray> parts = c.data.toUpper().split(',');
    const QByteArray speed = in(type, {38, 44}) ? "25" : "20";
    if (parts.size() != 2 || parts[0].trimmed() != speed)
      return int(kIllegalParameterValue);
    const QByteArray unit = parts[1].trimmed();
    if (unit != "ON" && unit != "OFF")
      return int(kIllegalParameterValue);
    unitDbm_ = unit == "ON";
    return int(kNoError);
  });
  const bool longPeak = in(type, {35, 43, 45});
  on("DET", setChoice(detector_, {"A", longPeak ? "PEAK" : "P", "Q"}));
  on("FR", setCenter());
  on("LE?", query([this] {
    const double dbm = measure();
    return levelText(unitDbm_ ? dbm : dbm + kDbuvPerDbm);
  }));
}

TwoLetterAnalyzer::TwoLetterAnalyzer(Bench &bench, int type, const Identity &identity)
    : TunedReceiver(bench, type, identity) {
  on("AUNITS", acceptChoice({"DBM"}));
  on("RL", setNumber(refLevelDbm_, -130.0, 30.0));
  on("SP", setNumber(spanHz_, 0.0, 50e9));
  on("BA", action([this] { rbwHz_ = 0.0; }));
  on("RB", setBandwidth(rbwHz_));
  on("VA", action([this] { vbwHz_ = 0.0; }));
  on("VB", setBandwidth(vbwHz_));
  on("AS", action([this] { sweepTimeS_ = 0.0; }));
  on("SW", setNumber(sweepTimeS_, 1e-6, 16000.0));
  on("SW?", query([this] { return formatScientific(sweepTimeS_ > 0.0 ? sweepTimeS_ : 0.0025); }));
  on("SN", action([this] { continuous_ = true; }));
  on("SI", action([this] {
       continuous_ = false;
       operationEvents_ |= 8;  // the single sweep has finished
     }));
  on("RFE", action([this] { externalReference_ = true; }));
  on("RFI", action([this] { externalReference_ = false; }));
  on("CF", setCenter());
  on("OPR", [this](const Command &c) {
    double mask = 0.0;
    const int error = setNumber(mask, 0.0, 255.0)(c);
    operationEnable_ = int(mask);
    return error;
  });
  on("MLN", acceptChoice({"ON", "OFF"}));
  on("PS", action([this] { markerDbm_ = measure(); }));
  on("MFL?", query([this] { return formatNumber(centerHz_, 1) + ',' + levelText(markerDbm_); }));
}

Command TwoLetterAnalyzer::parseUnit(const QByteArray &unit) const { return splitLetters(unit); }

int TwoLetterAnalyzer::deviceStatusBits() const { return (operationEvents_ & operationEnable_) ? 128 : 0; }

}  // namespace sim
