#pragma once
// The simulated instrument of a device type index, by command class.
#include "bench/Instrument.h"

#include <QJsonObject>
#include <memory>

namespace sim {

// nullptr for a type that no instrument answers (0 "None", 31 "External").
std::unique_ptr<Instrument> makeInstrument(Bench &bench, int type, const QString &resource,
                                           const QJsonObject &options);
// The model name that the instrument gives in its identification.
QString modelName(int type);

}  // namespace sim
