#pragma once
// Markers on the trace plot: the peak and the minimum of a chosen trace, and
// a delta marker between two measured points, each with a small label that
// gives its frequency and level (the delta marker the differences). A click
// on a trace chooses it for peak and minimum; Shift+click places the delta
// marker's points, the first as reference. Markers are found again each time
// the plot is drawn, so they follow a trace while it grows; while any marker
// is shown a growing curve is redrawn a few times a second.
#include "plot/TracePick.h"

#include <QObject>
#include <QStringList>
#include <qwt_plot_item.h>

class QTimer;
class QwtPlot;
class TraceCurveTable;

class PlotMarkers : public QObject, public QwtPlotItem {
  Q_OBJECT

public:
  PlotMarkers(QwtPlot *plot, const TraceCurveTable *table);

  void setPeakShown(bool shown);
  void setMinShown(bool shown);
  // The trace and level step of peak and minimum; by default the newest
  // visible trace.
  void chooseTrace(int slot, int level);
  // The next point of the delta marker: the first of a pair is the
  // reference, a third point starts a new pair.
  void addDeltaPoint(const TracePoint &point);
  void clearDelta();
  // The same for the trace or point nearest to a canvas position (a click).
  void chooseTraceAt(const QPoint &canvasPos);
  void addDeltaPointAt(const QPoint &canvasPos);

  TracePoint peak() const;
  TracePoint minimum() const;
  // The labels as they are drawn: "Peak ...", "Min ...", "Delta ...".
  QStringList labels() const;

  int rtti() const override;
  void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
            const QRectF &canvasRect) const override;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  struct Mark {
    TracePoint point;
    QString text;
  };
  QList<Mark> marks() const;
  TracePoint extreme(bool highest) const;
  void followGrowth();
  void updateTimer();

  QwtPlot *m_plot;
  const TraceCurveTable *m_table;
  QTimer *m_growth;
  bool m_peak = false;
  bool m_min = false;
  int m_slot = -1;
  int m_level = 0;
  QList<TracePoint> m_delta;
  QPoint m_pressAt;
  qint64 m_drawnPoints = 0;
};
