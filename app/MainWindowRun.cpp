// The window's side of a sweep run: the run buttons, the observer that draws
// each point and keeps the window alive, and the messages of a run.
#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "dialogs/UserPrompt.h"
#include "instruments/DevTables.h"
#include "plot/TraceBrushes.h"
#include "plot/TraceCurveTable.h"
#include "sweep/InitErr.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpObserver.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

namespace {

constexpr int kAnaPwu = 75;
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

const char *EndDeviceTitle(SwpDevice device)
{
  switch (device) {
  case SwpDevice::Gen1:
    return "Generator1 (RF)";
  case SwpDevice::Gen2:
    return "Generator2 (LO)";
  default:
    return "Analyzer (IF)";
  }
}

}  // namespace

// Draws what the engine measured and gives way to the user's clicks: after
// every point, or after every level step when sweeping continuously.
class MainWindow::RunView : public SwpObserver {
public:
  explicit RunView(MainWindow &window) : w(window) {}

  bool continuous() override { return w.ui->RunCont->isChecked(); }
  bool stopRequested() override { return w.Cfg.StopRequested; }

  void passStarted(bool continuous) override
  {
    passTimer.start();
    if (!continuous)
      return;
    for (int slot = 0; slot <= w.TraceIdx; ++slot)
      w.Curves().hide(slot, w.LevelIdx);
  }

  void levelStarted(int level) override
  {
    w.LevelIdx = level;
    w.Curves().showCurve(w.TraceIdx, level, w.Cfg.ColourIdx);
  }

  void pointMeasured(int level, int point) override
  {
    w.DrawPoint(level, point);
    w.SetSwpProgress(level, point, passTimer.nsecsElapsed());
    QCoreApplication::processEvents();
  }

  void levelDone(int level) override
  {
    w.DrawLevel(level);
    w.SetSwpProgress(level, w.Cfg.PointCount - 1, passTimer.nsecsElapsed());
    QCoreApplication::processEvents();
  }

  void passDone(double seconds) override { w.ui->SwpTime->setValue(seconds); }

private:
  MainWindow &w;
  QElapsedTimer passTimer;
};

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
  RunSwp();
  SetRunControls(false);
  ui->Repeat->setEnabled(true);
  ui->Normalize->setEnabled(true);
  ui->NIdx->setEnabled(true);
  ui->Del->setEnabled(false);
}

void MainWindow::on_Repeat_clicked()
{
  if (SwpActive || !RepeatFitsSeries())
    return;
  SetRunControls(true);
  AddTrcRec();
  Cfg.ColourIdx = NextColour(Cfg.ColourIdx);
  ++TraceIdx;
  RunSwp();
  SetRunControls(false);
  ui->Repeat->setEnabled(true);
  ui->Normalize->setEnabled(false);
  ui->Del->setEnabled(true);
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

// The run ends at its next check with the end-of-run steps, so the
// instruments are left in local control rather than sweeping on unseen.
void MainWindow::closeEvent(QCloseEvent *event)
{
  if (SwpActive)
    Cfg.StopRequested = true;
  QMainWindow::closeEvent(event);
}

void MainWindow::on_Stop_clicked()
{
  Cfg.StopRequested = true;
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
    for (QAction *action : {ui->actionOpen, ui->actionLoad_Data, ui->actionDevices, ui->actionSweep}) {
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

void MainWindow::RunSwp()
{
  Cfg.StopRequested = false;
  ui->AbsRel->setEnabled(false);
  if (ui->AbsRel->value() != 0)
    ApplyAbsRel(0);
  RelDisplay = 0;

  RunView view(*this);
  SweepEngine engine(Cfg, view);
  const SwpResult result = engine.run(NormActive);
  MeasuredAt = QDateTime::currentDateTime();
  statusBar()->clearMessage();
  ui->plt->replot();
  ReportRun(result);
}

void MainWindow::ReportRun(const SwpResult &result)
{
  switch (result.outcome) {
  case SwpOutcome::Completed:
    ui->AbsRel->setEnabled(true);
    break;
  case SwpOutcome::InitFailed:
    InitErrMsg(result.initCode);
    break;
  case SwpOutcome::PlanRefused:
    UserPrompt::warning(this, kSweepTitle, result.reason);
    break;
  case SwpOutcome::StoreMismatch:
    UserPrompt::warning(this, kSweepTitle,
                        QStringLiteral("The stored traces do not match the sweep settings. "
                                       "Press Start to begin a new series."));
    break;
  case SwpOutcome::MeasureFailed:
    UserPrompt::warning(this, QStringLiteral("Analyzer (IF)"), QStringLiteral("Power Measurement Error."));
    break;
  case SwpOutcome::EndFailed:
    UserPrompt::warning(this, QString::fromLatin1(EndDeviceTitle(result.endDevice)),
                        QStringLiteral("End of Sweep Error."));
    break;
  }
}

int MainWindow::InitErrMsg(int code)
{
  if (code != 0) {
    const InitErrText words = InitErrFor(code);
    UserPrompt::warning(this, QString::fromLatin1(words.title), QString::fromLatin1(words.text));
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

void MainWindow::DrawPoint(int level, int point)
{
  Curves().growRow(TraceIdx, level, DisplayFreqs(), Cfg.Traces.constLast().at(level), point + 1, DisplayOffset());
}

void MainWindow::DrawLevel(int level)
{
  Curves().setRow(TraceIdx, level, DisplayFreqs(), Cfg.Traces.constLast().at(level), Cfg.PointCount,
                  DisplayOffset());
}

// "Level step 1 of 2, point 45 of 91, 0:12 left" at the pace of this pass.
void MainWindow::SetSwpProgress(int level, int point, qint64 passNs)
{
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
