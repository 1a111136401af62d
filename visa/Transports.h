#pragma once
// Opens the transport a resource string asks for: VXI-11, raw socket or
// HiSLIP on the LAN, a serial line, USBTMC or GPIB (through linux-gpib, or
// through the VXI-11 gateway that SOLVISA_GPIB_GATEWAY names). nullptr on
// failure, with the VISA status and the reason in words.
#include "visa/Resource.h"
#include "visa/Transport.h"

#include <memory>
#include <string>

std::unique_ptr<Transport> connectTransport(const Resource &resource, const IoSettings &io, ViStatus &status,
                                            std::string &reason);
