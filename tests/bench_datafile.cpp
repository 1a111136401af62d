// Figures of the data file: save and load of large trace stores, and how
// fast hostile files are refused and how little memory that takes.
#include "storage/DataFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void RoundTrip(const QString &path, int traces, int levels, int points) {
  CfgStr cfg;
  cfg.TraceCount = traces;
  cfg.LevelCount = levels;
  cfg.PointCount = points;
  for (int i = 0; i < points; ++i)
    cfg.AnaFreqs.append(10.0 + i * 0.5);
  cfg.Traces.fill(TraceRec(levels, QVector<double>(points, -23.456)), traces);
  QElapsedTimer timer;
  timer.start();
  SaveDatFile(cfg, path);
  const qint64 saveMs = timer.restart();
  CfgStr loaded;
  const int result = LoadDatFile(loaded, path);
  qInfo("%2d traces x %2d levels x %5d points: %6.1f MB, save %5lld ms, load %5lld ms (result %d)", traces, levels,
        points, QFile(path).size() / 1e6, saveMs, timer.elapsed(), result);
}

// The file is written in pieces, so that only the load can raise the peak.
void Refuse(const QString &path, const char *what, const QByteArray &head, char filler, int fillerMb) {
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(head);
  const QByteArray piece(1024 * 1024, filler);
  for (int mb = 0; mb < fillerMb; ++mb)
    file.write(piece);
  file.close();
  const long before = PeakKb();
  QElapsedTimer timer;
  timer.start();
  CfgStr cfg;
  QString reason;
  const int result = LoadDatFile(cfg, path, &reason);
  qInfo("%-30s refused in %4lld ms, peak memory +%ld kB (result %d: %s)", what, timer.elapsed(),
        PeakKb() - before, result, qPrintable(reason));
}

}  // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString path = dir.filePath("bench.dat");
  const QByteArray big = "Repetition  Count: 20\nLevel Sweep Count: 20\nMeasurement Count: 20001\n";
  Refuse(path, "largest counts, one line", big + "1 2\n", ' ', 0);
  Refuse(path, "largest counts, 20 MB of zeros", big, '0', 20);
  Refuse(path, "a 100 MB line", big, '7', 100);
  Refuse(path, "20 MB of binary junk", QByteArray(), '\x01', 20);
  RoundTrip(path, 1, 1, 20001);
  RoundTrip(path, 20, 1, 20001);
  RoundTrip(path, 20, 20, 20001);
  return 0;
}
