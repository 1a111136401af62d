#include "plot/TraceLegend.h"

#include "plot/TraceCurveTable.h"
#include "plot/TraceLabels.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <qwt_scale_map.h>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_symbol.h>

namespace {

// Beyond this many lines the legend would hide the traces it explains.
constexpr int kMaxLines = 12;
constexpr int kPad = 4;
constexpr int kSwatch = 7;

}  // namespace

TraceLegend::TraceLegend(const TraceCurveTable *table, const CfgStr *cfg) : m_table(table), m_cfg(cfg)
{
  setZ(100.0);
  setItemAttribute(AutoScale, false);
  setItemAttribute(Legend, false);
}

int TraceLegend::rtti() const { return Rtti_PlotUserItem + 1; }

QList<TraceLegend::Entry> TraceLegend::visibleEntries() const
{
  QList<Entry> entries;
  for (int slot = 0; slot < kMaxTraces; ++slot) {
    for (int level = 0; level < kMaxLevels; ++level) {
      const QwtPlotCurve *curve = m_table->curve(slot, level);
      if (!curve || !curve->isVisible())
        continue;
      const QColor colour = curve->symbol() ? curve->symbol()->brush().color() : curve->pen().color();
      entries.append({colour, CurveName(*m_cfg, slot, level)});
    }
  }
  if (entries.size() > kMaxLines) {
    const int more = entries.size() - (kMaxLines - 1);
    entries = entries.mid(0, kMaxLines - 1);
    entries.append({QColor(Qt::transparent), QStringLiteral("and %1 more").arg(more)});
  }
  return entries;
}

QStringList TraceLegend::entries() const { return TextsOf(visibleEntries()); }

// The corner of the canvas where the box covers the fewest trace points,
// the upper right one when all are alike.
QRectF TraceLegend::placeBox(const QSizeF &size, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                             const QRectF &canvas) const
{
  const qreal gap = 2 * kPad;
  const QList<QRectF> corners = {
      QRectF(QPointF(canvas.right() - size.width() - gap, canvas.top() + gap), size),
      QRectF(QPointF(canvas.left() + gap, canvas.top() + gap), size),
      QRectF(QPointF(canvas.right() - size.width() - gap, canvas.bottom() - size.height() - gap), size),
      QRectF(QPointF(canvas.left() + gap, canvas.bottom() - size.height() - gap), size),
  };
  QVector<int> covered(corners.size(), 0);
  for (int slot = 0; slot < kMaxTraces; ++slot) {
    for (int level = 0; level < kMaxLevels; ++level) {
      const QwtPlotCurve *curve = m_table->curve(slot, level);
      if (!curve || !curve->isVisible())
        continue;
      // A few hundred points per curve tell where it runs.
      const size_t step = qMax<size_t>(1, curve->dataSize() / 400);
      for (size_t i = 0; i < curve->dataSize(); i += step) {
        const QPointF p(xMap.transform(curve->sample(i).x()), yMap.transform(curve->sample(i).y()));
        for (int c = 0; c < corners.size(); ++c)
          covered[c] += corners[c].contains(p) ? 1 : 0;
      }
    }
  }
  return corners[int(std::min_element(covered.cbegin(), covered.cend()) - covered.cbegin())];
}

void TraceLegend::draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                       const QRectF &canvasRect) const
{
  const QList<Entry> entries = visibleEntries();
  if (entries.isEmpty())
    return;
  // The canvas font in screen pixels, like the rest of the plot: an export
  // scales the painter to its resolution, and points would be scaled twice.
  QFont font = plot()->canvas()->font();
  font.setPixelSize(QFontInfo(font).pixelSize());
  const QFontMetricsF metrics(font);
  qreal textWidth = 0;
  for (const Entry &entry : entries)
    textWidth = qMax(textWidth, metrics.horizontalAdvance(entry.text));
  const qreal lineHeight = metrics.height();
  const QSizeF size(3 * kPad + kSwatch + textWidth, 2 * kPad + entries.size() * lineHeight);
  const QRectF box = placeBox(size, xMap, yMap, canvasRect);
  painter->save();
  painter->setFont(font);
  painter->setPen(QPen(Qt::gray));
  painter->setBrush(QColor(255, 255, 255, 220));
  painter->drawRect(box);
  for (int i = 0; i < entries.size(); ++i) {
    const double y = box.top() + kPad + i * lineHeight;
    const QRectF swatch(box.left() + kPad, y + (lineHeight - kSwatch) / 2.0, kSwatch, kSwatch);
    QwtSymbol symbol(QwtSymbol::Diamond, QBrush(entries[i].colour), QPen(Qt::black), QSize(kSwatch, kSwatch));
    if (entries[i].colour.alpha() > 0)
      symbol.drawSymbol(painter, swatch);
    painter->setPen(Qt::black);
    painter->drawText(QRectF(swatch.right() + kPad, y, textWidth + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      entries[i].text);
  }
  painter->restore();
}
