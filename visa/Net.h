#pragma once
// TCP connections with a deadline, and the words a user sees when one fails.
#include "instruments/VisaDefs.h"

#include <chrono>
#include <string>

// A point in time at which a call gives up; none for an infinite timeout.
class Deadline {
public:
  explicit Deadline(int timeoutMs);
  // Milliseconds left for poll(): -1 without limit, 0 once expired.
  int remainingMs() const;
  bool expired() const { return remainingMs() == 0; }

private:
  bool infinite_;
  std::chrono::steady_clock::time_point end_;
};

// "2 s", "0.5 s"
std::string secondsText(int ms);

// Connects to host:port within the timeout. Returns the socket, or -1 with
// the status and a reason ("port 5025 refused", "no answer from host within 2 s").
int connectTcp(const std::string &host, unsigned port, int timeoutMs, ViStatus &status, std::string &reason);
// Sends every byte; false when the deadline passed or the peer went away.
ViStatus sendAll(int fd, const void *data, size_t size, const Deadline &deadline);
// Receives at least one byte (at most size): VI_SUCCESS, VI_ERROR_TMO, or
// VI_ERROR_CONN_LOST when the peer closed the connection.
ViStatus receiveSome(int fd, void *data, size_t size, const Deadline &deadline, size_t &got);
// Receives exactly size bytes.
ViStatus receiveAll(int fd, void *data, size_t size, const Deadline &deadline);
