#include "storage/NormExport.h"

#include "storage/NumText.h"
#include "storage/SafeSave.h"
#include "storage/TraceText.h"

int SaveNormFile(const CfgStr &cfg, const QString &path, QString *reason, FileJob *job)
{
  if (!TracesComplete(cfg, reason))
    return -1;
  const double gen1 = cfg.Gen1.StartLevel;
  const double gen2 = cfg.Gen2.StartLevel;
  const auto pointLine = [&cfg, gen1, gen2](int point, std::string &line) {
    AppendFixed(line, cfg.AnaFreqs[point], 6);
    for (const TraceRec &record : cfg.Traces)
      for (const QVector<double> &row : record) {
        line += ' ';
        AppendFixed(line, row[point] - gen1, 3);
        line += ' ';
        AppendFixed(line, row[point] - gen2, 3);
      }
    line += '\n';
  };
  return SaveLinesSafely(path, cfg.PointCount, pointLine, reason, job);
}
