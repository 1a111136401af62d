// Cost of drawing one more measured point into the trace plot when it
// already holds 100, 1 000 or 10 000 points: the incremental drawing of the
// curve table against a full replot of the whole trace for every point.
// As in a sweep, the frequency axis spans the sweep and the level axis
// scales itself. Each figure is the best of several rounds: the machine's
// other load only ever adds time.
// Run offscreen: QT_QPA_PLATFORM=offscreen ./bench_plot
#include "plot/TraceCurveTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

namespace {

constexpr int kTimedPoints = 200;
constexpr int kRounds = 5;

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

void preparePlot(QwtPlot &plot, const Row &row)
{
  plot.setAxisScale(QwtPlot::xBottom, row.x.first(), row.x.last());
  plot.resize(661, 441);
  plot.setAutoReplot(true);
  plot.show();
  QApplication::processEvents();
}

// Microseconds per point for the points after `drawn` already shown.
double incremental(int drawn)
{
  const Row row(drawn + kTimedPoints);
  QwtPlot plot;
  preparePlot(plot, row);
  TraceCurveTable curves(&plot);
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
  const Row row(drawn + kTimedPoints);
  QwtPlot plot;
  preparePlot(plot, row);
  auto *curve = new QwtPlotCurve;
  curve->attach(&plot);
  QElapsedTimer timer;
  timer.start();
  for (int count = drawn + 1; count <= drawn + kTimedPoints; ++count) {
    curve->setRawSamples(row.x.constData(), row.y.constData(), count);
    plot.replot();
    plot.repaint();
  }
  return timer.nsecsElapsed() * 1e-3 / kTimedPoints;
}

double best(double (*measure)(int), int drawn)
{
  double fastest = measure(drawn);
  for (int i = 1; i < kRounds; ++i)
    fastest = std::min(fastest, measure(drawn));
  return fastest;
}

}  // namespace

int main(int argc, char *argv[])
{
  QApplication app(argc, argv);
  QTextStream out(stdout);
  out << "points drawn   incremental [us/point]   full replot [us/point]\n";
  for (int drawn : {100, 1000, 10000}) {
    out << QString::asprintf("%12d   %22.1f   %22.1f\n", drawn, best(incremental, drawn), best(fullReplot, drawn));
    out.flush();
  }
  return 0;
}
