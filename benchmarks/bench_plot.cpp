// Cost of drawing one more measured point into the trace plot when it already
// holds 100, 1 000 or 10 000 points: the curve table's incremental drawing
// against a full replot of the whole trace for every point. The frequency axis
// spans the sweep and the level axis scales itself; each figure is the best of
// five rounds, as the machine's other load only ever adds time.
// Run offscreen: QT_QPA_PLATFORM=offscreen ./bench_plot
#include "plot/TraceCurveTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

namespace {

constexpr int kTimedPoints = 200;

// Microseconds per point for the points after `drawn` already shown.
double perPoint(bool incremental, int drawn) {
  QVector<double> x, y;
  for (int i = 0; i < drawn + kTimedPoints; ++i) {
    x.append(100.0 + i * 0.1);
    y.append(-10.0 - 3.0 * std::sin(i * 0.01));
  }
  QwtPlot plot;
  plot.setAxisScale(QwtPlot::xBottom, x.first(), x.last());
  plot.resize(661, 441);
  plot.setAutoReplot(true);
  plot.show();
  QApplication::processEvents();
  TraceCurveTable curves(&plot);
  const QVector<TraceRec> store{TraceRec{y}};
  QwtPlotCurve *curve = nullptr;
  if (incremental) {
    curves.showCurve(0, 0, 0);
    curves.setRow(0, 0, {&x, &store, 0, 0}, drawn);
  } else {
    (curve = new QwtPlotCurve)->attach(&plot);  // the plot deletes its items
  }
  QElapsedTimer timer;
  timer.start();
  for (int count = drawn + 1; count <= drawn + kTimedPoints; ++count) {
    if (incremental) {
      curves.growRow(0, 0, count);
    } else {
      curve->setRawSamples(x.constData(), y.constData(), count);
      plot.replot();
      plot.repaint();
    }
  }
  return timer.nsecsElapsed() * 1e-3 / kTimedPoints;
}

double best(bool incremental, int drawn) {
  double fastest = perPoint(incremental, drawn);
  for (int round = 1; round < 5; ++round)
    fastest = std::min(fastest, perPoint(incremental, drawn));
  return fastest;
}

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  std::printf("points drawn   incremental [us/point]   full replot [us/point]\n");
  for (int drawn : {100, 1000, 10000}) {
    std::printf("%12d   %22.1f   %22.1f\n", drawn, best(true, drawn), best(false, drawn));
    std::fflush(stdout);
  }
  return 0;
}
