#include "visa/SerialTransport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

speed_t speedOf(ViAttrState baud) {
  static const struct { ViAttrState baud; speed_t speed; } table[] = {
      {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300}, {600, B600},
      {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
      {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
      {921600, B921600}, {1000000, B1000000}, {2000000, B2000000}, {4000000, B4000000},
  };
  for (const auto &entry : table)
    if (entry.baud == baud)
      return entry.speed;
  return B0;
}

}  // namespace

QString SerialTransport::devicePath(const Resource &resource) {
  if (!resource.serialDevice.isEmpty())
    return resource.serialDevice;
  const QString mapped = qEnvironmentVariable(qPrintable("SOLVISA_ASRL" + QString::number(resource.board)));
  if (!mapped.isEmpty())
    return mapped;
  return "/dev/ttyS" + QString::number(std::max(int(resource.board) - 1, 0));
}

std::unique_ptr<Transport> SerialTransport::open(const Resource &resource, ViStatus &status, std::string &reason) {
  const std::string path = devicePath(resource).toStdString();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (fd < 0 || tcgetattr(fd, &tio) != 0) {
    reason = path + ": " + std::strerror(errno);
    status = errno == EBUSY || errno == EACCES ? VI_ERROR_RSRC_LOCKED : VI_ERROR_RSRC_NFOUND;
    if (fd >= 0)
      ::close(fd);
    return nullptr;
  }
  // Raw bytes, 9600 8N1 without flow control until the attributes say more.
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  cfsetspeed(&tio, B9600);
  tcsetattr(fd, TCSANOW, &tio);
  status = VI_SUCCESS;
  return std::unique_ptr<Transport>(new SerialTransport(fd, path));
}

ViStatus SerialTransport::configure(ViAttr attr, ViAttrState value) {
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0)
    return fail(VI_ERROR_IO, path_ + ": " + std::strerror(errno));
  switch (attr) {
  case VI_ATTR_ASRL_BAUD:
    if (speedOf(value) == B0)
      return fail(VI_ERROR_NSUP_ATTR_STATE, path_ + ": no baud rate " + std::to_string(value));
    cfsetspeed(&tio, speedOf(value));
    break;
  case VI_ATTR_ASRL_DATA_BITS:
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | (value == 5 ? CS5 : value == 6 ? CS6 : value == 7 ? CS7 : CS8);
    break;
  case VI_ATTR_ASRL_PARITY:  // none, odd, even, mark, space
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    if (value != 0)
      tio.c_cflag |= PARENB | (value == 1 || value == 3 ? PARODD : 0) | (value >= 3 ? CMSPAR : 0);
    break;
  case VI_ATTR_ASRL_STOP_BITS:  // 10 = one, 15 = one and a half, 20 = two
    tio.c_cflag = value == 10 ? tio.c_cflag & ~CSTOPB : tio.c_cflag | CSTOPB;
    break;
  case VI_ATTR_ASRL_FLOW_CNTRL:
    tio.c_iflag = (value & VI_ASRL_FLOW_XON_XOFF) ? tio.c_iflag | IXON | IXOFF : tio.c_iflag & ~(IXON | IXOFF);
    tio.c_cflag = (value & VI_ASRL_FLOW_RTS_CTS) ? tio.c_cflag | CRTSCTS : tio.c_cflag & ~CRTSCTS;
    break;
  case VI_ATTR_ASRL_XON_CHAR:
    tio.c_cc[VSTART] = cc_t(value);
    break;
  case VI_ATTR_ASRL_XOFF_CHAR:
    tio.c_cc[VSTOP] = cc_t(value);
    break;
  default:
    return VI_SUCCESS;
  }
  if (tcsetattr(fd_, TCSANOW, &tio) != 0)
    return fail(VI_ERROR_NSUP_ATTR_STATE, path_ + ": " + std::strerror(errno));
  return VI_SUCCESS;
}

void SerialTransport::discardInput() {
  StreamTransport::discardInput();
  tcflush(fd_, TCIFLUSH);
}
