#include "storage/DataFile.h"

#include "storage/CorrFile.h"
#include "storage/NumText.h"
#include "storage/SafeSave.h"
#include "storage/TraceText.h"
#include "sweep/SwpLimits.h"
#include "sweep/TraceColours.h"
#include "sweep/TraceStore.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cmath>

namespace {

const char *const kCountLabels[3] = {"Repetition  Count:", "Level Sweep Count:", "Measurement Count:"};

// The longest line a valid file can hold is 401 numbers of a few dozen
// characters; anything far longer is not a data file.
constexpr qint64 kMaxLineBytes = 64 * 1024;

struct DatContent {
  int traces = 0;
  int levels = 0;
  int points = 0;
  QVector<double> freqs;
  QVector<double> values;  // point by point, in file order
};

class DatReader {
public:
  explicit DatReader(QFile &file) : file(file) {}

  bool read(DatContent &content);
  QString reason;

private:
  bool fail(const QString &why)
  {
    reason = why;
    return false;
  }
  bool nextLine(QByteArray &line);
  bool readCount(int index, int limit, int &count);
  bool readPoint(const DatContent &content, int point, double &freq, QVector<double> &values);

  QFile &file;
  int lineNo = 0;
};

bool DatReader::nextLine(QByteArray &line)
{
  ++lineNo;
  if (file.atEnd())
    return false;
  line = file.readLine(kMaxLineBytes);
  if (!line.endsWith('\n') && !file.atEnd())
    return fail(QStringLiteral("Line %1 is longer than %2 characters; this is no data file.")
                    .arg(lineNo).arg(kMaxLineBytes));
  while (line.endsWith('\n') || line.endsWith('\r'))
    line.chop(1);
  for (char c : line)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
      return fail(QStringLiteral("Line %1 holds binary data; this is no data file.").arg(lineNo));
  return true;
}

bool DatReader::readCount(int index, int limit, int &count)
{
  const QByteArray label(kCountLabels[index]);
  QByteArray line;
  if (!nextLine(line))
    return reason.isEmpty() ? fail(QStringLiteral("The file ends before its count lines.")) : false;
  const int at = line.indexOf(label);
  bool ok = false;
  if (at >= 0)
    count = line.mid(at + label.size()).trimmed().toInt(&ok);
  if (!ok)
    return fail(QStringLiteral("Line %1 should read \"%2 <number>\".").arg(lineNo).arg(QString::fromLatin1(label)));
  if (count < 1 || count > limit)
    return fail(QStringLiteral("Line %1 announces %2 (\"%3\"); a file may hold 1 to %4.")
                    .arg(lineNo).arg(count).arg(QString::fromLatin1(label)).arg(limit));
  return true;
}

bool ParseValue(const QByteArray &token, bool unmeasuredAllowed, double &value)
{
  const QByteArray lower = token.toLower();
  if (unmeasuredAllowed && (lower == "nan" || lower == "-nan")) {
    value = kUnmeasured;
    return true;
  }
  bool ok = false;
  value = token.toDouble(&ok);
  return ok && std::isfinite(value);
}

bool DatReader::readPoint(const DatContent &content, int point, double &freq, QVector<double> &values)
{
  QByteArray line;
  if (!nextLine(line))
    return reason.isEmpty()
               ? fail(QStringLiteral("The file ends after %1 of its %2 points.").arg(point).arg(content.points))
               : false;
  const QByteArray numbers = line.simplified();
  const QList<QByteArray> tokens = numbers.isEmpty() ? QList<QByteArray>() : numbers.split(' ');
  const int expected = 1 + content.traces * content.levels;
  if (tokens.size() != expected)
    return fail(QStringLiteral("Line %1 holds %2 numbers; the counts announce %3.")
                    .arg(lineNo).arg(tokens.size()).arg(expected));
  for (int k = 0; k < tokens.size(); ++k) {
    double value = 0.0;
    if (!ParseValue(tokens[k], k > 0, value))
      return fail(QStringLiteral("Line %1: \"%2\" is no %3.")
                      .arg(lineNo)
                      .arg(QString::fromLatin1(tokens[k].left(40)))
                      .arg(k == 0 ? QStringLiteral("frequency") : QStringLiteral("level")));
    if (k == 0)
      freq = value;
    else
      values.append(value);
  }
  return true;
}

bool DatReader::read(DatContent &content)
{
  if (!readCount(0, kMaxTraces, content.traces) || !readCount(1, kMaxLevels, content.levels)
      || !readCount(2, kMaxPoints, content.points))
    return false;
  // Every point line holds at least one character and a separator per number,
  // so a file too short for its counts is refused before anything is allocated.
  const qint64 numbers = 1 + qint64(content.traces) * content.levels;
  if (file.size() - file.pos() < content.points * (2 * numbers - 1))
    return fail(QStringLiteral("The file is too short for its %1 announced points.").arg(content.points));
  content.freqs.reserve(content.points);
  content.values.reserve(content.points * (numbers - 1));
  for (int i = 0; i < content.points; ++i) {
    double freq = 0.0;
    if (!readPoint(content, i, freq, content.values))
      return false;
    content.freqs.append(freq);
  }
  return true;
}

void Apply(const DatContent &content, CfgStr &cfg)
{
  cfg.TraceCount = content.traces;
  cfg.LevelCount = content.levels;
  cfg.PointCount = content.points;
  cfg.AnaFreqs = content.freqs;
  cfg.Gen1Freqs = content.freqs;
  cfg.Gen2Freqs = content.freqs;
  AllocTrc(cfg);
  const int perPoint = content.traces * content.levels;
  for (int i = 0; i < content.points; ++i)
    for (int k = 0; k < perPoint; ++k)
      cfg.Traces[k / content.levels][k % content.levels][i] = content.values[i * perPoint + k];
  cfg.ColourIdx = (content.traces - 1) % kTraceColours;
}

}  // namespace

QByteArray DatFileText(const CfgStr &cfg)
{
  QString text = QStringLiteral("%1 %2\n%3 %4\n%5 %6\n")
                     .arg(QString::fromLatin1(kCountLabels[0])).arg(cfg.TraceCount)
                     .arg(QString::fromLatin1(kCountLabels[1])).arg(cfg.LevelCount)
                     .arg(QString::fromLatin1(kCountLabels[2])).arg(cfg.PointCount);
  for (int i = 0; i < cfg.PointCount; ++i)
    text += PointLine(cfg, i, 6, [](double v) { return QLatin1Char(' ') + FixedText(v, 3); })
            + QLatin1Char('\n');
  return text.toLatin1();
}

int SaveDatFile(const CfgStr &cfg, const QString &path, QString *reason)
{
  QByteArray text;
  if (QFileInfo(path).fileName().contains(QLatin1String(".fda"), Qt::CaseInsensitive)) {
    if (!CorrTableText(cfg, CorrTableName(path), text, reason))
      return -1;
  } else {
    if (!TracesComplete(cfg, reason))
      return -1;
    text = DatFileText(cfg);
  }
  return SaveTextSafely(path, text, reason) ? 0 : -1;
}

int LoadDatFile(CfgStr &cfg, const QString &path, QString *reason)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (reason)
      *reason = QStringLiteral("%1 cannot be opened for reading: %2").arg(path, file.errorString());
    return -1;
  }
  DatContent content;
  DatReader reader(file);
  if (!reader.read(content)) {
    if (reason)
      *reason = reader.reason;
    return -1;
  }
  Apply(content, cfg);
  return 0;
}
