#pragma once
// What the loaded VISA library says beyond the VISA standard, when it is the
// project's libsolvisa: whether it talks to the simulated bench rather than
// to real instruments (simulated values must never pass for measurements),
// and why its last call failed in words a user understands. A real VISA
// library has neither function; the answers are then empty.
#include <QString>

// The name of the simulated bench behind the VISA library at visaLibraryPath
// ("default" or the bench file), or an empty string when it serves none.
QString SimulatedBenchName(const QString &visaLibraryPath);
// Why the calling thread's last failed VISA call failed ("port 5025
// refused", "no GPIB driver"), or an empty string.
QString VisaFailureReason();
