// The USB power sensor's instrument driver, written on top of VISA as such
// drivers are: every call becomes a short exchange with the sensor's USB
// resource. Served by libsolvisa, the sensor is the simulated bench's.
#include "instruments/PwuDrvDefs.h"
#include "instruments/VisaFunctions.h"

#include <charconv>
#include <cstring>
#include <map>
#include <string>

#define PWUDRV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Driver errors in the instrument-driver convention (parameter n invalid,
// the instrument reported an error).
constexpr ViStatus kErrorParameter2 = ViStatus(0xBFFC0002);
constexpr ViStatus kErrorParameter3 = ViStatus(0xBFFC0003);
constexpr ViStatus kErrorInstrument = ViStatus(0xBFFA0001);
constexpr ViUInt32 kOpenTimeoutMs = 5000;
constexpr const char *kDriverRevision = "1.0.0 simulated";

std::map<ViSession, ViSession> resourceManagers;  // session -> its resource manager

ViStatus write(ViSession vi, const std::string &command) {
  ViUInt32 written = 0;
  return viWrite(vi, reinterpret_cast<ViConstBuf>(command.data()), ViUInt32(command.size()), &written);
}

ViStatus query(ViSession vi, const std::string &command, std::string &reply) {
  ViStatus status = write(vi, command);
  if (status < VI_SUCCESS)
    return status;
  char buffer[256] = {};
  ViUInt32 got = 0;
  status = viRead(vi, reinterpret_cast<ViBuf>(buffer), sizeof buffer - 1, &got);
  if (status >= VI_SUCCESS)
    reply.assign(buffer, got);
  return status;
}

// A setting followed by the sensor's error queue, so that a refused setting
// comes back as a driver error.
ViStatus setting(ViSession vi, const std::string &command) {
  ViStatus status = write(vi, command);
  if (status < VI_SUCCESS)
    return status;
  std::string error;
  status = query(vi, "SYST:ERR?\n", error);
  if (status < VI_SUCCESS)
    return status;
  return error.compare(0, 2, "0,") == 0 ? VI_SUCCESS : kErrorInstrument;
}

std::string number(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 9);
  return std::string(text, result.ptr);
}

std::string onOff(ViBoolean on) { return on ? "ON" : "OFF"; }

void copyText(const std::string &text, ViChar out[]) {
  const size_t n = std::min(text.size(), size_t(PWUDRV_REVISION_BUFLEN - 1));
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

}  // namespace

PWUDRV_EXPORT ViStatus pwudrv_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViPSession vi) {
  if (!vi)
    return kErrorParameter3;
  *vi = 0;
  ViSession rm = 0;
  ViStatus status = viOpenDefaultRM(&rm);
  if (status < VI_SUCCESS)
    return status;
  ViSession session = 0;
  status = viOpen(rm, resourceName, VI_NO_LOCK, kOpenTimeoutMs, &session);
  if (status < VI_SUCCESS) {
    viClose(rm);
    return status;
  }
  std::string idn;
  if (reset)
    status = write(session, "*RST\n");
  if (status >= VI_SUCCESS && idQuery) {
    status = query(session, "*IDN?\n", idn);
    if (status >= VI_SUCCESS && idn.find(",PWU,") == std::string::npos)
      status = kErrorInstrument;  // not a power sensor of this driver
  }
  if (status < VI_SUCCESS) {
    viClose(rm);
    return status;
  }
  resourceManagers[session] = rm;
  *vi = session;
  return VI_SUCCESS;
}

PWUDRV_EXPORT ViStatus pwudrv_revision_query(ViSession vi, ViChar driverRevision[], ViChar instrumentRevision[]) {
  std::string firmware;
  const ViStatus status = query(vi, "SYST:REV?\n", firmware);
  if (status < VI_SUCCESS)
    return status;
  while (!firmware.empty() && (firmware.back() == '\n' || firmware.back() == '\r'))
    firmware.pop_back();
  if (driverRevision)
    copyText(kDriverRevision, driverRevision);
  if (instrumentRevision)
    copyText(firmware, instrumentRevision);
  return VI_SUCCESS;
}

PWUDRV_EXPORT ViStatus pwudrv_close(ViSession vi) {
  auto rm = resourceManagers.find(vi);
  if (rm == resourceManagers.end())
    return VI_ERROR_INV_OBJECT;
  const ViStatus status = viClose(vi);
  viClose(rm->second);
  resourceManagers.erase(rm);
  return status;
}

PWUDRV_EXPORT ViStatus pwudrv_chans_zero(ViSession vi) { return setting(vi, "CAL:ZERO\n"); }

PWUDRV_EXPORT ViStatus pwudrv_avg_configureAvgAuto(ViSession vi, ViInt32 channel, ViInt32 resolution) {
  if (channel != 1)
    return kErrorParameter2;
  const ViStatus status = setting(vi, "SENS1:AVER:COUN:AUTO ON\n");
  return status < VI_SUCCESS ? status : setting(vi, "SENS1:AVER:COUN:AUTO:RES " + std::to_string(resolution) + "\n");
}

PWUDRV_EXPORT ViStatus pwudrv_avg_configureAvgManual(ViSession vi, ViInt32 channel, ViInt32 count) {
  if (channel != 1)
    return kErrorParameter2;
  const ViStatus status = setting(vi, "SENS1:AVER:COUN:AUTO OFF\n");
  return status < VI_SUCCESS ? status : setting(vi, "SENS1:AVER:COUN " + std::to_string(count) + "\n");
}

PWUDRV_EXPORT ViStatus pwudrv_range_setAutoEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled) {
  return channel != 1 ? kErrorParameter2 : setting(vi, "SENS1:RANG:AUTO " + onOff(enabled) + "\n");
}

PWUDRV_EXPORT ViStatus pwudrv_chan_setInitContinuousEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled) {
  return channel != 1 ? kErrorParameter2 : setting(vi, "INIT1:CONT " + onOff(enabled) + "\n");
}

PWUDRV_EXPORT ViStatus pwudrv_chan_setCorrectionFrequency(ViSession vi, ViInt32 channel, ViReal64 frequencyHz) {
  return channel != 1 ? kErrorParameter2 : setting(vi, "SENS1:CORR:FREQ " + number(frequencyHz) + "\n");
}

PWUDRV_EXPORT ViStatus pwudrv_meass_readMeasurement(ViSession vi, ViInt32 channel, ViInt32 timeoutMs,
                                                    ViReal64 *reading) {
  if (channel != 1)
    return kErrorParameter2;
  ViStatus status = viSetAttribute(vi, VI_ATTR_TMO_VALUE, ViAttrState(timeoutMs));
  std::string reply;
  if (status >= VI_SUCCESS)
    status = query(vi, "FETC1?\n", reply);
  if (status < VI_SUCCESS)
    return status;
  double watts = 0.0;
  const auto parsed = std::from_chars(reply.data(), reply.data() + reply.size(), watts);
  if (parsed.ec != std::errc())
    return kErrorInstrument;
  if (reading)
    *reading = watts;
  return VI_SUCCESS;
}

PWUDRV_EXPORT ViStatus pwudrv_error_message(ViSession vi, ViStatus status, ViChar message[]) {
  if (!message)
    return kErrorParameter3;
  switch (status) {
  case kErrorParameter2: copyText("Parameter 2 out of range (the sensor has channel 1 only).", message); break;
  case kErrorParameter3: copyText("Parameter 3 out of range.", message); break;
  case kErrorInstrument: copyText("The sensor reported an error.", message); break;
  default: return viStatusDesc(vi, status, message);
  }
  return VI_SUCCESS;
}
