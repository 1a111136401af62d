#include "sweep/SweepEngine.h"

#include "instruments/AnaCmd.h"
#include "instruments/DevTables.h"
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
  // Without a generator of its own the analyzer would "measure" its noise
  // while no source is driven.
  const QString refusal = trackingRefusal();
  if (!refusal.isEmpty()) {
    SwpResult result = outcome(SwpOutcome::PlanRefused);
    result.reason = refusal;
    return result;
  }
  const int init = InstInit(m_cfg.Gen1, m_cfg.Gen2, m_cfg.Ana, m_cfg.Spx, m_cfg.Rcx, m_cfg.LevelSweep);
  if (init != 0) {
    SwpResult result = outcome(SwpOutcome::InitFailed);
    result.initCode = init;
    const DevStr *unopened = init == -1 ? &m_cfg.Gen1 : init == -8 ? &m_cfg.Gen2 : init == -15 ? &m_cfg.Ana : nullptr;
    if (unopened)
      result.reason = DevReachHint(*unopened);
    return failed(result);
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
    SwpResult result;
    result.outcome = measurePass(normActive, markerPos, result.endDevice);
    if (result.outcome != SwpOutcome::Completed)
      return failed(result);
    m_observer.passDone(passTimer.nsecsElapsed() * 1e-9);
  } while (!m_observer.stopRequested() && m_observer.continuous());
  return endOfRun();
}

SwpOutcome SweepEngine::measurePass(bool normActive, double markerPos, SwpDevice &failedGen)
{
  for (int level = 0; level < m_cfg.LevelCount; ++level) {
    const double stepLevel = m_cfg.Gen1.StartLevel + level * m_cfg.Gen1.StepLevel;
    int levelStatus = setSourceLevel(stepLevel);
    m_observer.levelStarted(level);
    for (int point = 0; point < m_cfg.PointCount; ++point) {
      if (normActive && m_cfg.NormalizeGen != 0)
        levelStatus = setSourceLevel(stepLevel - m_cfg.NormData[point]);
      failedGen = setFrequencies(point);
      if (levelStatus != 0)
        return SwpOutcome::MeasureFailed;
      // Measured at the old frequency, the value would be stored as if right.
      if (failedGen != SwpDevice::None)
        return SwpOutcome::FreqFailed;
      if (m_observer.stopRequested())
        break;
      const double ifHz = m_cfg.AnaFreqs[point] * kHzPerMHz;
      const bool markerAtPoint = m_cfg.Ana.TrackingGenerator && m_cfg.Ana.Type == kTrackingMarkerType;
      double value = kUnmeasured;
      if (AnaMeasure(m_cfg.Ana.Session, m_cfg.Ana.Type, ifHz, value, m_cfg.Dwell,
                     markerAtPoint ? ifHz : markerPos, m_cfg.Spx.Fast) != 0)
        return SwpOutcome::MeasureFailed;
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
  return SwpOutcome::Completed;
}

int SweepEngine::setSourceLevel(double levelDbm)
{
  const DevStr &source = m_cfg.Ana.TrackingGenerator ? m_cfg.Ana : m_cfg.Gen1;
  return GenSetLvl(source.Session, source.Type, levelDbm);
}

// The generator that refused its frequency, or None.
SwpDevice SweepEngine::setFrequencies(int point)
{
  if (m_cfg.Ana.TrackingGenerator)
    return SwpDevice::None;
  if (GenSetFrq(m_cfg.Gen1.Session, m_cfg.Gen1.Type, m_cfg.Gen1Freqs[point] * kHzPerMHz) != VI_SUCCESS)
    return SwpDevice::Gen1;
  if (m_cfg.Gen2.Type != 0 && (!m_cfg.FixedLo || point == 0) &&
      GenSetFrq(m_cfg.Gen2.Session, m_cfg.Gen2.Type, m_cfg.Gen2Freqs[point] * kHzPerMHz) != VI_SUCCESS)
    return SwpDevice::Gen2;
  return SwpDevice::None;
}

QString SweepEngine::trackingRefusal() const
{
  if (!m_cfg.Ana.TrackingGenerator || AnaHasTrkGen(m_cfg.Ana.Type))
    return QString();
  return QStringLiteral("The analyzer %1 has no tracking generator. Untick Tracking Generator in Devices "
                        "or choose an analyzer that has one.")
      .arg(DevTypeText(m_cfg.Ana.Type));
}

// After a failure the source must not keep driving the device unseen: RF
// off (unless it is to stay on) and every instrument back in local control.
// An instrument that failed its preparation may not answer, so it is only
// given the commands that end a run when it was prepared completely.
SwpResult SweepEngine::failed(SwpResult result)
{
  if (result.outcome != SwpOutcome::InitFailed) {
    endOfRun();
    return result;
  }
  if (!m_cfg.Ana.TrackingGenerator && !m_cfg.RfOnAfterSweep && m_cfg.Gen1.Session != 0)
    GenRfOut(m_cfg.Gen1.Session, m_cfg.Gen1.Type, false);
  for (const DevStr *dev : {&m_cfg.Gen1, &m_cfg.Gen2, &m_cfg.Ana})
    if (dev->Session != 0)
      DevLocal(*dev);
  m_cfg.StopRequested = false;
  return result;
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
