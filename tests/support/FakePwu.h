#pragma once
// Test side of the recording fake sensor-driver library
// (tests/fakes/FakePwuLib.cpp), built as build/bin/fakepwu/libpwudrv_64.so.
// Transcript in the format of FakeVisa.h: the handle, then the channel, then
// the values; doubles in shortest exact decimal form without exponent.
// Handles are numbered 1, 2, 3, ... in the order of pwudrv_init.
//   pwudrv_init "USB::0x1209::0x2f::1234" 0 1 -> 1
//   pwudrv_revision_query 1 -> "1.0.0"
//   pwudrv_chan_setCorrectionFrequency 1 1 1000000000
//   pwudrv_meass_readMeasurement 1 1 10000 -> 0.001
// Readings come from the script in order, 0.001 W when none is queued; the
// revision text is "1.0.0" unless set.
#include "instruments/VisaDefs.h"

#include <QString>
#include <QStringList>

namespace FakePwu {

QString folder();            // build/bin/fakepwu/ (trailing separator)
QString incompleteFolder();  // a driver without pwudrv_error_message
// Calls PwuLoad(folder()) once per process; true when the program's driver
// binding runs on the fake. Also resets the fake.
bool load();

void reset();
void reading(double watts);
// The next measurement fails with status (delivering no reading).
void readingFails(ViStatus status);
void failNext(const QString &function, ViStatus status);
void setRevision(const QString &text);
QStringList transcript();

}  // namespace FakePwu
