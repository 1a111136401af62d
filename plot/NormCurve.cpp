#include "plot/NormCurve.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_symbol.h>

void ShowNormCurve(QwtPlotCurve *curve, QwtPlot *plot, const QVector<double> &freqs, double level)
{
  curve->setSamples(freqs, QVector<double>(freqs.size(), level));
  curve->attach(plot);
  curve->setSymbol(new QwtSymbol(QwtSymbol::Diamond, QBrush(Qt::yellow), QPen(Qt::DotLine), QSize(3, 3)));
  curve->setVisible(true);
}
