// Figures of the data file: save and load of large trace stores, and how
// fast hostile files are refused and how little memory that takes.
#include "storage/DataFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Peak memory (kB) and processor time (ms) of the process; under a busy
// machine the processor time says more than the time on the clock.
rusage Usage()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage;
}
long CpuMs(const rusage &u)
{
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000L + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000L;
}

// Runs one operation in a process of its own, so that its peak memory is
// its own: the trace store it starts from (for a save) included. The
// operation restarts the clock when its own work begins.
template <class Operation>
void Measure(const char *what, Operation operation)
{
  if (fork() == 0) {
    QElapsedTimer timer;
    long startCpu = CpuMs(Usage());
    const int result = operation(timer, startCpu);
    qInfo("  %-5s %6lld ms (%6ld ms of processor time), peak memory %4ld MB (result %d)", what, timer.elapsed(),
          CpuMs(Usage()) - startCpu, Usage().ru_maxrss / 1024, result);
    _exit(0);
  }
  wait(nullptr);
}

void RoundTrip(const QString &path, int traces, int levels, int points)
{
  qInfo("%2d traces x %2d levels x %5d points, trace store %.1f MB:", traces, levels, points,
        8.0 * traces * levels * points / 1e6);
  Measure("save", [&](QElapsedTimer &timer, long &startCpu) {
    CfgStr cfg;
    cfg.TraceCount = traces;
    cfg.LevelCount = levels;
    cfg.PointCount = points;
    for (int i = 0; i < points; ++i)
      cfg.AnaFreqs.append(10.0 + i * 0.5);
    cfg.Traces = QVector<TraceRec>(traces, TraceRec(levels, QVector<double>(points)));
    for (TraceRec &record : cfg.Traces)  // every row written, so none is shared
      for (QVector<double> &row : record)
        for (int i = 0; i < points; ++i)
          row[i] = -23.456 - i * 0.001;
    timer.start();
    startCpu = CpuMs(Usage());
    return SaveDatFile(cfg, path);
  });
  qInfo("  file %.1f MB", QFile(path).size() / 1e6);
  Measure("load", [&](QElapsedTimer &timer, long &) {
    CfgStr loaded;
    timer.start();
    return LoadDatFile(loaded, path);
  });
}

// The file is written in pieces, so that only the load can raise the peak.
void Refuse(const QString &path, const char *what, const QByteArray &head, char filler, int fillerMb)
{
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(head);
  for (int mb = 0; mb < fillerMb; ++mb)
    file.write(QByteArray(1024 * 1024, filler));
  file.close();
  const long before = Usage().ru_maxrss;
  QElapsedTimer timer;
  timer.start();
  CfgStr cfg;
  QString reason;
  const int result = LoadDatFile(cfg, path, &reason);
  qInfo("%-30s refused in %4lld ms, peak memory +%ld kB (result %d: %s)", what, timer.elapsed(),
        Usage().ru_maxrss - before, result, qPrintable(reason));
}

}  // namespace

int main(int argc, char *argv[])
{
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
