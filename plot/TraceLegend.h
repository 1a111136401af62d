#pragma once
// The legend in the corner of the plot: one line per visible curve with the
// trace's colour and number and, in a level sweep, the generator level of
// the level step. It is drawn with the plot, so exports and prints hold it.
#include <QStringList>
#include <qwt_plot_item.h>

class TraceCurveTable;
struct CfgStr;

class TraceLegend : public QwtPlotItem {
public:
  TraceLegend(const TraceCurveTable *table, const CfgStr *cfg);

  // The lines as they are drawn, in slot and level-step order.
  QStringList entries() const;

  int rtti() const override;
  void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
            const QRectF &canvasRect) const override;

private:
  struct Entry {
    QColor colour;
    QString text;
  };
  QList<Entry> visibleEntries() const;
  QRectF placeBox(const QSizeF &size, const QwtScaleMap &xMap, const QwtScaleMap &yMap, const QRectF &canvas) const;

  const TraceCurveTable *m_table;
  const CfgStr *m_cfg;
};
