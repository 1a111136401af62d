#pragma once
// A USBTMC (USB488) instrument: messages in bulk transfers with a 12-byte
// header, END as the EOM bit, device clear and the status byte as class
// requests.
#include "visa/Resource.h"
#include "visa/Transport.h"
#include "visa/UsbPipe.h"

#include <memory>

class UsbtmcTransport : public Transport {
public:
  static std::unique_ptr<Transport> open(const Resource &resource, ViStatus &status, std::string &reason);
  explicit UsbtmcTransport(std::unique_ptr<UsbPipe> pipe) : pipe_(std::move(pipe)) {}

  ViStatus write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) override;
  ViStatus read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) override;
  ViStatus clear(const IoSettings &io) override;
  ViStatus readStb(ViUInt16 &stb, const IoSettings &io) override;
  ViStatus controlRen(ViUInt16 mode, const IoSettings &io) override;

private:
  uint8_t nextTag();
  ViStatus failure(int result);

  std::unique_ptr<UsbPipe> pipe_;
  uint8_t tag_ = 0;
  uint8_t statusTag_ = 1;
};

// "USB0::0x1234::0x5678::SERIAL::INSTR" for every USBTMC interface present.
QStringList findUsbtmcDevices();
