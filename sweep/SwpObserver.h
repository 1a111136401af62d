#pragma once
// What a sweep run reports while it measures. The engine calls these between
// instrument commands on the thread that runs it: SweepWorker passes them on
// to the window's thread as signals, a headless observer simply records.
class SwpObserver {
public:
  virtual ~SwpObserver() = default;

  // Read before every pass and after every point: continuous passes are
  // drawn once per level step instead of once per point.
  virtual bool continuous() = 0;
  // Read before and after every measurement and after every level step.
  virtual bool stopRequested() = 0;

  virtual void passStarted(bool continuous) = 0;
  virtual void levelStarted(int level) = 0;
  // A point of the newest trace record was stored (single passes only).
  virtual void pointMeasured(int level, int point) = 0;
  // A level step of the newest trace record is complete (continuous passes only).
  virtual void levelDone(int level) = 0;
  virtual void passDone(double seconds) = 0;
};
