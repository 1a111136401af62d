#include "storage/NormExport.h"

#include "storage/NumText.h"
#include "storage/SafeSave.h"
#include "storage/TraceText.h"

QByteArray NormExportText(const CfgStr &cfg)
{
  const double gen1 = cfg.Gen1.StartLevel;
  const double gen2 = cfg.Gen2.StartLevel;
  QString text;
  for (int i = 0; i < cfg.PointCount; ++i)
    text += PointLine(cfg, i, 6,
                      [gen1, gen2](double v) {
                        return QStringLiteral(" %1 %2").arg(FixedText(v - gen1, 3), FixedText(v - gen2, 3));
                      })
            + QLatin1Char('\n');
  return text.toLatin1();
}

int SaveNormFile(const CfgStr &cfg, const QString &path, QString *reason)
{
  if (!TracesComplete(cfg, reason))
    return -1;
  return SaveTextSafely(path, NormExportText(cfg), reason) ? 0 : -1;
}
