#include "dialogs/SwpWindow.h"

#include "dialogs/DialogLook.h"
#include "dialogs/WidgetRules.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"
#include "ui_SwpWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <cmath>
#include <vector>

namespace {

constexpr int kNoLo = 0;        // Generator 2 type "None"
constexpr int kExternalLo = 31; // an LO source the program does not control

// Start or stop was edited. Nothing is clamped and no absolute value taken:
// a stop below the start is kept as a negative span.
void CouplingFromEnds(DevStr &dev)
{
  dev.CenterFreq = (dev.StopFreq + dev.StartFreq) * 0.5;
  dev.SpanFreq = dev.StopFreq - dev.StartFreq;
}

// Centre or span was edited; a start below zero stays in the record.
void CouplingFromCentre(DevStr &dev)
{
  dev.StartFreq = dev.CenterFreq - dev.SpanFreq * 0.5;
  dev.StopFreq = dev.SpanFreq * 0.5 + dev.CenterFreq;
}

// Truncation toward zero for the num/den boxes; values no int can hold (or
// not a number) go to the end of the range that the box clamps anyway.
int WholeNumber(double value)
{
  constexpr double kLimit = 1e9;
  if (std::fabs(value) < kLimit)
    return static_cast<int>(value);
  return value > 0 ? static_cast<int>(kLimit) : -static_cast<int>(kLimit);
}

QString Counted(int count, const char *one, const char *many)
{
  return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// "91 frequency points, 2 level steps": what a run of this plan measures.
QString PlanSize(const CfgStr &plan)
{
  return Counted(plan.PointCount, "frequency point", "frequency points") + QStringLiteral(", ") +
         Counted(plan.LevelCount, "level step", "level steps");
}

}  // namespace

SwpWindow::SwpWindow(CfgStr *cfg, QWidget *parent) : QDialog(parent), Cfg(cfg), ui(new Ui::SwpWindow)
{
  // The mixer image lives in this library's resources; keeps the linker
  // from dropping them.
  Q_INIT_RESOURCE(dialogs);
  ui->setupUi(this);
  ApplyDialogLook(this);
  // Any count the plan accepts can be entered, the stored default of 200
  // included; a smaller limit would cut it down silently at OK.
  ui->Cnt->setMaximum(kMaxPoints);
  // The point count is stored as it is typed, so that a refresh by another
  // edit keeps it, and a count that gives no sweep is reported at once.
  connect(ui->Cnt, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int count) {
    Cfg->Count = count;
    ChkSwpPln();
  });
  // A keystroke that a box refuses would otherwise leave another number
  // there without a word.
  for (QAbstractSpinBox *box : findChildren<QAbstractSpinBox *>()) {
    if (QLineEdit *line = box->findChild<QLineEdit *>())
      connect(line, &QLineEdit::inputRejected, this, [this, box] { ShowRefusedEntry(box); });
  }
  CalcSwpLst(*Cfg);
  UpdSwpPnl();
}

SwpWindow::~SwpWindow() { delete ui; }

void SwpWindow::PlanAndRefresh()
{
  CalcSwpLst(*Cfg);
  UpdSwpPnl();
}

void SwpWindow::UpdSwpPnl()
{
  // Num, Den, RfSw, IfSw, Log, G1RfOn, FSte and Cnt stay connected: a value
  // that one of them has to change runs its slot, which writes back the value
  // just shown and refreshes once more.
  std::vector<QSignalBlocker> blocked;
  for (QObject *widget : std::initializer_list<QObject *>{
           ui->G1FMin, ui->G1FMax, ui->G1FCnt, ui->G1FSpn, ui->G1LMin, ui->G1LMax, ui->G1LSte, ui->G1LSwp,
           ui->G2FMin, ui->G2FMax, ui->G2FCnt, ui->G2FSpn, ui->G2LMin, ui->AnAtt, ui->FxdIf, ui->FxdLo, ui->Usb})
    blocked.emplace_back(widget);

  const DevStr &g1 = Cfg->Gen1;
  ui->G1FMin->setValue(g1.StartFreq);
  ui->G1FMax->setValue(g1.StopFreq);
  ui->G1FCnt->setValue(g1.CenterFreq);
  ui->G1FSpn->setValue(g1.SpanFreq);
  ui->G1LMin->setValue(g1.StartLevel);
  ui->G1LMax->setValue(g1.StopLevel);
  ui->G1LSte->setValue(g1.StepLevel);
  ui->G1LSwp->setChecked(Cfg->LevelSweep);
  SetEnabled({ui->G1LMax, ui->G1LSte}, Cfg->LevelSweep);
  ui->G1RfOn->setChecked(Cfg->RfOnAfterSweep);

  const DevStr &g2 = Cfg->Gen2;
  ui->G2FMin->setValue(g2.StartFreq);
  ui->G2FMax->setValue(g2.StopFreq);
  ui->G2FCnt->setValue(g2.CenterFreq);
  ui->G2FSpn->setValue(g2.SpanFreq);
  ui->G2LMin->setValue(g2.StartLevel);

  ui->Num->setValue(WholeNumber(Cfg->Numerator));
  ui->Den->setValue(WholeNumber(Cfg->Denominator));
  ui->AnAtt->setValue(Cfg->ExternalAttenuation);

  if (Cfg->Gen2.Type == kNoLo) {
    Cfg->FixedLo = true;
    Cfg->FixedIf = false;
    Cfg->UpperSideband = 1;
  }
  ui->FxdLo->setValue(Cfg->FixedLo ? 1 : 0);
  ui->FxdIf->setValue(Cfg->FixedIf ? 1 : 0);
  ui->Usb->setValue(Cfg->UpperSideband);

  if (Cfg->FixedIf)
    Cfg->DisplayAna = false;
  ui->RfSw->setChecked(!Cfg->DisplayAna);
  ui->IfSw->setChecked(Cfg->DisplayAna);
  ui->IfSw->setEnabled(!Cfg->FixedIf);

  const bool log = Cfg->LogSweep != 0;
  SetVisible({ui->FSte, ui->FSteLbl}, !log);
  SetVisible({ui->Cnt, ui->CntLbl}, log);
  ui->FSte->setValue(Cfg->StepFreq);
  ui->Cnt->setValue(Cfg->Count);
  ui->Log->setChecked(log);
  ui->Usb->setValue(Cfg->UpperSideband);

  DevStr &ana = Cfg->Ana;
  ui->AnFMin->setValue(ana.StartFreq);
  ui->AnFMax->setValue(ana.StopFreq);
  if (Cfg->FixedIf) {
    ana.CenterFreq = ana.StartFreq;
    ana.SpanFreq = 0.0;
  } else {
    CouplingFromEnds(ana);
  }
  ui->AnFCnt->setValue(ana.CenterFreq);
  // The lower sideband gives an IF range that runs downwards; its width is
  // still the distance between its ends.
  ui->AnFSpn->setValue(std::fabs(ana.SpanFreq));

  ApplyPanelRules();
  blocked.clear();
  ChkSwpPln();
}

void SwpWindow::ApplyPanelRules()
{
  const int type = Cfg->Gen2.Type;
  const bool lo = type != kNoLo;
  SetEnabled({ui->G2FMin, ui->G2Lbl, ui->FxdLo, ui->FxdLoLbl, ui->FxdLoVarLbl, ui->FxdLoFixLbl, ui->FxdIf,
              ui->FxdIfLbl, ui->FxdIfVarLbl, ui->FxdIfFixLbl, ui->Usb, ui->UsbLbl, ui->UsbUppLbl, ui->UsbLowLbl},
             lo);
  SetEnabled({ui->G2LMin, ui->G2LoLbl, ui->G2LevLbl, ui->G2UnitLbl, ui->G2LoCtl}, lo && type != kExternalLo);
  // With a fixed LO only its frequency (the start box) is shown, with a
  // fixed IF only the IF.
  SetVisible({ui->G2FMax, ui->G2FCnt, ui->G2FSpn}, lo && !Cfg->FixedLo);
  SetVisible({ui->AnFMax, ui->AnFCnt, ui->AnFSpn}, !Cfg->FixedIf);
  ui->AnForm->setText(lo ? QStringLiteral("f(IF)=f(RF)*num/den+-f(LO)") : QStringLiteral("f(IF)=f(RF)*num/den"));
}

void SwpWindow::ChkSwpPln()
{
  CfgStr planned = *Cfg;
  ReadBack(planned);
  QString reason;
  const bool possible = CalcSwpLst(planned, &reason);
  ShowStatus(possible ? PlanSize(planned) : reason, !possible);
  QPushButton *ok = ui->dlgSwpOk->button(QDialogButtonBox::Ok);
  ok->setEnabled(possible);
  ok->setToolTip(possible ? QString() : tr("These settings give no sweep; correct them to store them with OK."));
}

void SwpWindow::ShowStatus(const QString &text, bool problem)
{
  ui->PlanSta->setText(text);
  ui->PlanSta->setStyleSheet(problem ? QStringLiteral("color: rgb(200, 0, 0);") : QStringLiteral("color: black;"));
}

void SwpWindow::ShowRefusedEntry(const QAbstractSpinBox *box)
{
  double low = 0.0, high = 0.0;
  if (const auto *whole = qobject_cast<const QSpinBox *>(box)) {
    low = whole->minimum();
    high = whole->maximum();
  } else if (const auto *real = qobject_cast<const QDoubleSpinBox *>(box)) {
    low = real->minimum();
    high = real->maximum();
  }
  ShowStatus(QStringLiteral("Entry refused: this field takes values from %1 to %2.")
                 .arg(QString::number(low, 'g', 12), QString::number(high, 'g', 12)),
             true);
}

void SwpWindow::ReadBack(CfgStr &cfg) const
{
  cfg.Gen1.StartFreq = ui->G1FMin->value();
  cfg.Gen1.StopFreq = ui->G1FMax->value();
  cfg.Gen1.CenterFreq = ui->G1FCnt->value();
  cfg.Gen1.SpanFreq = ui->G1FSpn->value();
  cfg.Gen1.StartLevel = ui->G1LMin->value();
  cfg.Gen1.StopLevel = ui->G1LMax->value();
  cfg.Gen1.StepLevel = ui->G1LSte->value();
  cfg.LevelSweep = ui->G1LSwp->isChecked();
  cfg.RfOnAfterSweep = ui->G1RfOn->isChecked();
  cfg.Gen2.StartFreq = ui->G2FMin->value();
  cfg.Gen2.StopFreq = ui->G2FMax->value();
  cfg.Gen2.CenterFreq = ui->G2FCnt->value();
  cfg.Gen2.SpanFreq = ui->G2FSpn->value();
  cfg.Gen2.StartLevel = ui->G2LMin->value();
  cfg.Numerator = ui->Num->value();
  cfg.Denominator = ui->Den->value();
  cfg.FixedLo = ui->FxdLo->value() != 0;
  cfg.FixedIf = ui->FxdIf->value() != 0;
  cfg.StepFreq = ui->FSte->value();
  cfg.Count = ui->Cnt->value();
  cfg.LogSweep = static_cast<int>(ui->Log->checkState());  // 2 when checked
  cfg.ExternalAttenuation = ui->AnAtt->value();
  cfg.UpperSideband = ui->Usb->value();
  cfg.Ana.StartFreq = ui->AnFMin->value();
  cfg.Ana.StopFreq = ui->AnFMax->value();
}

void SwpWindow::on_dlgSwpOk_accepted()
{
  ReadBack(*Cfg);
  // OK is enabled only for settings that give a plan; make it the one in
  // force, so that the lists match what was just stored.
  CalcSwpLst(*Cfg);
}

void SwpWindow::on_G1FMin_editingFinished()
{
  Cfg->Gen1.StartFreq = ui->G1FMin->value();
  CouplingFromEnds(Cfg->Gen1);
  PlanAndRefresh();
}

void SwpWindow::on_G1FMax_editingFinished()
{
  Cfg->Gen1.StopFreq = ui->G1FMax->value();
  CouplingFromEnds(Cfg->Gen1);
  PlanAndRefresh();
}

void SwpWindow::on_G1FCnt_editingFinished()
{
  Cfg->Gen1.CenterFreq = ui->G1FCnt->value();
  CouplingFromCentre(Cfg->Gen1);
  PlanAndRefresh();
}

void SwpWindow::on_G1FSpn_editingFinished()
{
  Cfg->Gen1.SpanFreq = ui->G1FSpn->value();
  CouplingFromCentre(Cfg->Gen1);
  PlanAndRefresh();
}

void SwpWindow::on_G2FMin_editingFinished()
{
  Cfg->Gen2.StartFreq = ui->G2FMin->value();
  CouplingFromEnds(Cfg->Gen2);
  PlanAndRefresh();
}

void SwpWindow::on_G2FMax_editingFinished()
{
  Cfg->Gen2.StopFreq = ui->G2FMax->value();
  CouplingFromEnds(Cfg->Gen2);
  PlanAndRefresh();
}

void SwpWindow::on_G2FCnt_editingFinished()
{
  Cfg->Gen2.CenterFreq = ui->G2FCnt->value();
  CouplingFromCentre(Cfg->Gen2);
  PlanAndRefresh();
}

void SwpWindow::on_G2FSpn_editingFinished()
{
  Cfg->Gen2.SpanFreq = ui->G2FSpn->value();
  CouplingFromCentre(Cfg->Gen2);
  PlanAndRefresh();
}

void SwpWindow::on_G1LMin_editingFinished()
{
  Cfg->Gen1.StartLevel = ui->G1LMin->value();
  PlanAndRefresh();
}

void SwpWindow::on_G1LMax_editingFinished()
{
  Cfg->Gen1.StopLevel = ui->G1LMax->value();
  PlanAndRefresh();
}

void SwpWindow::on_G1LSte_editingFinished()
{
  Cfg->Gen1.StepLevel = ui->G1LSte->value();
  PlanAndRefresh();
}

void SwpWindow::on_G2LMin_editingFinished()
{
  Cfg->Gen2.StartLevel = ui->G2LMin->value();
  PlanAndRefresh();
}

void SwpWindow::on_G1LSwp_clicked(bool checked)
{
  Cfg->LevelSweep = checked;
  PlanAndRefresh();
}

void SwpWindow::on_G1RfOn_clicked(bool checked)
{
  Cfg->RfOnAfterSweep = checked;
  PlanAndRefresh();
}

void SwpWindow::on_Log_clicked(bool checked)
{
  Cfg->LogSweep = checked ? 1 : 0;
  PlanAndRefresh();
}

void SwpWindow::on_RfSw_toggled(bool checked)
{
  Cfg->DisplayAna = !checked;
  PlanAndRefresh();
}

void SwpWindow::on_IfSw_toggled(bool checked)
{
  Cfg->DisplayAna = checked;
  PlanAndRefresh();
}

void SwpWindow::on_Num_valueChanged(int arg1)
{
  Cfg->Numerator = arg1;
  PlanAndRefresh();
}

void SwpWindow::on_Den_valueChanged(int arg1)
{
  Cfg->Denominator = arg1;
  PlanAndRefresh();
}

void SwpWindow::on_FxdLo_valueChanged(int value)
{
  Cfg->FixedLo = value != 0;
  PlanAndRefresh();
}

void SwpWindow::on_FxdIf_valueChanged(int value)
{
  Cfg->FixedIf = value != 0;
  PlanAndRefresh();
}

void SwpWindow::on_Usb_valueChanged(int value)
{
  Cfg->UpperSideband = value;
  PlanAndRefresh();
}

void SwpWindow::on_FSte_editingFinished()
{
  Cfg->StepFreq = ui->FSte->value();
  ChkSwpPln();
}

void SwpWindow::on_AnFMin_editingFinished()
{
  Cfg->Ana.StartFreq = ui->AnFMin->value();
  PlanAndRefresh();
}

void SwpWindow::on_AnAtt_editingFinished() { Cfg->ExternalAttenuation = ui->AnAtt->value(); }
