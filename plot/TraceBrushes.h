#pragma once
// The trace colours of sweep/TraceColours.h as the brushes of the symbols.
#include "sweep/TraceColours.h"

#include <QBrush>

extern const QBrush TraceBrushes[kTraceColours];
