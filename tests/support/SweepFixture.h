#pragma once
// A small bench for sweep runs against the recording fake VISA: a generator
// (type 24) at GPIB0::28, an optional LO generator of the same type at
// GPIB0::29 and a zero-span analyzer (type 59) at GPIB0::20, with the
// replies their preparation needs scripted.
#include "instruments/VisaDefs.h"
#include "sweep/CfgStr.h"

#include <QString>
#include <QStringList>

namespace SweepFixture {

constexpr int kGenType = 24;
constexpr int kAnaType = 59;
extern const QString kGen1Rsrc;
extern const QString kGen2Rsrc;
extern const QString kAnaRsrc;

// Settings of `points` points from 100 MHz in 10 MHz steps at -10 dBm,
// no LO generator, the plan computed and one empty trace record. Fields
// that these do not name keep their values.
void Settings(CfgStr &cfg, int points);
// Adds the LO generator from 1000 MHz (fixed or stepping with the RF).
void WithLo(CfgStr &cfg, bool fixedLo);

// Read-backs of the generators' level and frequency extremes and the
// analyzer's sweep time, as the preparation of a run asks for them.
void ScriptPrep(const CfgStr &cfg, double sweepTimeS = 0.05);
// `count` analyzer readings of `dbm`.
void ScriptReadings(double dbm, int count);

// The commands written after the analyzer's sweep-time query of the last
// run: the measuring and the end of the run.
QStringList RunWrites();
// Transcript lines of viWrite on one session.
QStringList WritesTo(ViSession session);

}  // namespace SweepFixture
