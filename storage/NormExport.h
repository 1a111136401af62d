#pragma once
// The normalization export: one line per point, the analyzer frequency (MHz)
// and, for every value in data-file order, the value less generator 1's and
// less generator 2's start level. No header; unmeasured values read "nan".
#include "storage/FileJob.h"
#include "sweep/CfgStr.h"

#include <QString>

// Returns 0, or -1 with the reason when there is no trace or the file
// cannot be written (the old file then stays as it was). The file is
// written line by line, never held whole.
int SaveNormFile(const CfgStr &cfg, const QString &path, QString *reason = nullptr, FileJob *job = nullptr);
