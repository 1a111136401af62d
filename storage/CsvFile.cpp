#include "storage/CsvFile.h"

#include "instruments/DevTables.h"
#include "storage/NumText.h"
#include "storage/SafeSave.h"
#include "storage/TraceText.h"

#include <QStringList>

#include <cmath>

namespace {

constexpr const char *kUnknown = "---";

QString MHz(double value) { return FixedText(value, 6) + QStringLiteral(" MHz"); }

// Instrument answers may hold anything; a comment stays one line and keeps
// no quote that a reader could take for the start of a field.
QString CommentText(const QString &text)
{
  QString clean = text.trimmed();
  for (QChar &c : clean) {
    if (c.unicode() < 0x20 || c == QLatin1Char('\x7f'))
      c = QLatin1Char(' ');
    else if (c == QLatin1Char('"'))
      c = QLatin1Char('\'');
  }
  return clean.isEmpty() ? QString::fromLatin1(kUnknown) : clean;
}

QString Instrument(const char *role, const DevStr &dev)
{
  const QString model = dev.Type >= 0 && dev.Type < kDevTypeCount ? QString::fromLatin1(DevTypeTable[dev.Type])
                                                                   : QString::fromLatin1(kUnknown);
  return QStringLiteral("# %1: %2; ID: %3").arg(QLatin1String(role), model, CommentText(dev.Idn));
}

QString RfSweep(const CfgStr &cfg)
{
  QString line = QStringLiteral("# RF sweep: %1 to %2, ").arg(MHz(cfg.Gen1.StartFreq), MHz(cfg.Gen1.StopFreq));
  line += cfg.LogSweep ? QStringLiteral("logarithmic") : QStringLiteral("linear, step %1").arg(MHz(cfg.StepFreq));
  return line + QStringLiteral(", %1 points").arg(cfg.PointCount);
}

QString RfLevel(const CfgStr &cfg)
{
  if (cfg.LevelCount <= 1)
    return QStringLiteral("# RF level: %1 dBm, 1 level step").arg(FixedText(cfg.Gen1.StartLevel, 3));
  return QStringLiteral("# RF level: %1 to %2 dBm in %3 dB steps, %4 level steps")
      .arg(FixedText(cfg.Gen1.StartLevel, 3), FixedText(cfg.Gen1.StopLevel, 3), FixedText(cfg.Gen1.StepLevel, 3))
      .arg(cfg.LevelCount);
}

QString LoSweep(const CfgStr &cfg)
{
  const QString mode = cfg.FixedLo ? QStringLiteral("fixed LO")
                                   : cfg.FixedIf ? QStringLiteral("fixed IF") : QStringLiteral("swept LO");
  return QStringLiteral("# LO: %1 to %2, %3, %4 sideband")
      .arg(MHz(cfg.Gen2.StartFreq), MHz(cfg.Gen2.StopFreq), mode,
           cfg.UpperSideband ? QStringLiteral("upper") : QStringLiteral("lower"));
}

QStringList HeaderLines(const CfgStr &cfg, const QDateTime &when)
{
  QStringList lines;
  lines << QStringLiteral("# Solvane64 v5.3.0 trace data")
        << QStringLiteral("# Measured: ") + (when.isValid() ? when.toString(Qt::ISODate) : QString::fromLatin1(kUnknown))
        << Instrument("Generator1 (RF)", cfg.Gen1) << Instrument("Generator2 (LO)", cfg.Gen2)
        << Instrument("Analyzer (IF)", cfg.Ana) << RfSweep(cfg) << RfLevel(cfg);
  if (cfg.Gen2.Type != 0)
    lines << LoSweep(cfg);
  lines << QStringLiteral("# Ratio N/D: %1/%2; dwell: %3 s; external attenuation: %4 dB")
               .arg(FixedText(cfg.Numerator, 3), FixedText(cfg.Denominator, 3), FixedText(cfg.Dwell, 3),
                    FixedText(cfg.ExternalAttenuation, 3))
        << QStringLiteral("# Levels in dBm (dB against the reference when normalized); empty cells were not measured");
  return lines;
}

QString ColumnRow(const CfgStr &cfg)
{
  QString row = QStringLiteral("Frequency [MHz]");
  for (int t = 0; t < cfg.TraceCount; ++t)
    for (int l = 0; l < cfg.LevelCount; ++l)
      row += QStringLiteral(",Trace %1 Step %2").arg(t + 1).arg(l + 1);
  return row;
}

}  // namespace

QByteArray CsvFileText(const CfgStr &cfg, const QDateTime &when)
{
  QString text = HeaderLines(cfg, when).join(QLatin1Char('\n')) + QLatin1Char('\n') + ColumnRow(cfg)
                 + QLatin1Char('\n');
  for (int i = 0; i < cfg.PointCount; ++i)
    text += PointLine(cfg, i, 6,
                      [](double v) { return std::isnan(v) ? QStringLiteral(",") : QLatin1Char(',') + FixedText(v, 3); })
            + QLatin1Char('\n');
  return text.toUtf8();
}

int SaveCsvFile(const CfgStr &cfg, const QString &path, const QDateTime &when, QString *reason)
{
  if (!TracesComplete(cfg, reason))
    return -1;
  return SaveTextSafely(path, CsvFileText(cfg, when), reason) ? 0 : -1;
}
