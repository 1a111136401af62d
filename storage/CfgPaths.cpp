#include "storage/CfgFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

QString CfgMakerDir(const QString &dataFolder)
{
  // Empty components stay, so a leading "/" or a UNC "\\" survives.
  const QStringList parts = dataFolder.split(QRegularExpression(QStringLiteral("[/\\\\]")));
  QString dir;
  for (int i = 0; i + 1 < parts.size(); ++i)
    dir += parts[i] + QLatin1Char('/');
  return dir + QStringLiteral("Kestrova/") + parts.last();
}

bool CfgPaths(CfgStr &cfg)
{
  cfg.AppName = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
  cfg.CfgDir = CfgMakerDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
  cfg.CfgPath = cfg.CfgDir + QLatin1Char('/') + cfg.AppName + QStringLiteral(".cfg");
  // On a fresh machine neither the maker's folder nor the ones above it exist.
  return QDir().mkpath(cfg.CfgDir);
}
