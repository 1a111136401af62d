#pragma once
// The main window: owns the settings record, the form with its run controls
// and the trace plot, and routes every menu entry and button to its handler.
#include "plot/LiveSeries.h"
#include "sweep/CfgStr.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QString>

class PlotMarkers;
class PlotTracker;
class PlotZoom;
class QDoubleSpinBox;
class QwtPlotCurve;
class QwtPlotGrid;
class SweepWorker;
class TraceCurveTable;
class TraceLegend;
struct SwpResult;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  // cfgFile, when given, replaces the per-user configuration file for this
  // run: the settings are read from it and written back to it.
  explicit MainWindow(QWidget *parent = nullptr, const QString &cfgFile = QString());
  ~MainWindow() override;

  // "Solvane64 v5.3.0", given to the window by the entry function.
  static QString WindowTitle();

  // Shows the record's display settings in the controls under the plot.
  void SetDspCtl();

private slots:
  void on_actionOpen_triggered();
  void on_actionSave_triggered();
  void on_actionSave_as_triggered();
  void on_actionDevices_triggered();
  void on_actionSweep_triggered();
  void on_actionDefault_Size_triggered();
  void on_Devices_clicked();
  void on_Sweep_clicked();
  void on_Dwell_editingFinished();
  void on_NrmGen_currentIndexChanged(int index);

private:
  void LoadLibraries();
  void ShowSimulatedBench(const QString &benchName);
  template <class Dialog>
  void RunSetupDialog();
  void ShowPlan();
  void SaveCfgTo(const QString &path);
  void StoreGeometry();

protected:
  bool event(QEvent *event) override;

private:

  Ui::MainWindow *ui;
  int TraceIdx = 0;
  int LevelIdx = 0;
  int RelDisplay = 0;
  bool NormActive = false;
  CfgStr Cfg;
  QwtPlotGrid *PlotGrid = nullptr;
  QwtPlotCurve *NormCurve = nullptr;

  // ---- Sweep run and trace display (MainWindowRun.cpp, MainWindowDisplay.cpp) ----
public:
  void RunSwp();
  void UpdDevLbl();
  void AllocTrc();
  void AddTrcRec();
  // hint: what keeps an instrument from being reached, shown below the text.
  int InitErrMsg(int code, const QString &hint = QString());
  void UpdDspPnl();
  void RedrawTrc();

private slots:
  void on_Start_clicked();
  void on_Repeat_clicked();
  void on_Stop_clicked();
  void on_Normalize_clicked();
  void on_Del_clicked();
  void on_AbsRel_valueChanged(int value);
  void on_FMin_editingFinished();
  void on_FMax_editingFinished();
  void on_LMin_editingFinished();
  void on_LMax_editingFinished();
  void on_AutoFrq_clicked(bool checked);
  void on_SwpFrq_clicked(bool checked);
  void on_LogFrq_clicked(bool checked);
  void on_AutoLvl_clicked(bool checked);
  void on_NIdx_valueChanged(int arg1);

protected:
  // Closing the window during a run stops the run first.
  void closeEvent(QCloseEvent *event) override;

private:
  friend class MainWindowProbe;  // tests look at the record and the curves
  enum class SwpKind { Start, Repeat };

  // The curve table of the plot, made on first use.
  TraceCurveTable &Curves();
  void SetRunControls(bool running);
  void SetAfterRunControls();
  SweepWorker &RunWorker();
  void EndRunNow();
  void OnPassStarted(bool continuous);
  void OnLevelStarted(int level);
  void OnPointMeasured(int level, int point, double value);
  void DrawPending();
  void OnLevelDone(int level, const QVector<double> &row);
  void OnRunFinished(const SwpResult &result);
  bool StoreValue(int level, int point, double value);
  TraceRow NewestRow(int level) const;
  TraceRow RecordRow(int record, int level) const;
  void ReportRun(const SwpResult &result);
  bool RepeatFitsSeries();
  bool SeriesMatchesPlan(const QString &title);
  void ApplyAbsRel(int value);
  const QVector<double> &DisplayFreqs() const;
  void SweepSettingsRange(double &start, double &stop) const;
  double DisplayOffset() const;
  void SwapIfReversed(double &low, double &high, QDoubleSpinBox *lowBox, QDoubleSpinBox *highBox,
                      const char *lowName, const char *highName);
  void SetSwpProgress(int level, int point, bool now);

  TraceCurveTable *TraceCurves = nullptr;
  SweepWorker *Worker = nullptr;
  bool SwpActive = false;
  bool CloseAfterRun = false;  // the window was closed during the run
  bool PassContinuous = false;
  bool DrawQueued = false;  // a DrawPending() call is on its way
  int DrawLevel = -1;       // level step with points not painted yet, -1 = none
  int DrawCount = 0;        // the points of that level step measured so far
  SwpKind RunKind = SwpKind::Start;
  QElapsedTimer PassClock;
  QElapsedTimer StatusClock;  // paces the status line
  QList<QAction *> LockedActions;  // menu entries held disabled during a run
  // ---- end of sweep run and trace display ----

  // ---- Files, printing, manual and About (MainWindowFiles.cpp) ----
private slots:
  void on_actionSave_Normalization_triggered();
  void on_actionLoad_Data_triggered();
  void on_actionSave_Data_triggered();
  void on_actionPrint_Data_triggered();
  void on_actionGraph_to_Clipboard_triggered();
  void on_actionPrint_Graph_triggered();
  void on_actionContents_triggered();
  void on_actionAbout_triggered();

private:
  void ShowLoadedTraces();
  // ---- end of files, printing, manual and About ----

  // ---- Read-out, zoom, markers, legend and exports (MainWindowPlotTools.cpp) ----
private slots:
  void on_actionLegend_toggled(bool checked);
  void on_actionPeak_Marker_toggled(bool checked);
  void on_actionMinimum_Marker_toggled(bool checked);
  void on_actionClear_Delta_Marker_triggered();
  void on_actionZoom_Back_triggered();
  void on_actionExport_Graph_triggered();
  void on_actionExport_Data_triggered();

private:
  void SetUpPlotTools();

  PlotTracker *Tracker = nullptr;
  PlotZoom *Zoom = nullptr;
  PlotMarkers *Markers = nullptr;
  TraceLegend *Legend = nullptr;
  QDateTime MeasuredAt;  // end of the last run; unknown for loaded traces
  // ---- end of read-out, zoom, markers, legend and exports ----
};
