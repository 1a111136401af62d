#pragma once
// Settings of the record by short names, so that a test states many of them
// in one line: Set(cfg, "LO=24 FixedLo=0") and Get(cfg, "Points IF1") gives
// "Points=91 IF1=1000" (all digits of each value).
#include "sweep/CfgStr.h"

#include <QString>

// The defaults of the configuration file with settings applied.
CfgStr Defaults(const QString &settings = QString());
void Set(CfgStr &cfg, const QString &settings);
// names may carry values ("Points=91"); they are replaced by those of cfg.
// RFs, LOs and IFs are the plan's frequencies, "100:10:1000" for a
// progression exact to the last bit, else every value.
QString Get(CfgStr &cfg, const QString &names);
