#pragma once
// Stands in for the instrument layer's waits while it lives: the n-th wait of
// `ms` milliseconds runs `step` on the main thread while the run's thread
// waits for it, so a test acts at an exact point of a run on the worker
// thread. Every wait returns at once, also after the hook is gone.
#include "instruments/Measure.h"

#include <QCoreApplication>
#include <atomic>
#include <memory>

class DwellHook {
public:
  DwellHook(int ms, int n, std::function<void()> step)
  {
    SetInstrumentSleep([ms, n, step = std::move(step), seen = std::make_shared<std::atomic<int>>(0)](int wait) {
      if (wait == ms && ++*seen == n)
        QMetaObject::invokeMethod(QCoreApplication::instance(), step, Qt::BlockingQueuedConnection);
    });
  }
  ~DwellHook() { SetInstrumentSleep([](int) {}); }
};
