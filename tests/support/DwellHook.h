#pragma once
// Stands in for the instrument layer's waits while it lives: the n-th wait of
// `ms` milliseconds runs `step` on the main thread while the run's thread
// waits for it, so a test acts at an exact point of a run on the worker
// thread. Every wait returns at once, also after the hook is gone.
#include "instruments/Measure.h"

#include <QCoreApplication>
#include <atomic>
#include <functional>

class DwellHook {
public:
  DwellHook(int ms, int n, std::function<void()> step) : m_ms(ms), m_n(n), m_step(std::move(step))
  {
    SetInstrumentSleep([this](int wait) {
      if (wait == m_ms && ++m_seen == m_n)
        QMetaObject::invokeMethod(QCoreApplication::instance(), m_step, Qt::BlockingQueuedConnection);
    });
  }
  ~DwellHook() { SetInstrumentSleep([](int) {}); }
  DwellHook(const DwellHook &) = delete;
  DwellHook &operator=(const DwellHook &) = delete;

private:
  const int m_ms;
  const int m_n;
  std::function<void()> m_step;
  std::atomic<int> m_seen{0};
};
