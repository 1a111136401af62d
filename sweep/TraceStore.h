#pragma once
// The trace records of a measurement series: TraceCount records of
// LevelCount rows of PointCount levels, every value kUnmeasured until a run
// stores a measurement there.
#include "sweep/CfgStr.h"

// A new table of TraceCount records and a new NormData, sized by the plan;
// the plan's frequencies become those of the series.
void AllocTrc(CfgStr &cfg);
// Appends one record sized by the plan; TraceCount grows by one.
void AddTrcRec(CfgStr &cfg);
// True when the newest record (and, with a reference in force, NormData)
// has exactly the shape of the current plan, so that a run may measure into it.
bool TrcFitsPlan(const CfgStr &cfg, bool normActive);
// The plan's frequencies become those the series is measured at.
void TakeSeriesFreqs(CfgStr &cfg);

// True when the plan's frequency lists are those the series was measured at.
// The records hold no frequencies of their own, so after a change of the
// sweep they must not be extended, normalized or shown relative to the plan.
bool TrcMatchesPlan(const CfgStr &cfg);
