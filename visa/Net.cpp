#include "visa/Net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

Deadline::Deadline(int timeoutMs)
    : infinite_(timeoutMs < 0), end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0))) {}

int Deadline::remainingMs() const {
  if (infinite_)
    return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
  return left.count() > 0 ? int(left.count()) : 0;
}

std::string secondsText(int ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", ms / 1000.0);
  return text;
}

namespace {

// Waits for the socket to become readable or writable; false on timeout.
bool waitFor(int fd, short events, const Deadline &deadline) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = poll(&p, 1, deadline.remainingMs());
    if (n > 0)
      return true;
    if (n == 0 || errno != EINTR)
      return false;
  }
}

}  // namespace

int connectTcp(const std::string &host, unsigned port, int timeoutMs, ViStatus &status, std::string &reason) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) {
    status = VI_ERROR_RSRC_NFOUND;
    reason = "host " + host + " not found";
    return -1;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      const Deadline deadline(timeoutMs);
      error = ETIMEDOUT;
      if (waitFor(fd, POLLOUT, deadline)) {
        socklen_t length = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
      }
    }
  }
  freeaddrinfo(found);
  if (error != 0) {
    if (fd >= 0)
      ::close(fd);
    status = error == ETIMEDOUT ? VI_ERROR_TMO : VI_ERROR_RSRC_NFOUND;
    if (error == ETIMEDOUT)
      reason = "no answer from " + host + " within " + secondsText(timeoutMs);
    else if (error == ECONNREFUSED)
      reason = "port " + std::to_string(port) + " refused";
    else
      reason = host + ": " + std::strerror(error);
    return -1;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  status = VI_SUCCESS;
  return fd;
}

ViStatus sendAll(int fd, const void *data, size_t size, const Deadline &deadline) {
  const char *p = static_cast<const char *>(data);
  while (size > 0) {
    ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == ENOTSOCK)  // a terminal
      n = ::write(fd, p, size);
    if (n > 0) {
      p += n;
      size -= size_t(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!waitFor(fd, POLLOUT, deadline))
        return VI_ERROR_TMO;
    } else {
      return VI_ERROR_CONN_LOST;
    }
  }
  return VI_SUCCESS;
}

ViStatus receiveSome(int fd, void *data, size_t size, const Deadline &deadline, size_t &got) {
  got = 0;
  for (;;) {
    const ssize_t n = ::read(fd, data, size);
    if (n > 0) {
      got = size_t(n);
      return VI_SUCCESS;
    }
    if (n == 0)
      return VI_ERROR_CONN_LOST;
    if (errno != EAGAIN && errno != EINTR)
      return errno == EIO ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
    if (!waitFor(fd, POLLIN, deadline))
      return VI_ERROR_TMO;
  }
}

ViStatus receiveAll(int fd, void *data, size_t size, const Deadline &deadline) {
  char *p = static_cast<char *>(data);
  while (size > 0) {
    size_t got = 0;
    const ViStatus status = receiveSome(fd, p, size, deadline, got);
    if (status != VI_SUCCESS)
      return status;
    p += got;
    size -= got;
  }
  return VI_SUCCESS;
}
