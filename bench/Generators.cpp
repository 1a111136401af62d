#include "bench/Generators.h"

#include <algorithm>

namespace sim {

namespace {

double option(const QJsonObject &o, const char *key, double fallback) {
  return o.value(QLatin1String(key)).toDouble(fallback);
}

bool in(int type, std::initializer_list<int> types) { return std::find(types.begin(), types.end(), type) != types.end(); }

}  // namespace

Generator::Generator(Bench &bench, int type, const Identity &identity, const QJsonObject &options)
    : Instrument(bench, type, identity), minFreq_(option(options, "minFreqHz", 9e3)),
      maxFreq_(option(options, "maxFreqHz", 40e9)), minLevel_(option(options, "minLevelDbm", -130.0)),
      maxLevel_(option(options, "maxLevelDbm", 20.0)) {}

bool Generator::tone(Tone &out) const {
  if (!on_)
    return false;
  out = Tone{freqHz_, levelDbm_};
  return true;
}

void Generator::reset() {
  freqHz_ = 1e9;
  levelDbm_ = -30.0;
  on_ = !switchable_;
  externalReference_ = false;
}

ScpiGenerator::ScpiGenerator(Bench &bench, int type, const Identity &identity, const QJsonObject &options)
    : Generator(bench, type, identity, options) {
  const bool second = type == 25 || type == 28;
  const QByteArray freq = second ? "SOUR2:FREQ" : "FREQ";
  const QByteArray level = second ? "SOUR2:POW" : (type == 4 || type == 5) ? "POW:POW" : "POW";
  on(freq, setFrequency());
  on(freq + '?', query([this] { return frequencyText(); }));
  on(level, setLevel({"DBM"}));
  on(level + '?', query([this] { return levelText(); }));
  QByteArray output;
  if (second)
    output = "OUTP2";
  else if (in(type, {10, 20, 21, 22, 23, 26, 30}))
    output = "OUTP1";
  else if (type != 4)
    output = "OUTP";
  if (!output.isEmpty()) {
    on(output, setSwitch(on_));
    on(output + '?', query([this] { return QByteArray(on_ ? "1" : "0"); }));
  } else {
    switchable_ = false;
    on_ = true;
  }
  if (type != 4) {
    const QByteArray rosc = second ? "ROSC:SOUR2" : "ROSC:SOUR";
    on(rosc, setFlag(externalReference_, "EXT", "INT"));
    on(rosc + '?', query([this] { return QByteArray(externalReference_ ? "EXT" : "INT"); }));
  }
}

ShortCommandGenerator::ShortCommandGenerator(Bench &bench, int type, const Identity &identity,
                                             const QJsonObject &options)
    : Generator(bench, type, identity, options) {
  on("RF", setFrequency());
  on("RF?", query([this] { return "RF " + formatNumber(freqHz_, 1); }));
  on("L", setLevel());
  on("L?", query([this] { return levelText(); }));
  const QByteArray output = type <= 14 ? "LEV:" : "L:";
  on(output + "ON", action([this] { on_ = true; }));
  on(output + "OFF", action([this] { on_ = false; }));
}

}  // namespace sim
