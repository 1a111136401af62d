#pragma once
// What the suites look at behind the main window's form: its record, its run
// state and its plot tools.
#include "app/MainWindow.h"

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}
  CfgStr &cfg() { return w.Cfg; }
  int traceIdx() const { return w.TraceIdx; }
  bool normActive() const { return w.NormActive; }
  bool running() const { return w.SwpActive; }
  QwtPlotCurve *normCurve() const { return w.NormCurve; }
  TraceCurveTable &curves() { return w.Curves(); }
  PlotTracker &tracker() { return *w.Tracker; }
  PlotMarkers &markers() { return *w.Markers; }
  TraceLegend &legend() { return *w.Legend; }

private:
  MainWindow &w;
};
