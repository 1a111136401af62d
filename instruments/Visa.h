#pragma once
// The VISA session layer: loads the VISA library at run time and offers the
// write, query and read operations on which every command set is built, the
// resource strings, and the open, local and close of an instrument.
// Every operation returns a VISA status (0 success, < 0 error, > 0 warning).
// Without a loaded VISA library every operation returns
// VI_ERROR_LIBRARY_NFOUND and touches nothing. A positive completion code of a
// read (VI_SUCCESS_MAX_CNT: the reply was longer than the buffer, the rest
// stays in the instrument's output queue) still delivers what was read and is
// passed up.
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

#include <QString>

// Loads the first VISA library found (see VisaCandidates in VisaLibrary.h)
// once per process; true when it exports every function of the table.
bool VisaLoad();
// Path of the VISA library that VisaLoad loaded, empty when none.
QString VisaLibraryPath();

// A query reads one reply of up to 20000 bytes and keeps its terminator; the
// number reads take up to 100 bytes and parse the leading number in the C
// locale (0 when the reply holds none). Reply and value stay unchanged when
// the exchange fails; VisaReadNum then gives 0.
ViStatus VisaWrite(ViSession session, const QString &cmd);
ViStatus VisaQuery(ViSession session, const QString &cmd, QString &reply);
ViStatus VisaQueryNum(ViSession session, const QString &cmd, double &value);
ViStatus VisaQueryInt(ViSession session, const QString &cmd, int &value);
ViStatus VisaReadNum(ViSession session, double &value);
ViStatus VisaReadStb(ViSession session, ViUInt16 &stb);

void MakeRsrc(DevStr &dev);
// The USB resource string of the power sensor: "USB::0x1209::0x<product id in
// lower-case hex>::<serial number>".
QString UsbRsrc(int productId, int serialNo);
// Opens, configures, resets and identifies as the record asks, routes a radio
// tester and returns the instrument to local control. Generator 2 "None" (0)
// and "External" (31) are never opened or addressed: 0 without any I/O.
// The power sensor (75) opens through its driver, closing an open one first.
ViStatus DevOpen(DevStr &dev);
// Radio tester as generator (1) or analyzer (69): finds the secondary address
// of its signalling function; 0, a negative status when the primary address
// failed, or 1 when a later step failed.
ViStatus DevOpenSec(DevStr &dev);
// Go-to-local on GPIB, "&GTL" on LAN, nothing on serial, USB or the sensor.
ViStatus DevLocal(DevStr dev);
// Closes the session and its resource manager (the sensor: its driver
// session) as the type it was opened for asks; Session keeps its value.
ViStatus DevClose(DevStr &dev);
// True when the open session belongs to the record's current type and
// resource string; false when there is none or the record has changed since.
bool DevSessionCurrent(const DevStr &dev);
// Closes a session that no longer belongs to the record; Session becomes 0.
void DevDropSession(DevStr &dev);
// After a failed open: a sentence on why the instrument cannot be reached
// when the VISA library finds no instrument at all on its interface; empty
// when the library does (the address or the instrument is at fault then).
QString DevReachHint(const DevStr &dev);
