#include "instruments/LibStartup.h"

#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"

namespace {

constexpr int kSensorType = 75;
constexpr int kPowerMeterType = 73;

}  // namespace

QString VxiFolder()
{
  QString folder = qEnvironmentVariable("VXIPNPPATH64");
#ifdef Q_OS_WIN
  return folder + "Win64\\Bin\\";
#else
  if (!folder.isEmpty() && !folder.endsWith('/'))
    folder += '/';
  return folder + "Win64/Bin/";
#endif
}

LibStartup LoadLibs(int anaType)
{
  LibStartup result;
  result.VxiPath = VxiFolder();
  result.VisaLoaded = VisaLoad();
  result.SensorDriverLoaded = PwuLoad(result.VxiPath);
  result.AnaType = anaType;
  if (!result.SensorDriverLoaded && anaType == kSensorType) {
    result.AnaType = kPowerMeterType;
    result.AnaTypeChanged = true;
  }
  return result;
}
