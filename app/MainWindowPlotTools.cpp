// The tools of the trace plot: the read-out at the pointer, zoom and pan,
// markers and the legend; and the exports of the graph and of the data.
#include "app/MainWindow.h"

#include "dialogs/GraphSizeDialog.h"
#include "dialogs/UserPrompt.h"
#include "plot/GraphExport.h"
#include "plot/PlotMarkers.h"
#include "plot/PlotTracker.h"
#include "plot/PlotZoom.h"
#include "plot/TraceLegend.h"
#include "storage/CsvFile.h"
#include "ui_MainWindow.h"

#include <QFileInfo>

namespace {

// A name without an ending gets the ending of the format.
QString WithSuffix(const QString &path, const char *suffix)
{
  return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + QLatin1String(suffix) : path;
}

}  // namespace
#include <qwt_plot.h>

void MainWindow::SetUpPlotTools()
{
  Tracker = new PlotTracker(ui->plt, &Curves(), &Cfg);
  Zoom = new PlotZoom(ui->plt);
  connect(Zoom, &PlotZoom::backRequested, this, &MainWindow::on_actionZoom_Back_triggered);
  Markers = new PlotMarkers(ui->plt, &Curves());
  Legend = new TraceLegend(&Curves(), &Cfg);
  Legend->attach(ui->plt);
}

void MainWindow::on_actionLegend_toggled(bool checked)
{
  Cfg.ShowLegend = checked;
  Legend->setVisible(checked);
  ui->plt->replot();
}

void MainWindow::on_actionPeak_Marker_toggled(bool checked) { Markers->setPeakShown(checked); }

void MainWindow::on_actionMinimum_Marker_toggled(bool checked) { Markers->setMinShown(checked); }

void MainWindow::on_actionClear_Delta_Marker_triggered() { Markers->clearDelta(); }

// The display settings were never changed by zooming; applying them again
// restores their range and autoscaling.
void MainWindow::on_actionZoom_Back_triggered() { UpdDspPnl(); }

void MainWindow::on_actionExport_Graph_triggered()
{
  const QString chosen = UserPrompt::saveFileName(this, QStringLiteral("Export Graph"), Cfg.CfgDir,
                                                  QStringLiteral("PDF (*.pdf);;SVG (*.svg);;PNG (*.png)"));
  if (chosen.isEmpty())
    return;
  const QString path = WithSuffix(chosen, "pdf");
  // The size chosen last is offered again for the next graph of the session.
  static GraphSizeDialog::Choice size;
  if (!GraphSizeDialog::ask(this, &size))
    return;
  QString reason;
  if (!ExportGraph(ui->plt, path, QSizeF(size.widthMm, size.heightMm), size.dpi, &reason))
    UserPrompt::warning(this, QStringLiteral("Export Graph"), reason);
}

void MainWindow::on_actionExport_Data_triggered()
{
  const QString chosen = UserPrompt::saveFileName(this, QStringLiteral("Export Data"), Cfg.CfgDir,
                                                  QStringLiteral("CSV Files (*.csv);;All Files (*.*)"));
  if (chosen.isEmpty())
    return;
  QString reason;
  if (SaveCsvFile(Cfg, WithSuffix(chosen, "csv"), MeasuredAt, &reason) != 0)
    UserPrompt::critical(this, QStringLiteral("Export Data"), reason);
}
