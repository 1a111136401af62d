#pragma once
// Progress of a headless run on standard output: a bar with the time left
// when it is a terminal, otherwise a plain line at most once a second and
// at the end of every level step, so that logs stay short.
#include "sweep/CfgStr.h"
#include "sweep/SwpObserver.h"

#include <QElapsedTimer>
#include <cstdio>

class RunProgress : public SwpObserver {
public:
  RunProgress(const CfgStr &cfg, int passes, FILE *out, bool terminal);

  bool continuous() override { return false; }
  bool stopRequested() override;
  void passStarted(bool continuous) override;
  void levelStarted(int) override {}
  void pointMeasured(int level, int point) override;
  void levelDone(int) override {}
  void passDone(double) override {}

  // Ends the bar's line; call once the run is over.
  void finish();

private:
  const CfgStr &cfg;
  const int passes;
  FILE *const out;
  const bool terminal;
  int pass = 0;
  bool barShown = false;
  QElapsedTimer runTimer;
  qint64 lastLineMs = -1;
};
