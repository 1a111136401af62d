#pragma once
// Start-up loading of the two run-time libraries: the VISA library and the
// USB power sensor's driver. The window shows the messages; this only says
// what happened.
#include <QString>

struct LibStartup {
  QString VxiPath;                 // driver folder, trailing separator included
  bool VisaLoaded = false;         // false: tell the user, then start anyway
  bool SensorDriverLoaded = false;
  int AnaType = 0;                 // the analyzer type to use from now on
  bool AnaTypeChanged = false;     // the sensor (75) became the power meter (73)
};

// The folder of instrument drivers: VXIPNPPATH64 followed by "Win64\Bin\" on
// Windows; elsewhere by the same folders with "/" ("Win64/Bin/"), so that one
// driver tree serves both, and with a "/" put between when the variable lacks
// it. Without the variable the folder is relative.
QString VxiFolder();

// Loads the VISA library, then the sensor driver from VxiFolder(); anaType is
// the analyzer type of the configuration.
LibStartup LoadLibs(int anaType);
