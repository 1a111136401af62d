// The window's file, print, clipboard, manual and About entries. The work is
// done by storage/ and dialogs/; here are the dialogs, the messages and what
// the window shows afterwards.
#include "app/MainWindow.h"

#include "app/FileJobRunner.h"
#include "dialogs/AboutWindow.h"
#include "dialogs/UserPrompt.h"
#include "plot/TraceBrushes.h"
#include "plot/TraceCurveTable.h"
#include "storage/DataFile.h"
#include "storage/Manual.h"
#include "storage/NormExport.h"
#include "storage/Printing.h"
#include "ui_MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <qwt_plot_curve.h>
#include <qwt_symbol.h>

namespace {

const QString kErrorTitle = QStringLiteral("Fehler");
const QString kNotPrinted = QStringLiteral("The printer could not be started; nothing was printed.");

// "SaveDatFile -1" and, below it, what went wrong.
QString FailureText(const char *operation, const QString &reason)
{
  return QString::fromLatin1(operation) + QStringLiteral(" -1\n\n") + reason;
}

}  // namespace

void MainWindow::on_actionLoad_Data_triggered()
{
  const QString path = UserPrompt::openFileName(this, QStringLiteral("Open File"), Cfg.CfgDir,
                                                QStringLiteral("Solvane Files (*.dat);;All Files (*.*)"));
  if (path.isEmpty() || SwpActive)
    return;
  // The file is read beside the traces shown; they are replaced only once
  // it has been read completely.
  FileJob job;
  DatFileContent content;
  QString reason;
  const int result = RunFileJob(this, QStringLiteral("Loading %1").arg(QDir::toNativeSeparators(path)), job,
                                [&] { return ReadDatFile(path, content, &reason, &job); });
  if (result == kFileCancelled)
    return;
  if (result != 0) {
    UserPrompt::critical(this, kErrorTitle, FailureText("LoadDatFile", reason));
    return;
  }
  ApplyDatFile(std::move(content), Cfg);
  ShowLoadedTraces();
}

// Loaded traces become a series as if measured: slot t shows record t in
// colour t, the newest trace is the last one, and the display is absolute.
// Delete Last Trace, Abs/Rel and Norm then work on them as on measured ones.
void MainWindow::ShowLoadedTraces()
{
  MeasuredAt = QDateTime();
  NormActive = false;
  NormCurve->hide();
  ui->TMsg->hide();
  UpdDevLbl();
  Curves().hideAll();
  TraceIdx = Cfg.TraceCount - 1;
  LevelIdx = Cfg.LevelCount - 1;
  for (int t = 0; t < Cfg.TraceCount; ++t) {
    // A curve made by an earlier series takes the loaded trace's colour.
    const QBrush &brush = TraceBrushes[t % kTraceColours];
    for (int level = 0; level < Cfg.LevelCount; ++level)
      if (QwtPlotCurve *curve = Curves().showCurve(t, level, t % kTraceColours))
        curve->setSymbol(new QwtSymbol(QwtSymbol::Diamond, brush, QPen(Qt::SolidLine), QSize(5, 5)));
  }
  ApplyAbsRel(0);
  ui->Start->setEnabled(true);
  ui->Repeat->setEnabled(false);
  ui->Normalize->setEnabled(true);
  ui->Stop->setEnabled(false);
  ui->Del->setEnabled(TraceIdx > 0);
  ui->NIdx->setEnabled(true);
  ui->AbsRel->setEnabled(true);
}

void MainWindow::on_actionSave_Data_triggered()
{
  const QString path =
      UserPrompt::saveFileName(this, QStringLiteral("Save File"), Cfg.CfgDir,
                               QStringLiteral("Solvane Files (*.dat);;Kestrova Data (*.fda);;All Files (*.*)"));
  if (path.isEmpty())
    return;
  FileJob job;
  QString reason;
  const int result = RunFileJob(this, QStringLiteral("Saving %1").arg(QDir::toNativeSeparators(path)), job,
                                [&] { return SaveDatFile(Cfg, path, &reason, &job); });
  if (result == -1)
    UserPrompt::critical(this, kErrorTitle, FailureText("SaveDatFile", reason));
}

void MainWindow::on_actionSave_Normalization_triggered()
{
  const QString path =
      UserPrompt::saveFileName(this, QStringLiteral("Save File"), Cfg.CfgDir, QStringLiteral("Files (*.*)"));
  if (path.isEmpty())
    return;
  FileJob job;
  QString reason;
  const int result = RunFileJob(this, QStringLiteral("Saving %1").arg(QDir::toNativeSeparators(path)), job,
                                [&] { return SaveNormFile(Cfg, path, &reason, &job); });
  if (result == -1)
    UserPrompt::critical(this, kErrorTitle, FailureText("SaveNormFile", reason));
}

void MainWindow::on_actionPrint_Data_triggered()
{
  if (!PrintData(Cfg, this))
    UserPrompt::warning(this, QStringLiteral("Print Data"), kNotPrinted);
}

void MainWindow::on_actionPrint_Graph_triggered()
{
  if (!PrintGraph(this, Cfg.CfgDir))
    UserPrompt::warning(this, QStringLiteral("Print Graph"), kNotPrinted);
}

void MainWindow::on_actionGraph_to_Clipboard_triggered() { CopyGraph(this); }

// Without the manual there is nothing to open.
void MainWindow::on_actionContents_triggered()
{
  const QString manual = ManualPath();
  if (QFileInfo::exists(manual) && !OpenManual(manual))
    UserPrompt::informationWithCopy(this, QStringLiteral("Manual"), NoPdfViewerText(manual),
                                    QDir::toNativeSeparators(manual));
}

void MainWindow::on_actionAbout_triggered()
{
  AboutWindow about(QStringLiteral("Solvane64"), QStringLiteral("Tiravel"), QStringLiteral("5.3.0"),
                    QStringLiteral("03-Feb-2017"), QString());
  about.exec();
}
