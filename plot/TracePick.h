#pragma once
// Finding measured points of the visible traces on the plot: the point
// nearest to the mouse pointer, and the highest and lowest point of one
// trace. Only points that a curve holds are found, so a point that was not
// measured is never offered as one.
#include <QPointF>

class QPoint;
class QwtPlot;
class QwtPlotCurve;
class TraceCurveTable;

struct TracePoint {
  int slot = -1;   // trace slot of the curve table
  int level = -1;  // level step
  int index = -1;  // sample of the curve
  QPointF value;   // frequency and level as the curve shows them
  bool valid() const { return index >= 0; }
};

// The measured point nearest to `canvasPos` (canvas pixels) among the
// visible curves of the table; invalid when no visible curve holds a point.
TracePoint NearestTracePoint(const TraceCurveTable &table, const QwtPlot &plot, const QPoint &canvasPos);

// The highest (`highest`) or lowest point of a curve; invalid when the curve
// is missing, hidden or empty.
TracePoint ExtremeTracePoint(const TraceCurveTable &table, int slot, int level, bool highest);

// The sample `index` of the curve again, as it holds it now.
TracePoint TracePointAt(const TraceCurveTable &table, int slot, int level, int index);

// The visible curve with the highest slot (the newest trace), its lowest
// level step first; slot and level stay -1 when none is visible.
TracePoint NewestVisibleTrace(const TraceCurveTable &table);
