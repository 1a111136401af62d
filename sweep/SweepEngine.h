#pragma once
// One sweep run: prepares the instruments, steps through the level steps and
// the points of the plan, measures, corrects and stores every value in the
// newest trace record, repeats passes while the observer asks for continuous
// sweeping, and returns the instruments to local control at the end.
// It shows nothing itself: the result says what the user must be told.
#include "sweep/CfgStr.h"

#include <QString>

class SwpObserver;

enum class SwpOutcome {
  Completed,      // end of run done (after the last pass or a Stop)
  InitFailed,     // InstInit refused: initCode tells the stage
  PlanRefused,    // the sweep settings give no plan: reason says why
  StoreMismatch,  // the newest trace record is not shaped like the plan
  MeasureFailed,  // a level setting or a measurement failed
  FreqFailed,     // a generator refused a frequency: endDevice tells which
  EndFailed,      // an end-of-run step failed: endDevice tells which instrument
};

enum class SwpDevice { None, Gen1, Gen2, Ana };

struct SwpResult {
  SwpOutcome outcome = SwpOutcome::Completed;
  int initCode = 0;
  QString reason;  // why the plan was refused, or what hinders an instrument's open
  SwpDevice endDevice = SwpDevice::None;
};

class SweepEngine {
public:
  SweepEngine(CfgStr &cfg, SwpObserver &observer);

  // normActive: the normalization reference in NormData is applied as
  // NormalizeGen selects (read at every point).
  SwpResult run(bool normActive);

private:
  SwpOutcome measurePass(bool normActive, double markerPos, SwpDevice &failedGen);
  int setSourceLevel(double levelDbm);
  SwpDevice setFrequencies(int point);
  SwpResult endOfRun();
  SwpResult failed(SwpResult result);
  QString trackingRefusal() const;

  CfgStr &m_cfg;
  SwpObserver &m_observer;
};
