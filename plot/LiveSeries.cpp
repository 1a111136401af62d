#include "plot/LiveSeries.h"

#include <cmath>

size_t LiveSeries::size() const { return size_t(m_points.size()); }

QPointF LiveSeries::sample(size_t i) const { return m_points[int(i)]; }

QRectF LiveSeries::boundingRect() const { return d_boundingRect; }

void LiveSeries::setRow(const QVector<double> &x, const QVector<double> &y, int count, double offset)
{
  m_points.clear();
  m_rowValues = 0;
  m_lastRowValue = -1;
  d_boundingRect = QRectF(0.0, 0.0, -1.0, -1.0);
  const int n = qMin(count, qMin(x.size(), y.size()));
  m_points.reserve(n);
  for (int i = 0; i < n; ++i)
    append(x[i], y[i] - offset);
}

bool LiveSeries::holdsPrefix(const QVector<double> &x, const QVector<double> &y, int count,
                             double offset) const
{
  if (m_rowValues != count || count > x.size() || count > y.size())
    return false;
  if (m_lastRowValue < 0)
    return m_points.isEmpty();
  return m_points.last() == QPointF(x[m_lastRowValue], y[m_lastRowValue] - offset);
}

bool LiveSeries::append(double x, double y)
{
  const int rowIndex = m_rowValues++;
  if (!std::isfinite(x) || !std::isfinite(y))
    return false;
  const QPointF p(x, y);
  if (m_points.isEmpty()) {
    d_boundingRect = QRectF(p, QSizeF(0.0, 0.0));
  } else {
    d_boundingRect.setLeft(qMin(d_boundingRect.left(), x));
    d_boundingRect.setRight(qMax(d_boundingRect.right(), x));
    d_boundingRect.setTop(qMin(d_boundingRect.top(), y));
    d_boundingRect.setBottom(qMax(d_boundingRect.bottom(), y));
  }
  m_points.append(p);
  m_lastRowValue = rowIndex;
  return true;
}
