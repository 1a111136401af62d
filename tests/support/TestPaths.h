#pragma once
#include <QByteArray>
#include <QStringList>

// Where the build put the program and its run-time libraries, and the source
// tree (for fixtures).
QString binDir();
QString sourceDir();
// The configuration file the program reads and writes under the current HOME.
QString DefaultCfgPath();

// A file's bytes, empty when it cannot be read; a file written whole.
QByteArray ReadAll(const QString &path);
bool WriteAll(const QString &path, const QByteArray &bytes);
// What a program writes to its standard output within 30 s.
QString ProgramOutput(const QString &program, const QStringList &args);
// The text of a PDF file as laid out, pages ended by form feeds.
QString PdfText(const QString &path);

// Points HOME, the data folder and the sensor-driver folder into home and
// names a VISA library without VISA functions, so that a suite never touches
// the user's own configuration, drivers or instruments.
void UseHomeWithoutVisa(const QString &home);
