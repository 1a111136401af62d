#pragma once
// The bench as byte streams: a raw socket port, or a pseudo-terminal, per
// instrument. A message ends at a line feed; a response goes out as soon as
// the instrument has one.
#include "benchd/ServedBench.h"

#include <string>

// The port serving the instrument, 0 when none could be had.
unsigned serveSocket(ServedBench &bench, sim::Instrument &instrument, unsigned port);
// The path of the terminal serving the instrument, "" when none.
std::string servePseudoTerminal(ServedBench &bench, sim::Instrument &instrument);
