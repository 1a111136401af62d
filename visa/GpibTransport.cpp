#include "visa/GpibTransport.h"

#include <dlfcn.h>
#include <mutex>

namespace {

constexpr int kErr = 0x8000, kTimeout = 0x4000, kEnd = 0x2000;
constexpr int kReos = 0x400;  // end a read at the end-of-string byte

struct Driver {
  int (*ibdev)(int, int, int, int, int, int) = nullptr;
  int (*ibwrt)(int, const void *, long) = nullptr;
  int (*ibrd)(int, void *, long) = nullptr;
  int (*ibclr)(int) = nullptr;
  int (*ibrsp)(int, char *) = nullptr;
  int (*ibloc)(int) = nullptr;
  int (*ibonl)(int, int) = nullptr;
  int (*ibtmo)(int, int) = nullptr;
  int (*ibeos)(int, int) = nullptr;
  long (*ibcntl)() = nullptr;
};

template <typename F>
bool bind(void *library, const char *name, F &function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

const Driver *driver() {
  static Driver d;
  static bool loaded = false;
  static std::once_flag once;
  std::call_once(once, [] {
    void *lib = dlopen("libgpib.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
      lib = dlopen("libgpib.so", RTLD_NOW | RTLD_LOCAL);
    loaded = lib && bind(lib, "ibdev", d.ibdev) && bind(lib, "ibwrt", d.ibwrt) && bind(lib, "ibrd", d.ibrd) &&
             bind(lib, "ibclr", d.ibclr) && bind(lib, "ibrsp", d.ibrsp) && bind(lib, "ibloc", d.ibloc) &&
             bind(lib, "ibonl", d.ibonl) && bind(lib, "ibtmo", d.ibtmo) && bind(lib, "ibeos", d.ibeos) &&
             bind(lib, "ThreadIbcntl", d.ibcntl);
  });
  return loaded ? &d : nullptr;
}

// The driver's timeout code: the shortest of its steps that is not shorter.
int timeoutCode(int ms) {
  static const int steps[] = {0, 0, 0, 0, 0, 1, 3, 10, 30, 100, 300, 1000, 3000, 10000, 30000, 100000, 300000, 1000000};
  if (ms < 0)
    return 0;  // none: wait for ever
  for (int code = 5; code < 18; ++code)
    if (steps[code] >= ms)
      return code;
  return 17;
}

}  // namespace

std::unique_ptr<Transport> GpibTransport::open(const Resource &resource, const IoSettings &io, ViStatus &status,
                                               std::string &reason) {
  const Driver *d = driver();
  if (!d) {
    status = VI_ERROR_RSRC_NFOUND;
    reason = "no GPIB driver";
    return nullptr;
  }
  const int sad = resource.secondary >= 0 ? 0x60 + resource.secondary : 0;
  const int device = d->ibdev(resource.board, resource.primary, sad, timeoutCode(io.timeoutMs), 1, 0);
  if (device < 0) {
    status = VI_ERROR_RSRC_NFOUND;
    reason = "GPIB board " + std::to_string(resource.board) + " not configured";
    return nullptr;
  }
  status = VI_SUCCESS;
  return std::unique_ptr<Transport>(new GpibTransport(device));
}

GpibTransport::~GpibTransport() { driver()->ibonl(device_, 0); }

void GpibTransport::applyTimeout(const IoSettings &io) {
  if (io.timeoutMs != timeoutMs_)
    driver()->ibtmo(device_, timeoutCode(io.timeoutMs));
  timeoutMs_ = io.timeoutMs;
  driver()->ibeos(device_, io.termCharEnabled ? (kReos | io.termChar) : 0);
}

ViStatus GpibTransport::outcome(int status, const IoSettings &io) {
  if (status & kTimeout)
    return fail(VI_ERROR_TMO, "no answer within " + std::to_string(io.timeoutMs) + " ms");
  if (status & kErr)
    return fail(VI_ERROR_IO, "GPIB error");
  return VI_SUCCESS;
}

ViStatus GpibTransport::write(const ViByte *buf, size_t count, const IoSettings &io, size_t &written) {
  applyTimeout(io);
  const ViStatus status = outcome(driver()->ibwrt(device_, buf, long(count)), io);
  written = size_t(driver()->ibcntl());
  return status;
}

ViStatus GpibTransport::read(ViByte *buf, size_t count, const IoSettings &io, size_t &got) {
  applyTimeout(io);
  const int result = driver()->ibrd(device_, buf, long(count));
  got = size_t(driver()->ibcntl());
  const ViStatus status = outcome(result, io);
  if (status != VI_SUCCESS)
    return status;
  if (io.termCharEnabled && got > 0 && buf[got - 1] == io.termChar && !(result & kEnd))
    return VI_SUCCESS_TERM_CHAR;
  return (result & kEnd) ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
}

ViStatus GpibTransport::clear(const IoSettings &io) { return outcome(driver()->ibclr(device_), io); }

ViStatus GpibTransport::readStb(ViUInt16 &stb, const IoSettings &io) {
  char poll = 0;
  const ViStatus status = outcome(driver()->ibrsp(device_, &poll), io);
  stb = ViUInt16(static_cast<unsigned char>(poll));
  return status;
}

ViStatus GpibTransport::controlRen(ViUInt16 mode, const IoSettings &io) {
  if (mode == VI_GPIB_REN_ADDRESS_GTL || mode == VI_GPIB_REN_DEASSERT || mode == 2)
    return outcome(driver()->ibloc(device_), io);
  return VI_SUCCESS;
}
