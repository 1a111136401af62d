#pragma once
// VISA resource strings for the real interfaces, taken apart:
//   TCPIP[board]::host[::device]::INSTR     VXI-11 (device "inst0" by default,
//                                           "gpib0,28" through a gateway)
//   TCPIP[board]::host::hislipN[,port]::INSTR   HiSLIP (port 4880 by default)
//   TCPIP[board]::host::port::SOCKET        raw socket
//   ASRL[board]::INSTR, ASRL/dev/ttyUSB0::INSTR  serial line
//   USB[board]::vid::pid::serial[::intf]::INSTR  USBTMC
//   GPIB[board]::pad[::sad]::INSTR          GPIB
#include "instruments/VisaDefs.h"

#include <QString>

struct Resource {
  bool valid = false;
  ViUInt16 interfaceType = 0;  // VI_INTF_*
  ViUInt16 board = 0;
  QString resourceClass;  // "INSTR" or "SOCKET"
  QString host;
  QString device;  // VXI-11 device name, or "hislipN"
  ViUInt16 port = 0;  // SOCKET and HiSLIP
  QString serialDevice;  // a path, or "" for the board number's port
  int primary = -1, secondary = -1;  // GPIB
  ViUInt16 vendorId = 0, productId = 0;
  QString serialNumber;
  int usbInterface = -1;

  bool isHislip() const { return device.startsWith("hislip", Qt::CaseInsensitive); }
  // The resource in the standard's canonical spelling.
  QString canonical() const;
};

Resource parseResource(const QString &text);
