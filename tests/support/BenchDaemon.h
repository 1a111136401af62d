#pragma once
// solvane-benchd started for a test: on free loopback ports, answering
// portmapper requests itself, stopped with the test.
#include <QMap>
#include <QProcess>

class BenchDaemon {
public:
  // Starts the daemon on a bench file and waits until it serves, then names
  // its portmapper to libsolvisa (SOLVISA_PORTMAPPER_PORT); extra arguments
  // (a fault) go to it unchanged.
  explicit BenchDaemon(const QString &benchFile, const QStringList &extra = {});
  ~BenchDaemon();
  bool ready() const { return ready_; }
  // The resource to open a bench instrument through a protocol ("vxi11",
  // "hislip", "socket", "serial").
  QString resource(const QString &benchResource, const QString &protocol) const {
    return resources_.value(benchResource).value(protocol);
  }

private:
  QProcess process_;
  bool ready_ = false;
  QString portmapperPort_;
  QMap<QString, QMap<QString, QString>> resources_;
};

// Writes a bench file with the timeout into a folder that lives as long as the
// test; its path, or nothing when it cannot.
QString benchFile(QByteArray json, int timeoutMs);
