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

#include <charconv>
#include <cmath>
#include <vector>

namespace {

const char *const kCountLabels[3] = {"Repetition  Count:", "Level Sweep Count:", "Measurement Count:"};

// The longest line the save writes: the frequency with six decimals and 400
// values with three, each as long as the largest double makes it, and a
// Windows line end. What the program writes, it reads back; anything longer
// is no data file.
constexpr int kMaxValueChars = 1 + 309 + 1 + 3;
constexpr qint64 kMaxLineBytes = kMaxFixedChars + qint64(kMaxTraces) * kMaxLevels * (1 + kMaxValueChars) + 2;

constexpr int kHeaderLines = 3;

class DatReader {
public:
  DatReader(QIODevice &device, FileJob *job) : device(device), job(job), buffer(kMaxLineBytes + 2) {}

  int read(DatFileContent &content);
  QString reason;

private:
  int fail(const QString &why)
  {
    reason = why;
    return -1;
  }
  bool nextLine();
  bool readCount(int index, int limit, int &count);
  bool readPoint(DatFileContent &content, int point);

  QIODevice &device;
  FileJob *job;
  std::vector<char> buffer;
  const char *begin = nullptr;  // the current line, its line end removed
  const char *end = nullptr;
  int lineNo = 0;
};

bool DatReader::nextLine()
{
  ++lineNo;
  const qint64 got = device.readLine(buffer.data(), qint64(buffer.size()));
  if (got <= 0)
    return false;
  begin = buffer.data();
  end = begin + got;
  if (end[-1] != '\n' && !device.atEnd()) {
    reason = QStringLiteral("Line %1 is longer than %2 characters; this is no data file.").arg(lineNo).arg(kMaxLineBytes);
    return false;
  }
  while (end > begin && (end[-1] == '\n' || end[-1] == '\r'))
    --end;
  for (const char *c = begin; c < end; ++c)
    if (static_cast<unsigned char>(*c) < 0x20 && *c != '\t') {
      reason = QStringLiteral("Line %1 holds binary data; this is no data file.").arg(lineNo);
      return false;
    }
  return true;
}

bool DatReader::readCount(int index, int limit, int &count)
{
  const QByteArray label(kCountLabels[index]);
  if (!nextLine()) {
    if (reason.isEmpty())
      fail(QStringLiteral("The file ends before its count lines."));
    return false;
  }
  const QByteArray line = QByteArray::fromRawData(begin, int(end - begin));
  const int at = line.indexOf(label);
  bool ok = false;
  if (at >= 0)
    count = line.mid(at + label.size()).trimmed().toInt(&ok);
  if (!ok) {
    fail(QStringLiteral("Line %1 should read \"%2 <number>\".").arg(lineNo).arg(QString::fromLatin1(label)));
    return false;
  }
  if (count < 1 || count > limit) {
    fail(QStringLiteral("Line %1 announces %2 (\"%3\"); a file may hold 1 to %4.")
             .arg(lineNo).arg(count).arg(QString::fromLatin1(label)).arg(limit));
    return false;
  }
  return true;
}

bool IsNanWord(const char *begin, const char *end)
{
  if (end - begin == 4 && *begin == '-')
    ++begin;
  return end - begin == 3 && (begin[0] | 0x20) == 'n' && (begin[1] | 0x20) == 'a' && (begin[2] | 0x20) == 'n';
}

// A finite number in the whole token ("+" allowed, as the earlier reader
// took it), or "nan" for an unmeasured value where that is allowed.
bool ParseValue(const char *begin, const char *end, bool unmeasuredAllowed, double &value)
{
  if (IsNanWord(begin, end)) {
    value = kUnmeasured;
    return unmeasuredAllowed;
  }
  const char *digits = (*begin == '+' && end - begin > 1 && begin[1] != '-') ? begin + 1 : begin;
  const auto [ptr, ec] = std::from_chars(digits, end, value);
  if (ec == std::errc::result_out_of_range && ptr == end) {
    // A value too small for a double reads as 0, one too large is refused.
    bool ok = false;
    value = QByteArray(begin, int(end - begin)).toDouble(&ok);
    return ok && std::isfinite(value);
  }
  return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool DatReader::readPoint(DatFileContent &content, int point)
{
  if (!nextLine()) {
    if (reason.isEmpty())
      fail(QStringLiteral("The file ends after %1 of its %2 points.").arg(point).arg(content.points));
    return false;
  }
  const int expected = 1 + content.traces * content.levels;
  int count = 0;
  int trace = 0;
  int level = 0;
  const char *c = begin;
  while (true) {
    while (c < end && (*c == ' ' || *c == '\t'))
      ++c;
    if (c == end)
      break;
    const char *tokenEnd = c;
    while (tokenEnd < end && *tokenEnd != ' ' && *tokenEnd != '\t')
      ++tokenEnd;
    if (count < expected) {
      double value = 0.0;
      if (!ParseValue(c, tokenEnd, count > 0, value)) {
        fail(QStringLiteral("Line %1: \"%2\" is no %3.")
                 .arg(lineNo)
                 .arg(QString::fromLatin1(c, int(std::min<qint64>(tokenEnd - c, 40))))
                 .arg(count == 0 ? QStringLiteral("frequency") : QStringLiteral("level")));
        return false;
      }
      if (count == 0) {
        content.freqs[point] = value;
      } else {
        content.store[trace][level][point] = value;
        if (++level == content.levels) {
          level = 0;
          ++trace;
        }
      }
    }
    ++count;
    c = tokenEnd;
  }
  if (count != expected) {
    fail(QStringLiteral("Line %1 holds %2 numbers; the counts announce %3.").arg(lineNo).arg(count).arg(expected));
    return false;
  }
  return true;
}

int DatReader::read(DatFileContent &content)
{
  if (!readCount(0, kMaxTraces, content.traces) || !readCount(1, kMaxLevels, content.levels)
      || !readCount(2, kMaxPoints, content.points))
    return -1;
  // Every point line holds at least one character and a separator per number,
  // so a file too short for its counts is refused before anything is allocated.
  const qint64 numbers = 1 + qint64(content.traces) * content.levels;
  if (!device.isSequential() && device.size() - device.pos() < content.points * (2 * numbers - 1))
    return fail(QStringLiteral("The file is too short for its %1 announced points.").arg(content.points));
  if (job)
    job->total = content.points;
  content.freqs.resize(content.points);
  content.store = QVector<TraceRec>(content.traces);
  for (TraceRec &record : content.store) {
    record.resize(content.levels);
    for (QVector<double> &row : record)
      row.resize(content.points);
  }
  for (int i = 0; i < content.points; ++i) {
    if (job && job->cancel)
      return kFileCancelled;
    if (!readPoint(content, i))
      return -1;
    if (job)
      job->done = i + 1;
  }
  return 0;
}

// Line `index` of the data file: the count lines, then the point lines.
void DatLine(const CfgStr &cfg, int index, std::string &line)
{
  if (index < kHeaderLines) {
    const int counts[kHeaderLines] = {cfg.TraceCount, cfg.LevelCount, cfg.PointCount};
    line.append(kCountLabels[index]).append(" ").append(std::to_string(counts[index])).append("\n");
    return;
  }
  const int point = index - kHeaderLines;
  AppendFixed(line, cfg.AnaFreqs[point], 6);
  for (const TraceRec &record : cfg.Traces)
    for (const QVector<double> &row : record) {
      line += ' ';
      AppendFixed(line, row[point], 3);
    }
  line += '\n';
}

}  // namespace

int SaveDatFile(const CfgStr &cfg, const QString &path, QString *reason, FileJob *job)
{
  if (QFileInfo(path).fileName().contains(QLatin1String(".fda"), Qt::CaseInsensitive)) {
    QByteArray text;
    if (!CorrTableText(cfg, CorrTableName(path), text, reason))
      return -1;
    return SaveTextSafely(path, text, reason) ? 0 : -1;
  }
  if (!TracesComplete(cfg, reason))
    return -1;
  return SaveLinesSafely(path, kHeaderLines + cfg.PointCount,
                         [&cfg](int index, std::string &line) { DatLine(cfg, index, line); }, reason, job);
}

int ReadDatFile(QIODevice &device, DatFileContent &content, QString *reason, FileJob *job)
{
  DatReader reader(device, job);
  const int result = reader.read(content);
  if (result != 0) {
    content = DatFileContent();
    if (reason)
      *reason = result == kFileCancelled ? QStringLiteral("Cancelled.") : reader.reason;
  }
  return result;
}

int ReadDatFile(const QString &path, DatFileContent &content, QString *reason, FileJob *job)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (reason)
      *reason = QStringLiteral("%1 cannot be opened for reading: %2").arg(path, file.errorString());
    return -1;
  }
  return ReadDatFile(file, content, reason, job);
}

void ApplyDatFile(DatFileContent &&content, CfgStr &cfg)
{
  cfg.TraceCount = content.traces;
  cfg.LevelCount = content.levels;
  cfg.PointCount = content.points;
  cfg.AnaFreqs = content.freqs;
  cfg.Gen1Freqs = content.freqs;
  cfg.Gen2Freqs = content.freqs;
  TakeSeriesFreqs(cfg);
  cfg.Traces = std::move(content.store);
  cfg.NormData = QVector<double>(content.points, kUnmeasured);
  cfg.ColourIdx = (content.traces - 1) % kTraceColours;
}

int LoadDatFile(CfgStr &cfg, const QString &path, QString *reason)
{
  DatFileContent content;
  const int result = ReadDatFile(path, content, reason);
  if (result == 0)
    ApplyDatFile(std::move(content), cfg);
  return result;
}
