#pragma once
// Axis labels with a decimal point and no group separator ("1000", never
// "1,000"), whatever the locale: a separator reads like a decimal comma to
// half the world.
#include <qwt_scale_draw.h>

class QwtPlot;

class PlainScaleDraw : public QwtScaleDraw {
public:
  QwtText label(double value) const override;
};

// Gives the plot's bottom, left and right axes plain labels.
void UsePlainLabels(QwtPlot *plot);
