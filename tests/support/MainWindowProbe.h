#pragma once
// Lets a test look into the main window's record, run state and curves
// after driving it through its widgets.
#include "app/MainWindow.h"
#include "plot/TraceCurveTable.h"

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}

  CfgStr &cfg() { return w.Cfg; }
  int traceIdx() const { return w.TraceIdx; }
  int levelIdx() const { return w.LevelIdx; }
  int relDisplay() const { return w.RelDisplay; }
  bool normActive() const { return w.NormActive; }
  TraceCurveTable &curves() { return w.Curves(); }
  QwtPlotCurve *normCurve() const { return w.NormCurve; }

private:
  MainWindow &w;
};
