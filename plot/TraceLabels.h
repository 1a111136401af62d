#pragma once
// The words and numbers the plot's read-outs, markers and legend show.
#include "sweep/CfgStr.h"

#include <QString>
#include <QStringList>

class QwtPlot;
struct TracePoint;

// "Trace 2" for slot 1: traces are counted from 1 in colour order.
QString TraceName(int slot);
// The generator level of a level step, "-10.0 dBm"; empty when the sweep
// has a single level step.
QString StepLevelText(const CfgStr &cfg, int level);
// "Trace 2" or, in a level sweep, "Trace 2, -10.0 dBm".
QString CurveName(const CfgStr &cfg, int slot, int level);
// The unit an axis title names: "dBm" for "Level / dBm" or "Level [dBm]".
QString AxisUnit(const QString &title);
// "512.300 MHz"
QString FreqText(double mhz);
// "-12.34 dBm", in the unit of the curve's level axis.
QString LevelText(const QwtPlot &plot, int axis, double level);

// The read-out of a point: the curve's name, its frequency, its level and,
// when the plot shows a relative scale on the right (a normalized display),
// the relative level there, one per line.
QString ReadoutText(const CfgStr &cfg, const QwtPlot &plot, const TracePoint &point);

// The texts of drawn items (legend lines, marker labels), in drawing order.
template <class Item>
QStringList TextsOf(const QList<Item> &items)
{
  QStringList texts;
  for (const Item &item : items)
    texts << item.text;
  return texts;
}
