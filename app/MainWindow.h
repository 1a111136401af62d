#pragma once
// The main window: owns the settings record, the form with its run controls
// and the trace plot, and routes every menu entry and button to its handler.
#include "sweep/CfgStr.h"

#include <QMainWindow>
#include <QString>

class QwtPlotCurve;
class QwtPlotGrid;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  explicit MainWindow(QWidget *parent = nullptr);
  ~MainWindow() override;

  // "Solvane64 v5.3.0", given to the window by the entry function.
  static QString WindowTitle();

  // Shows the record's display settings in the controls under the plot.
  void SetDspCtl();

private slots:
  void on_actionOpen_triggered();
  void on_actionSave_triggered();
  void on_actionSave_as_triggered();
  void on_actionDefault_Size_triggered();
  void on_Dwell_editingFinished();
  void on_NrmGen_currentIndexChanged(int index);

private:
  void LoadLibraries();
  void ShowPlan();
  void DisableUnhandledActions();
  void SaveCfgTo(const QString &path);

  Ui::MainWindow *ui;
  int TraceIdx = 0;
  int LevelIdx = 0;
  int RelDisplay = 0;
  bool NormActive = false;
  CfgStr Cfg;
  QwtPlotGrid *PlotGrid = nullptr;
  QwtPlotCurve *NormCurve = nullptr;
};
