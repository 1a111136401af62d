#pragma once
// Records the waits of the instrument layer instead of sleeping, while it lives.
#include "instruments/Measure.h"

#include <QList>

struct SleepRecorder {
  SleepRecorder() { SetInstrumentSleep([this](int ms) { waits << ms; }); }
  ~SleepRecorder() { SetInstrumentSleep({}); }
  SleepRecorder(const SleepRecorder &) = delete;
  SleepRecorder &operator=(const SleepRecorder &) = delete;
  QList<int> waits;  // milliseconds, in order
};
