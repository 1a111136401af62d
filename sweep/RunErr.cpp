#include "sweep/RunErr.h"

namespace {

QString DeviceTitle(SwpDevice device)
{
  switch (device) {
  case SwpDevice::Gen1:
    return QStringLiteral("Generator1 (RF)");
  case SwpDevice::Gen2:
    return QStringLiteral("Generator2 (LO)");
  default:
    return QStringLiteral("Analyzer (IF)");
  }
}

}  // namespace

RunErrWords RunErrFor(const SwpResult &result)
{
  switch (result.outcome) {
  case SwpOutcome::Completed:
    break;
  case SwpOutcome::InitFailed: {
    const InitErrText words = InitErrFor(result.initCode);
    const QString text = QString::fromLatin1(words.text);
    return {QString::fromLatin1(words.title),
            result.reason.isEmpty() ? text : text + QStringLiteral("\n\n") + result.reason};
  }
  case SwpOutcome::PlanRefused:
    return {QStringLiteral("Sweep"), result.reason.isEmpty() ? QStringLiteral("The sweep settings give no plan.")
                                                             : result.reason};
  case SwpOutcome::StoreMismatch:
    return {QStringLiteral("Sweep"), QStringLiteral("The stored traces do not match the sweep settings. "
                                                    "Press Start to begin a new series.")};
  case SwpOutcome::MeasureFailed:
    return {QStringLiteral("Analyzer (IF)"), QStringLiteral("Power Measurement Error.")};
  case SwpOutcome::FreqFailed:
    return {DeviceTitle(result.endDevice), QStringLiteral("Frequency Setting Error.")};
  case SwpOutcome::EndFailed:
    return {DeviceTitle(result.endDevice), QStringLiteral("End of Sweep Error.")};
  }
  return {};
}
