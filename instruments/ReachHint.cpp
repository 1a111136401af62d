// Why an instrument could not be opened, when the VISA library can tell: a
// library that finds no instrument at all on an interface (GPIB without a
// GPIB driver, USB without the instrument plugged in) cannot reach this one.
#include "instruments/Visa.h"

#include "instruments/VisaLibrary.h"

namespace {

// The interface part of a resource string ("GPIB0", "ASRL3", "USB") and the
// VISA search expression for every instrument on it. LAN instruments are not
// listed by a search, so nothing can be concluded for them.
bool SearchFor(const QString &resource, QString &interfaceName, QString &expression)
{
  const QString head = resource.section(QStringLiteral("::"), 0, 0);
  for (const char *prefix : {"GPIB", "ASRL", "USB"}) {
    if (head.startsWith(QLatin1String(prefix))) {
      interfaceName = head;
      expression = head + QStringLiteral("?*INSTR");
      return true;
    }
  }
  return false;
}

}  // namespace

QString DevReachHint(const DevStr &dev)
{
  // The sensor is reached through its own driver, which VISA need not list.
  constexpr int kSensorType = 75;
  if (dev.Type == kSensorType)
    return QString();
  DevStr target = dev;
  MakeRsrc(target);
  QString interfaceName, expression;
  if (!SearchFor(target.VisaResourceString, interfaceName, expression))
    return QString();
  if (VisaLibraryPath().isEmpty())
    return QStringLiteral("No VISA library is loaded, so no instrument can be reached.");
  ViSession rm = VI_NULL;
  if (visa::openDefaultRM(rm) < VI_SUCCESS)
    return QString();
  ViUInt32 count = 0;
  const ViStatus status = visa::findCount(rm, expression, count);
  visa::close(rm);
  if (status >= VI_SUCCESS && count > 0)
    return QString();
  return QStringLiteral("The VISA library %1 finds no %2 instrument on this computer. Check that the driver "
                        "of the %2 interface is installed and that the instrument is connected and on.")
      .arg(VisaLibraryPath(), interfaceName);
}
