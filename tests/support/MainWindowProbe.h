#pragma once
// What the suites look at behind the main window's form: its record and plot tools.
#include "app/MainWindow.h"

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}
  CfgStr &cfg() { return w.Cfg; }
  TraceCurveTable &curves() { return w.Curves(); }
  PlotTracker &tracker() { return *w.Tracker; }
  PlotMarkers &markers() { return *w.Markers; }
  TraceLegend &legend() { return *w.Legend; }

private:
  MainWindow &w;
};
