#include "benchd/Responder.h"

#include <chrono>
#include <thread>

namespace {

void sleepMs(int ms) {
  if (ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

void Responder::write(const QByteArray &bytes, bool end) {
  std::lock_guard<std::mutex> lock(bench_.mutex);
  link_.write(bytes, end);
}

bool Responder::waitForOutput(unsigned timeoutMs) {
  int latency = 0;
  {
    std::lock_guard<std::mutex> lock(bench_.mutex);
    latency = link_.hasOutput() ? link_.latencyMs() : -1;
  }
  sleepMs(latency < 0 ? bench_.readTimeoutMs(timeoutMs) : latency);
  return latency >= 0;
}

QByteArray Responder::takeQueued() {
  std::lock_guard<std::mutex> lock(bench_.mutex);
  bool end = false, atTerm = false;
  return link_.hasQueuedOutput() ? link_.take(size_t(-1), -1, end, atTerm) : QByteArray();
}

QByteArray Responder::take(size_t max, int termChar, bool &end, bool &atTermChar) {
  std::lock_guard<std::mutex> lock(bench_.mutex);
  return link_.take(max, termChar, end, atTermChar);
}

void Responder::clear() {
  std::lock_guard<std::mutex> lock(bench_.mutex);
  link_.clear();
}

int Responder::statusByte() {
  std::lock_guard<std::mutex> lock(bench_.mutex);
  return link_.statusByte();
}

void Responder::goToLocal() {
  std::lock_guard<std::mutex> lock(bench_.mutex);
  link_.goToLocal();
}
