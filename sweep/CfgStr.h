#pragma once
// The one settings record of the program. The main window owns it; the
// dialogs, the sweep plan, the sweep run and the files change it in place.
#include "instruments/DevRecords.h"

#include <QString>
#include <QVector>
#include <limits>

// A trace record: one row of PointCount levels per level step.
using TraceRec = QVector<QVector<double>>;

// The value of a point that has not been measured (yet). It is not a level:
// the plot leaves it out and the files never write it as one.
constexpr double kUnmeasured = std::numeric_limits<double>::quiet_NaN();

struct CfgStr {
  // run-time: sizes of the plan and of the trace store
  int PointCount = 0;
  int LevelCount = 0;
  int TraceCount = 0;
  int ColourIdx = 0;
  int PwuIndex = 0;
  bool StopRequested = false;
  bool SensorDriverLoaded = false;
  bool VisaLoaded = false;
  QString AppName;
  QString CfgDir;
  QString CfgPath;
  QString VxiPath;
  // run-time: the sweep plan (MHz) and the normalization reference (dB)
  QVector<double> Gen1Freqs;
  QVector<double> Gen2Freqs;
  QVector<double> AnaFreqs;
  QVector<double> NormData;
  // run-time: the plan's lists when the trace records were allocated, i.e.
  // the frequencies at which the series was measured (MHz)
  QVector<double> SeriesGen1Freqs;
  QVector<double> SeriesGen2Freqs;
  QVector<double> SeriesAnaFreqs;
  DevStr Gen1;
  DevStr Gen2;
  DevStr Ana;
  double DispStartFreq = 100.0;
  double DispStopFreq = 1000.0;
  double Y1StartLevel = 0.0;
  double Y1StopLevel = 0.0;
  double Y2StartLevel = -50.0;
  double Y2StopLevel = 0.0;
  bool XAutoscale = false;
  bool Y1Autoscale = true;
  bool XLogScale = false;
  bool Y1LogScale = false;
  bool XSweepSettings = true;
  bool ShowLegend = true;
  int NIndex = 0;
  int X = 300;
  int Y = 200;
  int Dx = 789;
  int Dy = 566;
  // run-time: Traces[t][l][i] is trace record t, level step l, point i
  QVector<TraceRec> Traces;
  RcxStr Rcx;
  SpxStr Spx;
  bool FixedLo = true;
  bool FixedIf = false;
  bool DisplayAna = true;
  bool LevelSweep = false;
  bool RfOnAfterSweep = false;
  double StepFreq = 10.0;
  double Dwell = 0.0;
  double Numerator = 1.0;
  double Denominator = 1.0;
  double ExternalAttenuation = 0.0;
  int LogSweep = 0;
  int Count = 200;
  int NormalizeGen = 0;
  int UpperSideband = 1;
};
