#include "bench/Handlers.h"

#include <cmath>
#include <memory>

namespace sim {

Instrument::Handler setNumber(double &target, double min, double max, const QList<QByteArray> &suffixes,
                              double resolution) {
  return [&target, min, max, suffixes, resolution](const Command &c) {
    if (!c.hasData())
      return int(kMissingParameter);
    double value = 0.0;
    if (!parseNumber(c.data, value, suffixes))
      return int(kDataTypeError);
    if (value < min || value > max)
      return int(kDataOutOfRange);
    target = resolution > 0.0 ? std::round(value / resolution) * resolution : value;
    return int(kNoError);
  };
}

Instrument::Handler setSwitch(bool &target) {
  return [&target](const Command &c) {
    const QByteArray word = c.data.toUpper();
    if (word.isEmpty())
      return int(kMissingParameter);
    if (word == "ON" || word == "1")
      target = true;
    else if (word == "OFF" || word == "0")
      target = false;
    else
      return int(kIllegalParameterValue);
    return int(kNoError);
  };
}

Instrument::Handler setFlag(bool &target, const QByteArray &onWord, const QByteArray &offWord) {
  return [&target, onWord, offWord](const Command &c) {
    QByteArray word;
    const int error = setChoice(word, {onWord, offWord})(c);
    if (error == kNoError)
      target = word == onWord;
    return error;
  };
}

Instrument::Handler setAutomatic(double &value) {
  return [&value](const Command &c) {
    bool automatic = false;
    const int error = setSwitch(automatic)(c);
    if (error == kNoError && automatic)
      value = 0.0;
    return error;
  };
}

Instrument::Handler setChoice(QByteArray &target, const QList<QByteArray> &choices) {
  return [&target, choices](const Command &c) {
    const QByteArray word = c.data.toUpper();
    if (word.isEmpty())
      return int(kMissingParameter);
    if (!choices.contains(word))
      return int(kIllegalParameterValue);
    target = word;
    return int(kNoError);
  };
}

Instrument::Handler acceptChoice(const QList<QByteArray> &choices) {
  auto ignored = std::make_shared<QByteArray>();
  Instrument::Handler set = setChoice(*ignored, choices);
  return [ignored, set](const Command &c) { return set(c); };
}

}  // namespace sim
