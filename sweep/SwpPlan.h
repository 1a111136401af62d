#pragma once
// The sweep plan: point and level counts and the RF, LO and IF frequency of
// every point, computed from the settings record in place.
#include "sweep/CfgStr.h"

#include <QString>

// Computes the plan. Input that gives no finite plan, or a plan larger than
// the limits of SwpLimits.h, is refused: the record (previous plan included)
// stays as it was, the result is false and *reason (when given) says why in
// words a user understands.
bool CalcSwpLst(CfgStr &cfg, QString *reason = nullptr);
