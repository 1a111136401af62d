#include "TestPaths.h"

#include "storage/CfgFile.h"

#include <QFile>
#include <QLibraryInfo>
#include <QProcess>

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

QString ProgramOutput(const QString &program, const QStringList &args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QString &path) { return ProgramOutput("pdftotext", {"-layout", path, "-"}); }

void UseHomeWithoutVisa(const QString &home) {
  qputenv("HOME", home.toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home + "/share").toLocal8Bit());
  qputenv("VXIPNPPATH64", (home + "/vxipnp/").toLocal8Bit());
  qputenv("SOLVANE_VISA_LIBRARY",
          (QLibraryInfo::location(QLibraryInfo::LibrariesPath) + "/libQt5Core.so.5").toLocal8Bit());
}
