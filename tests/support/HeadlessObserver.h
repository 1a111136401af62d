#pragma once
// An observer of a sweep run that lets it measure single passes to the end
// and looks at nothing.
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
