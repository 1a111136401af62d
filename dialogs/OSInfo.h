#pragma once
// Facts about the computer for the About dialog's support information. Each
// text operation returns the fact, or "---" when it cannot be read or does
// not exist on this system.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

extern const QString kNoFact;  // "---"

// A section of system facts: entries of (key, value).
struct SysSection {
  QString title;
  QList<QPair<QString, QString>> entries;
};

// A section of installed drivers: one text per driver.
struct DriverSection {
  QString title;
  QStringList entries;
};

class OSInfo {
public:
  virtual ~OSInfo() = default;
  virtual QString osName() const = 0;
  virtual QString country() const = 0;
  virtual QString language() const = 0;
  virtual QString localeId() const = 0;
  virtual QString visaInfo() const = 0;
  virtual QString sensorControlInfo() const = 0;
  virtual QList<SysSection> systemInformation() const = 0;
  virtual QList<DriverSection> driverInformation() const = 0;
};
