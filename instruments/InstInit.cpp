#include "instruments/AnaCmd.h"
#include "instruments/GenCmd.h"
#include "instruments/Measure.h"
#include "instruments/TypeSet.h"
#include "instruments/Visa.h"

namespace {

constexpr double kHzPerMHz = 1e6;

// Radio testers are opened at every start, since their routing is set when
// they are opened. Any other open session is kept while it still belongs to
// the record's type and address. A session is closed before its successor
// opens, so that repeated starts do not pile up sessions.
bool OpenIfNeeded(DevStr &dev, bool radioTester) {
  if (!radioTester && DevSessionCurrent(dev)) return true;
  DevDropSession(dev);
  dev.QueryIdn = false;
  const ViStatus status = DevOpen(dev);
  // A VISA without its configuration still opens the instrument.
  return status == VI_SUCCESS || status == VI_WARN_CONFIG_NLOADED;
}

// Proves that a generator takes the extremes of its planned levels and
// frequencies, switches its RF on and sets its reference. codeBase is 0 for
// generator 1 (codes -1 to -7) and 7 for generator 2 (codes -8 to -14).
int PrepareGenerator(DevStr &gen, bool levelSweep, int codeBase) {
  if (!OpenIfNeeded(gen, TypeIn(gen.Type, {Range(1, 3)}))) return -1 - codeBase;
  const ViSession s = gen.Session;
  if (gen.Type == 11 && gen.StartFreq > 43500.0) {
    // Above 43500 MHz this generator's levels are set but not proven.
    if (levelSweep) GenSetLvl(s, gen.Type, gen.StopLevel);
    GenSetLvl(s, gen.Type, gen.StartLevel);
  } else {
    if (levelSweep && GenChkLvl(s, gen.Type, gen.StopLevel) != 0) return -2 - codeBase;
    if (GenChkLvl(s, gen.Type, gen.StartLevel) != 0) return -3 - codeBase;
  }
  if (GenChkFrq(s, gen.Type, gen.StopFreq * kHzPerMHz) != 0) return -4 - codeBase;
  if (GenChkFrq(s, gen.Type, gen.StartFreq * kHzPerMHz) != 0) return -5 - codeBase;
  if (GenRfOut(s, gen.Type, true) != VI_SUCCESS) return -6 - codeBase;
  if (SetRefOsc(s, gen.Type, gen.ExtRef) != VI_SUCCESS) return -7 - codeBase;
  return 0;
}

int PrepareAnalyzer(DevStr &ana, SpxStr &spx, RcxStr &rcx) {
  if (!OpenIfNeeded(ana, TypeIn(ana.Type, {Range(69, 71)}))) return -15;
  if (AnaSetup(ana, spx, rcx) != VI_SUCCESS) return -16;
  if (AnaContSwp(ana.Session, ana.Type, false) != VI_SUCCESS) return -17;
  if (AnaSetSwt(ana.Session, ana.Type, spx.SweepTime) != VI_SUCCESS) return -18;
  if (AnaDispUpd(ana.Session, ana.Type, false) != VI_SUCCESS) return -19;
  if (SetRefOsc(ana.Session, ana.Type, ana.ExtRef) != VI_SUCCESS) return -20;
  return 0;
}

}  // namespace

int InstInit(DevStr &gen1, DevStr &gen2, DevStr &ana, SpxStr &spx, RcxStr &rcx, bool levelSweep) {
  // With the analyzer's tracking generator as the source, generator 1 is
  // left alone.
  if (!ana.TrackingGenerator) {
    const int code = PrepareGenerator(gen1, levelSweep, 0);
    if (code != 0) return code;
  }
  // 0 is no second generator, 31 one that the program does not control.
  if (gen2.Type != 0 && gen2.Type != 31) {
    const int code = PrepareGenerator(gen2, levelSweep, 7);
    if (code != 0) return code;
  }
  return PrepareAnalyzer(ana, spx, rcx);
}
