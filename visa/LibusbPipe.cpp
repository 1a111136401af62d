// USBTMC devices through libusb-1.0: finding them, and the pipe to one.
#include "visa/UsbtmcTransport.h"

#include <QStringList>
#include <libusb.h>

namespace {

constexpr uint8_t kClassApplication = 0xFE, kSubclassTmc = 3;

struct TmcInterface {
  int number = -1;
  uint8_t bulkIn = 0, bulkOut = 0;
};

TmcInterface findTmcInterface(libusb_device *device) {
  TmcInterface found;
  libusb_config_descriptor *config = nullptr;
  if (libusb_get_active_config_descriptor(device, &config) != 0)
    return found;
  for (int i = 0; i < config->bNumInterfaces && found.number < 0; ++i) {
    const libusb_interface_descriptor &alt = config->interface[i].altsetting[0];
    if (alt.bInterfaceClass != kClassApplication || alt.bInterfaceSubClass != kSubclassTmc)
      continue;
    TmcInterface candidate;
    candidate.number = alt.bInterfaceNumber;
    for (int e = 0; e < alt.bNumEndpoints; ++e) {
      const libusb_endpoint_descriptor &ep = alt.endpoint[e];
      if ((ep.bmAttributes & 3) != LIBUSB_TRANSFER_TYPE_BULK)
        continue;
      (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN ? candidate.bulkIn : candidate.bulkOut) = ep.bEndpointAddress;
    }
    if (candidate.bulkIn && candidate.bulkOut)
      found = candidate;
  }
  libusb_free_config_descriptor(config);
  return found;
}

QString serialOf(libusb_device *device, const libusb_device_descriptor &d) {
  libusb_device_handle *handle = nullptr;
  unsigned char text[256] = {};
  if (d.iSerialNumber == 0 || libusb_open(device, &handle) != 0)
    return QString();
  const int n = libusb_get_string_descriptor_ascii(handle, d.iSerialNumber, text, sizeof text);
  libusb_close(handle);
  return n > 0 ? QString::fromLatin1(reinterpret_cast<char *>(text), n) : QString();
}

class LibusbPipe : public UsbPipe {
public:
  LibusbPipe(libusb_context *context, libusb_device_handle *handle, const TmcInterface &tmc)
      : context_(context), handle_(handle), tmc_(tmc) {}
  ~LibusbPipe() override {
    libusb_release_interface(handle_, tmc_.number);
    libusb_close(handle_);
    libusb_exit(context_);
  }
  int bulkOut(const unsigned char *data, int size, int timeoutMs) override {
    int sent = 0;
    const int r = libusb_bulk_transfer(handle_, tmc_.bulkOut, const_cast<unsigned char *>(data), size, &sent,
                                       unsigned(timeoutMs));
    return r == 0 ? sent : r == LIBUSB_ERROR_TIMEOUT ? kUsbTimeout : r;
  }
  int bulkIn(unsigned char *data, int size, int timeoutMs) override {
    int got = 0;
    const int r = libusb_bulk_transfer(handle_, tmc_.bulkIn, data, size, &got, unsigned(timeoutMs));
    return r == 0 ? got : r == LIBUSB_ERROR_TIMEOUT ? kUsbTimeout : r;
  }
  int classRequest(bool in, uint8_t request, uint16_t value, unsigned char *data, uint16_t length,
                   int timeoutMs) override {
    const uint8_t type = LIBUSB_REQUEST_TYPE_CLASS | LIBUSB_RECIPIENT_INTERFACE |
                         (in ? LIBUSB_ENDPOINT_IN : LIBUSB_ENDPOINT_OUT);
    const int r = libusb_control_transfer(handle_, type, request, value, uint16_t(tmc_.number), data, length,
                                          unsigned(timeoutMs));
    return r == LIBUSB_ERROR_TIMEOUT ? kUsbTimeout : r;
  }
  void clearHalts() override {
    libusb_clear_halt(handle_, tmc_.bulkOut);
    libusb_clear_halt(handle_, tmc_.bulkIn);
  }

private:
  libusb_context *context_;
  libusb_device_handle *handle_;
  TmcInterface tmc_;
};

}  // namespace

QStringList findUsbtmcDevices() {
  QStringList found;
  libusb_context *context = nullptr;
  if (libusb_init(&context) != 0)
    return found;
  libusb_device **list = nullptr;
  const ssize_t n = libusb_get_device_list(context, &list);
  for (ssize_t i = 0; i < n; ++i) {
    libusb_device_descriptor d;
    if (libusb_get_device_descriptor(list[i], &d) != 0 || findTmcInterface(list[i]).number < 0)
      continue;
    found << QString("USB0::0x%1::0x%2::%3::INSTR")
                 .arg(d.idVendor, 4, 16, QChar('0'))
                 .arg(d.idProduct, 4, 16, QChar('0'))
                 .arg(serialOf(list[i], d));
  }
  if (n >= 0)
    libusb_free_device_list(list, 1);
  libusb_exit(context);
  return found;
}

std::unique_ptr<Transport> UsbtmcTransport::open(const Resource &resource, ViStatus &status, std::string &reason) {
  status = VI_ERROR_RSRC_NFOUND;
  libusb_context *context = nullptr;
  if (libusb_init(&context) != 0) {
    reason = "no USB access";
    return nullptr;
  }
  libusb_device **list = nullptr;
  const ssize_t n = libusb_get_device_list(context, &list);
  libusb_device_handle *handle = nullptr;
  TmcInterface tmc;
  for (ssize_t i = 0; i < n && !handle; ++i) {
    libusb_device_descriptor d;
    if (libusb_get_device_descriptor(list[i], &d) != 0 || d.idVendor != resource.vendorId ||
        d.idProduct != resource.productId || serialOf(list[i], d) != resource.serialNumber)
      continue;
    tmc = findTmcInterface(list[i]);
    if (tmc.number >= 0 && libusb_open(list[i], &handle) != 0) {
      reason = "no permission to open the USB device";
      status = VI_ERROR_RSRC_LOCKED;
    }
  }
  if (n >= 0)
    libusb_free_device_list(list, 1);
  if (handle) {
    libusb_set_auto_detach_kernel_driver(handle, 1);
    if (libusb_claim_interface(handle, tmc.number) == 0) {
      status = VI_SUCCESS;
      return std::make_unique<UsbtmcTransport>(std::make_unique<LibusbPipe>(context, handle, tmc));
    }
    libusb_close(handle);
    reason = "the USB interface is in use";
    status = VI_ERROR_RSRC_LOCKED;
  } else if (reason.empty()) {
    reason = "no such USB instrument";
  }
  libusb_exit(context);
  return nullptr;
}
