#include "plot/PlotTracker.h"

#include "plot/TraceLabels.h"
#include "plot/TracePick.h"

#include <QBrush>
#include <QColor>
#include <qwt_picker_machine.h>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_text.h>

PlotTracker::PlotTracker(QwtPlot *plot, const TraceCurveTable *table, const CfgStr *cfg)
    : QwtPicker(plot->canvas()), m_plot(plot), m_table(table), m_cfg(cfg)
{
  setStateMachine(new QwtPickerTrackerMachine);
  setRubberBand(NoRubberBand);
  setTrackerMode(AlwaysOn);
}

QString PlotTracker::readout(const QPoint &canvasPos) const
{
  return ReadoutText(*m_cfg, *m_plot, NearestTracePoint(*m_table, *m_plot, canvasPos));
}

QwtText PlotTracker::trackerText(const QPoint &pos) const
{
  QwtText text(readout(pos));
  text.setRenderFlags(Qt::AlignLeft);
  text.setBackgroundBrush(QBrush(QColor(255, 255, 225, 230)));
  return text;
}
