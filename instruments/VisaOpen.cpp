// Resource strings, and the open, local and close of an instrument.
// Within an open, VISA's completion and warning codes (positive, e.g. "VISA
// configuration not loaded") count as success; errors are negative.
#include "instruments/Visa.h"

#include "instruments/DevTables.h"
#include "instruments/PwuDriver.h"
#include "instruments/RtRouting.h"
#include "instruments/TypeSet.h"
#include "instruments/VisaLibrary.h"

namespace {

// pid.codes, the USB vendor id shared by open-source hardware projects; it
// belongs to no instrument maker.
constexpr int kUsbVendorId = 0x1209;

constexpr ViUInt32 kOpenTimeoutMs = 5000;
constexpr ViUInt32 kPrimaryOpenTimeoutMs = 10000;
constexpr ViUInt32 kSecondaryOpenTimeoutMs = 0;
constexpr ViAttrState kIoTimeoutMs = 10000;
constexpr ViAttrState kSerialTimeoutMs = 6000;
constexpr ViUInt32 kFormattedBufferSize = 4000;
constexpr int kFirstSecondary = 1, kLastSecondary = 29;
const char *const kSignalFunction = "\"RF_NSig\"\n";

constexpr int kSensorType = 75;

bool isRadioTesterSec(int type)
{
  return type == 1 || type == 69;
}

// Generator 2 "None" (0) and "External" (31) are never opened or addressed.
bool isUncontrolled(int type)
{
  return type == 0 || type == 31;
}

bool failed(ViStatus status)
{
  return status < 0;
}

// Sets the attributes in order and stops at the first failure.
ViStatus setAttributes(ViSession session, std::initializer_list<std::pair<ViAttr, ViAttrState>> attributes)
{
  ViStatus status = VI_SUCCESS;
  for (const auto &attribute : attributes) {
    status = visa::setAttribute(session, attribute.first, attribute.second);
    if (failed(status))
      break;
  }
  return status;
}

// I/O timeout and the formatted I/O buffers, flushed on every access.
ViStatus configure(ViSession session)
{
  ViStatus status = visa::setAttribute(session, VI_ATTR_TMO_VALUE, kIoTimeoutMs);
  if (!failed(status))
    status = visa::setBuf(session, VI_READ_BUF | VI_WRITE_BUF, kFormattedBufferSize);
  if (!failed(status))
    status = setAttributes(session, {{VI_ATTR_WR_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS},
                                     {VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS}});
  return status;
}

ViStatus openSession(const QString &resource, ViUInt32 timeoutMs, ViSession &session)
{
  ViSession rm = VI_NULL;
  ViStatus status = visa::openDefaultRM(rm);
  if (failed(status))
    return status;
  status = visa::open(rm, resource, timeoutMs, session);
  // Nothing else would ever close a resource manager without a session.
  if (failed(status))
    visa::close(rm);
  return status;
}

// Closes a session and the resource manager that opened it.
ViStatus closeSession(ViSession session)
{
  ViSession rm = VI_NULL;
  ViStatus status = visa::resourceManagerOf(session, rm);
  if (!failed(status))
    status = visa::close(session);
  if (!failed(status))
    status = visa::close(rm);
  return status;
}

ViStatus configureSerialLine(const DevStr &dev)
{
  return setAttributes(
      dev.Session,
      {{VI_ATTR_MAX_QUEUE_LENGTH, 50},
       {VI_ATTR_SEND_END_EN, VI_TRUE},
       {VI_ATTR_TMO_VALUE, kSerialTimeoutMs},
       {VI_ATTR_TERMCHAR, '\n'},
       {VI_ATTR_TERMCHAR_EN, VI_FALSE},
       {VI_ATTR_IO_PROT, VI_PROT_NORMAL},
       {VI_ATTR_SUPPRESS_END_EN, VI_FALSE},
       {VI_ATTR_ASRL_BAUD, static_cast<ViAttrState>(dev.Baudrate)},
       {VI_ATTR_ASRL_DATA_BITS, static_cast<ViAttrState>(dev.DataBits)},
       {VI_ATTR_ASRL_PARITY, static_cast<ViAttrState>(dev.Parity)},
       {VI_ATTR_ASRL_STOP_BITS, static_cast<ViAttrState>(dev.StopBits)},
       {VI_ATTR_ASRL_FLOW_CNTRL, static_cast<ViAttrState>(FlowControlToVisa(dev.FlowControl))},
       {VI_ATTR_ASRL_END_IN, VI_ASRL_END_TERMCHAR},
       {VI_ATTR_ASRL_END_OUT, VI_ASRL_END_NONE},
       {VI_ATTR_ASRL_XON_CHAR, 17},
       {VI_ATTR_ASRL_XOFF_CHAR, 19}});
}

// The power meters of types 78 to 80 speak a command set of their own.
ViStatus openPowerMeter(DevStr &dev)
{
  ViStatus status = VI_SUCCESS;
  const ViStatus mode = VisaWrite(dev.Session, dev.Type == 79 ? "W3\n" : "W4\n");
  if (dev.Type == 79 && failed(mode))
    return mode;
  if (dev.QueryIdn) {
    status = VisaQuery(dev.Session, "ZV\n", dev.Idn);
    if (!failed(status))
      DevLocal(dev);
  }
  return status;
}

// Serial line, reset, identification, routing, local control.
ViStatus openInstrument(DevStr &dev)
{
  ViStatus status = VI_SUCCESS;
  if (TypeIn(dev.Type, {10, 18, 21, 58}) && dev.Interface == 2) {
    status = configureSerialLine(dev);
    if (failed(status))
      return status;
  }
  if (dev.Reset)
    status = VisaWrite(dev.Session, "*RST\n");
  if (dev.QueryIdn && !failed(status))
    status = VisaQuery(dev.Session, "*IDN?\n", dev.Idn);
  if (!failed(status))
    status = RtRouteOpen(dev);
  DevLocal(dev);
  return status;
}

QString gpibOrSerialRsrc(const DevStr &dev, int secondary)
{
  switch (dev.Interface) {
  case 0:
  case 1: return QString("GPIB%1::%2::%3::INSTR").arg(dev.Interface).arg(dev.GpibAddress).arg(secondary);
  case 2: return QString("ASRL%1::%2::INSTR").arg(dev.SerialPort + 1).arg(secondary);
  default: return QString();
  }
}

// Asks the primary address for the secondary address of the signal
// generator function; kLastSecondary + 1 when no address names it.
int findSignalFunction(ViSession session)
{
  int n = kFirstSecondary;
  for (; n <= kLastSecondary; ++n) {
    QString reply;
    const ViStatus status = VisaQuery(session, QString("SYST:REM:ADDR:SEC? %1\n").arg(n), reply);
    if (!failed(status) && reply == kSignalFunction)
      break;
  }
  return n;
}

}  // namespace

QString UsbRsrc(int productId, int serialNo)
{
  const QString vendor = QString::number(kUsbVendorId, 16).rightJustified(4, '0').toUpper();
  return "USB::0x" + vendor + "::0x" + QString::number(productId, 16) + "::" + QString::number(serialNo);
}

void MakeRsrc(DevStr &dev)
{
  const QString suffix = dev.Type == 1 ? "::0::INSTR" : "::INSTR";
  switch (dev.Interface) {
  case 0:
  case 1: dev.VisaResourceString = QString("GPIB%1::%2").arg(dev.Interface).arg(dev.GpibAddress) + suffix; break;
  case 2: dev.VisaResourceString = QString("ASRL%1::INSTR").arg(dev.SerialPort + 1); break;
  case 3: dev.VisaResourceString = "TCPIP::" + dev.IpAddress + "::INSTR"; break;
  case 4:
    if (dev.Type == kSensorType)
      dev.VisaResourceString = UsbRsrc(dev.ProductId, dev.SerialNo);
    break;
  // The address may carry a port ("192.168.0.5:5026"); SCPI's port by default.
  case 5:
    dev.VisaResourceString = "TCPIP::" + dev.IpAddress.section(':', 0, 0) + "::" +
                             (dev.IpAddress.contains(':') ? dev.IpAddress.section(':', 1) : QString("5025")) + "::SOCKET";
    break;
  case 6:
    dev.VisaResourceString = "TCPIP::" + dev.IpAddress.section(':', 0, 0) + "::hislip0" +
                             (dev.IpAddress.contains(':') ? "," + dev.IpAddress.section(':', 1) : QString()) + "::INSTR";
    break;
  default: break;
  }
}

ViStatus DevOpen(DevStr &dev)
{
  MakeRsrc(dev);
  if (isUncontrolled(dev.Type))
    return VI_SUCCESS;
  dev.SessionType = dev.Type;
  dev.SessionRsrc = dev.VisaResourceString;
  if (dev.Type == kSensorType)
    return PwuOpen(dev);
  ViStatus status = VI_SUCCESS;
  if (isRadioTesterSec(dev.Type)) {
    status = DevOpenSec(dev);
  } else {
    status = openSession(dev.VisaResourceString, kOpenTimeoutMs, dev.Session);
    if (!failed(status) && (dev.Type == 32 || dev.Type == 37))
      VisaWrite(dev.Session, "TER E\n");
  }
  // A failed open is never configured; DevOpenSec reports a late failure as 1.
  if (status != VI_SUCCESS && (failed(status) || isRadioTesterSec(dev.Type)))
    return status;
  status = configure(dev.Session);
  if (failed(status))
    return status;
  if (TypeIn(dev.Type, {Range(78, 80)}))
    return openPowerMeter(dev);
  return openInstrument(dev);
}

ViStatus DevOpenSec(DevStr &dev)
{
  const QString primary = gpibOrSerialRsrc(dev, 0);
  ViSession rm = VI_NULL;
  ViSession probe = VI_NULL;
  ViStatus status = visa::openDefaultRM(rm);
  if (!failed(status))
    status = visa::open(rm, primary, kPrimaryOpenTimeoutMs, probe);
  if (!failed(status))
    status = VisaQuery(probe, "*IDN?\n", dev.Idn);
  if (failed(status)) {
    if (probe != VI_NULL)
      visa::close(probe);
    if (rm != VI_NULL)
      visa::close(rm);
    return status;
  }
  const int secondary = findSignalFunction(probe);
  VisaWrite(probe, "SYST:GTRM:COMP OFF\n");
  visa::close(probe);
  visa::close(rm);

  constexpr ViStatus kLateFailure = 1;
  status = openSession(gpibOrSerialRsrc(dev, secondary), kSecondaryOpenTimeoutMs, dev.Session);
  if (!failed(status))
    status = configure(dev.Session);
  if (!failed(status) && dev.Reset) {
    QString reply;
    status = VisaQuery(dev.Session, "*RST;*OPC?\n", reply);
  }
  if (!failed(status))
    status = VisaWrite(dev.Session, "*CLS\n");
  if (!failed(status))
    status = RtSelConnector(dev);
  return failed(status) ? kLateFailure : VI_SUCCESS;
}

ViStatus DevLocal(DevStr dev)
{
  // The power sensor's session is a driver handle, not a VISA session.
  if (isUncontrolled(dev.Type) || dev.Type == kSensorType)
    return VI_SUCCESS;
  if (dev.VisaResourceString.contains("GPIB"))
    return visa::gpibControlRen(dev.Session, VI_GPIB_REN_ADDRESS_GTL);
  if (dev.VisaResourceString.contains("TCPIP"))
    return VisaWrite(dev.Session, "&GTL\n");
  return VI_SUCCESS;
}

ViStatus DevClose(DevStr &dev)
{
  const int type = dev.SessionType >= 0 ? dev.SessionType : dev.Type;
  if (isUncontrolled(type) || dev.Session == 0)
    return VI_SUCCESS;
  if (type == kSensorType)
    return PwuClose(dev.Session);
  return closeSession(dev.Session);
}

bool DevSessionCurrent(const DevStr &dev)
{
  if (dev.Session == 0)
    return false;
  DevStr now = dev;
  MakeRsrc(now);
  if (dev.SessionType < 0)
    return true;
  return dev.SessionType == dev.Type && dev.SessionRsrc == now.VisaResourceString;
}

void DevDropSession(DevStr &dev)
{
  if (dev.Session != 0)
    DevClose(dev);
  dev.Session = 0;
  dev.SessionType = -1;
  dev.SessionRsrc.clear();
}
