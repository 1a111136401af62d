#pragma once
// The points of one trace curve, read from the trace store and the plan
// rather than copied: sample i is (x, value - offset) of the i-th finite
// value among the first `count` values of a row. The count grows as a run
// reports points; the bounding rectangle is kept as values are taken, so
// that asking for it (the plot does on every autoscaled replot and every
// incremental draw) costs nothing however long the trace is. Values that
// are not finite (points not measured) are left out of the curve.
#include "sweep/CfgStr.h"

#include <QRectF>
#include <QVector>
#include <qwt_series_data.h>

// Where a curve finds its values: level step `level` of record `record` of
// a trace store, against the frequencies x. The store and x are looked up
// at every use, so records may come and go without leaving the curve
// pointing into freed memory.
struct TraceRow {
  const QVector<double> *x = nullptr;
  const QVector<TraceRec> *store = nullptr;
  int record = 0;
  int level = 0;
};

class LiveSeries : public QwtSeriesData<QPointF> {
public:
  size_t size() const override;
  QPointF sample(size_t i) const override;
  QRectF boundingRect() const override;

  // The curve shows values 0 .. count-1 of the row, each minus offset.
  void setRow(const TraceRow &row, int count, double offset);
  // Takes values up to count-1 of the same row (count not below rowValues()).
  // Returns the index of the first sample added; size() when none was.
  int grow(int count);
  // How many values of the row the curve has taken (shown or left out).
  int rowValues() const { return m_taken; }
  const TraceRow &row() const { return m_row; }
  double offset() const { return m_offset; }

private:
  // Value i of the row as a point; false when it is missing or not finite.
  bool point(int i, QPointF &p) const;

  TraceRow m_row;
  double m_offset = 0.0;
  int m_taken = 0;
  int m_samples = 0;
  // Row index of every sample, kept only once a value was left out before a
  // shown one; until then sample i is value i.
  QVector<int> m_index;
  bool m_gapless = true;
};
