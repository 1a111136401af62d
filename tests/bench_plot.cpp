// Cost of drawing one more measured point into the trace plot when it
// already holds 100, 1 000 or 10 000 points: the incremental drawing of the
// curve table against a full replot of the whole trace for every point.
// Run offscreen: QT_QPA_PLATFORM=offscreen ./bench_plot
#include "plot/TraceCurveTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <cmath>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

namespace {

constexpr int kTimedPoints = 200;

struct Row {
  QVector<double> x, y;
  explicit Row(int n)
  {
    for (int i = 0; i < n; ++i) {
      x.append(100.0 + i * 0.1);
      y.append(-10.0 - 3.0 * std::sin(i * 0.01));
    }
  }
};

void preparePlot(QwtPlot &plot)
{
  plot.resize(661, 441);
  plot.setAutoReplot(true);
  plot.show();
  QApplication::processEvents();
}

// Microseconds per point for the points after `drawn` already shown.
double incremental(int drawn)
{
  QwtPlot plot;
  preparePlot(plot);
  TraceCurveTable curves(&plot);
  const Row row(drawn + kTimedPoints);
  curves.showCurve(0, 0, 0);
  curves.setRow(0, 0, row.x, row.y, drawn);
  QElapsedTimer timer;
  timer.start();
  for (int count = drawn + 1; count <= drawn + kTimedPoints; ++count)
    curves.growRow(0, 0, row.x, row.y, count);
  return timer.nsecsElapsed() * 1e-3 / kTimedPoints;
}

double fullReplot(int drawn)
{
  QwtPlot plot;
  preparePlot(plot);
  auto *curve = new QwtPlotCurve;
  curve->attach(&plot);
  const Row row(drawn + kTimedPoints);
  QElapsedTimer timer;
  timer.start();
  for (int count = drawn + 1; count <= drawn + kTimedPoints; ++count) {
    curve->setRawSamples(row.x.constData(), row.y.constData(), count);
    plot.replot();
    plot.repaint();
  }
  return timer.nsecsElapsed() * 1e-3 / kTimedPoints;
}

}  // namespace

int main(int argc, char *argv[])
{
  QApplication app(argc, argv);
  QTextStream out(stdout);
  out << "points drawn   incremental [us/point]   full replot [us/point]\n";
  for (int drawn : {100, 1000, 10000}) {
    out << QString::asprintf("%12d   %22.1f   %22.1f\n", drawn, incremental(drawn), fullReplot(drawn));
    out.flush();
  }
  return 0;
}
