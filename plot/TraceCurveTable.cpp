#include "plot/TraceCurveTable.h"

#include "plot/LiveSeries.h"
#include "plot/TraceBrushes.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_directpainter.h>
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

void TraceCurveTable::setRow(int slot, int level, const QVector<double> &x, const QVector<double> &y,
                         int count, double offset)
{
  QwtPlotCurve *c = curve(slot, level);
  if (!c)
    return;
  seriesOf(c)->setRow(x, y, count, offset);
  c->itemChanged();
  m_plot->replot();
}

void TraceCurveTable::growRow(int slot, int level, const QVector<double> &x, const QVector<double> &y,
                          int count, double offset)
{
  QwtPlotCurve *c = curve(slot, level);
  if (!c)
    return;
  LiveSeries *series = seriesOf(c);
  if (count < 1 || !series->holdsPrefix(x, y, count - 1, offset) || count > qMin(x.size(), y.size())) {
    setRow(slot, level, x, y, count, offset);
    return;
  }
  if (!series->append(x[count - 1], y[count - 1] - offset))
    return;
  const int last = int(series->size()) - 1;
  if (!c->isVisible() || axesMustGrow(c, series->sample(size_t(last)))) {
    c->setVisible(true);
    m_plot->replot();
    return;
  }
  m_painter->drawSeries(c, qMax(0, last - 1), last);
}

// An autoscaled axis follows the data: a point beyond its current scale
// needs a new scale and so a full replot. A fixed axis simply clips.
bool TraceCurveTable::axesMustGrow(const QwtPlotCurve *curve, const QPointF &p) const
{
  const auto outside = [this](int axis, double v) {
    return m_plot->axisAutoScale(axis) && !m_plot->axisScaleDiv(axis).interval().normalized().contains(v);
  };
  return outside(curve->xAxis(), p.x()) || outside(curve->yAxis(), p.y());
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
