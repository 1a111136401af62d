#pragma once
// VISA resource strings reduced to the instrument they address, so that
// "GPIB::20::INSTR", "gpib0::20::instr" and "GPIB0::20::INSTR" find the same
// instrument and a secondary address is kept apart from the instrument.
#include <QString>

namespace sim {

struct ResourceName {
  QString instrument;  // e.g. "GPIB0::20", "ASRL1", "TCPIP0::192.168.0.5", "USB0::0x1209::0x1a::17"
  int secondary = -1;  // GPIB or serial secondary address, -1 when none
  bool valid = false;  // a resource string of the VISA syntax
};

ResourceName parseResourceName(const QString &resource);

}  // namespace sim
