#include "plot/TraceBrushes.h"

#include <QColor>

const QBrush TraceBrushes[kTraceColours] = {
    QBrush(QColor(kTraceRgb[0])), QBrush(QColor(kTraceRgb[1])), QBrush(QColor(kTraceRgb[2])),
    QBrush(QColor(kTraceRgb[3])), QBrush(QColor(kTraceRgb[4])), QBrush(QColor(kTraceRgb[5])),
};
