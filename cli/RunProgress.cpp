#include "cli/RunProgress.h"

#include "cli/StopSignal.h"

#include <QString>

namespace {

constexpr int kBarWidth = 30;
constexpr qint64 kLineIntervalMs = 1000;

QString Duration(qint64 seconds)
{
  const QString mmss = QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
  return seconds < 3600 ? mmss : QStringLiteral("%1:%2").arg(seconds / 3600).arg(mmss, 5, QLatin1Char('0'));
}

}  // namespace

RunProgress::RunProgress(const CfgStr &cfg, int passes, FILE *out, bool terminal)
    : cfg(cfg), passes(passes), out(out), terminal(terminal)
{
}

bool RunProgress::stopRequested() { return StopSignalled(); }

void RunProgress::passStarted(bool)
{
  if (pass++ == 0)
    runTimer.start();
}

void RunProgress::pointMeasured(int level, int point)
{
  const qint64 perPass = qint64(cfg.LevelCount) * cfg.PointCount;
  const qint64 total = perPass * passes;
  const qint64 done = (pass - 1) * perPass + qint64(level) * cfg.PointCount + point + 1;
  const qint64 elapsedMs = runTimer.elapsed();
  const qint64 leftS = elapsedMs * (total - done) / done / 1000;
  const QString where = QStringLiteral("pass %1 of %2, level step %3 of %4, point %5 of %6, %7 left")
                            .arg(pass).arg(passes).arg(level + 1).arg(cfg.LevelCount).arg(point + 1)
                            .arg(cfg.PointCount).arg(Duration(leftS));
  if (terminal) {
    const int filled = int(kBarWidth * done / total);
    const QString bar = QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('-'));
    std::fprintf(out, "\r[%s] %3d%%  %s\x1b[K", qPrintable(bar), int(100 * done / total), qPrintable(where));
    barShown = true;
  } else if (point + 1 == cfg.PointCount || lastLineMs < 0 || elapsedMs - lastLineMs >= kLineIntervalMs) {
    std::fprintf(out, "%s\n", qPrintable(where.left(1).toUpper() + where.mid(1)));
    lastLineMs = elapsedMs;
  }
  std::fflush(out);
}

void RunProgress::finish()
{
  if (barShown)
    std::fprintf(out, "\n");
  std::fflush(out);
}
