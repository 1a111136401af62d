#pragma once
// Connector routing of the radio testers when they are opened: the output or
// input connector chosen by RfPort, and the signal path of the generator and
// measurement units. Each operation returns the status of its last exchange
// and stops at the first failure.
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

#include <QString>

// Connector name of a radio tester type (1, 2, 69, 70) for RfPort; empty for
// other types or a row the type does not have.
QString RtConnector(int type, int rfPort);

// Types 1 and 69, last step of the secondary-address open: "OUTP <connector>"
// or "INP <connector>". Other types send nothing and return 0.
ViStatus RtSelConnector(const DevStr &dev);

// Types 2, 3, 70 and 71 after the open: clears the generator or routes the
// measurement path to the connector. Other types send nothing and return 0.
ViStatus RtRouteOpen(const DevStr &dev);
