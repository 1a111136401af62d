#pragma once
// The read-out that follows the mouse pointer over the plot: the nearest
// measured point of the nearest visible trace, with its frequency and level.
#include <qwt_picker.h>

class QwtPlot;
class TraceCurveTable;
struct CfgStr;

class PlotTracker : public QwtPicker {
public:
  PlotTracker(QwtPlot *plot, const TraceCurveTable *table, const CfgStr *cfg);

  // The read-out for the pointer at `canvasPos`; empty when no trace is shown.
  QString readout(const QPoint &canvasPos) const;

protected:
  QwtText trackerText(const QPoint &pos) const override;

private:
  const QwtPlot *m_plot;
  const TraceCurveTable *m_table;
  const CfgStr *m_cfg;
};
