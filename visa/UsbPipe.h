#pragma once
// The three ways to reach a USBTMC interface: bulk-out, bulk-in and class
// requests on the control pipe. Results are byte counts, or negative for a
// failure (kUsbTimeout when the time ran out).
#include <cstdint>

constexpr int kUsbTimeout = -7;

class UsbPipe {
public:
  virtual ~UsbPipe() = default;
  virtual int bulkOut(const unsigned char *data, int size, int timeoutMs) = 0;
  virtual int bulkIn(unsigned char *data, int size, int timeoutMs) = 0;
  // A class request to the interface; device-to-host when in is set.
  virtual int classRequest(bool in, uint8_t request, uint16_t value, unsigned char *data, uint16_t length,
                           int timeoutMs) = 0;
  virtual void clearHalts() {}
};
