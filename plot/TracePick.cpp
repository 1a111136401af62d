#include "plot/TracePick.h"

#include "plot/TraceCurveTable.h"

#include <QPoint>
#include <cmath>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

namespace {

const QwtPlotCurve *VisibleCurve(const TraceCurveTable &table, int slot, int level)
{
  const QwtPlotCurve *curve = table.curve(slot, level);
  return curve && curve->isVisible() && curve->plot() ? curve : nullptr;
}

bool Measured(const QPointF &p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

}  // namespace

TracePoint NearestTracePoint(const TraceCurveTable &table, const QwtPlot &plot, const QPoint &canvasPos)
{
  TracePoint nearest;
  double best = INFINITY;
  for (int slot = 0; slot < kMaxTraces; ++slot) {
    for (int level = 0; level < kMaxLevels; ++level) {
      const QwtPlotCurve *curve = VisibleCurve(table, slot, level);
      if (!curve)
        continue;
      const QwtScaleMap xMap = plot.canvasMap(curve->xAxis());
      const QwtScaleMap yMap = plot.canvasMap(curve->yAxis());
      for (size_t i = 0; i < curve->dataSize(); ++i) {
        const QPointF p = curve->sample(i);
        if (!Measured(p))
          continue;
        const double dx = xMap.transform(p.x()) - canvasPos.x();
        const double dy = yMap.transform(p.y()) - canvasPos.y();
        const double d = dx * dx + dy * dy;
        if (d < best) {
          best = d;
          nearest = {slot, level, int(i), p};
        }
      }
    }
  }
  return nearest;
}

TracePoint ExtremeTracePoint(const TraceCurveTable &table, int slot, int level, bool highest)
{
  TracePoint extreme;
  const QwtPlotCurve *curve = VisibleCurve(table, slot, level);
  if (!curve)
    return extreme;
  for (size_t i = 0; i < curve->dataSize(); ++i) {
    const QPointF p = curve->sample(i);
    if (!Measured(p))
      continue;
    if (!extreme.valid() || (highest ? p.y() > extreme.value.y() : p.y() < extreme.value.y()))
      extreme = {slot, level, int(i), p};
  }
  return extreme;
}

TracePoint TracePointAt(const TraceCurveTable &table, int slot, int level, int index)
{
  const QwtPlotCurve *curve = VisibleCurve(table, slot, level);
  if (!curve || index < 0 || size_t(index) >= curve->dataSize() || !Measured(curve->sample(size_t(index))))
    return {};
  return {slot, level, index, curve->sample(size_t(index))};
}

TracePoint NewestVisibleTrace(const TraceCurveTable &table)
{
  for (int slot = kMaxTraces - 1; slot >= 0; --slot) {
    for (int level = 0; level < kMaxLevels; ++level) {
      if (VisibleCurve(table, slot, level))
        return {slot, level, -1, QPointF()};
    }
  }
  return {};
}
