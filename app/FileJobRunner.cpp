#include "app/FileJobRunner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <thread>

namespace {

constexpr int kUnseenMs = 500;
constexpr int kPollMs = 10;
constexpr int kSteps = 1000;

}  // namespace

int RunFileJob(QWidget *parent, const QString &label, FileJob &job, const std::function<int()> &work)
{
  std::atomic<bool> finished{false};
  int result = -1;
  std::thread worker([&] {
    result = work();
    finished = true;
  });

  QTimer poll;
  poll.setInterval(kPollMs);
  QElapsedTimer clock;
  clock.start();
  {
    QEventLoop loop;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (finished || clock.elapsed() >= kUnseenMs)
        loop.quit();
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  if (!finished) {
    QProgressDialog progress(label, QStringLiteral("Cancel"), 0, kSteps, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    QObject::connect(&progress, &QProgressDialog::canceled, [&job] { job.cancel = true; });
    QObject::connect(&poll, &QTimer::timeout, &progress, [&] {
      if (finished) {
        progress.accept();
        return;
      }
      const int total = job.total;
      if (total > 0)
        progress.setValue(int(qint64(job.done) * kSteps / total));
    });
    progress.exec();
  }
  worker.join();
  return result;
}
