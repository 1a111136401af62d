#pragma once
// The stored settings, key by key, in the order in which the file is
// written. Each entry names the key and the path of member pointers that
// leads from the settings record to the field, so that load, save and the
// defaults share one list instead of three.
#include "sweep/CfgStr.h"

#include <QString>

// How a stored value becomes the field on load.
enum class CfgConv {
  Plain,      // the field's own type
  IntAsBool,  // an int field read as a boolean: any true value loads as 1
};

// The field that a path of member pointers reaches in a record (const or not).
template <class R, class M>
auto &CfgField(R &record, M member)
{
  return record.*member;
}
template <class R, class M, class... Ms>
auto &CfgField(R &record, M member, Ms... rest)
{
  return CfgField(record.*member, rest...);
}

namespace CfgKeysDetail {

// The seven sweep values of a generator: "Sweep/Gen1 Start Freq" ...
template <class Visit>
void sweepKeys(Visit &visit, const QString &gen, DevStr CfgStr::*dev)
{
  const QString prefix = QStringLiteral("Sweep/") + gen + QLatin1Char(' ');
  visit(prefix + "Start Freq", CfgConv::Plain, dev, &DevStr::StartFreq);
  visit(prefix + "Stop Freq", CfgConv::Plain, dev, &DevStr::StopFreq);
  visit(prefix + "Center Freq", CfgConv::Plain, dev, &DevStr::CenterFreq);
  visit(prefix + "Span Freq", CfgConv::Plain, dev, &DevStr::SpanFreq);
  visit(prefix + "Start Level", CfgConv::Plain, dev, &DevStr::StartLevel);
  visit(prefix + "Stop Level", CfgConv::Plain, dev, &DevStr::StopLevel);
  visit(prefix + "Step Level", CfgConv::Plain, dev, &DevStr::StepLevel);
}

// The connection group of one instrument. The analyzer's group also holds
// the sensor's product id and names its connector and reference keys
// "Ana RF Port" and "Ana Ext.Ref".
template <class Visit>
void deviceKeys(Visit &visit, const QString &group, DevStr CfgStr::*dev)
{
  const bool ana = group == QLatin1String("Ana");
  const QString prefix = group + QLatin1Char('/');
  const QString own = ana ? QStringLiteral("Ana ") : QString();
  visit(prefix + "Type", CfgConv::Plain, dev, &DevStr::Type);
  visit(prefix + "Interface", CfgConv::Plain, dev, &DevStr::Interface);
  visit(prefix + "Serial Port", CfgConv::Plain, dev, &DevStr::SerialPort);
  visit(prefix + "Baudrate", CfgConv::Plain, dev, &DevStr::Baudrate);
  visit(prefix + "Parity", CfgConv::Plain, dev, &DevStr::Parity);
  visit(prefix + "Stop Bits", CfgConv::Plain, dev, &DevStr::StopBits);
  visit(prefix + "Data Bits", CfgConv::Plain, dev, &DevStr::DataBits);
  visit(prefix + "Flow Control", CfgConv::Plain, dev, &DevStr::FlowControl);
  visit(prefix + "GPIB Address", CfgConv::Plain, dev, &DevStr::GpibAddress);
  visit(prefix + "IP Address", CfgConv::Plain, dev, &DevStr::IpAddress);
  visit(prefix + "VISA Resource String", CfgConv::Plain, dev, &DevStr::VisaResourceString);
  visit(prefix + "Serial No", CfgConv::Plain, dev, &DevStr::SerialNo);
  if (ana)
    visit(prefix + "Product ID", CfgConv::Plain, dev, &DevStr::ProductId);
  visit(prefix + "Reset", CfgConv::Plain, dev, &DevStr::Reset);
  visit(prefix + own + "RF Port", CfgConv::Plain, dev, &DevStr::RfPort);
  visit(prefix + "RTC#", CfgConv::Plain, dev, &DevStr::RtcNo);
  visit(prefix + own + "Ext.Ref", CfgConv::Plain, dev, &DevStr::ExtRef);
}

}  // namespace CfgKeysDetail

// Calls visit(key, conversion, member pointers...) for every stored key, in
// file order. "Sweep/Attenuator" and "Ana/External Attenuation" both hold
// the external attenuation; the second is visited later, so on load it wins.
template <class Visit>
void CfgVisitKeys(Visit &&visit)
{
  using namespace CfgKeysDetail;
  const auto plain = CfgConv::Plain;
  visit(QStringLiteral("Position/x"), plain, &CfgStr::X);
  visit(QStringLiteral("Position/y"), plain, &CfgStr::Y);
  visit(QStringLiteral("Position/dx"), plain, &CfgStr::Dx);
  visit(QStringLiteral("Position/dy"), plain, &CfgStr::Dy);
  sweepKeys(visit, QStringLiteral("Gen1"), &CfgStr::Gen1);
  sweepKeys(visit, QStringLiteral("Gen2"), &CfgStr::Gen2);
  visit(QStringLiteral("Sweep/Fixed LO"), plain, &CfgStr::FixedLo);
  visit(QStringLiteral("Sweep/Fixed IF"), plain, &CfgStr::FixedIf);
  visit(QStringLiteral("Sweep/Upper Sideband"), CfgConv::IntAsBool, &CfgStr::UpperSideband);
  visit(QStringLiteral("Sweep/Numerator"), plain, &CfgStr::Numerator);
  visit(QStringLiteral("Sweep/Denominator"), plain, &CfgStr::Denominator);
  visit(QStringLiteral("Sweep/Attenuator"), plain, &CfgStr::ExternalAttenuation);
  visit(QStringLiteral("Sweep/Ana Start Level"), plain, &CfgStr::Ana, &DevStr::StartFreq);
  visit(QStringLiteral("Sweep/Ana Stop Level"), plain, &CfgStr::Ana, &DevStr::StopFreq);
  visit(QStringLiteral("Sweep/Step Freq"), plain, &CfgStr::StepFreq);
  visit(QStringLiteral("Sweep/Count"), plain, &CfgStr::Count);
  visit(QStringLiteral("Sweep/Log Sweep"), CfgConv::IntAsBool, &CfgStr::LogSweep);
  visit(QStringLiteral("Sweep/Level Sweep"), plain, &CfgStr::LevelSweep);
  visit(QStringLiteral("Sweep/Normalize Gen"), plain, &CfgStr::NormalizeGen);
  visit(QStringLiteral("Sweep/Display Ana"), plain, &CfgStr::DisplayAna);
  visit(QStringLiteral("Sweep/Dwell"), plain, &CfgStr::Dwell);
  visit(QStringLiteral("Sweep/RF ON After Sweep"), plain, &CfgStr::RfOnAfterSweep);
  visit(QStringLiteral("Display/Start Freq"), plain, &CfgStr::DispStartFreq);
  visit(QStringLiteral("Display/Stop Freq"), plain, &CfgStr::DispStopFreq);
  visit(QStringLiteral("Display/X Sweep Settings"), plain, &CfgStr::XSweepSettings);
  visit(QStringLiteral("Display/X Autoscale"), plain, &CfgStr::XAutoscale);
  visit(QStringLiteral("Display/X Log Scale"), plain, &CfgStr::XLogScale);
  visit(QStringLiteral("Display/Y1 Start Level"), plain, &CfgStr::Y1StartLevel);
  visit(QStringLiteral("Display/Y1 Stop Level"), plain, &CfgStr::Y1StopLevel);
  visit(QStringLiteral("Display/Y1 Autoscale"), plain, &CfgStr::Y1Autoscale);
  visit(QStringLiteral("Display/Y1 Log Scale"), plain, &CfgStr::Y1LogScale);
  visit(QStringLiteral("Display/Y2 Start Level"), plain, &CfgStr::Y2StartLevel);
  visit(QStringLiteral("Display/Y2 Stop Level"), plain, &CfgStr::Y2StopLevel);
  visit(QStringLiteral("Display/N Index"), plain, &CfgStr::NIndex);
  deviceKeys(visit, QStringLiteral("Gen1"), &CfgStr::Gen1);
  deviceKeys(visit, QStringLiteral("Gen2"), &CfgStr::Gen2);
  deviceKeys(visit, QStringLiteral("Ana"), &CfgStr::Ana);
  visit(QStringLiteral("Ana/Rec Attenuation"), plain, &CfgStr::Rcx, &RcxStr::RecAttenuation);
  visit(QStringLiteral("Ana/Rec Auto Att"), plain, &CfgStr::Rcx, &RcxStr::RecAutoAtt);
  visit(QStringLiteral("Ana/Rec IBW"), plain, &CfgStr::Rcx, &RcxStr::RecIbw);
  visit(QStringLiteral("Ana/Rec Detector"), plain, &CfgStr::Rcx, &RcxStr::RecDetector);
  visit(QStringLiteral("Ana/Rec Units dBm"), plain, &CfgStr::Rcx, &RcxStr::RecUnitsDbm);
  visit(QStringLiteral("Ana/RBW"), plain, &CfgStr::Spx, &SpxStr::Rbw);
  visit(QStringLiteral("Ana/RBW I"), plain, &CfgStr::Spx, &SpxStr::RbwI);
  visit(QStringLiteral("Ana/VBW"), plain, &CfgStr::Spx, &SpxStr::Vbw);
  visit(QStringLiteral("Ana/VBW I"), plain, &CfgStr::Spx, &SpxStr::VbwI);
  visit(QStringLiteral("Ana/Ref.Level"), plain, &CfgStr::Spx, &SpxStr::RefLevel);
  visit(QStringLiteral("Ana/Sweep Time"), plain, &CfgStr::Spx, &SpxStr::SweepTime);
  visit(QStringLiteral("Ana/Fast"), plain, &CfgStr::Spx, &SpxStr::Fast);
  visit(QStringLiteral("Ana/VXI Path"), plain, &CfgStr::VxiPath);
  visit(QStringLiteral("Ana/Tracking Generator"), plain, &CfgStr::Ana, &DevStr::TrackingGenerator);
  visit(QStringLiteral("PWU Index"), plain, &CfgStr::PwuIndex);
  visit(QStringLiteral("PWxx Auto Averaging"), plain, &CfgStr::Ana, &DevStr::PwxxAutoAveraging);
  visit(QStringLiteral("PWxx Resolution"), plain, &CfgStr::Ana, &DevStr::PwxxResolution);
  visit(QStringLiteral("PWxx Manual Averaging"), plain, &CfgStr::Ana, &DevStr::PwxxManualAveraging);
  visit(QStringLiteral("PWxx Count"), plain, &CfgStr::Ana, &DevStr::PwxxCount);
  visit(QStringLiteral("Ana/External Attenuation"), plain, &CfgStr::ExternalAttenuation);
  // Keys added later go here, so that older files simply lack them.
  visit(QStringLiteral("Display/Legend"), plain, &CfgStr::ShowLegend);
}
