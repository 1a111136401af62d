#pragma once
// The symbol colours of the traces, one per row; the colour index of a
// series wraps around them.
#include <QBrush>

constexpr int kTraceColours = 6;
// black, red, blue, green, yellow, cyan
extern const QBrush TraceBrushes[kTraceColours];

// The colour after / before `colourIdx`, wrapping from 5 to 0 and 0 to 5.
int NextColour(int colourIdx);
int PrevColour(int colourIdx);
