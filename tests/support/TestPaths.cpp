#include "TestPaths.h"

#include "storage/CfgFile.h"

#include <QFile>

QString binDir() { return QStringLiteral(SOLVANE_BIN_DIR); }
QString sourceDir() { return QStringLiteral(SOLVANE_SOURCE_DIR); }

QString DefaultCfgPath() {
  CfgStr cfg;
  CfgPaths(cfg);
  return cfg.CfgPath;
}

QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
