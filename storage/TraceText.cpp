#include "storage/TraceText.h"

#include "storage/NumText.h"
#include "sweep/TraceStore.h"

bool TracesComplete(const CfgStr &cfg, QString *reason)
{
  auto refuse = [reason](const QString &why) {
    if (reason)
      *reason = why;
    return false;
  };
  if (cfg.TraceCount < 1 || cfg.Traces.isEmpty())
    return refuse(QStringLiteral("No trace has been measured or loaded yet."));
  if (cfg.LevelCount < 1 || cfg.PointCount < 1)
    return refuse(QStringLiteral("The sweep has no points."));
  if (cfg.Traces.size() != cfg.TraceCount || cfg.AnaFreqs.size() < cfg.PointCount)
    return refuse(QStringLiteral("The trace store does not match its counts."));
  for (const TraceRec &record : cfg.Traces) {
    if (record.size() != cfg.LevelCount)
      return refuse(QStringLiteral("A trace has a different number of level steps than the sweep."));
    for (const QVector<double> &row : record)
      if (row.size() != cfg.PointCount)
        return refuse(QStringLiteral("A trace has a different number of points than the sweep."));
  }
  // The files hold the plan's frequencies: after a change of the sweep they
  // would label the levels with frequencies they were not measured at.
  if (!cfg.SeriesAnaFreqs.isEmpty() && !TrcMatchesPlan(cfg))
    return refuse(QStringLiteral("The sweep frequencies have changed since these traces were measured. "
                                 "Set the sweep back to save them, or press Start to begin a new series."));
  return true;
}

QString PointLine(const CfgStr &cfg, int point, int freqDecimals,
                  const std::function<QString(double)> &valueText)
{
  QString line = FixedText(cfg.AnaFreqs[point], freqDecimals);
  for (const TraceRec &record : cfg.Traces)
    for (const QVector<double> &row : record)
      line += valueText(row[point]);
  return line;
}
