// Zeroing of the power meters and the USB power sensor: each removes the
// offset it reads without a signal. The RF must be off while it runs.
#include "instruments/MeterZero.h"

#include "instruments/CmdReply.h"
#include "instruments/PwuDriver.h"
#include "instruments/TypeSet.h"
#include "instruments/Visa.h"

namespace {

constexpr int kSensorType = 75;

ViStatus ZeroCommand(ViSession s, int type)
{
  if (TypeIn(type, {73, 74})) return CmdQuery(s, "CAL:ZERO:AUTO ONCE;*OPC?\n");
  if (TypeIn(type, {76})) return CmdQuery(s, "CAL1:ZERO;*OPC?\n");
  if (TypeIn(type, {77})) return CmdQuery(s, "CAL:ZERO;*OPC?\n");
  return VisaWrite(s, "ZE\n");  // 78 to 80
}

}  // namespace

bool MeterCanZero(int type) { return TypeIn(type, {Range(73, 80)}); }

ViStatus MeterZero(DevStr &ana)
{
  if (!MeterCanZero(ana.Type))
    return VI_ERROR_NSUP_OPER;
  if (!DevSessionCurrent(ana)) {
    DevDropSession(ana);
    const ViStatus opened = DevOpen(ana);
    if (opened < VI_SUCCESS)
      return opened;
  }
  if (ana.Type == kSensorType)
    return PwuZero(ana.Session);
  const ViStatus status = ZeroCommand(ana.Session, ana.Type);
  DevLocal(ana);
  return status;
}
