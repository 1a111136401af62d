#pragma once
// The curve that marks the normalization reference on the trace plot.
#include <QVector>

class QwtPlot;
class QwtPlotCurve;

// A new reference curve: empty title, small yellow diamonds, not attached.
QwtPlotCurve *NewNormCurve();
// Shows the reference at `level` for every frequency of `freqs`.
void ShowNormCurve(QwtPlotCurve *curve, QwtPlot *plot, const QVector<double> &freqs, double level);
