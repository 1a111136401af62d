// The plot's tools in the main window on the simulated bench: zoom, markers,
// the read-out at the pointer and the legend; the exports of the graph and the
// data, printing without a printer and the manual without a PDF viewer.
#include "dialogs/GraphSizeDialog.h"
#include "plot/PlotMarkers.h"
#include "plot/PlotTracker.h"
#include "plot/TraceCurveTable.h"
#include "plot/TraceLegend.h"
#include "storage/PrintSeam.h"
#include "support/CfgFields.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"

#include <QtTest>
#include <QtWidgets>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_widget.h>

namespace {

// Two traces of two level steps at 100, 200 and 300 MHz; trace 1, step 1
// peaks at 200 MHz (+5 dBm) and dips at 300 MHz (-10 dBm).
const QByteArray kTwoByTwo = "Repetition  Count: 2\nLevel Sweep Count: 2\nMeasurement Count: 3\n"
                             "100.000000 -10.000 0.000 -11.000 -1.000\n"
                             "200.000000 -5.000 5.000 -6.000 4.000\n"
                             "300.000000 -20.000 -10.000 -21.000 -11.000\n";

QString PdfText(const QString &path) { return ProgramOutput("pdftotext", {"-layout", path, "-"}); }

}  // namespace

class TestPlotTools : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  std::unique_ptr<PromptRecorder> prompts;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<MainWindowProbe> probe;

  QwtPlot *plot() { return window->findChild<QwtPlot *>(QStringLiteral("plt")); }
  QWidget *canvas() { return plot()->canvas(); }
  void trigger(const char *name) { window->findChild<QAction *>(QString::fromLatin1(name))->trigger(); }
  QPoint pixel(double mhz, double level) {
    return QPoint(qRound(plot()->canvasMap(QwtPlot::xBottom).transform(mhz)),
                  qRound(plot()->canvasMap(QwtPlot::yLeft).transform(level)));
  }
  QwtInterval range(int axis) { return plot()->axisScaleDiv(axis).interval(); }
  void load(const QByteArray &dat) {
    const QString path = dir.filePath(QStringLiteral("in.dat"));
    QVERIFY(WriteAll(path, dat));
    UserPrompt::setOpenFileHandler([path](const QString &, const QString &, const QString &) { return path; });
    trigger("actionLoad_Data");
    plot()->replot();
  }
  void saveAs(const char *action, const QString &path) {
    UserPrompt::setSaveFileHandler([path](const QString &, const QString &, const QString &) { return path; });
    trigger(action);
  }

private slots:
  void init() {
    prompts.reset(new PromptRecorder);
    window.reset(new MainWindow);
    probe.reset(new MainWindowProbe(*window));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    load(kTwoByTwo);
  }

  void cleanup() {
    for (auto *files : {&UserPrompt::setOpenFileHandler, &UserPrompt::setSaveFileHandler})
      files(nullptr);
    GraphSizeDialog::setHandler(nullptr);
    PrintSeam::setPrinterFactory(nullptr);
    PrintSeam::setPrinterChooser(nullptr);
    window.reset();
    prompts.reset();
  }

  // Zoom, pan and back keep the display settings.
  void plotTools() {
    const CfgStr before = probe->cfg();
    const QwtInterval x = range(QwtPlot::xBottom), y = range(QwtPlot::yLeft);
    const QPoint from(canvas()->width() / 4, canvas()->height() / 4);
    const QPoint to(canvas()->width() / 2, canvas()->height() / 2);
    const QwtInterval zoomX(plot()->canvasMap(QwtPlot::xBottom).invTransform(from.x()),
                            plot()->canvasMap(QwtPlot::xBottom).invTransform(to.x()));
    QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
    QVERIFY(qAbs(range(QwtPlot::xBottom).minValue() - zoomX.minValue()) < 1e-9);
    QVERIFY(qAbs(range(QwtPlot::xBottom).maxValue() - zoomX.maxValue()) < 1e-9);
    QVERIFY(range(QwtPlot::yLeft).width() < y.width() / 3);

    // One notch of the wheel over the frequency axis shows 80 % around the pointer.
    const QwtInterval zoomed = range(QwtPlot::xBottom);
    QwtScaleWidget *axis = plot()->axisWidget(QwtPlot::xBottom);
    const QPoint at = axis->mapFrom(plot(), canvas()->mapTo(plot(), QPoint(canvas()->width() / 2, 0)));
    QWheelEvent wheel(QPointF(at), QPointF(axis->mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(axis, &wheel);
    QVERIFY(qAbs(range(QwtPlot::xBottom).width() - 0.8 * zoomed.width()) < zoomed.width() * 0.01);

    QCOMPARE(probe->cfg().DispStartFreq, before.DispStartFreq);
    QCOMPARE(probe->cfg().Y2StopLevel, before.Y2StopLevel);
    QCOMPARE(probe->cfg().Y1Autoscale, true);
    QTest::mouseClick(canvas(), Qt::RightButton, {}, from);
    QCOMPARE(range(QwtPlot::xBottom), x);
    QCOMPARE(range(QwtPlot::yLeft), y);
    QVERIFY(plot()->axisAutoScale(QwtPlot::yLeft));

    // Markers at the peak, the minimum and a reference with its delta.
    trigger("actionPeak_Marker");
    trigger("actionMinimum_Marker");
    // Until a trace is clicked the markers are on the newest one.
    QCOMPARE(probe->markers().labels(),
             QStringList({"Peak 200.000 MHz, -6.00 dBm", "Min 300.000 MHz, -21.00 dBm"}));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, pixel(100.0, 0.0));
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ShiftModifier, pixel(100.0, 0.0));
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ShiftModifier, pixel(300.0, -10.0));
    QCOMPARE(probe->markers().labels(),
             QStringList({"Peak 200.000 MHz, 5.00 dBm", "Min 300.000 MHz, -10.00 dBm", "Ref",
                          "Delta 200.000 MHz, -10.00 dB"}));

    // A growing trace takes its markers along.
    CfgStr &cfg = probe->cfg();
    cfg.AnaFreqs << 400.0;
    cfg.Traces[0][1] << 7.5;
    probe->curves().growRow(0, 1, 4);
    QCOMPARE(probe->markers().labels().first(), QStringLiteral("Peak 400.000 MHz, 7.50 dBm"));
    trigger("actionClear_Delta_Marker");
    trigger("actionMinimum_Marker");
    QCOMPARE(probe->markers().labels(), QStringList({"Peak 400.000 MHz, 7.50 dBm"}));

    // The read-out names the nearest measured point and, on a normalized
    // display, its level relative to the reference.
    QCOMPARE(probe->tracker().readout(pixel(200.0, 5.0)), QStringLiteral("Trace 1, 0.0 dBm\n200.000 MHz\n5.00 dBm"));
    QCOMPARE(probe->tracker().readout(pixel(290.0, -21.5)),
             QStringLiteral("Trace 2, -10.0 dBm\n300.000 MHz\n-21.00 dBm"));
    // A point that was never measured is no point: the next measured one is named.
    probe->cfg().Traces[1][0][2] = kUnmeasured;
    probe->curves().setRow(1, 0, TraceRow{&probe->cfg().AnaFreqs, &probe->cfg().Traces, 1, 0}, 3);
    QCOMPARE(probe->tracker().readout(pixel(300.0, -21.0)),
             QStringLiteral("Trace 1, -10.0 dBm\n300.000 MHz\n-20.00 dBm"));

    probe->cfg().StepFreq = 300.0;  // four points
    for (const char *button : {"Start", "Normalize", "Repeat"})
      QVERIFY(ClickAndFinish(*window, button));
    QVERIFY(plot()->axisEnabled(QwtPlot::yRight));
    const QPointF p = probe->curves().curve(0, 0)->sample(1);
    QCOMPARE(probe->tracker().readout(pixel(p.x(), p.y())),
             QStringLiteral("Trace 1\n%1 MHz\n%2 dBm\n%3 dB rel.")
                 .arg(p.x(), 0, 'f', 3)
                 .arg(p.y(), 0, 'f', 2)
                 .arg(p.y() - probe->cfg().Gen1.StartLevel, 0, 'f', 2));

    // The legend after a level sweep and after loading, and whether it is shown, remembered.
    // Four points: the bench answers like an instrument, not at once.
    Set(cfg, "Levels=1 L0=-10 L1=0 LStep=5 Step=300");
    QVERIFY(ClickAndFinish(*window, "Start"));
    QVERIFY2(prompts->messages.isEmpty(), qPrintable(prompts->messages.value(0).text));
    QCOMPARE(probe->legend().entries(),
             QStringList({"Trace 1, -10.0 dBm", "Trace 1, -5.0 dBm", "Trace 1, 0.0 dBm"}));

    cfg.Gen1.StepLevel = 10.0;
    load(kTwoByTwo);
    QCOMPARE(probe->legend().entries(), QStringList({"Trace 1, -10.0 dBm", "Trace 1, 0.0 dBm",
                                                     "Trace 2, -10.0 dBm", "Trace 2, 0.0 dBm"}));
    load("Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 1\n100.000000 -3.000\n");
    QCOMPARE(probe->legend().entries(), QStringList({"Trace 1"}));

    QVERIFY(probe->legend().isVisible());
    trigger("actionLegend");
    QVERIFY(!probe->legend().isVisible());
    const QString path = cfg.CfgPath;
    window.reset();
    QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Display/Legend")).toBool(), false);
    window.reset(new MainWindow);
    probe.reset(new MainWindowProbe(*window));
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("actionLegend"))->isChecked());
    QVERIFY(!probe->legend().isVisible());
    QCOMPARE(probe->tracker().readout(QPoint(10, 10)), QString());  // nothing loaded, nothing named
    trigger("actionLegend");  // on again for the tests that follow
  }

  // What the Results and Help menus give: exports, prints and the manual.
  void exportsPrintsAndTheManual() {
    QList<GraphSizeDialog::Choice> asked;
    GraphSizeDialog::Choice chosen{100.0, 50.0, 254};
    GraphSizeDialog::setHandler([&](GraphSizeDialog::Choice *size) {
      asked << *size;
      *size = chosen;
      return true;
    });
    saveAs("actionExport_Graph", dir.filePath(QStringLiteral("graph")));
    QCOMPARE(asked.size(), 1);
    const QString exported = PdfText(dir.filePath(QStringLiteral("graph.pdf")));
    for (const char *text : {"Frequency / MHz", "Level / dBm", "Trace 2, 0.0 dBm"})
      QVERIFY2(exported.contains(QLatin1String(text)), text);

    saveAs("actionExport_Graph", dir.filePath(QStringLiteral("graph.svg")));
    const QString svg = QString::fromUtf8(ReadAll(dir.filePath(QStringLiteral("graph.svg"))));
    for (const char *text : {">Frequency / MHz</text>", ">Level / dBm</text>"})
      QVERIFY2(svg.contains(QLatin1String(text)), text);
    // The traces are the only lines of three points.
    QCOMPARE(svg.count(QRegularExpression(QStringLiteral("<polyline [^>]*points=\"(\\S+ ){3}\""))), 4);

    saveAs("actionExport_Graph", dir.filePath(QStringLiteral("graph.png")));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("graph.png"))).size(), QSize(1000, 500));

    saveAs("actionExport_Graph", dir.filePath(QStringLiteral("graph.gif")));
    for (const GraphSizeDialog::Choice &empty : {GraphSizeDialog::Choice{0.0, 50.0, 254}, {100.0, 0.0, 254},
                                                 {100.0, 50.0, 0}}) {
      chosen = empty;
      saveAs("actionExport_Graph", dir.filePath(QStringLiteral("empty.png")));
    }
    const QString noSize = "Export Graph: The size and the resolution of the graph must be greater than 0.";
    QCOMPARE(prompts->shown(), QStringList({"Export Graph: The graph can be exported as PDF, SVG or PNG; the file "
                                            "name must end in .pdf, .svg or .png.",
                                            noSize, noSize, noSize}));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("empty.png"))));

    // Below its comments and column row, the loaded file's point lines with commas.
    saveAs("actionExport_Data", dir.filePath(QStringLiteral("out")));
    const QByteArray csv = ReadAll(dir.filePath(QStringLiteral("out.csv")));
    const QByteArray points = kTwoByTwo.mid(kTwoByTwo.indexOf("100.000000")).replace(' ', ',');
    QVERIFY(csv.startsWith('#'));
    QVERIFY2(csv.endsWith("\nFrequency [MHz],Trace 1 Step 1,Trace 1 Step 2,Trace 2 Step 1,Trace 2 Step 2\n" + points),
             csv.constData());

    saveAs("actionExport_Data", dir.filePath(QStringLiteral("missing/out.csv")));

    // Printing without a printer offers a PDF file.
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    PrintSeam::setPrinterFactory([](QPrinter::PrinterMode mode) {
      auto printer = std::make_unique<QPrinter>(mode);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(QString());
      return printer;
    });
    QString offered;
    PrintSeam::setPrinterChooser([&](QPrinter &printer, QWidget *) {
      offered = printer.outputFileName();
      printer.setOutputFileName(pdf);
      return true;
    });
    trigger("actionPrint_Data");
    QCOMPARE(offered, probe->cfg().CfgDir + QStringLiteral("/Solvane Data.pdf"));
    QVERIFY(PdfText(pdf).contains(QLatin1String("Measurement Count: 3\n100.00 -10.000 0.000 -11.000 -1.000")));
    QFile::remove(pdf);
    trigger("actionPrint_Graph");
    QCOMPARE(offered, probe->cfg().CfgDir + QStringLiteral("/Solvane Graph.pdf"));
    QVERIFY(ReadAll(pdf).startsWith("%PDF-"));

    // Without a program to open it with, the manual's path is shown and copied.
    const QString manual = QDir::toNativeSeparators(binDir() + QStringLiteral("/Solvane.pdf"));
    const QByteArray programs = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    prompts->answer = QMessageBox::Apply;
    trigger("actionContents");
    qputenv("PATH", programs);
    QCOMPARE(prompts->shown(false).mid(4), QStringList({"Export Data", "Manual"}));
    QVERIFY(prompts->messages.last().text.endsWith(QStringLiteral("\n\n") + manual));
    QCOMPARE(QGuiApplication::clipboard()->text(), manual);
  }
};

int main(int argc, char *argv[]) {
  QTemporaryDir home;
  UseHomeWithoutVisa(home.path());
  qputenv("SOLVANE_VISA_LIBRARY", (QStringLiteral(SOLVANE_BIN_DIR) + "/libsolvisa.so").toLocal8Bit());
  qputenv("SOLVISA_BENCH", "default");
  QApplication app(argc, argv);
  TestPlotTools tools;
  return QTest::qExec(&tools, argc, argv);
}

#include "tst_plottools.moc"
