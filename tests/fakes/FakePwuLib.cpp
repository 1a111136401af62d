// Recording fake of the USB power sensor's driver library. Every call is
// logged in the transcript format of tests/support/FakePwu.h. Handles are
// numbered 1, 2, 3, ... in the order of pwudrv_init; readings come from the
// script, 0.001 W (0 dBm) when none is queued. Built twice: complete, and
// without pwudrv_error_message (FAKEPWU_WITHOUT_ERROR_MESSAGE).
#include "FakeControl.h"
#include "FakeText.h"
#include "instruments/PwuDrvDefs.h"

#include <cstring>

namespace {

struct Reading {
  double watts;
  ViStatus status;
};

constexpr double kDefaultWatts = 0.001;
const char *const kDefaultRevision = "1.0.0";

struct State {
  fake::Recorder recorder;
  std::deque<Reading> readings;
  std::string revision = kDefaultRevision;
  ViSession nextHandle = 1;
};

State &state()
{
  static State s;
  return s;
}

std::string handle(ViSession vi)
{
  return std::to_string(vi);
}

// Logs a call without outputs and returns its scripted status.
ViStatus plainCall(const char *function, const std::string &line)
{
  const ViStatus status = state().recorder.scripted(function);
  state().recorder.log(line, fake::result(status));
  return status;
}

std::string text(ViInt32 value)
{
  return std::to_string(value);
}

std::string text(double value)
{
  return fake::number(value);
}

std::string channelLine(const char *function, ViSession vi, ViInt32 channel, const std::string &value)
{
  return std::string(function) + " " + handle(vi) + " " + std::to_string(channel) + " " + value;
}

// A call on the sensor's channel with one value and no output.
template <typename T>
ViStatus channelCall(const char *function, ViSession vi, ViInt32 channel, T value)
{
  return plainCall(function, channelLine(function, vi, channel, text(value)));
}

}  // namespace

extern "C" {

void fakepwu_reset(void)
{
  state() = State();
}

void fakepwu_reading(double watts, ViStatus status)
{
  state().readings.push_back({watts, status});
}

void fakepwu_fail_next(const char *function, ViStatus status)
{
  state().recorder.failNext(function, status);
}

void fakepwu_revision(const char *text)
{
  state().revision = text;
}

size_t fakepwu_transcript(char *buffer, size_t size)
{
  return state().recorder.copy(buffer, size);
}

ViStatus pwudrv_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViPSession vi)
{
  State &s = state();
  const ViStatus status = s.recorder.scripted("pwudrv_init");
  *vi = status >= 0 ? s.nextHandle++ : VI_NULL;
  s.recorder.log("pwudrv_init " + fake::quoted(resourceName) + " " + std::to_string(idQuery) + " " +
                     std::to_string(reset),
                 fake::result(status, std::to_string(*vi)));
  return status;
}

ViStatus pwudrv_revision_query(ViSession vi, ViChar driverRevision[], ViChar instrumentRevision[])
{
  State &s = state();
  const ViStatus status = s.recorder.scripted("pwudrv_revision_query");
  std::string output;
  if (status >= 0) {
    std::strncpy(driverRevision, s.revision.c_str(), PWUDRV_REVISION_BUFLEN - 1);
    driverRevision[PWUDRV_REVISION_BUFLEN - 1] = '\0';
    std::strncpy(instrumentRevision, "fake", PWUDRV_REVISION_BUFLEN - 1);
    output = fake::quoted(driverRevision);
  }
  s.recorder.log("pwudrv_revision_query " + handle(vi), fake::result(status, output));
  return status;
}

ViStatus pwudrv_close(ViSession vi)
{
  return plainCall("pwudrv_close", "pwudrv_close " + handle(vi));
}

ViStatus pwudrv_chans_zero(ViSession vi)
{
  return plainCall("pwudrv_chans_zero", "pwudrv_chans_zero " + handle(vi));
}

ViStatus pwudrv_avg_configureAvgAuto(ViSession vi, ViInt32 channel, ViInt32 resolution)
{
  return channelCall("pwudrv_avg_configureAvgAuto", vi, channel, resolution);
}

ViStatus pwudrv_avg_configureAvgManual(ViSession vi, ViInt32 channel, ViInt32 count)
{
  return channelCall("pwudrv_avg_configureAvgManual", vi, channel, count);
}

ViStatus pwudrv_range_setAutoEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled)
{
  return channelCall("pwudrv_range_setAutoEnabled", vi, channel, ViInt32(enabled));
}

ViStatus pwudrv_chan_setInitContinuousEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled)
{
  return channelCall("pwudrv_chan_setInitContinuousEnabled", vi, channel, ViInt32(enabled));
}

ViStatus pwudrv_chan_setCorrectionFrequency(ViSession vi, ViInt32 channel, ViReal64 frequencyHz)
{
  return channelCall("pwudrv_chan_setCorrectionFrequency", vi, channel, frequencyHz);
}

ViStatus pwudrv_meass_readMeasurement(ViSession vi, ViInt32 channel, ViInt32 timeoutMs, ViReal64 *reading)
{
  State &s = state();
  ViStatus status = s.recorder.scripted("pwudrv_meass_readMeasurement");
  std::string output;
  if (status >= 0) {
    Reading next{kDefaultWatts, VI_SUCCESS};
    if (!s.readings.empty()) {
      next = s.readings.front();
      s.readings.pop_front();
    }
    if (status == VI_SUCCESS)
      status = next.status;
    if (status >= 0) {
      *reading = next.watts;
      output = fake::number(next.watts);
    }
  }
  s.recorder.log(channelLine("pwudrv_meass_readMeasurement", vi, channel, text(timeoutMs)),
                 fake::result(status, output));
  return status;
}

#ifndef FAKEPWU_WITHOUT_ERROR_MESSAGE
ViStatus pwudrv_error_message(ViSession vi, ViStatus status, ViChar message[])
{
  std::strncpy(message, fake::statusName(status).c_str(), 255);
  message[255] = '\0';
  state().recorder.log("pwudrv_error_message " + handle(vi) + " " + fake::statusName(status));
  return VI_SUCCESS;
}
#endif

}  // extern "C"
