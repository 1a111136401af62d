#include "sweep/RunErr.h"

InitErrText RunErrFor(const SwpResult &result)
{
  switch (result.outcome) {
  case SwpOutcome::Completed:
    break;
  case SwpOutcome::InitFailed:
    return InitErrFor(result.initCode);
  case SwpOutcome::PlanRefused:
    return {"Sweep", "The sweep settings give no plan."};
  case SwpOutcome::StoreMismatch:
    return {"Sweep", "The stored traces do not match the sweep settings. Press Start to begin a new series."};
  case SwpOutcome::MeasureFailed:
    return {"Analyzer (IF)", "Power Measurement Error."};
  case SwpOutcome::EndFailed:
    switch (result.endDevice) {
    case SwpDevice::Gen1:
      return {"Generator1 (RF)", "End of Sweep Error."};
    case SwpDevice::Gen2:
      return {"Generator2 (LO)", "End of Sweep Error."};
    default:
      return {"Analyzer (IF)", "End of Sweep Error."};
    }
  }
  return {"", ""};
}
