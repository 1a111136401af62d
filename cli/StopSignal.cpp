#include "cli/StopSignal.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

void OnStopSignal(int)
{
  stopFlag.store(true);
  static const char note[] = "\nStopping after this point; press Ctrl-C again to abort.\n";
  // write() is safe in a signal handler; nothing can be done if it fails.
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, note, sizeof note - 1);
}

}  // namespace

void CatchStopSignals()
{
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalled() { return stopFlag.load(); }
