#pragma once
// VXI-11 instruments on the LAN: a portmapper GETPORT for the core channel,
// broadcast over UDP, and every host that answers with a port. With
// SOLVISA_PORTMAPPER_PORT set the question goes to that port on loopback,
// and the first answer ends the wait.
#include <QStringList>

QStringList findVxi11Instruments(int waitMs = 300);
