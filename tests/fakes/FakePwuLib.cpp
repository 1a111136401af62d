// Recording fake of the USB power sensor's driver library, in the transcript
// format of tests/support/FakePwu.h. Built a second time without
// pwudrv_error_message (FAKEPWU_WITHOUT_ERROR_MESSAGE).
#include "FakeControl.h"
#include "FakeText.h"
#include "instruments/PwuDrvDefs.h"

namespace {

struct State {
  fake::Recorder recorder;
  std::deque<std::pair<double, ViStatus>> readings;  // watts, status
  std::string revision = "1.0.0";
  ViSession nextHandle = 1;
};

State state;

// A call without outputs: "function handle[ channel value]".
ViStatus plainCall(const char *function, ViSession vi, const std::string &arguments = std::string()) {
  const ViStatus status = state.recorder.scripted(function);
  return state.recorder.log(function + (" " + std::to_string(vi)) + arguments, status);
}

ViStatus channelCall(const char *function, ViSession vi, ViInt32 channel, const std::string &value) {
  return plainCall(function, vi, " " + std::to_string(channel) + " " + value);
}

}  // namespace

extern "C" {

void fakepwu_reset(void) { state = State(); }
void fakepwu_reading(double watts, ViStatus status) { state.readings.push_back({watts, status}); }
void fakepwu_fail_next(const char *function, ViStatus status) { state.recorder.failNext(function, status); }
void fakepwu_revision(const char *text) { state.revision = text; }
const char *fakepwu_transcript(void) { return state.recorder.text(); }

ViStatus pwudrv_init(ViConstRsrc resourceName, ViBoolean idQuery, ViBoolean reset, ViPSession vi) {
  const ViStatus status = state.recorder.scripted("pwudrv_init");
  *vi = status >= 0 ? state.nextHandle++ : VI_NULL;
  const std::string line = "pwudrv_init " + fake::quoted(resourceName) + " " + std::to_string(idQuery);
  return state.recorder.log(line + " " + std::to_string(reset), status, std::to_string(*vi));
}

ViStatus pwudrv_revision_query(ViSession vi, ViChar driverRevision[], ViChar instrumentRevision[]) {
  const ViStatus status = state.recorder.scripted("pwudrv_revision_query");
  if (status >= 0) {
    std::snprintf(driverRevision, PWUDRV_REVISION_BUFLEN, "%s", state.revision.c_str());
    std::snprintf(instrumentRevision, PWUDRV_REVISION_BUFLEN, "fake");
  }
  return state.recorder.log("pwudrv_revision_query " + std::to_string(vi), status,
                            status >= 0 ? fake::quoted(driverRevision) : std::string());
}

ViStatus pwudrv_close(ViSession vi) { return plainCall("pwudrv_close", vi); }
ViStatus pwudrv_chans_zero(ViSession vi) { return plainCall("pwudrv_chans_zero", vi); }

ViStatus pwudrv_avg_configureAvgAuto(ViSession vi, ViInt32 channel, ViInt32 resolution) {
  return channelCall("pwudrv_avg_configureAvgAuto", vi, channel, std::to_string(resolution));
}

ViStatus pwudrv_avg_configureAvgManual(ViSession vi, ViInt32 channel, ViInt32 count) {
  return channelCall("pwudrv_avg_configureAvgManual", vi, channel, std::to_string(count));
}

ViStatus pwudrv_range_setAutoEnabled(ViSession vi, ViInt32 channel, ViBoolean enabled) {
  return channelCall("pwudrv_range_setAutoEnabled", vi, channel, std::to_string(ViInt32(enabled)));
}

ViStatus pwudrv_chan_setCorrectionFrequency(ViSession vi, ViInt32 channel, ViReal64 frequencyHz) {
  return channelCall("pwudrv_chan_setCorrectionFrequency", vi, channel, fake::number(frequencyHz));
}

ViStatus pwudrv_meass_readMeasurement(ViSession vi, ViInt32 channel, ViInt32 timeoutMs, ViReal64 *reading) {
  ViStatus status = state.recorder.scripted("pwudrv_meass_readMeasurement");
  const std::pair<double, ViStatus> none{0.001, VI_SUCCESS};
  const auto next = status >= 0 ? fake::takeFront(state.readings, none) : none;
  if (status == VI_SUCCESS)
    status = next.second;
  if (status >= 0)
    *reading = next.first;
  const std::string line = "pwudrv_meass_readMeasurement " + std::to_string(vi) + " " + std::to_string(channel);
  return state.recorder.log(line + " " + std::to_string(timeoutMs), status, fake::number(next.first));
}

// The loader wants these; the program never calls them.
ViStatus pwudrv_chan_setInitContinuousEnabled(ViSession vi, ViInt32, ViBoolean) {
  return plainCall("pwudrv_chan_setInitContinuousEnabled", vi);
}
#ifndef FAKEPWU_WITHOUT_ERROR_MESSAGE
ViStatus pwudrv_error_message(ViSession vi, ViStatus, ViChar[]) { return plainCall("pwudrv_error_message", vi); }
#endif

}  // extern "C"
