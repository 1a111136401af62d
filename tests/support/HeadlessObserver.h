#pragma once
// A sweep observer that asks for single passes and never stops a run.
#include "sweep/SwpObserver.h"

struct Headless : SwpObserver {
  bool continuous() override { return false; }
  bool stopRequested() override { return false; }
  void passStarted(bool) override {}
  void levelStarted(int) override {}
  void pointMeasured(int, int) override {}
  void levelDone(int) override {}
  void passDone(double) override {}
};
