#pragma once
// Replaces a file only once its new content is completely on disk, so that a
// failed, cancelled or interrupted save leaves the previous file as it was.
#include "storage/FileJob.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <string>

// Makes line number `index` of the file ("\n" at its end) in `line`, which
// arrives empty.
using LineMaker = std::function<void(int index, std::string &line)>;

// Writes lineCount lines one at a time ("\n" converted to the platform's
// line end) to path. Returns 0, -1 with the reason (the system's words, such
// as "No space left on device") when the file could not be written, or
// kFileCancelled when job asked to stop.
int SaveLinesSafely(const QString &path, int lineCount, const LineMaker &makeLine, QString *reason,
                    FileJob *job = nullptr);

// The same for a text held whole; with convertLineEnds false the bytes are
// written as they are.
bool SaveTextSafely(const QString &path, const QByteArray &text, QString *reason, bool convertLineEnds = true);
