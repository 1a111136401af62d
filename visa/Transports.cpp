#include "visa/Transports.h"

#include "visa/GpibTransport.h"
#include "visa/HislipTransport.h"
#include "visa/Net.h"
#include "visa/SerialTransport.h"
#include "visa/StreamTransport.h"
#include "visa/UsbtmcTransport.h"
#include "visa/Vxi11Transport.h"

namespace {

std::unique_ptr<Transport> connectSocket(const Resource &resource, const IoSettings &io, ViStatus &status,
                                         std::string &reason) {
  const std::string host = resource.host.toStdString();
  const int fd = connectTcp(host, resource.port, io.timeoutMs, status, reason);
  if (fd < 0)
    return nullptr;
  return std::make_unique<StreamTransport>(fd, host);
}

// GPIB instruments behind a LAN/GPIB gateway (SOLVISA_GPIB_GATEWAY names
// it) are VXI-11 devices "gpibB,P[,S]" of the gateway.
std::unique_ptr<Transport> connectGpib(const Resource &resource, const IoSettings &io, ViStatus &status,
                                       std::string &reason) {
  const QString gateway = qEnvironmentVariable("SOLVISA_GPIB_GATEWAY");
  if (gateway.isEmpty())
    return GpibTransport::open(resource, io, status, reason);
  Resource lan = resource;
  lan.host = gateway;
  lan.device = QString("gpib%1,%2").arg(resource.board).arg(resource.primary);
  if (resource.secondary >= 0)
    lan.device += "," + QString::number(resource.secondary);
  return Vxi11Transport::connect(lan, io, status, reason);
}

}  // namespace

std::unique_ptr<Transport> connectTransport(const Resource &resource, const IoSettings &io, ViStatus &status,
                                            std::string &reason) {
  switch (resource.interfaceType) {
  case VI_INTF_TCPIP:
    if (resource.resourceClass == "SOCKET")
      return connectSocket(resource, io, status, reason);
    if (resource.isHislip())
      return HislipTransport::connect(resource, io, status, reason);
    return Vxi11Transport::connect(resource, io, status, reason);
  case VI_INTF_ASRL:
    return SerialTransport::open(resource, status, reason);
  case VI_INTF_USB:
    return UsbtmcTransport::open(resource, status, reason);
  case VI_INTF_GPIB:
    return connectGpib(resource, io, status, reason);
  default:
    status = VI_ERROR_RSRC_NFOUND;
    reason = "unknown interface";
    return nullptr;
  }
}
