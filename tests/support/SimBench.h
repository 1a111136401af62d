#pragma once
// End-to-end runs against the simulated bench: the program's own VisaLoad
// loads the project's libsolvisa, and each test names the bench it wants.
#include "bench/BenchFile.h"
#include "instruments/VisaDefs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace SimBench {

// Points SOLVANE_VISA_LIBRARY at build/bin/libsolvisa.so and loads it
// through VisaLoad; loads the sensor-driver stand-in through PwuLoad.
bool load();
// Writes the bench file (with "timeoutMs": 50 unless the JSON sets a timeout)
// and points SOLVISA_BENCH at it; the next session opened uses it. Returns a
// model of the same bench, for the levels the devices under test predict.
std::unique_ptr<sim::Bench> use(const QByteArray &json);
// Empties an instrument's error queue through a session of its own and
// returns the entries.
QStringList drainErrors(const QString &resource);
// Opens a session of the test's own; 0 when the resource cannot be opened.
ViSession openSession(const QString &resource);

}  // namespace SimBench
