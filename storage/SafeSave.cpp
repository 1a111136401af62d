#include "storage/SafeSave.h"

#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

int Fail(QSaveFile &file, const QString &why, QString *reason)
{
  if (reason)
    *reason = QStringLiteral("%1 could not be written: %2").arg(file.fileName(), why);
  file.cancelWriting();
  return -1;
}

// Data the file system accepted into its cache may still find no room on
// the disk; only a sync reports that, and QSaveFile ignores its result.
bool SyncToDisk(QSaveFile &file, QString &why)
{
#ifdef Q_OS_UNIX
  if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
    why = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
#else
  Q_UNUSED(file);
  Q_UNUSED(why);
#endif
  return true;
}

int SaveLines(const QString &path, int lineCount, const LineMaker &makeLine, QString *reason, FileJob *job,
              QIODevice::OpenMode mode)
{
  QSaveFile file(path);
  if (!file.open(mode)) {
    if (reason)
      *reason = QStringLiteral("%1 cannot be opened for writing: %2").arg(path, file.errorString());
    return -1;
  }
  if (job)
    job->total = lineCount;
  std::string line;
  for (int i = 0; i < lineCount; ++i) {
    if (job && job->cancel) {
      file.cancelWriting();
      return kFileCancelled;
    }
    line.clear();
    makeLine(i, line);
    if (file.write(line.data(), qint64(line.size())) != qint64(line.size()))
      return Fail(file, file.errorString(), reason);
    if (job)
      job->done = i + 1;
  }
  // commit() flushes its buffer on its own but does not notice when that
  // fails: a full disk would leave an empty file in place of the old one.
  // The reason is taken here, before commit() or cancelWriting() reset it.
  if (!file.flush())
    return Fail(file, file.errorString(), reason);
  QString why;
  if (!SyncToDisk(file, why))
    return Fail(file, why, reason);
  if (!file.commit()) {
    if (reason)
      *reason = QStringLiteral("%1 could not be written: %2").arg(path, file.errorString());
    return -1;
  }
  return 0;
}

}  // namespace

int SaveLinesSafely(const QString &path, int lineCount, const LineMaker &makeLine, QString *reason, FileJob *job)
{
  return SaveLines(path, lineCount, makeLine, reason, job, QIODevice::WriteOnly | QIODevice::Text);
}

bool SaveTextSafely(const QString &path, const QByteArray &text, QString *reason, bool convertLineEnds)
{
  const auto whole = [&text](int, std::string &line) { line.assign(text.constData(), std::size_t(text.size())); };
  const QIODevice::OpenMode mode = convertLineEnds ? QIODevice::WriteOnly | QIODevice::Text : QIODevice::WriteOnly;
  return SaveLines(path, 1, whole, reason, nullptr, mode) == 0;
}
