// Takes the manual's pictures of the main window, on the simulated bench:
//   solvane_shots <libsolvisa.so> <output folder>
// A level sweep is measured as a user would measure it (Start), then the
// window is grabbed with legend, markers and the read-out at the pointer,
// and again zoomed in. Any
// message box the window raises fails the run, so a picture never shows a
// broken window. Runs at build time on the offscreen platform.
#include "app/MainWindow.h"
#include "bench/BenchFile.h"
#include "dialogs/UserPrompt.h"
#include "plot/PlotMarkers.h"
#include "plot/PlotZoom.h"
#include "storage/CfgFile.h"

#include <QAction>
#include <QElapsedTimer>
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>

namespace {

constexpr qint64 kRunLimitMs = 60000;

// The built-in bench without its answer latency, which is there for people
// watching a demo and would only make the build wait.
QString FastBench(const QString &folder)
{
  QJsonObject bench = QJsonDocument::fromJson(sim::defaultBenchJson()).object();
  bench.insert(QStringLiteral("latencyMs"), 0);
  QFile file(folder + QStringLiteral("/bench.json"));
  if (file.open(QIODevice::WriteOnly))
    file.write(QJsonDocument(bench).toJson());
  return file.fileName();
}

// The settings of the pictures: the bench's band-pass filter swept from
// 100 to 1000 MHz at three generator levels.
void WriteSettings()
{
  CfgStr cfg;
  CfgDefaults(cfg);
  CfgPaths(cfg);
  cfg.LevelSweep = true;
  cfg.Gen1.StartLevel = -10.0;
  cfg.Gen1.StopLevel = 0.0;
  cfg.Gen1.StepLevel = 5.0;
  cfg.Dx = 860;
  cfg.Dy = 600;
  CfgSave(cfg, cfg.CfgPath);
}

// The top of the canvas at a frequency: the nearest trace there is the
// highest level step.
QPoint AtTop(const QwtPlot &plot, double mhz) { return QPoint(int(plot.canvasMap(QwtPlot::xBottom).transform(mhz)), 0); }

}  // namespace

int main(int argc, char *argv[])
{
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/share")).toLocal8Bit());
  QApplication app(argc, argv);
  QTextStream err(stderr);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    err << "usage: solvane_shots <libsolvisa.so> <output folder>\n";
    return 2;
  }
  qputenv("SOLVANE_VISA_LIBRARY", args[1].toLocal8Bit());
  qputenv("SOLVISA_BENCH", FastBench(home.path()).toLocal8Bit());
  int messages = 0;
  UserPrompt::setMessageHandler([&](const UserPrompt::Message &m) {
    err << "the window said: " << m.title << ": " << m.text << "\n";
    ++messages;
    return QMessageBox::Ok;
  });
  WriteSettings();

  MainWindow window;
  window.setWindowTitle(MainWindow::WindowTitle());
  window.show();
  auto *start = window.findChild<QPushButton *>(QStringLiteral("Start"));
  start->click();
  // The run measures on its own thread; the pictures show it finished.
  QElapsedTimer waited;
  waited.start();
  QTimer wake;  // the loop below looks at the clock at least this often
  wake.start(50);
  while (!start->isEnabled() && waited.elapsed() < kRunLimitMs)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (!start->isEnabled()) {
    err << "the sweep did not end within " << kRunLimitMs / 1000 << " s\n";
    return 1;
  }
  auto *plot = window.findChild<QwtPlot *>(QStringLiteral("plt"));
  window.findChild<QAction *>(QStringLiteral("actionPeak_Marker"))->setChecked(true);
  window.findChild<QAction *>(QStringLiteral("actionMinimum_Marker"))->setChecked(true);
  auto *markers = plot->findChild<PlotMarkers *>();
  markers->chooseTraceAt(AtTop(*plot, 550.0));
  markers->addDeltaPointAt(AtTop(*plot, 400.0));
  markers->addDeltaPointAt(AtTop(*plot, 700.0));
  // The pointer rests on the plot, so the read-out shows.
  const QPoint pointer(AtTop(*plot, 250.0).x(), plot->canvas()->height() / 2);
  QMouseEvent move(QEvent::MouseMove, pointer, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(plot->canvas(), &move);
  const QString folder = args[2] + QLatin1Char('/');
  bool saved = window.grab().save(folder + QStringLiteral("level-sweep.png"));

  const QRect canvas = plot->canvas()->rect();
  plot->findChild<PlotZoom *>()->zoomTo(QRect(canvas.width() / 8, 0, canvas.width() / 2, canvas.height() / 2));
  saved = window.grab().save(folder + QStringLiteral("zoomed.png")) && saved;
  if (!saved || messages > 0) {
    err << "the pictures of the window could not be taken\n";
    return 1;
  }
  return 0;
}
