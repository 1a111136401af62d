#include "plot/TraceLabels.h"

#include "plot/TracePick.h"

#include <qwt_plot.h>
#include <qwt_scale_map.h>

QString TraceName(int slot) { return QStringLiteral("Trace %1").arg(slot + 1); }

QString StepLevelText(const CfgStr &cfg, int level)
{
  if (cfg.LevelCount < 2)
    return QString();
  return QString::number(cfg.Gen1.StartLevel + level * cfg.Gen1.StepLevel, 'f', 1) + QStringLiteral(" dBm");
}

QString CurveName(const CfgStr &cfg, int slot, int level)
{
  const QString step = StepLevelText(cfg, level);
  return step.isEmpty() ? TraceName(slot) : TraceName(slot) + QStringLiteral(", ") + step;
}

QString AxisUnit(const QString &title)
{
  const int open = title.lastIndexOf(QLatin1Char('['));
  const int close = title.lastIndexOf(QLatin1Char(']'));
  if (open >= 0 && close > open)
    return title.mid(open + 1, close - open - 1).trimmed();
  const int slash = title.lastIndexOf(QLatin1Char('/'));
  return title.mid(slash + 1).trimmed();
}

QString FreqText(double mhz) { return QString::number(mhz, 'f', 3) + QStringLiteral(" MHz"); }

QString LevelText(const QwtPlot &plot, int axis, double level)
{
  return QString::number(level, 'f', 2) + QLatin1Char(' ') + AxisUnit(plot.axisTitle(axis).text());
}

QString ReadoutText(const CfgStr &cfg, const QwtPlot &plot, const TracePoint &point)
{
  if (!point.valid())
    return QString();
  const int yAxis = QwtPlot::yLeft;
  QString text = CurveName(cfg, point.slot, point.level) + QLatin1Char('\n') + FreqText(point.value.x())
                 + QLatin1Char('\n') + LevelText(plot, yAxis, point.value.y());
  if (plot.axisEnabled(QwtPlot::yRight) && plot.axisEnabled(yAxis)) {
    // The right scale is the left one shifted; read it at the same height.
    const double pixel = plot.canvasMap(yAxis).transform(point.value.y());
    const double relative = plot.canvasMap(QwtPlot::yRight).invTransform(pixel);
    text += QStringLiteral("\n") + LevelText(plot, QwtPlot::yRight, relative) + QStringLiteral(" rel.");
  }
  return text;
}
