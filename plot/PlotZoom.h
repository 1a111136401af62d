#pragma once
// Zoom and pan on the trace plot: drag a rectangle with the left button to
// zoom into it, turn the mouse wheel over an axis to zoom that axis around
// the pointer, drag with the middle button to pan, click the right button to
// go back. Zooming only sets the plot's scales: the display settings of the
// record stay as they are, and going back asks the owner to apply them again
// (emitted as backRequested), which also brings autoscaling back.
#include <QObject>

class QRect;
class QwtPicker;
class QwtPlot;
class QwtPlotPanner;

class PlotZoom : public QObject {
  Q_OBJECT

public:
  explicit PlotZoom(QwtPlot *plot);

  // Shows the canvas rectangle `rect` (pixels) on every enabled axis; a
  // rectangle of a few pixels (a click) is ignored.
  void zoomTo(const QRect &rect);
  // Zooms one axis (and with a level axis the other one, which shows the
  // same levels shifted) by `factor` around `canvasPixel`; below 1 zooms in.
  void zoomAxis(int axis, double canvasPixel, double factor);

signals:
  void backRequested();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void setAxisPixels(int axis, double from, double to);

  QwtPlot *m_plot;
  QwtPicker *m_picker;
  QwtPlotPanner *m_panner;
};
