#pragma once
// The settings of the smallest bench a run needs: a generator (type 24) at
// GPIB0::28 sweeping from 100 MHz in `stepMHz` steps into a zero-span
// analyzer (type 59) at GPIB0::20, `levels` level steps 10 dB apart from
// -20 dBm, no LO generator. The plan is not computed.
#include "sweep/CfgStr.h"

void SmallBench(CfgStr &cfg, int points, int levels, double stepMHz, double dwellS);
