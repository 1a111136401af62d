#include "instruments/Measure.h"

#include "instruments/CmdFormat.h"
#include "instruments/CmdReply.h"
#include "instruments/PwuDriver.h"
#include "instruments/TypeSet.h"
#include "instruments/Visa.h"

#include <QElapsedTimer>
#include <QStringList>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>

namespace {

struct WaitCut {
  std::mutex mutex;
  std::condition_variable changed;
  bool cut = false;
};

WaitCut &Cut() {
  static WaitCut cut;
  return cut;
}

void RealSleep(int ms) {
  WaitCut &state = Cut();
  std::unique_lock<std::mutex> lock(state.mutex);
  state.changed.wait_for(lock, std::chrono::milliseconds(ms), [&state] { return state.cut; });
}

std::function<void(int)> &Sleeper() {
  static std::function<void(int)> sleeper = RealSleep;
  return sleeper;
}

}  // namespace

int DwellMs(double seconds) {
  if (!(seconds > 0.0)) return 0;
  const double ms = seconds * 1000.0;
  return ms >= double(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

namespace {

// An instrument that never sets the awaited status bit must not hang the
// program: the poll gives up after the I/O timeout of a query. The limit is
// counted in pauses slept as well as in real time, so that a test with an
// injected sleeper gets the timeout at once.
constexpr int kPollLimitMs = 10000;

ViStatus WaitStatusBit(ViSession s, ViUInt16 mask, int pauseMs) {
  QElapsedTimer clock;
  clock.start();
  int slept = 0;
  for (;;) {
    ViUInt16 stb = 0;
    const ViStatus status = VisaReadStb(s, stb);
    if (status != VI_SUCCESS) return status;
    if ((stb & mask) != 0) return VI_SUCCESS;
    if (slept >= kPollLimitMs || clock.elapsed() >= kPollLimitMs) return VI_ERROR_TMO;
    InstrumentSleep(pauseMs);
    slept += pauseMs;
  }
}

constexpr ViUInt16 kStbMessageAvailable = 16;
constexpr ViUInt16 kStbSweepDone = 128;  // bit 7

// SCPI spectrum analyzers and receivers: one zero-span sweep, then the RMS
// over the trace (slow) or the marker at the end of the trace (fast).
ViStatus MeasureZeroSpan(ViSession s, double hz, double &level, int dwellMs, double markerPos, int fast) {
  ViStatus status = CmdQuery(s, "FREQ:CENT " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (status != VI_SUCCESS) return status;
  InstrumentSleep(dwellMs);
  status = CmdQuery(s, "INIT;*OPC?\n");
  if (status != VI_SUCCESS) return status;
  if (fast == 0) return CmdQueryNum(s, "CALC:MARK:FUNC:SUMM:RMS:RES?\n", level);
  status = CmdQuery(s, "CALC:MARK1:X " + FmtFixed(markerPos, 4) + ";*OPC?\n");
  if (status != VI_SUCCESS) return status;
  return CmdQueryNum(s, "CALC:MARK1:Y?\n", level);
}

ViStatus MeasureMarkerCenter(ViSession s, double hz, double &level, int dwellMs) {
  ViStatus status = CmdQuery(s, "FREQ:CENT " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (status != VI_SUCCESS) return status;
  InstrumentSleep(dwellMs);
  status = CmdQuery(s, "MARK:CENT " + FmtFixed(hz, 1) + ";*OPC?\n");
  if (status != VI_SUCCESS) return status;
  return CmdQueryNum(s, "MARK:LEV?\n", level);
}

// Receivers of command set A answer the peak marker as a word, its
// frequency, a separator and the level.
ViStatus MeasureReceiverA(ViSession s, double hz, double &level, int dwellMs) {
  const ViStatus written = VisaWrite(s, "F:C " + FmtHz(hz) + ";*WAI\n");
  InstrumentSleep(dwellMs);
  if (written != VI_SUCCESS) return written;
  QString reply;
  const ViStatus status = VisaQuery(s, "MA:PE;MA?;*WAI\n", reply);
  if (status != VI_SUCCESS) return status;
  ReplyScanner scan(reply);
  double markerHz = 0.0, value = 0.0;
  if (!(scan.word() && scan.number(markerHz) && scan.character() && scan.number(value))) return kErrNoNumber;
  level = value;
  return VI_SUCCESS;
}

ViStatus MeasureReceiverB(ViSession s, double hz, double &level, int dwellMs) {
  const ViStatus written = VisaWrite(s, "FR " + FmtHz(hz) + ";*WAI\n");
  InstrumentSleep(dwellMs);
  if (written != VI_SUCCESS) return written;
  return CmdQueryNum(s, "LE?;*WAI\n", level);
}

// The radio tester answers a list of powers; the level is their mean. Parts
// that hold no number (an invalid sub-measurement) are left out of the mean.
ViStatus MeasurePowerList(ViSession s, double hz, double &level) {
  ViStatus status = CmdQuery(s, "POW:FREQ:CENT " + FmtFixed(hz, 6) + ";*OPC?\n");
  if (status == VI_SUCCESS) status = CmdQuery(s, "CONF:SUB:POW IVAL,0,100;*OPC?\n");
  QString reply;
  if (status == VI_SUCCESS) status = VisaQuery(s, "READ:ARR:POW?\n", reply);
  if (status != VI_SUCCESS) return status;
  double sum = 0.0;
  int count = 0;
  for (const QString &part : reply.split(',')) {
    ReplyScanner scan(part);
    double value = 0.0;
    if (scan.number(value) && scan.atEnd()) {
      sum += value;
      ++count;
    }
  }
  if (count == 0) return kErrNoNumber;
  level = sum / count;
  return VI_SUCCESS;
}

// Radio testers with the GPRF measurement answer a reliability indicator, a
// separator and the level.
ViStatus MeasureGprf(ViSession s, double hz, double &level) {
  ViStatus status = VisaWrite(s, "CONF:GPRF:MEAS:RFS:FREQ " + FmtFixed(hz, 6) + ";*WAI");
  QString reply;
  if (status == VI_SUCCESS) status = VisaQuery(s, "READ:GPRF:MEAS:POW:RMS:CURR?\n", reply);
  if (status != VI_SUCCESS) return status;
  ReplyScanner scan(reply);
  int reliability = 0;
  double value = 0.0;
  if (!(scan.integer(reliability) && scan.character() && scan.number(value))) return kErrNoNumber;
  level = value;
  return VI_SUCCESS;
}

// The analyzer with two-letter commands: a single sweep, then a wait for its
// "sweep complete" service request bit, then the peak marker's frequency and
// level.
ViStatus MeasureTwoLetter(ViSession s, double hz, double &level, int dwellMs) {
  ViStatus status = VisaWrite(s, "CF " + FmtFixed(hz, 1) + ";*WAI\n");
  if (status != VI_SUCCESS) return status;
  InstrumentSleep(dwellMs);
  for (const char *cmd : {"SI\n", "OPR8\n", "*CLS\n", "MLN ON\n", "SI\n"}) {
    status = VisaWrite(s, cmd);
    if (status != VI_SUCCESS) return status;
  }
  status = WaitStatusBit(s, kStbSweepDone, 1);  // 1 ms: next to no pause, yet bounded
  if (status == VI_SUCCESS) status = VisaWrite(s, "PS\n");
  QString reply;
  if (status == VI_SUCCESS) status = VisaQuery(s, "MFL?\n", reply);
  if (status != VI_SUCCESS) return status;
  ReplyScanner scan(reply);
  double first = 0.0, second = 0.0;
  if (!scan.number(first)) return kErrNoNumber;
  level = scan.literal(',') && scan.number(second) ? second : first;
  return VI_SUCCESS;
}

// Power meters: a reading that did not arrive must not pass for 0 dBm, so
// every exchange's failure is returned.
ViStatus MeasureTriggeredMeter(ViSession s, double hz, double &level) {
  ViStatus status = VisaWrite(s, "FREQ " + FmtFixed(hz, 6) + "\n");
  if (status == VI_SUCCESS) status = VisaWrite(s, "TRIG:IMM\n");
  if (status != VI_SUCCESS) return status;
  InstrumentSleep(30);
  return CmdQueryNum(s, "READ1?\n", level);
}

ViStatus MeasureFetchMeter(ViSession s, double hz, double &level) {
  ViStatus status = VisaWrite(s, "FREQ " + FmtFixed(hz, 6) + "\n");
  if (status == VI_SUCCESS) status = CmdQuery(s, "INIT;*OPC?\n");
  if (status != VI_SUCCESS) return status;
  return CmdQueryNum(s, "FETC?\n", level);
}

ViStatus MeasureReflectionMeter(ViSession s, double &level) {
  ViStatus status = VisaWrite(s, ":TRIG;*OPC?\n");
  if (status == VI_SUCCESS) status = WaitStatusBit(s, kStbMessageAvailable, 100);
  if (status != VI_SUCCESS) return status;
  return CmdQueryNum(s, ":SENS1:DATA?\n", level);
}

ViStatus MeasureCorrectedMeter(ViSession s, double hz, double &level, int dwellMs) {
  ViStatus status = VisaWrite(s, "INP:NSEL 1\n");
  if (status == VI_SUCCESS) status = VisaWrite(s, "SENS:CORR:FREF " + FmtExp(hz / 1e6, 6) + " MHZ\n");
  if (status != VI_SUCCESS) return status;
  InstrumentSleep(dwellMs);
  status = VisaWrite(s, "MEAS?\n");
  if (status != VI_SUCCESS) return status;
  return CmdReadNum(s, level);
}

// Power meters with option strings; 79 dwells even when the frequency did not
// go through. Like every meter, a reply without a number ("OVLD", an empty
// line) is a failed reading, not 0 dBm.
ViStatus MeasureOptionMeter(ViSession s, int type, double hz, double &level, int dwellMs) {
  const ViStatus status = VisaWrite(s, "DF " + FmtG6(hz) + "\n");
  if (status != VI_SUCCESS && type != 79) return status;
  InstrumentSleep(dwellMs);
  if (status != VI_SUCCESS) return status;
  return CmdReadNum(s, level);
}

}  // namespace

void SetInstrumentSleep(std::function<void(int ms)> sleeper) {
  Sleeper() = sleeper ? std::move(sleeper) : RealSleep;
}

void InstrumentSleep(int ms) {
  if (ms > 0) Sleeper()(ms);
}

void CutInstrumentWaits(bool cut) {
  WaitCut &state = Cut();
  const std::lock_guard<std::mutex> lock(state.mutex);
  state.cut = cut;
  state.changed.notify_all();
}

ViStatus AnaMeasure(ViSession s, int type, double hz, double &level, double dwellS, double markerPos, int fast) {
  level = 0.0;
  const int dwellMs = DwellMs(dwellS);
  if (TypeIn(type, {33, 36, 40, 42, Range(46, 66), 68}))
    return MeasureZeroSpan(s, hz, level, dwellMs, markerPos, fast);
  if (TypeIn(type, {67})) return MeasureMarkerCenter(s, hz, level, dwellMs);
  if (TypeIn(type, {32, 37})) return MeasureReceiverA(s, hz, level, dwellMs);
  if (TypeIn(type, {34, 35, 38, 39, 41, 43, 44, 45})) return MeasureReceiverB(s, hz, level, dwellMs);
  if (TypeIn(type, {69})) return MeasurePowerList(s, hz, level);
  if (TypeIn(type, {70, 71})) return MeasureGprf(s, hz, level);
  if (TypeIn(type, {72})) return MeasureTwoLetter(s, hz, level, dwellMs);
  if (TypeIn(type, {73})) return MeasureTriggeredMeter(s, hz, level);
  if (TypeIn(type, {74})) return MeasureFetchMeter(s, hz, level);
  if (TypeIn(type, {75})) {
    const ViStatus status = PwuMeasure(s, hz, dwellS, level);
    return status < 0 ? status : VI_SUCCESS;  // warnings still give a reading
  }
  if (TypeIn(type, {76})) return MeasureReflectionMeter(s, level);
  if (TypeIn(type, {77})) return MeasureCorrectedMeter(s, hz, level, dwellMs);
  if (TypeIn(type, {78, 79, 80})) return MeasureOptionMeter(s, type, hz, level, dwellMs);
  return VI_SUCCESS;
}
