#include "SleepRecorder.h"

#include "instruments/Measure.h"

SleepRecorder::SleepRecorder() {
  SetInstrumentSleep([this](int ms) { waits << ms; });
}

SleepRecorder::~SleepRecorder() { SetInstrumentSleep({}); }

int SleepRecorder::total() const {
  int sum = 0;
  for (int ms : waits) sum += ms;
  return sum;
}
