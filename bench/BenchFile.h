#pragma once
// Bench files: a JSON description of the simulated bench.
//
// {
//   "name": "mixer bench",
//   "latencyMs": 40,        answer latency of every instrument (default 0)
//   "timeoutMs": 200,       upper bound of every VISA timeout (tests), 0 = none
//   "seed": 1, "noiseDb": 0.02,
//   "instruments": [
//     {"resource": "GPIB0::28::INSTR", "type": 24, "port": "rf"},
//     {"resource": "GPIB0::19::INSTR", "type": 24, "port": "lo", "latencyMs": 5},
//     {"resource": "GPIB0::20::INSTR", "type": 59}
//   ],
//   "dut": {"kind": "mixer", "lossDb": 6.5}
// }
//
// "type" is the device type index of the program's type table; "port" is
// "rf" (the default for sources) or "lo"; measuring instruments see the
// device's output. Radio testers take "secondary", the secondary address of
// their signalling function (default 7).
#include "bench/Bench.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace sim {

// "default" gives the built-in bench; anything else is a bench file path.
// nullptr and an error text when the file cannot be read or is not a bench.
std::unique_ptr<Bench> loadBench(const QString &source, QString *error);
std::unique_ptr<Bench> benchFromJson(const QByteArray &json, QString *error);
// The built-in bench that matches the program's default settings.
QByteArray defaultBenchJson();

}  // namespace sim
