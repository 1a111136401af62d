#include "sweep/SweepEngine.h"

#include "instruments/AnaCmd.h"
#include "instruments/GenCmd.h"
#include "instruments/Measure.h"
#include "instruments/Visa.h"
#include "sweep/SwpObserver.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QElapsedTimer>

namespace {

constexpr double kHzPerMHz = 1e6;
// This analyzer type takes the marker at the point's frequency when its
// tracking generator drives the device.
constexpr int kTrackingMarkerType = 53;

SwpResult outcome(SwpOutcome what)
{
  SwpResult result;
  result.outcome = what;
  return result;
}

}  // namespace

SweepEngine::SweepEngine(CfgStr &cfg, SwpObserver &observer) : m_cfg(cfg), m_observer(observer) {}

SwpResult SweepEngine::run(bool normActive)
{
  m_cfg.StopRequested = false;
  const int init = InstInit(m_cfg.Gen1, m_cfg.Gen2, m_cfg.Ana, m_cfg.Spx, m_cfg.Rcx, m_cfg.LevelSweep);
  if (init != 0) {
    SwpResult result = outcome(SwpOutcome::InitFailed);
    result.initCode = init;
    return result;
  }
  // Prepared instruments that will not sweep are put back as after a run.
  QString reason;
  if (!CalcSwpLst(m_cfg, &reason)) {
    endOfRun();
    SwpResult result = outcome(SwpOutcome::PlanRefused);
    result.reason = reason;
    return result;
  }
  if (!TrcFitsPlan(m_cfg, normActive)) {
    endOfRun();
    return outcome(SwpOutcome::StoreMismatch);
  }

  // Analyzers without a sweep-time query leave the marker at the start of
  // the trace rather than at an undefined position.
  double markerPos = 0.0;
  if (AnaGetSwt(m_cfg.Ana.Session, m_cfg.Ana.Type, markerPos) != 0)
    markerPos = 0.0;

  QElapsedTimer passTimer;
  do {
    passTimer.start();
    m_observer.passStarted(m_observer.continuous());
    if (!measurePass(normActive, markerPos))
      return outcome(SwpOutcome::MeasureFailed);
    m_observer.passDone(passTimer.nsecsElapsed() * 1e-9);
  } while (!m_observer.stopRequested() && m_observer.continuous());
  return endOfRun();
}

bool SweepEngine::measurePass(bool normActive, double markerPos)
{
  for (int level = 0; level < m_cfg.LevelCount; ++level) {
    const double stepLevel = m_cfg.Gen1.StartLevel + level * m_cfg.Gen1.StepLevel;
    int levelStatus = setSourceLevel(stepLevel);
    m_observer.levelStarted(level);
    for (int point = 0; point < m_cfg.PointCount; ++point) {
      if (normActive && m_cfg.NormalizeGen != 0)
        levelStatus = setSourceLevel(stepLevel - m_cfg.NormData[point]);
      setFrequencies(point);
      if (levelStatus != 0)
        return false;
      if (m_observer.stopRequested())
        break;
      const double ifHz = m_cfg.AnaFreqs[point] * kHzPerMHz;
      const bool markerAtPoint = m_cfg.Ana.TrackingGenerator && m_cfg.Ana.Type == kTrackingMarkerType;
      double value = kUnmeasured;
      if (AnaMeasure(m_cfg.Ana.Session, m_cfg.Ana.Type, ifHz, value, m_cfg.Dwell,
                     markerAtPoint ? ifHz : markerPos, m_cfg.Spx.Fast) != 0)
        return false;
      // A Stop during the measurement cut its dwell short: the reading is
      // not a settled level and is not stored.
      if (m_observer.stopRequested())
        break;
      value += m_cfg.ExternalAttenuation;
      if (normActive && m_cfg.NormalizeGen == 0)
        value -= m_cfg.NormData[point];
      // Looked up at every point: an observer may copy the store meanwhile.
      m_cfg.Traces.last()[level][point] = value;
      if (!m_observer.continuous())
        m_observer.pointMeasured(level, point);
      if (m_observer.stopRequested())
        break;
    }
    if (m_observer.continuous())
      m_observer.levelDone(level);
    if (m_observer.stopRequested())
      break;
  }
  return true;
}

int SweepEngine::setSourceLevel(double levelDbm)
{
  const DevStr &source = m_cfg.Ana.TrackingGenerator ? m_cfg.Ana : m_cfg.Gen1;
  return GenSetLvl(source.Session, source.Type, levelDbm);
}

// A failed frequency setting shows up in the measurement that follows, so
// its status is not looked at here.
void SweepEngine::setFrequencies(int point)
{
  if (m_cfg.Ana.TrackingGenerator)
    return;
  GenSetFrq(m_cfg.Gen1.Session, m_cfg.Gen1.Type, m_cfg.Gen1Freqs[point] * kHzPerMHz);
  if (m_cfg.Gen2.Type != 0 && (!m_cfg.FixedLo || point == 0))
    GenSetFrq(m_cfg.Gen2.Session, m_cfg.Gen2.Type, m_cfg.Gen2Freqs[point] * kHzPerMHz);
}

// Every instrument is returned to local control even when an earlier step
// failed, so that the operator can take over the bench; the first failure
// is reported.
SwpResult SweepEngine::endOfRun()
{
  SwpResult result;
  auto note = [&result](ViStatus status, SwpDevice device) {
    if (status != 0 && result.outcome == SwpOutcome::Completed) {
      result.outcome = SwpOutcome::EndFailed;
      result.endDevice = device;
    }
  };
  if (!m_cfg.Ana.TrackingGenerator) {
    note(GenRfOut(m_cfg.Gen1.Session, m_cfg.Gen1.Type, m_cfg.RfOnAfterSweep), SwpDevice::Gen1);
    note(DevLocal(m_cfg.Gen1), SwpDevice::Gen1);
  }
  note(AnaDispUpd(m_cfg.Ana.Session, m_cfg.Ana.Type, true), SwpDevice::Ana);
  note(AnaContSwp(m_cfg.Ana.Session, m_cfg.Ana.Type, true), SwpDevice::Ana);
  note(DevLocal(m_cfg.Ana), SwpDevice::Ana);
  if (m_cfg.Gen2.Type != 0)
    note(DevLocal(m_cfg.Gen2), SwpDevice::Gen2);
  m_cfg.StopRequested = false;
  return result;
}
