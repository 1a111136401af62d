#include "visa/BenchTransport.h"

#include <QByteArray>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// The simulated instrument never answers a read it has nothing for, so even
// an infinite timeout ends, as a timeout, after this long.
constexpr int kLongestWaitMs = 10000;

std::mutex benchMutex;

void sleepMs(int ms) {
  if (ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

BenchTransport::BenchTransport(const sim::Bench &bench, sim::Instrument &instrument, bool lan)
    : bench_(bench), link_(instrument, lan) {}

int BenchTransport::timeoutMs(const IoSettings &io) const {
  int timeout = io.timeoutMs < 0 ? kLongestWaitMs : std::min(io.timeoutMs, kLongestWaitMs);
  if (bench_.timeoutCapMs > 0)
    timeout = std::min(timeout, bench_.timeoutCapMs);
  return timeout;
}

ViStatus BenchTransport::write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) {
  std::lock_guard<std::mutex> lock(benchMutex);
  link_.write(QByteArray(reinterpret_cast<const char *>(buf), int(count)), io.sendEnd);
  written = count;
  return VI_SUCCESS;
}

ViStatus BenchTransport::read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) {
  got = 0;
  int latency = 0;
  {
    std::lock_guard<std::mutex> lock(benchMutex);
    latency = link_.latencyMs();
    if (!link_.hasOutput())
      latency = -1;
  }
  if (latency < 0) {
    sleepMs(timeoutMs(io));
    return VI_ERROR_TMO;
  }
  sleepMs(latency);
  std::lock_guard<std::mutex> lock(benchMutex);
  bool end = false;
  bool atTerm = false;
  const QByteArray bytes = link_.take(count, io.termCharEnabled ? io.termChar : -1, end, atTerm);
  std::memcpy(buf, bytes.constData(), size_t(bytes.size()));
  got = size_t(bytes.size());
  return end ? VI_SUCCESS : atTerm ? VI_SUCCESS_TERM_CHAR : VI_SUCCESS_MAX_CNT;
}

ViStatus BenchTransport::clear(const IoSettings &) {
  std::lock_guard<std::mutex> lock(benchMutex);
  link_.clear();
  return VI_SUCCESS;
}

ViStatus BenchTransport::readStb(ViUInt16 &stb, const IoSettings &) {
  std::lock_guard<std::mutex> lock(benchMutex);
  stb = ViUInt16(link_.statusByte());
  return VI_SUCCESS;
}

ViStatus BenchTransport::controlRen(ViUInt16 mode, const IoSettings &) {
  // Deasserting REN (0, 2 with go-to-local) or addressing the device to go
  // to local (6) returns the front panel.
  if (mode == VI_GPIB_REN_ADDRESS_GTL || mode == VI_GPIB_REN_DEASSERT || mode == 2) {
    std::lock_guard<std::mutex> lock(benchMutex);
    link_.goToLocal();
  }
  return VI_SUCCESS;
}
