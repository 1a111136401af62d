#pragma once
// Handlers for the settings that most command classes share: a number in a
// range, a switch, one word of a fixed set. Each checks the data as an
// instrument's parser does and leaves the setting alone when it is refused.
#include "bench/Instrument.h"

#include <QList>

namespace sim {

// resolution > 0 rounds the value to the instrument's step.
Instrument::Handler setNumber(double &target, double min, double max, const QList<QByteArray> &suffixes = {},
                              double resolution = 0.0);
Instrument::Handler setSwitch(bool &target);  // ON, OFF, 1, 0
// A switch spelled with two words of its own ("EXT" / "INT").
Instrument::Handler setFlag(bool &target, const QByteArray &onWord, const QByteArray &offWord);
// An automatic setting: ON sets the value to 0 (automatic), OFF keeps it.
Instrument::Handler setAutomatic(double &value);
Instrument::Handler setChoice(QByteArray &target, const QList<QByteArray> &choices);
// A setting that the model accepts and does not need to keep.
Instrument::Handler acceptChoice(const QList<QByteArray> &choices);

}  // namespace sim
