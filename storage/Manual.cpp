#include "storage/Manual.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int kMimeQueryMs = 2000;

// The desktop's mime database names the program for PDF files; when the
// query tool exists and names none, opening would fail without a word.
bool PdfViewerRegistered()
{
  const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (query.isEmpty())
    return true;
  QProcess process;
  process.start(query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/pdf")});
  if (!process.waitForFinished(kMimeQueryMs))
    return true;
  return !process.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

QString ManualPath()
{
  const QString appDir = QCoreApplication::applicationDirPath();
  const QString beside = appDir + QStringLiteral("/Solvane.pdf");
  const QString installed = QDir::cleanPath(appDir + QStringLiteral("/../share/doc/solvane/Solvane.pdf"));
  return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

bool OpenManual(const QString &path)
{
  return PdfViewerRegistered() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString NoPdfViewerText(const QString &path)
{
  return QStringLiteral("No program for PDF files was found on this computer, so the manual cannot be shown "
                        "here. Open this file with any PDF viewer:\n\n")
         + QDir::toNativeSeparators(path);
}
