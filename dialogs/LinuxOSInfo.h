#pragma once
// System facts on Linux: os-release, the locale, the administrator check,
// the VISA and sensor-driver libraries that were loaded, and the instrument
// drivers installed in the driver folders.
#include "dialogs/OSInfo.h"

class LinuxOSInfo : public OSInfo {
public:
  // Where the facts are read and the drivers looked for.
  struct Places {
    QString osRelease;  // the os-release file
    QString vxi;        // VXIplug&play driver libraries
    QString ivi;        // IVI driver libraries
    QStringList udev;   // udev rules that give access to USB instruments
  };
  // The places of this computer: /etc/os-release, the instrument-driver
  // folder named by VXIPNPPATH64 (the sensor driver is loaded from it), the
  // IVI folder named by IVIROOTDIR64, and the system's udev rules folders.
  static Places SystemPlaces();

  explicit LinuxOSInfo(Places places = SystemPlaces());

  QString osName() const override;
  QString country() const override;
  QString language() const override;
  QString localeId() const override;
  QString visaInfo() const override;
  QString sensorControlInfo() const override;
  QList<SysSection> systemInformation() const override;
  QList<DriverSection> driverInformation() const override;

  // The version in a shared library's name ("libx.so.1.2" gives "1.2") after
  // following its links, or "---".
  static QString LibraryVersion(const QString &path);

private:
  Places places;
};
