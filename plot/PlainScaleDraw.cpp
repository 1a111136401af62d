#include "plot/PlainScaleDraw.h"

#include <QLocale>
#include <qwt_plot.h>

QwtText PlainScaleDraw::label(double value) const { return QLocale::c().toString(value); }

void UsePlainLabels(QwtPlot *plot)
{
  for (int axis : {int(QwtPlot::xBottom), int(QwtPlot::yLeft), int(QwtPlot::yRight)})
    plot->setAxisScaleDraw(axis, new PlainScaleDraw);
}
