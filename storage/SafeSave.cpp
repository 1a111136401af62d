#include "storage/SafeSave.h"

#include <QSaveFile>

bool SaveTextSafely(const QString &path, const QByteArray &text, QString *reason)
{
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
    if (reason)
      *reason = QStringLiteral("%1 cannot be opened for writing: %2").arg(path, file.errorString());
    return false;
  }
  if (file.write(text) != text.size() || !file.commit()) {
    if (reason)
      *reason = QStringLiteral("%1 could not be written: %2").arg(path, file.errorString());
    file.cancelWriting();
    return false;
  }
  return true;
}
