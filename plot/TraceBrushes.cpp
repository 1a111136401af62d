#include "plot/TraceBrushes.h"

const QBrush TraceBrushes[kTraceColours] = {
    QBrush(Qt::black), QBrush(Qt::red),    QBrush(Qt::blue),
    QBrush(Qt::green), QBrush(Qt::yellow), QBrush(Qt::cyan),
};

int NextColour(int colourIdx) { return colourIdx + 1 >= kTraceColours ? 0 : colourIdx + 1; }

int PrevColour(int colourIdx) { return colourIdx - 1 < 0 ? kTraceColours - 1 : colourIdx - 1; }
