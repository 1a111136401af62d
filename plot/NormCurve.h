#pragma once
// The curve that marks the normalization reference on the trace plot.
#include <QVector>

class QwtPlot;
class QwtPlotCurve;

// Shows the reference at `level` for every frequency of `freqs`.
void ShowNormCurve(QwtPlotCurve *curve, QwtPlot *plot, const QVector<double> &freqs, double level);
