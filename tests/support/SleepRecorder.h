#pragma once
// Records the waits of the instrument layer instead of sleeping, while it
// lives.
#include <QList>

class SleepRecorder {
public:
  SleepRecorder();
  ~SleepRecorder();
  SleepRecorder(const SleepRecorder &) = delete;
  SleepRecorder &operator=(const SleepRecorder &) = delete;

  QList<int> waits;  // milliseconds, in order
  int total() const;
};
