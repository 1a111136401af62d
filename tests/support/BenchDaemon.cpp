#include "support/BenchDaemon.h"

#include "support/TestPaths.h"

#include <QFile>
#include <QTemporaryDir>

BenchDaemon::BenchDaemon(const QString &benchFile, const QStringList &extra) {
  process_.start(binDir() + "/solvane-benchd", QStringList{"--bench", benchFile, "--portmapper-port", "0",
                                                          "--hislip-port", "0", "--socket-port", "0",
                                                          "--until-stdin-closes"} + extra);
  while (process_.waitForReadyRead(5000)) {
    while (process_.canReadLine()) {
      const QStringList words = QString::fromLatin1(process_.readLine()).trimmed().split(' ');
      if (words[0] == "ready") {
        ready_ = true;
        qputenv("SOLVISA_PORTMAPPER_PORT", portmapperPort_.toLatin1());
        return;
      }
      if (words[0] == "portmapper")
        portmapperPort_ = words.value(1);
      for (const QString &word : words.mid(1))
        resources_[words[0]][word.section('=', 0, 0)] = word.section('=', 1);
    }
  }
}

BenchDaemon::~BenchDaemon() {
  process_.kill();
  process_.waitForFinished();
}

QString benchFile(QByteArray json, int timeoutMs) {
  static QTemporaryDir dir;
  static int count = 0;
  json.replace(json.indexOf('{'), 1, "{\"timeoutMs\": " + QByteArray::number(timeoutMs) + ", ");
  QFile file(dir.filePath(QString("bench%1.json").arg(++count)));
  return file.open(QIODevice::WriteOnly) && file.write(json) == json.size() ? file.fileName() : QString();
}
