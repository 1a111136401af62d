#include "storage/ManualFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ManualFile()
{
  const QString appDir = QCoreApplication::applicationDirPath();
  const QString beside = appDir + QStringLiteral("/Solvane.pdf");
  const QString installed = QDir::cleanPath(appDir + QStringLiteral("/../share/doc/solvane/Solvane.pdf"));
  return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}
