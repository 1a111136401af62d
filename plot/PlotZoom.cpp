#include "plot/PlotZoom.h"

#include <QMouseEvent>
#include <QPolygon>
#include <QWheelEvent>
#include <cmath>
#include <utility>
#include <qwt_picker.h>
#include <qwt_picker_machine.h>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_panner.h>
#include <qwt_scale_widget.h>

namespace {

constexpr int kMinZoomPixels = 4;
constexpr double kWheelStep = 0.8;  // one notch in shows 80 % of the range

bool IsLevelAxis(int axis) { return axis == QwtPlot::yLeft || axis == QwtPlot::yRight; }

}  // namespace

PlotZoom::PlotZoom(QwtPlot *plot)
    : QObject(plot), m_plot(plot), m_picker(new QwtPicker(plot->canvas())), m_panner(new QwtPlotPanner(plot->canvas()))
{
  m_picker->setStateMachine(new QwtPickerDragRectMachine);
  m_picker->setRubberBand(QwtPicker::RectRubberBand);
  m_picker->setTrackerMode(QwtPicker::AlwaysOff);
  m_picker->setMousePattern(QwtEventPattern::MouseSelect1, Qt::LeftButton);
  connect(m_picker, qOverload<const QPolygon &>(&QwtPicker::selected), this,
          [this](const QPolygon &corners) { zoomTo(corners.boundingRect()); });
  m_panner->setMouseButton(Qt::MiddleButton);
  plot->canvas()->installEventFilter(this);
  for (int axis = 0; axis < QwtPlot::axisCnt; ++axis)
    plot->axisWidget(axis)->installEventFilter(this);
}

void PlotZoom::setAxisPixels(int axis, double from, double to)
{
  const QwtScaleMap map = m_plot->canvasMap(axis);
  double low = map.invTransform(from);
  double high = map.invTransform(to);
  if (low > high)
    std::swap(low, high);
  m_plot->setAxisScale(axis, low, high);
}

void PlotZoom::zoomTo(const QRect &rect)
{
  if (rect.width() < kMinZoomPixels || rect.height() < kMinZoomPixels)
    return;
  for (int axis = 0; axis < QwtPlot::axisCnt; ++axis) {
    if (!m_plot->axisEnabled(axis))
      continue;
    if (IsLevelAxis(axis))
      setAxisPixels(axis, rect.bottom(), rect.top());
    else
      setAxisPixels(axis, rect.left(), rect.right());
  }
  m_plot->replot();
}

void PlotZoom::zoomAxis(int axis, double canvasPixel, double factor)
{
  for (int other = 0; other < QwtPlot::axisCnt; ++other) {
    if (other != axis && !(IsLevelAxis(axis) && IsLevelAxis(other) && m_plot->axisEnabled(other)))
      continue;
    const QwtScaleMap map = m_plot->canvasMap(other);
    setAxisPixels(other, canvasPixel + (map.p1() - canvasPixel) * factor,
                  canvasPixel + (map.p2() - canvasPixel) * factor);
  }
  m_plot->replot();
}

bool PlotZoom::eventFilter(QObject *watched, QEvent *event)
{
  // The plot's own destruction sends events too; only these two may look at it.
  if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::Wheel)
    return QObject::eventFilter(watched, event);
  if (watched == m_plot->canvas() && event->type() == QEvent::MouseButtonRelease
      && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
    emit backRequested();
    return true;
  }
  if (event->type() != QEvent::Wheel || watched == m_plot->canvas())
    return QObject::eventFilter(watched, event);
  auto *wheel = static_cast<QWheelEvent *>(event);
  for (int axis = 0; axis < QwtPlot::axisCnt; ++axis) {
    if (watched != m_plot->axisWidget(axis))
      continue;
    const QPoint onCanvas =
        m_plot->canvas()->mapFrom(m_plot, m_plot->axisWidget(axis)->mapTo(m_plot, wheel->position().toPoint()));
    const double pixel = IsLevelAxis(axis) ? onCanvas.y() : onCanvas.x();
    const int notches = wheel->angleDelta().y() / 120;
    if (notches != 0)
      zoomAxis(axis, pixel, std::pow(kWheelStep, notches));
    return true;
  }
  return QObject::eventFilter(watched, event);
}
