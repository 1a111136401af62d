// The trace display: axes and headline, the display controls under the plot,
// the absolute/relative switch, Normalize and Delete Last Trace.
#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "dialogs/UserPrompt.h"
#include "plot/NormCurve.h"
#include "plot/TraceBrushes.h"
#include "plot/TraceCurveTable.h"
#include "sweep/TraceStore.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cmath>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_engine.h>

namespace {

const QString kRelTitle = QStringLiteral("Rel. Level / dB");
const QString kDbmTitle = QStringLiteral("Level / dBm");

// The EMI receivers whose level unit is selectable.
bool HasLevelUnit(int anaType) { return anaType == 34 || anaType == 35 || anaType == 39 || anaType == 45; }

QString RelHeadline(double refLevel)
{
  return QStringLiteral("Conversion Loss (Ref.Level ") + QString::number(refLevel, 'f', 2) + QStringLiteral(" dBm)");
}

}  // namespace

const QVector<double> &MainWindow::DisplayFreqs() const { return Cfg.DisplayAna ? Cfg.AnaFreqs : Cfg.Gen1Freqs; }

double MainWindow::DisplayOffset() const { return RelDisplay == 1 ? Cfg.Gen1.StartLevel : 0.0; }

// A reversed range is put right first and reported then: the message box
// takes the focus from the field just edited, whose editing-finished must
// find the range already in order.
void MainWindow::SwapIfReversed(double &low, double &high, QDoubleSpinBox *lowBox, QDoubleSpinBox *highBox,
                                const char *lowName, const char *highName)
{
  if (low <= high)
    return;
  const QString title = QString::fromLatin1(lowName) + QLatin1Char('=') + QString::number(low, 'g', 6) +
                        QStringLiteral(" > ") + QString::fromLatin1(highName) + QLatin1Char('=') +
                        QString::number(high, 'g', 6);
  std::swap(low, high);
  {
    const QSignalBlocker lowBlocker(lowBox), highBlocker(highBox);
    lowBox->setValue(low);
    highBox->setValue(high);
  }
  UserPrompt::warning(this, title,
                      QStringLiteral("Swapping %1 with %2.").arg(QLatin1String(lowName), QLatin1String(highName)));
}

// "Sweep Settings" spans the frequencies the traces are drawn at. The scaled
// RF end points plus or minus the LO's start and stop would put a
// lower-sideband IF at negative frequencies and a fixed-LO IF past the end of
// the data. A single frequency (a fixed IF) gets a 2 MHz window.
void MainWindow::SweepSettingsRange(double &start, double &stop) const
{
  const QVector<double> &x = DisplayFreqs();
  if (x.isEmpty()) {
    start = Cfg.Numerator * Cfg.Gen1.StartFreq / Cfg.Denominator;
    stop = Cfg.Numerator * Cfg.Gen1.StopFreq / Cfg.Denominator;
    return;
  }
  const auto range = std::minmax_element(x.cbegin(), x.cend());
  start = *range.first;
  stop = *range.second;
  if (start == stop) {
    start -= 1.0;
    stop += 1.0;
  }
}

void MainWindow::UpdDspPnl()
{
  if (Cfg.XSweepSettings) {
    SweepSettingsRange(Cfg.DispStartFreq, Cfg.DispStopFreq);
  } else {
    Cfg.DispStartFreq = ui->FMin->value();
    Cfg.DispStopFreq = ui->FMax->value();
  }
  SwapIfReversed(Cfg.DispStartFreq, Cfg.DispStopFreq, ui->FMin, ui->FMax, "fmin", "fmax");
  SwapIfReversed(Cfg.Y2StartLevel, Cfg.Y2StopLevel, ui->LMin, ui->LMax, "olmin", "olmax");
  {
    const QSignalBlocker blocker(ui->NIdx);
    ui->NIdx->setMaximum(qMax(Cfg.LevelCount - 1, 0));
    if (ui->NIdx->value() < 0)
      ui->NIdx->setValue(0);
    Cfg.NIndex = ui->NIdx->value();
  }

  QwtPlot *plot = ui->plt;
  plot->setAxisScaleEngine(QwtPlot::xBottom, Cfg.XLogScale ? static_cast<QwtScaleEngine *>(new QwtLogScaleEngine(10))
                                                           : new QwtLinearScaleEngine(10));
  plot->setAxisScale(QwtPlot::xBottom, Cfg.DispStartFreq, Cfg.DispStopFreq);
  plot->setAxisAutoScale(QwtPlot::xBottom, Cfg.XAutoscale);
  plot->setAxisTitle(QwtPlot::xBottom, QStringLiteral("Frequency / MHz"));
  plot->setAxisScale(QwtPlot::yLeft, Cfg.Y2StartLevel, Cfg.Y2StopLevel);
  plot->setAxisAutoScale(QwtPlot::yLeft, Cfg.Y1Autoscale);

  if (NormActive) {
    ui->TMsg->setText(QStringLiteral("Normalized"));
    plot->updateAxes();
    const QwtInterval left = plot->axisScaleDiv(QwtPlot::yLeft).interval();
    plot->enableAxis(QwtPlot::yRight, true);
    plot->setAxisTitle(QwtPlot::yRight, kRelTitle);
    plot->setAxisScale(QwtPlot::yRight, left.minValue() - Cfg.Gen1.StartLevel, left.maxValue() - Cfg.Gen1.StartLevel);
    plot->setAxisAutoScale(QwtPlot::yLeft, false);
    ui->TMsg->show();
  } else if (RelDisplay == 1) {
    ui->TMsg->setText(RelHeadline(Cfg.Gen1.StartLevel));
    plot->enableAxis(QwtPlot::yLeft, true);
    plot->setAxisTitle(QwtPlot::yLeft, kRelTitle);
    plot->setAxisTitle(QwtPlot::yRight, kRelTitle);
    ui->TMsg->show();
  } else if (HasLevelUnit(Cfg.Ana.Type)) {
    // The receivers report either dBm or dBµV; the axis names what they report.
    const bool dbm = Cfg.Rcx.RecUnitsDbm != 0;
    plot->setAxisTitle(QwtPlot::yLeft, dbm ? kDbmTitle : QStringLiteral("Level / dB\u00b5V"));
    ui->UniLbl->setText(dbm ? QStringLiteral("dBm") : QStringLiteral("dB\u00b5V"));
  } else {
    ui->UniLbl->setText(QStringLiteral("dBm"));
    for (int axis : {int(QwtPlot::yLeft), int(QwtPlot::yRight)}) {
      plot->setAxisTitle(axis, kDbmTitle);
      plot->setAxisScale(axis, Cfg.Y2StartLevel, Cfg.Y2StopLevel);
      plot->setAxisAutoScale(axis, Cfg.Y1Autoscale);
    }
  }
  plot->replot();
}

void MainWindow::RedrawTrc()
{
  const double offset = DisplayOffset();
  ui->TMsg->setText(RelDisplay == 1 ? RelHeadline(Cfg.Gen1.StartLevel) : QString());
  Curves().hideSlots(TraceIdx);
  for (int slot = 0; slot <= TraceIdx && slot < kMaxTraces; ++slot) {
    const int record = slot + Cfg.TraceCount - 1 - TraceIdx;
    if (record < 0 || record >= Cfg.Traces.size())
      continue;
    for (int level = 0; level < Cfg.LevelCount && level < Cfg.Traces.at(record).size(); ++level) {
      Curves().showCurve(slot, level, Cfg.ColourIdx);
      Curves().setRow(slot, level, RecordRow(record, level), Cfg.PointCount, offset);
    }
  }
}

void MainWindow::ApplyAbsRel(int value)
{
  {
    const QSignalBlocker blocker(ui->AbsRel);
    ui->AbsRel->setValue(value);
  }
  RelDisplay = value;
  UpdDspPnl();
  RedrawTrc();
}

void MainWindow::on_AbsRel_valueChanged(int value)
{
  if (SwpActive)
    return;
  if (value == 1 && !SeriesMatchesPlan(QStringLiteral("Relative Display"))) {
    const QSignalBlocker blocker(ui->AbsRel);
    ui->AbsRel->setValue(0);
    return;
  }
  ApplyAbsRel(value);
  ui->Start->setEnabled(true);
  ui->Repeat->setEnabled(RelDisplay == 0);
  ui->Normalize->setEnabled(RelDisplay == 0);
  ui->Stop->setEnabled(false);
  ui->Del->setEnabled(false);
  ui->NIdx->setEnabled(false);
}

// The records hold levels only; drawn or normalized against another plan's
// frequencies they would be read at the wrong frequencies.
bool MainWindow::SeriesMatchesPlan(const QString &title)
{
  if (TrcMatchesPlan(Cfg))
    return true;
  UserPrompt::warning(this, title,
                      QStringLiteral("The sweep frequencies have changed since this series was measured. "
                                     "Press Start to begin a new series."));
  return false;
}

void MainWindow::on_Normalize_clicked()
{
  if (SwpActive || !SeriesMatchesPlan(QStringLiteral("Normalize")))
    return;
  const bool haveRow = !Cfg.Traces.isEmpty() && Cfg.NIndex >= 0 && Cfg.NIndex < Cfg.Traces.constLast().size();
  const QVector<double> row = haveRow ? Cfg.Traces.constLast().at(Cfg.NIndex) : QVector<double>();
  const bool complete = row.size() == Cfg.PointCount &&
                        std::all_of(row.cbegin(), row.cend(), [](double v) { return std::isfinite(v); });
  if (!complete) {
    // A gap in the reference would reach the generator as a level.
    UserPrompt::warning(this, QStringLiteral("Normalize"),
                        QStringLiteral("Level step %1 of the last trace is not completely measured. "
                                       "Measure a complete trace before normalizing.")
                            .arg(Cfg.NIndex));
    return;
  }
  NormActive = true;
  const double refLevel = Cfg.NIndex * Cfg.Gen1.StepLevel + Cfg.Gen1.StartLevel;
  Cfg.NormData.resize(Cfg.PointCount);
  for (int i = 0; i < Cfg.PointCount; ++i)
    Cfg.NormData[i] = row.at(i) - refLevel;

  for (int slot = TraceIdx; slot >= 0; --slot)
    Curves().hide(slot, kMaxLevels - 1);
  Cfg.Traces.resize(1);
  Cfg.TraceCount = 1;
  TraceIdx = -1;
  LevelIdx = -1;

  ShowNormCurve(NormCurve, ui->plt, Cfg.AnaFreqs, Cfg.Gen1.StartLevel);
  ui->TMsg->show();
  UpdDspPnl();
  ui->Normalize->setEnabled(false);
  ui->Repeat->setEnabled(true);
  ui->AbsRel->setEnabled(false);
  ui->NIdx->setEnabled(false);
}

void MainWindow::on_Del_clicked()
{
  if (SwpActive || TraceIdx < 0)
    return;
  Curves().hide(TraceIdx, LevelIdx);
  --TraceIdx;
  Cfg.ColourIdx = PrevColour(Cfg.ColourIdx);
  if (Cfg.TraceCount > 1) {
    Cfg.Traces.removeLast();
    Cfg.TraceCount = Cfg.Traces.size();
  }
  if (TraceIdx <= 0)
    ui->Del->setEnabled(false);
}

void MainWindow::on_FMin_editingFinished()
{
  Cfg.DispStartFreq = ui->FMin->value();
  UpdDspPnl();
}

void MainWindow::on_FMax_editingFinished()
{
  Cfg.DispStopFreq = ui->FMax->value();
  UpdDspPnl();
}

void MainWindow::on_LMin_editingFinished()
{
  Cfg.Y2StartLevel = ui->LMin->value();
  UpdDspPnl();
}

void MainWindow::on_LMax_editingFinished()
{
  Cfg.Y2StopLevel = ui->LMax->value();
  UpdDspPnl();
}

void MainWindow::on_AutoFrq_clicked(bool checked)
{
  Cfg.XAutoscale = checked;
  if (checked) {
    Cfg.XSweepSettings = false;
    ui->SwpFrq->setChecked(false);
  }
  UpdDspPnl();
}

void MainWindow::on_SwpFrq_clicked(bool checked)
{
  Cfg.XSweepSettings = checked;
  if (checked) {
    Cfg.XAutoscale = false;
    ui->AutoFrq->setChecked(false);
  }
  UpdDspPnl();
}

void MainWindow::on_LogFrq_clicked(bool checked)
{
  Cfg.XLogScale = checked;
  UpdDspPnl();
}

void MainWindow::on_AutoLvl_clicked(bool checked)
{
  Cfg.Y1Autoscale = checked;
  UpdDspPnl();
}

void MainWindow::on_NIdx_valueChanged(int arg1)
{
  Cfg.NIndex = arg1;
  UpdDspPnl();
}
