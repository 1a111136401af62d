#pragma once
// viFindRsrc's view of the machine: serial ports, USBTMC devices and the
// VXI-11 instruments that answer a portmapper broadcast on the LAN.
#include <QStringList>

QStringList discoverResources();
