#include "sweep/SweepWorker.h"

#include "instruments/Measure.h"
#include "sweep/SwpObserver.h"

#include <QThread>

// Called on the run's thread: every report becomes a queued signal that
// carries what the window needs, so the window never reads the run's record.
class SweepWorker::Relay : public SwpObserver {
public:
  explicit Relay(SweepWorker &worker) : w(worker) {}

  bool continuous() override { return w.m_continuous; }
  bool stopRequested() override { return w.m_stop; }
  void passStarted(bool continuous) override { emit w.passStarted(continuous); }
  void levelStarted(int level) override { emit w.levelStarted(level); }
  void pointMeasured(int level, int point) override
  {
    emit w.pointMeasured(level, point, w.m_run.Traces.constLast().at(level).at(point));
  }
  void levelDone(int level) override { emit w.levelDone(level, w.m_run.Traces.constLast().at(level)); }
  void passDone(double seconds) override { emit w.passDone(seconds); }

private:
  SweepWorker &w;
};

SweepWorker::SweepWorker(QObject *parent) : QObject(parent)
{
  qRegisterMetaType<SwpResult>();
  qRegisterMetaType<QVector<double>>();
}

SweepWorker::~SweepWorker()
{
  requestStop();
  wait();
  delete m_thread;
}

bool SweepWorker::start(const CfgStr &cfg, bool normActive, bool continuous)
{
  if (m_thread)
    return false;
  m_run = cfg;
  m_result = SwpResult();
  m_stop = false;
  m_continuous = continuous;
  CutInstrumentWaits(false);
  m_thread = QThread::create([this, normActive] {
    Relay relay(*this);
    SweepEngine engine(m_run, relay);
    m_result = engine.run(normActive);
    // Waits outside a run (the dialogs' instrument I/O) are not cut.
    CutInstrumentWaits(false);
    QMetaObject::invokeMethod(this, &SweepWorker::ended, Qt::QueuedConnection);
  });
  m_thread->start();
  return true;
}

void SweepWorker::requestStop()
{
  m_stop = true;
  if (m_thread)
    CutInstrumentWaits(true);
}

void SweepWorker::wait()
{
  if (m_thread)
    m_thread->wait();
}

// Queued behind every report of the run, so the owner has drawn them all
// when finished() arrives.
void SweepWorker::ended()
{
  if (!m_thread)
    return;
  m_thread->wait();
  delete m_thread;
  m_thread = nullptr;
  emit finished(m_result);
}

void SweepWorker::takeResults(CfgStr &cfg) const
{
  cfg.Gen1 = m_run.Gen1;
  cfg.Gen2 = m_run.Gen2;
  cfg.Ana = m_run.Ana;
  cfg.Spx = m_run.Spx;
  cfg.Rcx = m_run.Rcx;
  cfg.PointCount = m_run.PointCount;
  cfg.LevelCount = m_run.LevelCount;
  cfg.Gen1Freqs = m_run.Gen1Freqs;
  cfg.Gen2Freqs = m_run.Gen2Freqs;
  cfg.AnaFreqs = m_run.AnaFreqs;
  if (!cfg.Traces.isEmpty() && !m_run.Traces.isEmpty())
    cfg.Traces.last() = m_run.Traces.constLast();
}
