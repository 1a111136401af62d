#pragma once
// Preparation of all instruments before a sweep, and the level measurement.
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

#include <functional>

// 0 = ready; -1 .. -20 = the stage that failed.
int InstInit(DevStr &gen1, DevStr &gen2, DevStr &ana, SpxStr &spx, RcxStr &rcx, bool levelSweep);

ViStatus AnaMeasure(ViSession session, int type, double freqHz, double &levelDbm,
                    double dwellS, double markerPos, int fast);

// The waits of the instrument layer (dwell, settling, status-byte polls) go
// through this hook so that tests need not sleep. The default (and an empty
// function) sleeps the calling thread.
void SetInstrumentSleep(std::function<void(int ms)> sleeper);
void InstrumentSleep(int ms);
// While cut, the default sleeper's waits end at once, a wait in progress
// included: a stopped run does not sit out a dwell of up to 100 s. Any
// thread may cut or restore them.
void CutInstrumentWaits(bool cut);

// A dwell in seconds as whole milliseconds, the fraction cut off (0 for
// anything not positive), as every measurement waits it.
int DwellMs(double seconds);
