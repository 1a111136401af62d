#pragma once
// A long file operation seen from another thread: how far it has come, and
// a request to give up. The operation checks the request between lines; a
// cancelled save leaves the old file, a cancelled load the trace store, as
// they were.
#include <atomic>

struct FileJob {
  std::atomic<bool> cancel{false};
  std::atomic<int> done{0};   // lines written or read
  std::atomic<int> total{0};  // lines the operation will handle
};

// Result of a file operation that was cancelled (0 is success, -1 failure).
constexpr int kFileCancelled = -2;
