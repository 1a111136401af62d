#pragma once
// End-to-end runs against the simulated bench: the program's own VisaLoad
// loads the project's libsolvisa, and each test names the bench it wants.
#include "bench/BenchFile.h"
#include "instruments/VisaDefs.h"
#include "sweep/SweepEngine.h"

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
// The RF side of the tests' sweeps: 100 MHz to 1100 MHz in 100 MHz steps
// at -10 dBm, no level sweep. The instruments are the caller's.
void rfSweep(CfgStr &cfg);
// Computes the plan and one empty trace record; false when the plan is refused.
bool plan(CfgStr &cfg);
// One run of the sweep engine without waits and without a window;
// InitFailed when the preparation failed.
SwpOutcome sweep(CfgStr &cfg, bool normActive = false);
// The level the device under test gives at a point of a level step: the
// generator 1 tone at the step's level, generator 2's tone (when there is
// one) at its start level, seen in 1 MHz at the point's IF.
double predicted(const sim::Bench &model, const CfgStr &cfg, int level, int point);
// The points of the newest trace that differ from the prediction by more
// than the tolerance, as readable lines (empty when all agree).
QStringList mismatches(const CfgStr &cfg, const sim::Bench &model, double toleranceDb);

}  // namespace SimBench
