#pragma once
// The bench over HiSLIP: sub-address "hislipN" is the bench's N-th
// instrument. A response goes out as soon as the instrument has one, with
// the message id of the message that asked for it.
#include "benchd/ServedBench.h"

class HislipServer {
public:
  explicit HislipServer(ServedBench &bench) : bench_(bench) {}
  unsigned start(unsigned port);  // the port, 0 when it cannot be had

private:
  void serve(int fd);
  ServedBench &bench_;
};
