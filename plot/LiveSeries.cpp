#include "plot/LiveSeries.h"

#include <cmath>

size_t LiveSeries::size() const { return size_t(m_samples); }

QPointF LiveSeries::sample(size_t i) const
{
  QPointF p;
  point(m_gapless ? int(i) : m_index.value(int(i), -1), p);
  return p;
}

QRectF LiveSeries::boundingRect() const { return d_boundingRect; }

bool LiveSeries::point(int i, QPointF &p) const
{
  if (!m_row.x || !m_row.store || i < 0 || i >= m_row.x->size() || m_row.record < 0 ||
      m_row.record >= m_row.store->size())
    return false;
  const TraceRec &record = m_row.store->at(m_row.record);
  if (m_row.level < 0 || m_row.level >= record.size() || i >= record.at(m_row.level).size())
    return false;
  const double x = m_row.x->at(i);
  const double y = record.at(m_row.level).at(i) - m_offset;
  if (!std::isfinite(x) || !std::isfinite(y))
    return false;
  p = QPointF(x, y);
  return true;
}

void LiveSeries::setRow(const TraceRow &row, int count, double offset)
{
  m_row = row;
  m_offset = offset;
  m_taken = 0;
  m_samples = 0;
  m_index.clear();
  m_gapless = true;
  d_boundingRect = QRectF(0.0, 0.0, -1.0, -1.0);
  grow(count);
}

int LiveSeries::grow(int count)
{
  const int first = m_samples;
  for (; m_taken < count; ++m_taken) {
    QPointF p;
    if (!point(m_taken, p))
      continue;
    // A gap at the end (a stopped run) needs no index; one within does.
    if (m_gapless && m_taken != m_samples) {
      m_gapless = false;
      m_index.reserve(m_samples + 1);
      for (int i = 0; i < m_samples; ++i)
        m_index.append(i);
    }
    if (!m_gapless)
      m_index.append(m_taken);
    if (m_samples == 0) {
      d_boundingRect = QRectF(p, QSizeF(0.0, 0.0));
    } else {
      d_boundingRect.setLeft(qMin(d_boundingRect.left(), p.x()));
      d_boundingRect.setRight(qMax(d_boundingRect.right(), p.x()));
      d_boundingRect.setTop(qMin(d_boundingRect.top(), p.y()));
      d_boundingRect.setBottom(qMax(d_boundingRect.bottom(), p.y()));
    }
    ++m_samples;
  }
  return first;
}
