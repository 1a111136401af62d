#pragma once
// Replaces a file only once its new content is completely on disk, so that a
// failed or interrupted save leaves the previous file as it was.
#include <QByteArray>
#include <QString>

// Writes text ("\n" line ends, converted to the platform's) to path.
// Returns false and the reason when the file could not be written.
bool SaveTextSafely(const QString &path, const QByteArray &text, QString *reason);
