#pragma once
// Runs a SweepEngine on a thread of its own, so that the window's thread
// never waits for an instrument or a dwell. The run measures into its own
// copy of the settings record; what it measures reaches the worker's owner
// as queued signals that carry the values, and the run's part of the record
// (instrument records, plan, newest trace record) is handed back at the end.
#include "sweep/CfgStr.h"
#include "sweep/SweepEngine.h"

#include <QObject>
#include <QVector>
#include <atomic>
#include <memory>

class QThread;

class SweepWorker : public QObject {
  Q_OBJECT

public:
  explicit SweepWorker(QObject *parent = nullptr);
  // A run still going is stopped and waited for.
  ~SweepWorker() override;

  // Starts a run of a copy of cfg; false while a run is going.
  bool start(const CfgStr &cfg, bool normActive, bool continuous);
  bool running() const { return m_thread != nullptr; }
  // Seen by the run before its next instrument exchange; a dwell in
  // progress ends at once.
  void requestStop();
  // Read by the run before every pass and after every point.
  void setContinuous(bool continuous) { m_continuous = continuous; }
  // Blocks until the run has ended (for closing down); finished() follows.
  void wait();

  // After finished(): the instrument records, the plan and the newest trace
  // record of the run go back into cfg.
  void takeResults(CfgStr &cfg) const;

signals:
  void passStarted(bool continuous);
  void levelStarted(int level);
  void pointMeasured(int level, int point, double value);
  // A continuous pass completed (or stopped within) this level step.
  void levelDone(int level, const QVector<double> &row);
  void passDone(double seconds);
  void finished(const SwpResult &result);

private:
  class Relay;
  void ended();

  CfgStr m_run;
  SwpResult m_result;
  QThread *m_thread = nullptr;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_continuous{false};
};

Q_DECLARE_METATYPE(SwpResult)
