#include "plot/TraceCurveTable.h"

#include "plot/LiveSeries.h"
#include "plot/TraceBrushes.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_directpainter.h>
#include <qwt_scale_map.h>
#include <qwt_scale_div.h>
#include <qwt_symbol.h>

TraceCurveTable::TraceCurveTable(QwtPlot *plot) : QObject(plot), m_plot(plot), m_painter(new QwtPlotDirectPainter())
{
}

// The curves belong to the plot, which deletes its items itself.
TraceCurveTable::~TraceCurveTable() { delete m_painter; }

bool TraceCurveTable::inTable(int slot, int level)
{
  return slot >= 0 && slot < kMaxTraces && level >= 0 && level < kMaxLevels;
}

QwtPlotCurve *TraceCurveTable::curve(int slot, int level) const
{
  return inTable(slot, level) ? m_curves[slot][level] : nullptr;
}

QwtPlotCurve *TraceCurveTable::showCurve(int slot, int level, int colourIdx)
{
  if (!inTable(slot, level))
    return nullptr;
  QwtPlotCurve *&curve = m_curves[slot][level];
  if (curve) {
    curve->setVisible(true);
    return curve;
  }
  curve = new QwtPlotCurve(QString());
  const QBrush &brush = TraceBrushes[qBound(0, colourIdx, kTraceColours - 1)];
  curve->setSymbol(new QwtSymbol(QwtSymbol::Diamond, brush, QPen(Qt::SolidLine), QSize(5, 5)));
  curve->setData(new LiveSeries);
  curve->attach(m_plot);
  m_plot->replot();
  return curve;
}

LiveSeries *TraceCurveTable::seriesOf(QwtPlotCurve *curve)
{
  auto *series = dynamic_cast<LiveSeries *>(curve->data());
  if (!series) {
    series = new LiveSeries;
    curve->setData(series);
  }
  return series;
}

void TraceCurveTable::setRow(int slot, int level, const TraceRow &row, int count, double offset)
{
  QwtPlotCurve *c = curve(slot, level);
  if (!c)
    return;
  LiveSeries *series = seriesOf(c);
  // An empty curve that stays empty (a run's next level step) changes
  // nothing on the plot.
  const bool showedPoints = series->size() > 0;
  series->setRow(row, count, offset);
  c->itemChanged();
  if (showedPoints || series->size() > 0)
    m_plot->replot();
}

void TraceCurveTable::growRow(int slot, int level, int count)
{
  QwtPlotCurve *c = curve(slot, level);
  if (!c)
    return;
  LiveSeries *series = seriesOf(c);
  if (count < series->rowValues()) {
    setRow(slot, level, series->row(), count, series->offset());
    return;
  }
  const int first = series->grow(count);
  const int last = int(series->size()) - 1;
  if (first > last)
    return;
  // The new points joined to the last one shown before them.
  const int from = qMax(0, first - 1);
  QRectF added(series->sample(size_t(from)), QSizeF(0.0, 0.0));
  for (int i = from + 1; i <= last; ++i)
    added |= QRectF(series->sample(size_t(i)), QSizeF(0.0, 0.0));
  if (!c->isVisible() || axesMustGrow(c, added)) {
    c->setVisible(true);
    m_plot->replot();
    return;
  }
  paintSegment(c, from, last, added);
}

// Only the segment's own rectangle (widened by the symbols) is painted and
// brought to the screen; an unclipped paint would flush the whole canvas
// for every point.
void TraceCurveTable::paintSegment(QwtPlotCurve *curve, int from, int to, const QRectF &area)
{
  const QwtScaleMap xMap = m_plot->canvasMap(curve->xAxis());
  const QwtScaleMap yMap = m_plot->canvasMap(curve->yAxis());
  const QSize symbol = curve->symbol() ? curve->symbol()->size() : QSize();
  const int margin = qMax(symbol.width(), symbol.height()) / 2 + 2;
  const QRect clip =
      QwtScaleMap::transform(xMap, yMap, area).normalized().toAlignedRect().adjusted(-margin, -margin, margin, margin);
  m_painter->setClipping(true);
  m_painter->setClipRegion(clip);
  m_painter->drawSeries(curve, from, to);
}

// An autoscaled axis follows the data: points beyond its current scale
// need a new scale and so a full replot. A fixed axis simply clips.
bool TraceCurveTable::axesMustGrow(const QwtPlotCurve *curve, const QRectF &added) const
{
  const auto outside = [this](int axis, double low, double high) {
    if (!m_plot->axisAutoScale(axis))
      return false;
    const QwtInterval scale = m_plot->axisScaleDiv(axis).interval().normalized();
    return !scale.contains(low) || !scale.contains(high);
  };
  return outside(curve->xAxis(), added.left(), added.right()) || outside(curve->yAxis(), added.top(), added.bottom());
}

void TraceCurveTable::hide(int slot, int lastLevel)
{
  for (int level = 0; level <= lastLevel; ++level) {
    if (QwtPlotCurve *c = curve(slot, level))
      c->setVisible(false);
  }
}

void TraceCurveTable::hideSlots(int lastSlot)
{
  for (int slot = 0; slot <= lastSlot; ++slot)
    hide(slot, kMaxLevels - 1);
}

void TraceCurveTable::hideAll() { hideSlots(kMaxTraces - 1); }
