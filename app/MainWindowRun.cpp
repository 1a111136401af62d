// The window's side of a sweep run: the run buttons, the drawing of what the
// run on its worker thread reports, and the messages of a run.
#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "dialogs/UserPrompt.h"
#include "instruments/DevTables.h"
#include "plot/TraceBrushes.h"
#include "plot/TraceCurveTable.h"
#include "sweep/InitErr.h"
#include "sweep/RunErr.h"
#include "sweep/SweepEngine.h"
#include "sweep/SweepWorker.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QCloseEvent>
#include <QStatusBar>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

namespace {

constexpr int kAnaPwu = 75;
// The status line is repainted at most this often during a run.
constexpr qint64 kStatusPeriodNs = 100000000;
const QString kSweepTitle = QStringLiteral("Sweep");

// A type index from a damaged configuration must not index past the table.
QString TypeText(int type)
{
  return type >= 0 && type < kDevTypeCount ? QString::fromLatin1(DevTypeTable[type]) : QString();
}

QString Duration(qint64 seconds)
{
  const QString mmss = QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
  if (seconds < 3600)
    return mmss;
  return QStringLiteral("%1:%2").arg(seconds / 3600).arg(mmss.rightJustified(5, QLatin1Char('0')));
}

}  // namespace

TraceCurveTable &MainWindow::Curves()
{
  if (!TraceCurves)
    TraceCurves = new TraceCurveTable(ui->plt);
  return *TraceCurves;
}

void MainWindow::on_Start_clicked()
{
  if (SwpActive)
    return;
  QString reason;
  if (!CalcSwpLst(Cfg, &reason)) {
    UserPrompt::warning(this, kSweepTitle, reason);
    return;
  }
  NormCurve->setVisible(false);
  SetRunControls(true);
  NormActive = false;
  Cfg.TraceCount = 1;
  ui->TMsg->hide();
  UpdDspPnl();
  UpdDevLbl();
  Curves().hideAll();
  TraceIdx = 0;
  Cfg.ColourIdx = 0;
  AllocTrc();
  ui->plt->enableAxis(QwtPlot::yRight, false);
  RunKind = SwpKind::Start;
  RunSwp();
}

void MainWindow::on_Repeat_clicked()
{
  if (SwpActive || !RepeatFitsSeries())
    return;
  SetRunControls(true);
  AddTrcRec();
  Cfg.ColourIdx = NextColour(Cfg.ColourIdx);
  ++TraceIdx;
  RunKind = SwpKind::Repeat;
  RunSwp();
}

// The buttons after a run: a new series may be normalized, a repeated one
// may lose its last trace.
void MainWindow::SetAfterRunControls()
{
  SetRunControls(false);
  ui->Repeat->setEnabled(true);
  ui->Normalize->setEnabled(RunKind == SwpKind::Start);
  if (RunKind == SwpKind::Start)
    ui->NIdx->setEnabled(true);
  ui->Del->setEnabled(RunKind == SwpKind::Repeat);
}

// A new record must fit the curve table and have the shape of the series
// it joins; otherwise the user starts a new series.
bool MainWindow::RepeatFitsSeries()
{
  QString reason;
  if (!CalcSwpLst(Cfg, &reason)) {
    UserPrompt::warning(this, kSweepTitle, reason);
    return false;
  }
  if (TraceIdx + 1 >= kMaxTraces || Cfg.TraceCount >= kMaxTraces) {
    UserPrompt::warning(this, QStringLiteral("Repeat"),
                        QStringLiteral("All %1 trace slots are in use. Delete the last trace or press Start "
                                       "to begin a new series.")
                            .arg(kMaxTraces));
    return false;
  }
  if (!Cfg.Traces.isEmpty() && !TrcFitsPlan(Cfg, NormActive)) {
    UserPrompt::warning(this, QStringLiteral("Repeat"),
                        QStringLiteral("The sweep settings have changed since this series was measured. "
                                       "Press Start to begin a new series."));
    return false;
  }
  return true;
}

// The run ends at its next exchange with the end-of-run steps, so the
// instruments are left in local control rather than sweeping on unseen;
// the window closes when the run has ended.
void MainWindow::closeEvent(QCloseEvent *event)
{
  if (SwpActive) {
    CloseAfterRun = true;
    RunWorker().requestStop();
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

// A window destroyed during a run (the program quits) waits for the run's
// end, so that the instruments it opened are closed with the others.
void MainWindow::EndRunNow()
{
  if (!SwpActive)
    return;
  RunWorker().requestStop();
  RunWorker().wait();
  RunWorker().takeResults(Cfg);
}

void MainWindow::on_Stop_clicked()
{
  if (SwpActive)
    RunWorker().requestStop();
  ui->Start->setEnabled(true);
  ui->Repeat->setEnabled(true);
  ui->Normalize->setEnabled(true);
  ui->NIdx->setEnabled(true);
  ui->Stop->setEnabled(false);
  ui->Del->setEnabled(false);
}

// While a run is active only Stop and the display controls act; the entries
// that would change the settings or the trace store under the run wait.
void MainWindow::SetRunControls(bool running)
{
  SwpActive = running;
  ui->Start->setEnabled(!running);
  ui->Stop->setEnabled(running);
  if (running) {
    ui->Repeat->setEnabled(false);
    ui->Normalize->setEnabled(false);
    ui->Del->setEnabled(false);
  }
  ui->Devices->setEnabled(!running);
  ui->Sweep->setEnabled(!running);
  if (running) {
    // A save reads the trace store on a thread of its own while the run's
    // points arrive, so the files wait for the end of the run too.
    for (QAction *action : {ui->actionOpen, ui->actionLoad_Data, ui->actionDevices, ui->actionSweep,
                            ui->actionSave_Data, ui->actionSave_Normalization, ui->actionExport_Data}) {
      if (action->isEnabled()) {
        action->setEnabled(false);
        LockedActions.append(action);
      }
    }
  } else {
    for (QAction *action : LockedActions)
      action->setEnabled(true);
    LockedActions.clear();
  }
}

SweepWorker &MainWindow::RunWorker()
{
  if (!Worker) {
    Worker = new SweepWorker(this);
    connect(Worker, &SweepWorker::passStarted, this, &MainWindow::OnPassStarted);
    connect(Worker, &SweepWorker::levelStarted, this, &MainWindow::OnLevelStarted);
    connect(Worker, &SweepWorker::pointMeasured, this, &MainWindow::OnPointMeasured);
    connect(Worker, &SweepWorker::levelDone, this, &MainWindow::OnLevelDone);
    connect(Worker, &SweepWorker::passDone, this, [this](double seconds) { ui->SwpTime->setValue(seconds); });
    connect(Worker, &SweepWorker::finished, this, &MainWindow::OnRunFinished);
    connect(ui->RunCont, &QCheckBox::toggled, Worker, &SweepWorker::setContinuous);
  }
  return *Worker;
}

// Starts the run on the worker thread; OnRunFinished() ends it.
void MainWindow::RunSwp()
{
  ui->AbsRel->setEnabled(false);
  if (ui->AbsRel->value() != 0)
    ApplyAbsRel(0);
  RelDisplay = 0;
  CloseAfterRun = false;
  RunWorker().start(Cfg, NormActive, ui->RunCont->isChecked());
}

void MainWindow::OnRunFinished(const SwpResult &result)
{
  DrawPending();
  RunWorker().takeResults(Cfg);
  MeasuredAt = QDateTime::currentDateTime();
  statusBar()->clearMessage();
  ui->plt->replot();
  SetAfterRunControls();
  ReportRun(result);
  if (CloseAfterRun)
    close();
}

void MainWindow::OnPassStarted(bool continuous)
{
  PassClock.start();
  StatusClock.invalidate();
  PassContinuous = continuous;
  if (!continuous)
    return;
  for (int slot = 0; slot <= TraceIdx; ++slot)
    Curves().hide(slot, LevelIdx);
}

// A single pass shows the row growing from its first point; a continuous
// one shows the previous pass until the level step is measured again.
void MainWindow::OnLevelStarted(int level)
{
  DrawPending();
  LevelIdx = level;
  Curves().showCurve(TraceIdx, level, Cfg.ColourIdx);
  Curves().setRow(TraceIdx, level, NewestRow(level), PassContinuous ? Cfg.PointCount : 0,
                  DisplayOffset());
}

// Points that arrive together (a fast bench) are painted as one segment
// once the window has taken them all; a slow bench's point is painted
// as soon as it arrives.
void MainWindow::OnPointMeasured(int level, int point, double value)
{
  if (!StoreValue(level, point, value))
    return;
  if (DrawLevel != level)
    DrawPending();
  DrawLevel = level;
  DrawCount = point + 1;
  if (!DrawQueued) {
    DrawQueued = true;
    QMetaObject::invokeMethod(this, &MainWindow::DrawPending, Qt::QueuedConnection);
  }
  SetSwpProgress(level, point, false);
}

void MainWindow::DrawPending()
{
  DrawQueued = false;
  if (DrawLevel >= 0)
    Curves().growRow(TraceIdx, DrawLevel, DrawCount);
  DrawLevel = -1;
}

void MainWindow::OnLevelDone(int level, const QVector<double> &row)
{
  if (Cfg.Traces.isEmpty() || level < 0 || level >= Cfg.Traces.constLast().size())
    return;
  Cfg.Traces.last()[level] = row;
  Curves().setRow(TraceIdx, level, NewestRow(level), Cfg.PointCount, DisplayOffset());
  SetSwpProgress(level, Cfg.PointCount - 1, true);
}

// The window's copy of the newest record follows the run value by value.
bool MainWindow::StoreValue(int level, int point, double value)
{
  if (Cfg.Traces.isEmpty() || level < 0 || level >= Cfg.Traces.constLast().size() || point < 0 ||
      point >= Cfg.Traces.constLast().at(level).size())
    return false;
  Cfg.Traces.last()[level][point] = value;
  return true;
}

TraceRow MainWindow::NewestRow(int level) const { return RecordRow(Cfg.Traces.size() - 1, level); }

TraceRow MainWindow::RecordRow(int record, int level) const
{
  return TraceRow{&DisplayFreqs(), &Cfg.Traces, record, level};
}

void MainWindow::ReportRun(const SwpResult &result)
{
  if (result.outcome == SwpOutcome::Completed) {
    ui->AbsRel->setEnabled(true);
    return;
  }
  const RunErrWords words = RunErrFor(result);
  UserPrompt::warning(this, words.title, words.text);
}

int MainWindow::InitErrMsg(int code, const QString &hint)
{
  if (code != 0) {
    SwpResult result;
    result.outcome = SwpOutcome::InitFailed;
    result.initCode = code;
    result.reason = hint;
    ReportRun(result);
  }
  return code;
}

void MainWindow::UpdDevLbl()
{
  ui->Gen1->setText(TypeText(Cfg.Ana.TrackingGenerator ? Cfg.Ana.Type : Cfg.Gen1.Type));
  ui->Gen2->setText(TypeText(Cfg.Gen2.Type));
  if (Cfg.Ana.Type == kAnaPwu)
    ui->Ana->setText(Cfg.PwuIndex >= 0 && Cfg.PwuIndex < kPmCount ? QString::fromLatin1(PmTable[Cfg.PwuIndex].Name)
                                                                 : QString());
  else
    ui->Ana->setText(TypeText(Cfg.Ana.Type));
  const bool withLo = Cfg.Gen2.Type != 0;
  ui->Gen1Lbl->setText(withLo ? QStringLiteral("Generator1 (RF)") : QStringLiteral("Generator1"));
  ui->Gen2Lbl->setText(withLo ? QStringLiteral("Generator2 (LO)") : QStringLiteral("Generator2"));
  ui->AnaLbl->setText(withLo ? QStringLiteral("Analyzer (IF)") : QStringLiteral("Analyzer"));
}

void MainWindow::AllocTrc() { ::AllocTrc(Cfg); }

void MainWindow::AddTrcRec() { ::AddTrcRec(Cfg); }

// "Level step 1 of 2, point 45 of 91, 0:12 left" at the pace of this pass,
// repainted at most ten times a second unless `now`.
void MainWindow::SetSwpProgress(int level, int point, bool now)
{
  if (!now && StatusClock.isValid() && StatusClock.nsecsElapsed() < kStatusPeriodNs)
    return;
  StatusClock.start();
  const qint64 passNs = PassClock.nsecsElapsed();
  const qint64 total = qint64(Cfg.LevelCount) * Cfg.PointCount;
  const qint64 done = qint64(level) * Cfg.PointCount + point + 1;
  const qint64 leftS = done > 0 ? passNs / done * (total - done) / 1000000000 : 0;
  statusBar()->showMessage(QStringLiteral("Level step %1 of %2, point %3 of %4, %5 left")
                               .arg(level + 1)
                               .arg(Cfg.LevelCount)
                               .arg(point + 1)
                               .arg(Cfg.PointCount)
                               .arg(Duration(leftS)));
}
