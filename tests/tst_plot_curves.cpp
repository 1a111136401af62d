// The curve table of the trace plot: growing curves, their bounds and
// colours, unmeasured points, and that a growing trace is painted without
// replotting the whole plot.
#include "plot/LiveSeries.h"
#include "plot/TraceCurveTable.h"
#include "sweep/CfgStr.h"

#include <QtTest>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>

namespace {

class CountingPlot : public QwtPlot {
public:
  int replots = 0;
  void replot() override
  {
    ++replots;
    QwtPlot::replot();
  }
};

QVector<QPointF> Points(const QwtPlotCurve *curve)
{
  QVector<QPointF> points;
  for (size_t i = 0; i < curve->dataSize(); ++i)
    points << curve->sample(i);
  return points;
}

}  // namespace

class TestPlotCurves : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();
  void seriesBoundsAndGaps();
  void growingPaintsOnlyTheNewSegment();
  void autoscaledAxisGrowsByReplot();
  void changedRowIsRedrawnWhole();

private:
  CountingPlot *plot = nullptr;
  TraceCurveTable *curves = nullptr;
  const QVector<double> x{100.0, 110.0, 120.0, 130.0};
};

void TestPlotCurves::init()
{
  plot = new CountingPlot;
  plot->setAutoReplot(true);
  plot->setAxisScale(QwtPlot::xBottom, 100.0, 130.0);
  plot->setAxisScale(QwtPlot::yLeft, -50.0, 0.0);
  plot->resize(400, 300);
  plot->show();
  QVERIFY(QTest::qWaitForWindowExposed(plot));
  plot->canvas()->repaint();
  curves = new TraceCurveTable(plot);
}

void TestPlotCurves::cleanup() { delete plot; }  // takes the table and the curves with it

void TestPlotCurves::seriesBoundsAndGaps()
{
  LiveSeries series;
  QVERIFY(series.boundingRect().width() < 0.0);  // empty: nothing for the autoscaler
  series.setRow(x, {-10.0, kUnmeasured, -12.0, kUnmeasured}, 4, 0.0);
  QCOMPARE(int(series.size()), 2);
  QCOMPARE(series.sample(1), QPointF(120.0, -12.0));
  QCOMPARE(series.rowValues(), 4);
  QCOMPARE(series.boundingRect(), QRectF(QPointF(100.0, -12.0), QPointF(120.0, -10.0)));
  series.append(140.0, -30.0);
  QCOMPARE(series.boundingRect(), QRectF(QPointF(100.0, -30.0), QPointF(140.0, -10.0)));
  // A row is taken with the display offset subtracted.
  series.setRow(x, {-16.0, -16.0}, 2, -10.0);
  QCOMPARE(series.sample(0), QPointF(100.0, -6.0));
  QVERIFY(series.holdsPrefix(x, {-16.0, -16.0, -1.0}, 2, -10.0));
  QVERIFY(!series.holdsPrefix(x, {-16.0, -17.0, -1.0}, 2, -10.0));
  QVERIFY(!series.holdsPrefix(x, {-16.0, -16.0, -1.0}, 1, -10.0));
}


void TestPlotCurves::growingPaintsOnlyTheNewSegment()
{
  const QVector<double> row{-10.0, -30.0, -12.0, -40.0};
  curves->showCurve(0, 0, 0);
  curves->showCurve(1, 0, 1);
  QCoreApplication::processEvents();  // the canvas repaints its backing store
  const QImage before = qobject_cast<QwtPlotCanvas *>(plot->canvas())->backingStore()->toImage();
  const int replots = plot->replots;
  for (int count = 1; count <= 4; ++count)
    curves->growRow(0, 0, x, row, count);
  QCOMPARE(plot->replots, replots);
  QVERIFY(qobject_cast<QwtPlotCanvas *>(plot->canvas())->backingStore()->toImage() != before);
  curves->setRow(1, 0, x, row, 4);
  QCOMPARE(Points(curves->curve(0, 0)), Points(curves->curve(1, 0)));
  // Outside a fixed scale the point is clipped, not a reason to replot.
  const int afterRow = plot->replots;
  curves->growRow(0, 0, x + QVector<double>{500.0}, row + QVector<double>{-90.0}, 5);
  QCOMPARE(plot->replots, afterRow);
}

void TestPlotCurves::autoscaledAxisGrowsByReplot()
{
  plot->setAxisAutoScale(QwtPlot::yLeft, true);
  curves->showCurve(0, 0, 0);
  curves->growRow(0, 0, x, {-20.0}, 1);
  plot->replot();
  const double upper = plot->axisScaleDiv(QwtPlot::yLeft).upperBound();
  const int before = plot->replots;
  curves->growRow(0, 0, x, {-20.0, upper + 50.0}, 2);
  QCOMPARE(plot->replots, before + 1);
  QVERIFY(plot->axisScaleDiv(QwtPlot::yLeft).upperBound() >= upper + 50.0);
}

void TestPlotCurves::changedRowIsRedrawnWhole()
{
  curves->showCurve(0, 0, 0);
  curves->setRow(0, 0, x, {-10.0, -11.0, -12.0, -13.0}, 4);
  // A new pass over the same curve starts again at its first point.
  curves->growRow(0, 0, x, {-30.0}, 1);
  QCOMPARE(Points(curves->curve(0, 0)), QVector<QPointF>({QPointF(100.0, -30.0)}));
  // A row shorter than asked for is read only as far as it goes.
  curves->setRow(0, 0, x, {-1.0, -2.0}, 4);
  QCOMPARE(int(curves->curve(0, 0)->dataSize()), 2);
  QVERIFY(!curves->showCurve(kMaxTraces, 0, 0));  // beyond the table
  // A curve whose data was replaced elsewhere is taken over again.
  curves->curve(0, 0)->setSamples(QVector<QPointF>({QPointF(1.0, 1.0)}));
  curves->growRow(0, 0, x, {-5.0, -6.0}, 2);
  QCOMPARE(Points(curves->curve(0, 0)), QVector<QPointF>({QPointF(100.0, -5.0), QPointF(110.0, -6.0)}));
}


QTEST_MAIN(TestPlotCurves)
#include "tst_plot_curves.moc"
