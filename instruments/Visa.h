#pragma once
// The VISA session layer: loads the VISA library at run time and offers the
// write, query and read operations on which every command set is built, the
// resource strings, and the open, local and close of an instrument.
// Every operation returns a VISA status (0 success, < 0 error, > 0 warning).
#include "instruments/DevRecords.h"
#include "instruments/VisaDefs.h"

#include <QString>

bool VisaLoad();
// Path of the VISA library that VisaLoad loaded, empty when none.
QString VisaLibraryPath();

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
ViStatus DevOpen(DevStr &dev);
ViStatus DevOpenSec(DevStr &dev);
ViStatus DevLocal(DevStr dev);
ViStatus DevClose(DevStr &dev);
