#pragma once
// A serial line through termios. ASRLn is /dev/ttyS(n-1) (COM1 is ttyS0)
// unless SOLVISA_ASRLn names another device (a USB adapter, a
// pseudo-terminal); "ASRL/dev/ttyUSB0::INSTR" names the device directly.
#include "visa/Resource.h"
#include "visa/StreamTransport.h"

#include <memory>
#include <termios.h>

class SerialTransport : public StreamTransport {
public:
  static std::unique_ptr<Transport> open(const Resource &resource, ViStatus &status, std::string &reason);
  static QString devicePath(const Resource &resource);

  ViStatus configure(ViAttr attr, ViAttrState value) override;
  void discardInput() override;

private:
  SerialTransport(int fd, const std::string &path) : StreamTransport(fd, path), path_(path) {}
  std::string path_;
};
