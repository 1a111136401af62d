#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "instruments/VisaExtensions.h"
#include "dialogs/DevWindow.h"
#include "dialogs/SwpWindow.h"
#include "dialogs/UserPrompt.h"
#include "instruments/LibStartup.h"
#include "instruments/Visa.h"
#include "plot/PlainScaleDraw.h"
#include "plot/TraceLegend.h"
#include "storage/CfgFile.h"
#include "sweep/SwpPlan.h"

#include <QBrush>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>

namespace {

constexpr int kDefaultWidth = 833;
constexpr int kDefaultHeight = 586;

QString CommonStyleSheet()
{
  QFile file(QStringLiteral(":/Vexa_common/src/qt5/style/Common.qss"));
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A position stored on a machine with another screen layout may lie off
// every screen now; the window then opens at the primary screen's corner
// rather than where nobody can see it.
QPoint OnScreen(const QPoint &stored)
{
  const QPoint grip = stored + QPoint(40, 10);
  if (QGuiApplication::screenAt(grip) || !QGuiApplication::primaryScreen())
    return stored;
  return QGuiApplication::primaryScreen()->availableGeometry().topLeft();
}

}  // namespace

MainWindow::MainWindow(QWidget *parent, const QString &cfgFile) : QMainWindow(parent), ui(new Ui::MainWindow)
{
  // The resources live in a static library; this keeps the linker from
  // dropping them.
  Q_INIT_RESOURCE(Solvane);
  ui->setupUi(this);
  setStyleSheet(CommonStyleSheet());
  SetUpPlotTools();

  if (!CfgPaths(Cfg))
    UserPrompt::warning(this, QStringLiteral("Configuration"),
                        QStringLiteral("The folder ") + Cfg.CfgDir
                            + QStringLiteral(" could not be created; the settings cannot be saved."));
  if (!cfgFile.isEmpty())
    Cfg.CfgPath = QFileInfo(cfgFile).absoluteFilePath();
  QString refused;
  if (CfgLoad(Cfg, Cfg.CfgPath, &refused) != 0)
    UserPrompt::warning(this, QStringLiteral("Configuration"),
                        QStringLiteral("The configuration file ") + QDir::toNativeSeparators(Cfg.CfgPath)
                            + QStringLiteral(" could not be read; the default settings are used."));
  if (!refused.isEmpty())
    UserPrompt::warning(this, QStringLiteral("Sweep"), refused);
  LoadLibraries();

  move(OnScreen(QPoint(Cfg.X, Cfg.Y)));
  resize(Cfg.Dx, Cfg.Dy);
  SetDspCtl();

  ShowPlan();

  ui->Start->setEnabled(true);
  ui->Repeat->setEnabled(false);
  ui->Normalize->setEnabled(false);
  ui->Stop->setEnabled(false);
  ui->Del->setEnabled(false);

  PlotGrid = new QwtPlotGrid;
  PlotGrid->attach(ui->plt);
  ui->plt->setCanvasBackground(QBrush(Qt::white, Qt::SolidPattern));
  UsePlainLabels(ui->plt);
  ui->TMsg->hide();

  NormCurve = new QwtPlotCurve(QString());
  TraceIdx = 0;
  LevelIdx = 0;
}

MainWindow::~MainWindow()
{
  EndRunNow();
  delete ui;
  DevClose(Cfg.Gen1);
  DevClose(Cfg.Gen2);
  DevClose(Cfg.Ana);
  StoreGeometry();
  CfgSave(Cfg, Cfg.CfgPath);
  // Attached plot items belong to the plot; a detached one is ours.
  if (!NormCurve->plot())
    delete NormCurve;
}

QString MainWindow::WindowTitle()
{
  return QStringLiteral("Solvane64") + QStringLiteral(" v") + QStringLiteral("5.3.0");
}

// The driver folder follows the environment, whatever the file held.
void MainWindow::LoadLibraries()
{
  const LibStartup libs = LoadLibs(Cfg.Ana.Type);
  Cfg.VxiPath = libs.VxiPath;
  Cfg.VisaLoaded = libs.VisaLoaded;
  Cfg.SensorDriverLoaded = libs.SensorDriverLoaded;
  if (!libs.VisaLoaded)
    UserPrompt::information(this, QStringLiteral("VISA Error"),
                            QStringLiteral("The VISA Library could not be loaded."));
  ShowSimulatedBench(SimulatedBenchName(VisaLibraryPath()));
  if (libs.AnaTypeChanged) {
    Cfg.Ana.Type = libs.AnaType;
    UserPrompt::warning(this, QStringLiteral("Analyzer/Power Meter (IF)"),
                        QStringLiteral("Kestrova PWU VXIpnp driver not installed. Changed Analyzer to PWM."));
  }
}

// Simulated values must never pass for measurements: while the VISA library
// serves a simulated bench, the status bar says so for as long as the
// window lives (the progress line of a run appears beside it).
void MainWindow::ShowSimulatedBench(const QString &benchName)
{
  if (benchName.isEmpty())
    return;
  auto *label = new QLabel(QStringLiteral("SIMULATED BENCH \u2013 ") + benchName
                               + QStringLiteral(": no real instrument is measured"));
  label->setObjectName(QStringLiteral("SimBench"));
  label->setStyleSheet(QStringLiteral("QLabel { color: white; background: rgb(200, 40, 40); "
                                      "font-weight: bold; padding: 1px 6px; }"));
  statusBar()->addPermanentWidget(label);
}

// Computes the sweep plan of the loaded settings (settings that give no plan
// are explained to the user) and sets the plot's axes and headline.
void MainWindow::ShowPlan()
{
  QString reason;
  if (!CalcSwpLst(Cfg, &reason))
    UserPrompt::warning(this, QStringLiteral("Sweep"), reason);
  UpdDspPnl();
}

void MainWindow::SetDspCtl()
{
  ui->FMin->setValue(Cfg.DispStartFreq);
  ui->FMax->setValue(Cfg.DispStopFreq);
  ui->AutoFrq->setChecked(Cfg.XAutoscale);
  ui->SwpFrq->setChecked(Cfg.XSweepSettings);
  ui->LogFrq->setChecked(Cfg.XLogScale);
  ui->LMin->setValue(Cfg.Y2StartLevel);
  ui->LMax->setValue(Cfg.Y2StopLevel);
  ui->AutoLvl->setChecked(Cfg.Y1Autoscale);
  ui->Dwell->setValue(Cfg.Dwell);
  ui->NrmGen->setCurrentIndex(Cfg.NormalizeGen);
  ui->actionLegend->setChecked(Cfg.ShowLegend);
  Legend->setVisible(Cfg.ShowLegend);
}

void MainWindow::SaveCfgTo(const QString &path)
{
  QString reason;
  if (CfgSave(Cfg, path, &reason) != 0)
    UserPrompt::warning(this, QStringLiteral("Configuration"), CfgSaveErrorText(reason));
}

void MainWindow::StoreGeometry()
{
  Cfg.X = x();
  Cfg.Y = y();
  Cfg.Dx = width();
  Cfg.Dy = height();
}

// The settings are written when the window closes, while it can still say
// that they could not be (the destructor writes them once more, silently,
// for a window that is destroyed without being closed).
bool MainWindow::event(QEvent *event)
{
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::Close && event->isAccepted()) {
    StoreGeometry();
    SaveCfgTo(Cfg.CfgPath);
  }
  return handled;
}

void MainWindow::on_actionOpen_triggered()
{
  const QString path = UserPrompt::openFileName(this, QString::fromLatin1(kCfgOpenCaption), Cfg.CfgDir,
                                                QString::fromLatin1(kCfgOpenFilter));
  if (path.isEmpty())
    return;
  QString reason;
  QString refused;
  if (CfgOpen(Cfg, path, &reason, &refused) != 0) {
    UserPrompt::warning(this, QStringLiteral("Configuration"), reason);
    return;
  }
  if (!refused.isEmpty())
    UserPrompt::warning(this, QStringLiteral("Sweep"), refused);
  ui->Start->setEnabled(true);
  ui->Repeat->setEnabled(false);
  ui->Normalize->setEnabled(Cfg.TraceCount > 0);
  ui->Stop->setEnabled(false);
  ui->Del->setEnabled(false);
  ui->Gen1->clear();
  ui->Gen2->clear();
  ui->Ana->clear();
  SetDspCtl();
}

void MainWindow::on_actionSave_triggered()
{
  Cfg.X = x();
  SaveCfgTo(Cfg.CfgPath);
}

void MainWindow::on_actionSave_as_triggered()
{
  const QString path = UserPrompt::saveFileName(this, QString::fromLatin1(kCfgSaveAsCaption), Cfg.CfgDir,
                                                QString::fromLatin1(kCfgSaveAsFilter));
  if (path.isEmpty())
    return;
  Cfg.X = x();
  SaveCfgTo(path);
}

// The set-up dialogs edit the record in place; whatever the user's answer,
// the default file then holds what the record holds.
template <class Dialog>
void MainWindow::RunSetupDialog()
{
  Dialog dialog(&Cfg, nullptr);
  dialog.exec();
  SaveCfgTo(Cfg.CfgPath);
}

void MainWindow::on_actionDevices_triggered()
{
  RunSetupDialog<DevWindow>();
}

void MainWindow::on_Devices_clicked()
{
  RunSetupDialog<DevWindow>();
}

void MainWindow::on_actionSweep_triggered()
{
  RunSetupDialog<SwpWindow>();
}

void MainWindow::on_Sweep_clicked()
{
  RunSetupDialog<SwpWindow>();
}

void MainWindow::on_actionDefault_Size_triggered()
{
  Cfg.Dx = kDefaultWidth;
  Cfg.Dy = kDefaultHeight;
  resize(kDefaultWidth, kDefaultHeight);
}

void MainWindow::on_Dwell_editingFinished()
{
  Cfg.Dwell = ui->Dwell->value();
}

void MainWindow::on_NrmGen_currentIndexChanged(int index)
{
  Cfg.NormalizeGen = index;
}
