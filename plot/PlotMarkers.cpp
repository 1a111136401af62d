#include "plot/PlotMarkers.h"

#include "plot/TraceCurveTable.h"
#include "plot/TraceLabels.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>

namespace {

constexpr int kGrowthCheckMs = 250;
constexpr int kClickPixels = 3;
constexpr int kMarkSize = 6;

}  // namespace

PlotMarkers::PlotMarkers(QwtPlot *plot, const TraceCurveTable *table)
    : QObject(plot), m_plot(plot), m_table(table), m_growth(new QTimer(this))
{
  setZ(90.0);
  setItemAttribute(AutoScale, false);
  setItemAttribute(Legend, false);
  m_growth->setInterval(kGrowthCheckMs);
  connect(m_growth, &QTimer::timeout, this, &PlotMarkers::followGrowth);
  plot->canvas()->installEventFilter(this);
  attach(plot);
}

void PlotMarkers::setPeakShown(bool shown)
{
  m_peak = shown;
  updateTimer();
  m_plot->replot();
}

void PlotMarkers::setMinShown(bool shown)
{
  m_min = shown;
  updateTimer();
  m_plot->replot();
}

void PlotMarkers::chooseTrace(int slot, int level)
{
  m_slot = slot;
  m_level = level;
  m_plot->replot();
}

void PlotMarkers::addDeltaPoint(const TracePoint &point)
{
  if (!point.valid())
    return;
  if (m_delta.size() == 2)
    m_delta.clear();
  m_delta.append(point);
  updateTimer();
  m_plot->replot();
}

void PlotMarkers::clearDelta()
{
  m_delta.clear();
  updateTimer();
  m_plot->replot();
}

void PlotMarkers::chooseTraceAt(const QPoint &canvasPos)
{
  const TracePoint point = NearestTracePoint(*m_table, *m_plot, canvasPos);
  if (point.valid())
    chooseTrace(point.slot, point.level);
}

void PlotMarkers::addDeltaPointAt(const QPoint &canvasPos)
{
  addDeltaPoint(NearestTracePoint(*m_table, *m_plot, canvasPos));
}

TracePoint PlotMarkers::extreme(bool highest) const
{
  int slot = m_slot;
  int level = m_level;
  if (!m_table->curve(slot, level) || !m_table->curve(slot, level)->isVisible()) {
    const TracePoint newest = NewestVisibleTrace(*m_table);
    slot = newest.slot;
    level = newest.level;
  }
  return ExtremeTracePoint(*m_table, slot, level, highest);
}

TracePoint PlotMarkers::peak() const { return m_peak ? extreme(true) : TracePoint(); }

TracePoint PlotMarkers::minimum() const { return m_min ? extreme(false) : TracePoint(); }

QList<PlotMarkers::Mark> PlotMarkers::marks() const
{
  const auto where = [this](const TracePoint &p) {
    return FreqText(p.value.x()) + QStringLiteral(", ") + LevelText(*m_plot, QwtPlot::yLeft, p.value.y());
  };
  QList<Mark> marks;
  if (const TracePoint p = peak(); p.valid())
    marks.append({p, QStringLiteral("Peak ") + where(p)});
  if (const TracePoint p = minimum(); p.valid())
    marks.append({p, QStringLiteral("Min ") + where(p)});
  QList<TracePoint> delta;
  for (const TracePoint &p : m_delta) {
    const TracePoint now = TracePointAt(*m_table, p.slot, p.level, p.index);
    if (now.valid())
      delta.append(now);
  }
  if (delta.size() == 1)
    marks.append({delta[0], QStringLiteral("Ref ") + where(delta[0])});
  if (delta.size() == 2) {
    const QPointF d = delta[1].value - delta[0].value;
    marks.append({delta[0], QStringLiteral("Ref")});
    marks.append({delta[1], QStringLiteral("Delta ") + FreqText(d.x()) + QStringLiteral(", ")
                                + QString::number(d.y(), 'f', 2) + QStringLiteral(" dB")});
  }
  return marks;
}

QStringList PlotMarkers::labels() const { return TextsOf(marks()); }

int PlotMarkers::rtti() const { return Rtti_PlotUserItem + 2; }

void PlotMarkers::draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                       const QRectF &canvasRect) const
{
  // The canvas font in screen pixels, like the rest of the plot: an export
  // scales the painter to its resolution, and points would be scaled twice.
  QFont font = m_plot->canvas()->font();
  font.setPixelSize(QFontInfo(font).pixelSize());
  const QFontMetricsF metrics(font);
  QList<QRectF> taken;
  painter->save();
  painter->setFont(font);
  for (const Mark &mark : marks()) {
    const QPointF at(xMap.transform(mark.point.value.x()), yMap.transform(mark.point.value.y()));
    if (!canvasRect.contains(at))
      continue;
    painter->setPen(QPen(Qt::darkMagenta, 2));
    painter->setBrush(Qt::NoBrush);
    // A triangle pointing down at the point, the label above it, kept inside
    // the canvas and clear of the labels already drawn.
    const QPolygonF triangle({at, at + QPointF(-kMarkSize, -2 * kMarkSize), at + QPointF(kMarkSize, -2 * kMarkSize)});
    painter->drawPolygon(triangle);
    QRectF box(0, 0, metrics.horizontalAdvance(mark.text) + 6, metrics.height() + 2);
    box.moveCenter(at - QPointF(0, 2 * kMarkSize + box.height() / 2 + 2));
    if (box.top() < canvasRect.top())
      box.moveTop(at.y() + kMarkSize);
    box.moveLeft(qBound(canvasRect.left(), box.left(), canvasRect.right() - box.width()));
    const auto overlaps = [&taken](const QRectF &r) {
      return std::any_of(taken.cbegin(), taken.cend(), [&r](const QRectF &t) { return t.intersects(r); });
    };
    while (overlaps(box) && box.bottom() + box.height() < canvasRect.bottom())
      box.translate(0, box.height() + 2);
    taken.append(box);
    painter->setPen(QPen(Qt::darkMagenta));
    painter->setBrush(QColor(255, 255, 255, 220));
    painter->drawRect(box);
    painter->drawText(box, Qt::AlignCenter, mark.text);
  }
  painter->restore();
}

void PlotMarkers::updateTimer()
{
  const bool any = m_peak || m_min || !m_delta.isEmpty();
  if (any && !m_growth->isActive())
    m_growth->start();
  else if (!any)
    m_growth->stop();
}

// The direct painting of a growing trace does not redraw the markers; when
// a curve has grown since the last look, the plot is redrawn.
void PlotMarkers::followGrowth()
{
  qint64 points = 0;
  for (int slot = 0; slot < kMaxTraces; ++slot)
    for (int level = 0; level < kMaxLevels; ++level)
      if (const QwtPlotCurve *curve = m_table->curve(slot, level))
        points += qint64(curve->dataSize());
  if (points == m_drawnPoints)
    return;
  m_drawnPoints = points;
  m_plot->replot();
}

bool PlotMarkers::eventFilter(QObject *watched, QEvent *event)
{
  if (event->type() == QEvent::MouseButtonPress) {
    m_pressAt = static_cast<QMouseEvent *>(event)->pos();
  } else if (event->type() == QEvent::MouseButtonRelease) {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() == Qt::LeftButton && (mouse->pos() - m_pressAt).manhattanLength() <= kClickPixels) {
      if (mouse->modifiers() & Qt::ShiftModifier)
        addDeltaPointAt(mouse->pos());
      else
        chooseTraceAt(mouse->pos());
    }
  }
  return QObject::eventFilter(watched, event);
}
