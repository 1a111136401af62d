#pragma once
// The points of one trace curve, growing one measurement at a time. Its
// bounding rectangle is kept as points arrive, so that asking for it (the
// plot does on every autoscaled replot and every incremental draw) costs
// nothing however long the trace is. Values that are not finite (points
// not measured) are left out of the curve.
#include <QRectF>
#include <QVector>
#include <qwt_series_data.h>

class LiveSeries : public QwtSeriesData<QPointF> {
public:
  size_t size() const override;
  QPointF sample(size_t i) const override;
  QRectF boundingRect() const override;

  // The curve shows values 0 .. count-1 of a row, each minus offset.
  void setRow(const QVector<double> &x, const QVector<double> &y, int count, double offset);
  // True when the curve shows exactly values 0 .. count-1 of this row, so
  // that value `count` can be appended.
  bool holdsPrefix(const QVector<double> &x, const QVector<double> &y, int count, double offset) const;
  // Takes the next value of the row; false when it was left out.
  bool append(double x, double y);
  // How many values of the row the curve has taken (shown or left out).
  int rowValues() const { return m_rowValues; }

private:
  QVector<QPointF> m_points;
  int m_rowValues = 0;
  int m_lastRowValue = -1;  // row index of the last point shown
};
