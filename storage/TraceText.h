#pragma once
// What the data file, the normalization export and the printout share: the
// check that the trace store can be read whole, and the point line that
// lists a point's values trace by trace and, inside each trace, level step
// by level step.
#include "sweep/CfgStr.h"

#include <QString>
#include <functional>

// True when Traces holds TraceCount records of LevelCount rows of PointCount
// values and AnaFreqs has PointCount frequencies, all counts at least 1; this
// keeps the writers from reading a record, row or point that does not exist.
// False too when the sweep's frequencies are no longer those the series was
// measured at.
bool TracesComplete(const CfgStr &cfg, QString *reason);

// AnaFreqs[point] (MHz) with freqDecimals decimals, followed by
// valueText(value) for every value of the point, in file order.
QString PointLine(const CfgStr &cfg, int point, int freqDecimals,
                  const std::function<QString(double)> &valueText);
