#pragma once
// Binding to the USB power sensor's instrument-driver library, loaded at run
// time. The sensor answers in watts; PwuMeasure gives the level in dBm.
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

#include <QString>

// A measurement that delivered no positive power in watts (an
// instrument-driver error code, so that callers treat it as any failure).
constexpr ViStatus kPwuNoReading = static_cast<ViStatus>(0xBFFC0900u);

bool PwuLoad(const QString &folder);  // folder with a trailing separator
QString PwuLibraryPath();             // empty when not loaded

// The sensor's open (identification included), averaging set-up, one
// measurement in dBm, and close. Negative driver statuses are passed up.
ViStatus PwuOpen(DevStr &ana);
ViStatus PwuSetup(const DevStr &ana);
ViStatus PwuMeasure(ViSession session, double freqHz, double dwellS, double &levelDbm);
ViStatus PwuClose(ViSession session);
// Zeroes the sensor (no RF at its input while it runs).
ViStatus PwuZero(ViSession session);
