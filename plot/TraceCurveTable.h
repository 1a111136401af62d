#pragma once
// The curve table of the trace plot: kMaxTraces slots x kMaxLevels level
// steps. A curve is made the first time its slot and level step are drawn,
// keeps the colour it was made with, and is hidden rather than deleted
// (the plot owns it). Drawing one more point of a growing trace costs the
// same whether the plot holds ten points or ten thousand: only the new
// segment is painted, clipped to its own rectangle, and the plot is
// replotted in full only when an autoscaled axis has to grow. The table is a child of its plot and goes
// with it.
#include "plot/LiveSeries.h"
#include "sweep/SwpLimits.h"

#include <QObject>
#include <QPointF>
#include <QVector>

class QwtPlot;
class QwtPlotCurve;
class QwtPlotDirectPainter;

class TraceCurveTable : public QObject {
public:
  explicit TraceCurveTable(QwtPlot *plot);
  ~TraceCurveTable() override;

  static bool inTable(int slot, int level);

  // nullptr when the slot and level step were never drawn (or lie outside the table).
  QwtPlotCurve *curve(int slot, int level) const;
  // Makes the curve with the symbol colour `colourIdx` (a row of
  // TraceBrushes) when it does not exist yet, else shows it again.
  QwtPlotCurve *showCurve(int slot, int level, int colourIdx);

  // The curve shows values 0 .. count-1 of the row (value minus offset)
  // against its frequencies; the plot is replotted unless the curve was
  // empty and stays so.
  void setRow(int slot, int level, const TraceRow &row, int count, double offset = 0.0);
  // The curve's row grew to count values: only the new segment is painted,
  // at once. A count below what the curve has taken starts the row again.
  void growRow(int slot, int level, int count);

  // Hides level steps 0 .. lastLevel of a slot.
  void hide(int slot, int lastLevel);
  void hideSlots(int lastSlot);
  void hideAll();

private:
  LiveSeries *seriesOf(QwtPlotCurve *curve);
  bool axesMustGrow(const QwtPlotCurve *curve, const QRectF &added) const;
  void paintSegment(QwtPlotCurve *curve, int from, int to, const QRectF &area);

  QwtPlot *m_plot;
  QwtPlotDirectPainter *m_painter;
  QwtPlotCurve *m_curves[kMaxTraces][kMaxLevels] = {};
};
