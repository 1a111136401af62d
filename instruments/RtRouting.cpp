#include "instruments/RtRouting.h"

#include "instruments/Visa.h"

#include <QStringList>

namespace {

// A connector row that the type does not have is a broken set-up; nothing is
// sent for it.
constexpr ViStatus kNoSuchConnector = VI_ERROR_INV_SETUP;

ViStatus writeAll(ViSession session, const QStringList &commands)
{
  ViStatus status = VI_SUCCESS;
  for (const QString &cmd : commands) {
    status = VisaWrite(session, cmd);
    if (status < 0)
      break;
  }
  return status;
}

// The generator path of types 2 and 3: signal off, list mode off, plain
// carrier, then the routing of the type and the output switched on.
ViStatus routeGenerator(const DevStr &dev)
{
  const ViSession s = dev.Session;
  ViStatus status = writeAll(s, {"*CLS\n", "SOUR:GPRF:GEN:STAT OFF\n", "SOUR:GPRF:GEN:LIST OFF\n",
                                 "SOUR:GPRF:GEN:BBM CW\n"});
  if (status < 0)
    return status;
  QString reply;
  if (dev.Type == 2) {
    const QString connector = RtConnector(2, dev.RfPort);
    if (connector.isEmpty())
      return kNoSuchConnector;
    const QString g = dev.RfPort < 3 ? "1" : "2";
    status = VisaWrite(s, "ROUT:GPRF:GEN" + g + ":SCEN:SAL " + connector + ", TX" + g + "\n");
    if (status < 0)
      return status;
    return VisaQuery(s, "SOUR:GPRF:GEN" + g + ":STAT ON;*OPC?\n", reply);
  }
  status = VisaWrite(s, QString("ROUT:GPRF:GEN:SCEN:SAL R%1,TX%2\n")
                            .arg(100 * dev.RtcNo + 10 + dev.RfPort)
                            .arg(10 * dev.RtcNo + 1));
  if (status < 0)
    return status;
  return VisaQuery(s, "SOUR:GPRF:GEN:STAT ON;*OPC?\n", reply);
}

ViStatus routeMeasurement(const DevStr &dev)
{
  const ViSession s = dev.Session;
  if (dev.Type == 71) {
    return VisaWrite(s, QString("ROUT:GPRF:MEAS:SCEN:SAL R%1, RX%2\n")
                            .arg(10 * dev.RtcNo + 1 + dev.RfPort)
                            .arg(dev.RtcNo));
  }
  const QString connector = RtConnector(70, dev.RfPort);
  if (connector.isEmpty())
    return kNoSuchConnector;
  const ViStatus status = VisaWrite(s, "*CLS\n");
  if (status < 0)
    return status;
  const QString g = dev.RfPort < 2 ? "1" : "2";
  return VisaWrite(s, "ROUT:GPRF:MEAS:SCEN:SAL " + connector + ", RX" + g + "\n");
}

}  // namespace

QString RtConnector(int type, int rfPort)
{
  static const QStringList generator = {"RF1", "RF2", "RF3"};
  static const QStringList analyzer = {"RF1", "RF2", "RF4"};
  static const QStringList generatorUnit = {"RF1C", "RF1O", "RF2C", "RF3C", "RF3O", "RF4C"};
  static const QStringList measurementUnit = {"RF1C", "RF2C", "RF3C", "RF4C"};
  switch (type) {
  case 1: return generator.value(rfPort);
  case 69: return analyzer.value(rfPort);
  case 2: return generatorUnit.value(rfPort);
  case 70: return measurementUnit.value(rfPort);
  default: return QString();
  }
}

ViStatus RtSelConnector(const DevStr &dev)
{
  if (dev.Type != 1 && dev.Type != 69)
    return VI_SUCCESS;
  const QString connector = RtConnector(dev.Type, dev.RfPort);
  if (connector.isEmpty())
    return kNoSuchConnector;
  return VisaWrite(dev.Session, (dev.Type == 1 ? "OUTP " : "INP ") + connector + "\n");
}

ViStatus RtRouteOpen(const DevStr &dev)
{
  switch (dev.Type) {
  case 2:
  case 3: return routeGenerator(dev);
  case 70:
  case 71: return routeMeasurement(dev);
  default: return VI_SUCCESS;
  }
}
