#pragma once
// Zeroing of the analyzer when it is a power meter or the USB power sensor.
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

// The power meters and the sensor (types 73 to 80) can be zeroed.
bool MeterCanZero(int type);
// Opens the meter when its session is not the record's, zeroes it and
// returns it to local control. VI_ERROR_NSUP_OPER for other types.
ViStatus MeterZero(DevStr &ana);
