// The main window against the recording fake VISA: sweep runs driven through
// its buttons on the worker thread (stored values, curves, button states,
// where a Stop takes effect, messages), the trace plot's drawing and tools,
// the data-file, export, print, manual and About entries, and the order of
// closing; then the sweep engine on its own, with the faults met at the bench.
#include "dialogs/GraphSizeDialog.h"
#include "plot/PlotMarkers.h"
#include "plot/PlotTracker.h"
#include "plot/TraceCurveTable.h"
#include "plot/TraceLegend.h"
#include "storage/PrintSeam.h"
#include "support/CmdTranscript.h"
#include "support/DwellHook.h"
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/HeadlessObserver.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"
#include "support/SmallBench.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/RunErr.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QtWidgets>
#include <QtTest>
#include <cmath>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_widget.h>
#include <qwt_symbol.h>

namespace {

// SmallBench with `points` points in 10 MHz steps at -10 dBm into the analyzer
// of `anaType`, the plan computed and one empty trace record. Sessions are
// numbered in the order opened: generator 1, LO generator, analyzer.
constexpr int kAnaType = 59;
const QString kGen1Rsrc = "GPIB0::28::INSTR", kGen2Rsrc = "GPIB0::29::INSTR", kAnaRsrc = "GPIB0::20::INSTR";

void Settings(CfgStr &cfg, int points, int anaType = kAnaType) {
  SmallBench(cfg, points, 1, 10.0, cfg.Dwell);
  cfg.Ana.Type = anaType;
  cfg.Gen1.StartLevel = cfg.Gen1.StopLevel = -10.0;
  CalcSwpLst(cfg);
  cfg.TraceCount = 1;
  AllocTrc(cfg);
}

// Adds an LO generator like generator 1 at GPIB0::29 from 1000 MHz, fixed or stepping with the RF.
void WithLo(CfgStr &cfg, bool fixedLo) {
  cfg.Gen2.Type = cfg.Gen1.Type;
  cfg.Gen2.GpibAddress = 29;
  cfg.Gen2.StartFreq = 1000.0;
  cfg.Gen2.StopFreq = 1000.0 + (cfg.Gen1.StopFreq - cfg.Gen1.StartFreq);
  cfg.Gen2.StartLevel = cfg.Gen2.StopLevel = 7.0;
  cfg.FixedLo = fixedLo;
  CalcSwpLst(cfg);
  AllocTrc(cfg);
}

// `count` readings from `dbm` on, each `fall` dB below the one before.
void Readings(double dbm, int count, double fall = 0.0) {
  for (int i = 0; i < count; ++i)
    FakeVisa::replyFor(kAnaRsrc, QString::number(dbm - fall * i) + '\n');
}

// The generators' read-backs of the preparation of a run: level and frequency extremes.
void ReadBacks(const CfgStr &cfg) {
  for (const DevStr *gen : {&cfg.Gen1, &cfg.Gen2}) {
    if ((gen == &cfg.Gen1 && cfg.Ana.TrackingGenerator) || gen->Type == 0)
      continue;
    QList<double> values{gen->StartLevel, gen->StopFreq * 1e6, gen->StartFreq * 1e6};
    if (cfg.LevelSweep)
      values.prepend(gen->StopLevel);
    for (double value : values)
      FakeVisa::replyFor(gen == &cfg.Gen1 ? kGen1Rsrc : kGen2Rsrc, QString::number(value, 'f', 1) + '\n');
  }
}

void Script(const CfgStr &cfg, double dbm, int count, double sweepTimeS = 0.05, double fall = 0.0) {
  ReadBacks(cfg);
  FakeVisa::replyFor(kAnaRsrc, QString::number(sweepTimeS) + '\n');
  Readings(dbm, count, fall);
}

// The commands written after the last sweep-time query: the measuring and the end of the run.
QStringList RunWrites() {
  const QStringList writes = FakeVisa::writes();
  return writes.mid(writes.lastIndexOf("SWE:TIME?\n") + 1);
}

const QStringList kEndOfRun{":OUTP OFF\n", "SYST:DISP:UPD ON\n", "INIT:CONT ON\n"};

int Measured(const QVector<double> &row) {
  return int(std::count_if(row.cbegin(), row.cend(), [](double v) { return !std::isnan(v); }));
}

QVector<QPointF> Points(const QwtPlotCurve *curve) {
  QVector<QPointF> points;
  for (size_t i = 0; i < curve->dataSize(); ++i)
    points << curve->sample(i);
  return points;
}

const QByteArray kEightTraces = "Repetition  Count: 8\nLevel Sweep Count: 1\nMeasurement Count: 2\n"
                                "100.000000 -10.500 -11.500 -12.500 -13.500 -14.500 -15.500 -16.500 -17.500\n"
                                "200.000000 -10.500 -11.500 -12.500 -13.500 -14.500 -15.500 -16.500 -17.500\n";

// Two traces of two level steps at 100, 200 and 300 MHz; trace 1, step 1
// peaks at 200 MHz (+5 dBm) and dips at 300 MHz (-10 dBm).
const QByteArray kTwoByTwo = "Repetition  Count: 2\nLevel Sweep Count: 2\nMeasurement Count: 3\n"
                             "100.000000 -10.000 0.000 -11.000 -1.000\n"
                             "200.000000 -5.000 5.000 -6.000 4.000\n"
                             "300.000000 -20.000 -10.000 -21.000 -11.000\n";

class CountingPlot : public QwtPlot {
public:
  int replots = 0;
  void replot() override {
    ++replots;
    QwtPlot::replot();
  }
};

// The sweep engine on its own, with an observer that records what it is told.
class Recorder : public Headless {
public:
  QStringList events;

  void passStarted(bool continuous) override { events << QStringLiteral("pass %1").arg(continuous); }
  void levelStarted(int level) override { events << QStringLiteral("level %1").arg(level); }
  void pointMeasured(int level, int point) override { events << QStringLiteral("point %1 %2").arg(level).arg(point); }
  void levelDone(int level) override { events << QStringLiteral("levelDone %1").arg(level); }
  void passDone(double seconds) override { events << (seconds >= 0.0 ? "passDone" : "negative time"); }
};

QStringList MeasureCommands(const QString &hz, const QString &marker) {
  return {"FREQ:CENT " + hz + ";*OPC?\n", "INIT;*OPC?\n", "CALC:MARK1:X " + marker + ";*OPC?\n", "CALC:MARK1:Y?\n"};
}

}  // namespace

class TestRunWindow : public QObject {
  Q_OBJECT

public slots:
  void opened(const QUrl &url) { openedUrls << url; }

private slots:
  void init() {
    QFile::remove(DefaultCfgPath());
    FakeVisa::reset();
    prompts.reset(new PromptRecorder);
    window.reset(new MainWindow);
    probe.reset(new MainWindowProbe(*window));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  void cleanup() {
    SetInstrumentSleep([](int) {});
    GraphSizeDialog::setHandler(nullptr);
    PrintSeam::setPrinterFactory(nullptr);
    PrintSeam::setPrinterChooser(nullptr);
    probe.reset();
    window.reset();
    prompts.reset();
  }

  // Each reading is drawn as it comes; every repeat gets the next colour.
  void startThenRepeats() {
    QString during, status;
    bool lockedDuring = false;
    cfg().Dwell = 0.007;
    // During the second point's dwell the window has drawn the first.
    DwellHook look(7, 2, [&] {
      during = buttons();
      lockedDuring = !widget<QAction>("actionOpen")->isEnabled() && !widget<QAction>("actionLoad_Data")->isEnabled() &&
                     !widget<QAction>("actionSave_Data")->isEnabled() &&
                     !widget<QPushButton>("Devices")->isEnabled() && !widget<QPushButton>("Sweep")->isEnabled();
      status = window->statusBar()->currentMessage();
    });
    run("Start", -16.0);
    QCOMPARE(during, QStringLiteral("Stop"));
    QVERIFY(lockedDuring);
    QVERIFY2(QRegularExpression("^Level step 1 of 1, point 1 of 91, \\d+:\\d\\d left$").match(status).hasMatch(),
             qPrintable(status));
    QVERIFY(widget<QAction>("actionOpen")->isEnabled() && widget<QPushButton>("Devices")->isEnabled());
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
    QCOMPARE(buttons(), QStringLiteral("Start Repeat Normalize NIdx AbsRel"));

    // Deleted back to one record: the repeats below take slot 1 and its colour again.
    run("Repeat", -30.0);
    click("Del");
    QVERIFY(!probe->curves().curve(1, 0)->isVisible());
    QVERIFY(!widget<QPushButton>("Del")->isEnabled());
    QList<QColor> colours;
    for (int i = 0; i < 7; ++i) {
      run("Repeat", -17.0 - i);
      QCOMPARE(buttons(), QStringLiteral("Start Repeat Del NIdx AbsRel"));
      colours << probe->curves().curve(probe->traceIdx(), 0)->symbol()->brush().color();
    }
    QCOMPARE(colours, QList<QColor>({Qt::red, Qt::blue, Qt::green, Qt::yellow, Qt::cyan, Qt::black, Qt::red}));
    QCOMPARE(cfg().TraceCount, 8);
    QCOMPARE(cfg().Traces[7][0][90], -23.0);
    QCOMPARE(curveY(3, 0), QVector<double>(91, -19.0));
    QVERIFY(prompts->messages.isEmpty());
  }

  // A Stop takes effect at the next point, in a continuous pass too (not at
  // the end of its level step), and so does closing the window; the reading
  // in progress is not stored. A read that has failed meanwhile is still reported.
  void stopTakesEffectAtNextPoint_data() {
    QTest::addColumn<bool>("continuous");
    QTest::addColumn<bool>("closing");
    QTest::addColumn<QStringList>("messages");  // none, or the analyzer falls silent after two readings
    QTest::addColumn<QString>("buttonsAfter");
    const QString all = QStringLiteral("Start Repeat Normalize NIdx AbsRel");
    QTest::newRow("single pass") << false << false << QStringList() << all;
    QTest::newRow("continuous pass") << true << false << QStringList() << all;
    QTest::newRow("window closed") << true << true << QStringList() << all;
    QTest::newRow("silent analyzer") << false << false << QStringList{"Analyzer (IF): Power Measurement Error."}
                                     << QStringLiteral("Start Repeat Normalize NIdx");
  }

  void stopTakesEffectAtNextPoint() {
    QFETCH(bool, continuous);
    QFETCH(bool, closing);
    QFETCH(QStringList, messages);
    QFETCH(QString, buttonsAfter);
    const bool silent = !messages.isEmpty();
    widget<QCheckBox>("RunCont")->setChecked(continuous);
    widget<QDoubleSpinBox>("SwpTime")->setValue(50.0);
    QString afterStop;
    cfg().Dwell = 0.007;
    DwellHook stopAtThird(7, 3, [&] {
      if (closing)
        QVERIFY(!window->close());
      else
        click("Stop");
      afterStop = buttons();
      // Enabled again by Stop (not by closing), but the run is still finishing: ignored.
      click("Start");
      click("Normalize");
      click("Repeat");
    });
    Settings(cfg(), 50);
    Script(cfg(), -16.0, silent ? 2 : 50);
    if (silent)
      FakeVisa::timeoutFor(kAnaRsrc);
    click("Start");
    QCOMPARE(window->isVisible(), !closing);
    QCOMPARE(afterStop, closing ? QStringLiteral("Stop") : QStringLiteral("Start Repeat Normalize NIdx"));
    QCOMPARE(Measured(cfg().Traces[0][0]), 2);
    QCOMPARE(curveY(0, 0), QVector<double>(2, -16.0));  // drawn up to the last stored reading
    QCOMPARE(cfg().TraceCount, 1);
    QVERIFY(!probe->normActive());
    QCOMPARE(FakeVisa::writes().filter("SWE:TIME?").size(), 1);
    QCOMPARE(RunWrites().filter(QStringLiteral("CALC:MARK1:Y?")).size(), 3);
    QCOMPARE(RunWrites().mid(RunWrites().size() - 4), QStringList{"CALC:MARK1:Y?\n"} + kEndOfRun);
    QCOMPARE(buttons(), buttonsAfter);
    QCOMPARE(prompts->shown(), messages);
    if (silent)
      QCOMPARE(widget<QDoubleSpinBox>("SwpTime")->value(), 50.0);  // a failed pass has no time to show
  }

  // A dwell of 100 s ends when Stop is clicked: the run returns the
  // instruments to local control without storing the unsettled reading.
  void stopEndsALongDwell() {
    SetInstrumentSleep({});  // the program's own waits
    cfg().Dwell = 100.0;
    QTimer::singleShot(300, widget<QPushButton>("Stop"), &QPushButton::click);
    start(3, -16.0);
    QCOMPARE(Measured(cfg().Traces[0][0]), 0);
    QCOMPARE(FakeVisa::writes().mid(FakeVisa::writes().size() - 3), kEndOfRun);
    QVERIFY(prompts->messages.isEmpty());
  }

  // However fast the points arrive, a continuous run stopped in its second
  // pass shows each row as stored: the new pass's points, then the last pass's.
  void drawnCurveEqualsStore() {
    SmallBench(cfg(), 600, 2, 1.0, 0.007);
    Script(cfg(), -10.0, 2 * 600 * 2, 0.05, 0.01);
    widget<QCheckBox>("RunCont")->setChecked(true);
    DwellHook stop(7, 1500, [this] { click("Stop"); });
    click("Start");
    for (int level = 0; level < 2; ++level) {
      QVector<QPointF> stored;  // every point measured, by the first pass at least
      for (int i = 0; i < cfg().PointCount; ++i)
        stored << QPointF(cfg().AnaFreqs[i], cfg().Traces[0][level][i]);
      QCOMPARE(Points(probe->curves().curve(probe->traceIdx(), level)), stored);
    }
    QVERIFY(prompts->messages.isEmpty());
  }

  // Continuous passes overwrite one record and draw once per level step.
  void continuousPassesReuseRecord() {
    start(3, -16.0);
    widget<QCheckBox>("RunCont")->setChecked(true);
    Script(cfg(), -16.0, 9, 0.05, 0.25);  // the third pass reads -17.5 dBm to -18 dBm
    cfg().Dwell = 0.007;
    // Unchecked during the last point of the third pass: that pass is the last.
    DwellHook lastPass(7, 9, [&] { widget<QCheckBox>("RunCont")->setChecked(false); });
    widget<QDoubleSpinBox>("SwpTime")->setValue(50.0);
    click("Repeat");
    QCOMPARE(cfg().Traces[1][0], QVector<double>({-17.5, -17.75, -18.0}));
    QVERIFY(widget<QDoubleSpinBox>("SwpTime")->value() < 50.0);
    QVERIFY(!probe->curves().curve(0, 0)->isVisible());
    QCOMPARE(RunWrites().filter("CALC:MARK1:Y?").size(), 9);
  }

  void normalizationBothModes() {
    start(3, -16.0);
    cfg().NIndex = 1;  // past the only level step: nothing to take the reference from
    click("Normalize");
    QCOMPARE(prompts->shown(), QStringList{"Normalize: Level step 1 of the last trace is not completely measured. "
                                           "Measure a complete trace before normalizing."});
    QVERIFY(!probe->normActive());
    cfg().NIndex = 0;
    click("Normalize");
    QCOMPARE(cfg().NormData, QVector<double>({-6.0, -6.0, -6.0}));
    QCOMPARE(probe->traceIdx(), -1);
    QCOMPARE(buttons(), QStringLiteral("Start Repeat"));
    QCOMPARE(widget<QLabel>("TMsg")->text(), QStringLiteral("Normalized"));
    QVERIFY(widget<QLabel>("TMsg")->isVisibleTo(window.get()));
    QCOMPARE(Points(probe->normCurve()), QVector<QPointF>({{100.0, -10.0}, {110.0, -10.0}, {120.0, -10.0}}));
    QVERIFY(probe->normCurve()->isVisible());
    // The right axis reads the levels relative to the start level.
    const QwtInterval left = range(QwtPlot::yLeft);
    QCOMPARE(range(QwtPlot::yRight), QwtInterval(left.minValue() + 10, left.maxValue() + 10));
    QCOMPARE(plot()->axisTitle(QwtPlot::yRight).text(), QStringLiteral("Rel. Level / dB"));
    QVERIFY(!probe->curves().curve(0, 0)->isVisible());

    run("Repeat", -17.0);  // receiver side: 1 dB more loss than the reference reads 1 dB below the start level
    QCOMPARE(cfg().TraceCount, 2);
    QCOMPARE(cfg().Traces[1][0], QVector<double>({-11.0, -11.0, -11.0}));
    QCOMPARE(curveY(0, 0), QVector<double>({-11.0, -11.0, -11.0}));
    QVERIFY(plot()->axisEnabled(QwtPlot::yRight));
    QCOMPARE(probe->tracker().readout(pixel(110.0, -11.0)),
             QStringLiteral("Trace 1\n110.000 MHz\n-11.00 dBm\n-1.00 dB rel."));
    QCOMPARE(RunWrites().filter("POW ").size(), 1);

    widget<QComboBox>("NrmGen")->setCurrentIndex(1);
    run("Repeat", -10.0);  // generator side: the source is raised by the loss
    QCOMPARE(RunWrites().filter("POW -4;*OPC?").size(), 3);
    QCOMPARE(cfg().Traces[2][0], QVector<double>({-10.0, -10.0, -10.0}));

    // Loaded traces end the normalization: both axes read dBm over the set range again.
    load(kEightTraces);
    QCOMPARE(range(QwtPlot::yRight), QwtInterval(cfg().Y2StartLevel, cfg().Y2StopLevel));
  }

  void relativeDisplay() {
    Settings(cfg(), 3);
    cfg().LevelSweep = true;
    cfg().Gen1.StopLevel = 0.0;
    Script(cfg(), -16.0, 3);
    Readings(-6.0, 3);  // the 0 dBm step
    click("Start");
    QCOMPARE(probe->legend().entries(), QStringList({"Trace 1, -10.0 dBm", "Trace 1, 0.0 dBm"}));
    run("Repeat", -17.0);
    run("Repeat", -18.0);
    auto *absRel = widget<QSlider>("AbsRel");
    absRel->setValue(1);
    QCOMPARE(curveY(0, 0), QVector<double>(3, -6.0));
    QCOMPARE(curveY(0, 1), QVector<double>(3, 4.0));
    QCOMPARE(curveY(2, 1), QVector<double>(3, -8.0));
    QCOMPARE(widget<QLabel>("TMsg")->text(), QStringLiteral("Conversion Loss (Ref.Level -10.00 dBm)"));
    QCOMPARE(plot()->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Rel. Level / dB"));
    QCOMPARE(buttons(), QStringLiteral("Start AbsRel"));
    QCOMPARE(cfg().Traces[0][1], QVector<double>(3, -6.0));

    absRel->setValue(0);
    QCOMPARE(curveY(2, 0), QVector<double>(3, -18.0));
    QCOMPARE(buttons(), QStringLiteral("Start Repeat Normalize AbsRel"));
    QCOMPARE(widget<QLabel>("TMsg")->text(), QString());

    // A run returns the switch to absolute levels before it measures.
    absRel->setValue(1);
    run("Start", -16.0);
    QCOMPARE(absRel->value(), 0);
    QCOMPARE(curveY(0, 0), QVector<double>(3, -16.0));
  }

  void swapWarnings() {
    widget<QCheckBox>("SwpFrq")->click();  // off: the fields give the range
    widget<QDoubleSpinBox>("FMax")->setValue(100.0);
    widget<QDoubleSpinBox>("FMin")->setValue(500.0);
    emit widget<QDoubleSpinBox>("FMin")->editingFinished();
    widget<QCheckBox>("SwpFrq")->click();  // on again: the range of the trace frequencies
    QCOMPARE(prompts->shown(), QStringList{"fmin=500 > fmax=100: Swapping fmin with fmax."});
    QCOMPARE(QPointF(cfg().DispStartFreq, cfg().DispStopFreq), QPointF(100, 1000));
    widget<QCheckBox>("AutoFrq")->click();  // autoscale and the sweep's range exclude each other
    QVERIFY(cfg().XAutoscale && !widget<QCheckBox>("SwpFrq")->isChecked());
    widget<QCheckBox>("SwpFrq")->click();
    QVERIFY(!cfg().XAutoscale && !widget<QCheckBox>("AutoFrq")->isChecked());
  }

  void limitsRefusedBeforeRun() {
    start(3, -16.0);
    for (int i = 1; i < kMaxTraces; ++i)
      run("Repeat", -16.0);
    click("Repeat");
    QVERIFY(prompts->shown()[0].startsWith("Repeat: All 20 trace slots are in use."));
    QCOMPARE(cfg().TraceCount, kMaxTraces);

    run("Start", -16.0);
    QCOMPARE(cfg().TraceCount, 1);
    QCOMPARE(traceCurves().size(), 1);  // a new series hides every earlier slot
    cfg().StepFreq = 0.0;  // a plan refused before a repeat
    click("Repeat");
    cfg().StepFreq = 10.0;

    // More level steps than the curve table holds: nothing runs.
    const int runs = FakeVisa::writes().filter("SWE:TIME?").size();
    cfg().LevelSweep = true;
    cfg().Gen1.StopLevel = 200.0;
    click("Start");
    QCOMPARE(prompts->shown().mid(1), QStringList({"Sweep: The frequency step is 0 MHz: a linear sweep needs a step.",
                                                   "Sweep: The level sweep would have 22 level steps; at most 20 are "
                                                   "possible. Use a larger level step."}));
    QCOMPARE(FakeVisa::writes().filter("SWE:TIME?").size(), runs);
    QCOMPARE(cfg().Traces[0][0].size(), 3);
  }

  // The labels name each instrument's part on the bench; closing the window
  // closes each session with its own resource manager.
  void deviceLabelsAndClosing() {
    cfg().Ana.TrackingGenerator = true;
    run("Start", -16.0);
    QCOMPARE(widget<QLabel>("Gen1Lbl")->text() + '|' + widget<QLineEdit>("Gen1")->text(), "Generator1|SPA-59");

    cfg().Ana.TrackingGenerator = false;
    WithLo(cfg(), true);
    run("Start", -16.0);
    QCOMPARE(widget<QLabel>("Gen2Lbl")->text() + '|' + widget<QLabel>("AnaLbl")->text(),
             QStringLiteral("Generator2 (LO)|Analyzer (IF)"));
    QCOMPARE(widget<QLineEdit>("Ana")->text(), QStringLiteral("SPA-59"));
    QStringList units;  // a receiver reports dBuV or dBm, and the display names which
    cfg().Ana.Type = 34;
    for (int dbm : {0, 1}) {
      cfg().Rcx.RecUnitsDbm = dbm;
      emit widget<QDoubleSpinBox>("FMin")->editingFinished();
      units << widget<QLabel>("UniLbl")->text() + ' ' + plot()->axisTitle(QwtPlot::yLeft).text();
    }
    QCOMPARE(units, QStringList({QString::fromUtf8("dB\u00b5V Level / dB\u00b5V"), "dBm Level / dBm"}));

    const int before = FakeVisa::transcript().size();
    window.reset();
    QCOMPARE(FakeVisa::transcript().mid(before).filter(QRegularExpression("^viClose ")),
             (QStringList{"viClose 2", "viClose 1001", "viClose 3", "viClose 1002", "viClose 1", "viClose 1000"}));
  }

  // A curve shows its row of the store as the row grows: gaps left out, and on a plot only the new segment painted.
  void curveFollowsTheStore() {
    QVector<double> x{100.0, 110.0, 120.0, 130.0};
    QVector<TraceRec> store{TraceRec{{-10.0, kUnmeasured, -12.0, kUnmeasured}}};
    LiveSeries series;
    QVERIFY(series.boundingRect().width() < 0.0);  // empty: nothing for the autoscaler
    series.setRow({&x, &store, 0, 0}, 3, 0.0);
    QCOMPARE(int(series.size()), 2);
    QCOMPARE(series.sample(1), QPointF(120.0, -12.0));
    QCOMPARE(series.boundingRect(), QRectF(QPointF(100.0, -12.0), QPointF(120.0, -10.0)));
    // The curve reads the store: a value stored later is taken as the row grows.
    store[0][0][3] = -30.0;
    QCOMPARE(series.grow(4), 2);
    QCOMPARE(series.sample(2), QPointF(130.0, -30.0));
    QCOMPARE(series.boundingRect(), QRectF(QPointF(100.0, -30.0), QPointF(130.0, -10.0)));
    // A row taken anew forgets where the old one had its gaps; a record that is gone shows nothing.
    store[0][0] = {-10.0, -11.0, kUnmeasured, -13.0};
    series.setRow({&x, &store, 0, 0}, 4, 0.0);
    QCOMPARE(series.sample(1), QPointF(110.0, -11.0));
    series.setRow({&x, &store, 1, 0}, 4, 0.0);
    QCOMPARE(int(series.size()), 0);

    // On a plot of fixed scale only the new segment is painted; a point beyond the scale is clipped, no replot.
    CountingPlot plot;
    plot.setAutoReplot(true);
    plot.setAxisScale(QwtPlot::xBottom, 100.0, 130.0);
    plot.setAxisScale(QwtPlot::yLeft, -50.0, 0.0);
    plot.resize(400, 300);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    plot.canvas()->repaint();
    auto *curves = new TraceCurveTable(&plot);
    x << 500.0;
    store[0][0] = {-10.0, -30.0, -12.0, -40.0, -90.0};
    const TraceRow growing{&x, &store, 0, 0};
    curves->showCurve(0, 0, 0);
    curves->setRow(0, 0, growing, 0);
    QCoreApplication::processEvents();  // the canvas repaints its backing store
    const auto canvasImage = [&] { return qobject_cast<QwtPlotCanvas *>(plot.canvas())->backingStore()->toImage(); };
    const QImage before = canvasImage();
    int replots = plot.replots;
    for (int count = 1; count <= 5; ++count)
      curves->growRow(0, 0, count);
    QCOMPARE(plot.replots, replots);
    QVERIFY(canvasImage() != before);
    // A new pass over the same curve starts again at its first point; a row
    // shorter than asked for is read only as far as it goes.
    store[0][0][0] = -30.0;
    curves->growRow(0, 0, 1);
    QCOMPARE(Points(curves->curve(0, 0)), QVector<QPointF>({QPointF(100.0, -30.0)}));
    store[0][0] = {-1.0, -2.0};
    curves->setRow(0, 0, growing, 4);
    QCOMPARE(int(curves->curve(0, 0)->dataSize()), 2);
    QVERIFY(!curves->showCurve(kMaxTraces, 0, 0));  // beyond the table
    // An autoscaled axis grows by one replot.
    plot.setAxisAutoScale(QwtPlot::yLeft, true);
    curves->setRow(0, 0, growing, 1);
    plot.replot();
    const double upper = plot.axisScaleDiv(QwtPlot::yLeft).upperBound();
    replots = plot.replots;
    store[0][0][1] = upper + 50.0;
    curves->growRow(0, 0, 2);
    QCOMPARE(plot.replots, replots + 1);
    QVERIFY(plot.axisScaleDiv(QwtPlot::yLeft).upperBound() >= upper + 50.0);
  }

  // A loaded file is a series of its own; a refused one leaves it as it was,
  // and saving writes it back byte for byte.
  void loadedTracesAreASeries() {
    saveAs("actionSave_Data", dir.filePath("none.dat"));
    QVERIFY(!QFile::exists(dir.filePath("none.dat")));

    load(kEightTraces);
    QCOMPARE(asked, (QStringList{"Open File", "Solvane Files (*.dat);;All Files (*.*)"}));
    QList<QColor> colours;
    for (QwtPlotCurve *curve : traceCurves())
      colours << curve->symbol()->brush().color();
    QCOMPARE(colours,
             (QList<QColor>{Qt::black, Qt::red, Qt::blue, Qt::green, Qt::yellow, Qt::cyan, Qt::black, Qt::red}));
    QCOMPARE(traceCurves()[7]->sample(1), QPointF(200.0, -17.5));
    QCOMPARE(buttons(), QStringLiteral("Start Normalize Del NIdx AbsRel"));

    load("Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 5\n1 2\n");
    QCOMPARE(prompts->shown(), QStringList({"Fehler: SaveDatFile -1\n\nNo trace has been measured or loaded yet.",
                                            "Fehler: LoadDatFile -1\n\nThe file is too short for its 5 announced "
                                            "points."}));
    QCOMPARE(prompts->messages[1].kind, UserPrompt::Kind::Critical);
    QCOMPARE(traceCurves().size(), 8);

    saveAs("actionSave_Data", dir.filePath("back.dat"));
    QCOMPARE(asked, (QStringList{"Save File", "Solvane Files (*.dat);;Kestrova Data (*.fda);;All Files (*.*)"}));
    QCOMPARE(ReadAll(dir.filePath("back.dat")), kEightTraces);
    saveAs("actionSave_Normalization", dir.filePath("norm.txt"));
    QCOMPARE(asked, (QStringList{"Save File", "Files (*.*)"}));
    QVERIFY(ReadAll(dir.filePath("norm.txt")).startsWith("100.000000 -0.500 "));
    QCOMPARE(prompts->messages.size(), 2);

    // Delete Last Trace removes the newest loaded trace; Abs/Rel redraws the rest.
    click("Del");
    QCOMPARE(traceCurves().size(), 7);
    widget<QSlider>("AbsRel")->setValue(1);
    QCOMPARE(traceCurves()[6]->sample(1).y(), -16.5 + 10.0);  // default start level -10 dBm
  }

  // Zoom, pan and back keep the display settings.
  void plotTools() {
    load(kTwoByTwo);
    const CfgStr before = cfg();
    const QwtInterval x = range(QwtPlot::xBottom), y = range(QwtPlot::yLeft);
    const QPoint from(canvas()->width() / 4, canvas()->height() / 4);
    const QPoint to(canvas()->width() / 2, canvas()->height() / 2);
    const QwtInterval zoomX(plot()->canvasMap(QwtPlot::xBottom).invTransform(from.x()),
                            plot()->canvasMap(QwtPlot::xBottom).invTransform(to.x()));
    QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
    QCOMPARE(range(QwtPlot::xBottom), zoomX);
    QVERIFY(range(QwtPlot::yLeft).width() < y.width() / 3);

    // One notch of the wheel over the frequency axis shows 80 % around the pointer.
    const QwtInterval zoomed = range(QwtPlot::xBottom);
    QwtScaleWidget *axis = plot()->axisWidget(QwtPlot::xBottom);
    const QPoint at = axis->mapFrom(plot(), canvas()->mapTo(plot(), QPoint(canvas()->width() / 2, 0)));
    QWheelEvent wheel(QPointF(at), QPointF(axis->mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(axis, &wheel);
    QVERIFY(qAbs(range(QwtPlot::xBottom).width() - 0.8 * zoomed.width()) < zoomed.width() * 0.01);

    QCOMPARE(cfg().DispStartFreq, before.DispStartFreq);
    QCOMPARE(cfg().Y2StopLevel, before.Y2StopLevel);
    QCOMPARE(cfg().Y1Autoscale, true);
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
    // A third point starts a new pair.
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ShiftModifier, pixel(200.0, 5.0));
    QCOMPARE(probe->markers().labels().mid(2), QStringList({"Ref 200.000 MHz, 5.00 dBm"}));

    // A growing trace takes its markers along.
    cfg().AnaFreqs << 400.0;
    cfg().Traces[0][1] << 7.5;
    probe->curves().growRow(0, 1, 4);
    QCOMPARE(probe->markers().labels().first(), QStringLiteral("Peak 400.000 MHz, 7.50 dBm"));
    trigger("actionClear_Delta_Marker");
    trigger("actionMinimum_Marker");
    QCOMPARE(probe->markers().labels(), QStringList({"Peak 400.000 MHz, 7.50 dBm"}));

    // The read-out names the nearest measured point.
    QCOMPARE(probe->tracker().readout(pixel(200.0, 5.0)), QStringLiteral("Trace 1, 0.0 dBm\n200.000 MHz\n5.00 dBm"));
    QCOMPARE(probe->tracker().readout(pixel(290.0, -21.5)),
             QStringLiteral("Trace 2, -10.0 dBm\n300.000 MHz\n-21.00 dBm"));
    // A point that was never measured is no point: the next measured one is named.
    cfg().Traces[1][0][2] = kUnmeasured;
    probe->curves().setRow(1, 0, TraceRow{&cfg().AnaFreqs, &cfg().Traces, 1, 0}, 3);
    QCOMPARE(probe->tracker().readout(pixel(300.0, -21.0)),
             QStringLiteral("Trace 1, -10.0 dBm\n300.000 MHz\n-20.00 dBm"));

    // The legend names the level steps of a loaded file by the set levels; whether it is shown is remembered.
    cfg().Gen1.StepLevel = 5.0;
    load(kTwoByTwo);
    QCOMPARE(probe->legend().entries(), QStringList({"Trace 1, -10.0 dBm", "Trace 1, -5.0 dBm",
                                                     "Trace 2, -10.0 dBm", "Trace 2, -5.0 dBm"}));
    // Twelve lines fit; beyond them the last line counts what is left out.
    const auto traces = [this](int count, int levels = 1) {
      QByteArray row = "100.000000";
      for (int value = 0; value < count * levels; ++value)
        row += " -1.000";
      load("Repetition  Count: " + QByteArray::number(count) + "\nLevel Sweep Count: " + QByteArray::number(levels) +
           "\nMeasurement Count: 1\n" + row + '\n');
      return probe->legend().entries();
    };
    // A file of the most level steps followed by one of a single step leaves one curve.
    traces(1, kMaxLevels);
    QCOMPARE(traces(1), QStringList({"Trace 1"}));
    QCOMPARE(traces(12).last(), QStringLiteral("Trace 12"));
    const QStringList cut = traces(13);
    QCOMPARE(cut.size(), 12);
    QCOMPARE(cut.mid(10), QStringList({"Trace 11", "and 2 more"}));
    // A plan of more levels than the loaded records hold draws only the levels they have.
    cfg().LevelCount = 2;
    widget<QSlider>("AbsRel")->setValue(1);
    QCOMPARE(probe->legend().entries().last(), QStringLiteral("and 2 more"));

    QVERIFY(probe->legend().isVisible());
    trigger("actionLegend");
    QVERIFY(!probe->legend().isVisible());
    window.reset();
    QCOMPARE(QSettings(DefaultCfgPath(), QSettings::IniFormat).value(QStringLiteral("Display/Legend")).toBool(), false);
    window.reset(new MainWindow);
    probe.reset(new MainWindowProbe(*window));
    QVERIFY(!widget<QAction>("actionLegend")->isChecked());
    QVERIFY(!probe->legend().isVisible());
    QCOMPARE(probe->tracker().readout(QPoint(10, 10)), QString());  // nothing loaded, nothing named
  }

  // What the Results and Help menus give: exports, prints, the graph on the
  // clipboard, the manual and About.
  void resultsAndHelpMenus() {
    load(kTwoByTwo);
    QList<GraphSizeDialog::Choice> sizesAsked;
    GraphSizeDialog::Choice chosen{100.0, 50.0, 254};
    GraphSizeDialog::setHandler([&](GraphSizeDialog::Choice *size) {
      sizesAsked << *size;
      *size = chosen;
      return true;
    });
    saveAs("actionExport_Graph", dir.filePath(QStringLiteral("graph")));
    QCOMPARE(sizesAsked.size(), 1);
    QCOMPARE(asked, (QStringList{"Export Graph", "PDF (*.pdf);;SVG (*.svg);;PNG (*.png)"}));
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
    QCOMPARE(asked, (QStringList{"Export Data", "CSV Files (*.csv);;All Files (*.*)"}));
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
    QCOMPARE(offered, cfg().CfgDir + QStringLiteral("/Solvane Data.pdf"));
    QVERIFY(PdfText(pdf).contains(QLatin1String("Measurement Count: 3\n100.00 -10.000 0.000 -11.000 -1.000")));
    QFile::remove(pdf);
    trigger("actionPrint_Graph");
    QCOMPARE(offered, cfg().CfgDir + QStringLiteral("/Solvane Graph.pdf"));
    QVERIFY(ReadAll(pdf).startsWith("%PDF-"));

    trigger("actionGraph_to_Clipboard");
    QCOMPARE(QApplication::clipboard()->pixmap().size(), window->size());

    // The manual opens with the desktop's viewer; without a program to open
    // it with, its path is shown and copied.
    const QString manual = QDir::toNativeSeparators(binDir() + QStringLiteral("/Solvane.pdf"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());  // no desktop database that could say "no PDF viewer"
    QDesktopServices::setUrlHandler("file", this, "opened");
    trigger("actionContents");
    QDesktopServices::unsetUrlHandler("file");
    prompts->answer = QMessageBox::Apply;
    trigger("actionContents");
    qputenv("PATH", path);
    QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/Solvane.pdf")});
    QCOMPARE(prompts->shown(false).mid(4), QStringList({"Export Data", "Manual"}));
    QVERIFY(prompts->messages.last().text.endsWith(QStringLiteral("\n\n") + manual));
    QCOMPARE(QGuiApplication::clipboard()->text(), manual);

    QString shown;
    QTimer::singleShot(0, [&shown] {
      if (QWidget *about = QApplication::activeModalWidget()) {
        shown = about->windowTitle() + '|' + about->findChild<QLabel *>("VersionLbl")->text();
        about->close();
      }
    });
    trigger("actionAbout");
    QCOMPARE(shown, QString("Information about Solvane64|Version 5.3.0 64 bit (03-Feb-2017)"));
  }

private:
  template <class T>
  T *widget(const char *name) { return W<T>(*window, name); }
  CfgStr &cfg() { return probe->cfg(); }
  // A click that starts a run returns when the run has ended; one during a run at once.
  void click(const char *name) {
    const bool during = probe->running();
    widget<QPushButton>(name)->click();
    for (QDeadlineTimer limit(60000); !during && probe->running() && !limit.hasExpired();)
      QTest::qWait(1);
    QVERIFY(during || !probe->running());
  }
  void trigger(const char *name) { widget<QAction>(name)->trigger(); }
  QwtPlot *plot() { return widget<QwtPlot>("plt"); }
  QWidget *canvas() { return plot()->canvas(); }
  QPoint pixel(double mhz, double level) {
    return QPoint(qRound(plot()->canvasMap(QwtPlot::xBottom).transform(mhz)),
                  qRound(plot()->canvasMap(QwtPlot::yLeft).transform(level)));
  }
  QwtInterval range(int axis) { return plot()->axisScaleDiv(axis).interval(); }
  QVector<double> curveY(int slot, int level) {
    QVector<double> y;
    for (const QPointF &p : Points(probe->curves().curve(slot, level)))
      y << p.y();
    return y;
  }
  QString buttons() { return Which(*window, Enabled, {}, "Start Repeat Normalize Stop Del NIdx AbsRel"); }
  // One run of the current settings started by `button`, every reading `dbm`.
  void run(const char *button, double dbm) {
    Script(cfg(), dbm, cfg().PointCount * cfg().LevelCount);
    click(button);
  }
  void start(int points, double dbm) {
    Settings(cfg(), points);
    run("Start", dbm);
  }
  // Visible trace curves (the normalization curve has 3 x 3 symbols).
  QList<QwtPlotCurve *> traceCurves() {
    QList<QwtPlotCurve *> curves;
    for (QwtPlotItem *item : plot()->itemList(QwtPlotItem::Rtti_PlotCurve)) {
      auto *curve = static_cast<QwtPlotCurve *>(item);
      if (curve->isVisible() && curve->symbol() && curve->symbol()->size() == QSize(5, 5))
        curves << curve;
    }
    return curves;
  }
  UserPrompt::FileHandler answer(const QString &path) {
    return [this, path](const QString &caption, const QString &, const QString &filter) {
      asked = QStringList{caption, filter};
      return path;
    };
  }
  void load(const QByteArray &content) {
    QVERIFY(WriteAll(dir.filePath("load.dat"), content));
    UserPrompt::setOpenFileHandler(answer(dir.filePath("load.dat")));
    trigger("actionLoad_Data");
    plot()->replot();
  }
  void saveAs(const char *action, const QString &path) {
    UserPrompt::setSaveFileHandler(answer(path));
    trigger(action);
  }

  std::unique_ptr<PromptRecorder> prompts;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<MainWindowProbe> probe;
  QTemporaryDir dir;
  QStringList asked;  // caption and filter of the last file dialog
  QList<QUrl> openedUrls;
};

class TestSweepEngine : public QObject {
  Q_OBJECT

private slots:
  void init() {
    FakePwu::reset();
    fresh(3);
  }

  // Point by point, then the RF off or left on.
  void commandsOfARun() {
    Script(cfg, -16.5, 3, 0.25);
    QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
    QStringList expected{"POW -10;*OPC?\n"};
    for (const char *hz : {"100000000.0", "110000000.0", "120000000.0"})
      expected << QStringLiteral("FREQ %1;*OPC?\n").arg(hz) << MeasureCommands(hz, "0.2500");
    QCOMPARE(RunWrites(), expected + kEndOfRun);
    QCOMPARE(rec.events, QStringList({"pass 0", "level 0", "point 0 0", "point 0 1", "point 0 2", "passDone"}));

    fresh(3);
    cfg.RfOnAfterSweep = true;
    scripted();
    QCOMPARE(RunWrites().mid(RunWrites().size() - 3, 1), QStringList{":OUTP ON\n"});

    // Without a sweep time the marker sits at the start of the trace.
    fresh(3);
    ReadBacks(cfg);
    FakeVisa::timeoutFor(kAnaRsrc);
    Readings(-16.0, 3);
    QCOMPARE(int(run().outcome), int(SwpOutcome::Completed));
    QCOMPARE(RunWrites().mid(2, 4), MeasureCommands("100000000.0", "0.0000"));
  }

  void loGeneratorModes() {
    // Fixed LO with two level steps: one LO command per level step.
    cfg.LevelSweep = true;
    cfg.Gen1.StopLevel = 0.0;
    WithLo(cfg, true);
    QCOMPARE(int(scripted().outcome), int(SwpOutcome::Completed));
    QCOMPARE(WritesTo(2).mid(WritesTo(2).indexOf("ROSC:SOUR INT\n") + 1),
             QStringList({"FREQ 1000000000.0;*OPC?\n", "FREQ 1000000000.0;*OPC?\n"}));
    QCOMPARE(WritesTo(1).filter("POW 0;").size(), 2);  // proven, then level step 1
    QCOMPARE(FakeVisa::transcript().last(), QStringLiteral("viGpibControlREN 2 6"));  // the LO goes to local too

    // LO stepping with the RF: one LO command per point, the IF is RF + LO.
    fresh(3);
    WithLo(cfg, false);
    scripted();
    QCOMPARE(WritesTo(2).mid(WritesTo(2).size() - 3),
             QStringList({"FREQ 1000000000.0;*OPC?\n", "FREQ 1010000000.0;*OPC?\n", "FREQ 1020000000.0;*OPC?\n"}));
    QVERIFY(WritesTo(3).contains("FREQ:CENT 1120000000.0;*OPC?\n"));
  }

  // The analyzer's own generator is the source; type 53 puts its marker at
  // the point's frequency, the others at the end of the sweep time.
  void trackingGeneratorAsSource() {
    cfg.Ana.TrackingGenerator = true;
    QCOMPARE(int(scripted().outcome), int(SwpOutcome::Completed));
    QVERIFY(FakeVisa::transcript().filter(kGen1Rsrc).isEmpty());
    QCOMPARE(RunWrites().size(), 1 + 3 * 4 + 2);  // no frequency to a generator, no RF switched
    QCOMPARE(RunWrites().mid(0, 5), QStringList{"SOUR:POW -10dBm;*OPC?\n"} + MeasureCommands("100000000.0", "0.0500"));

    fresh(3, 53);
    cfg.Ana.TrackingGenerator = true;
    QCOMPARE(int(scripted().outcome), int(SwpOutcome::Completed));
    QCOMPARE(RunWrites().mid(5, 4), MeasureCommands("110000000.0", "110000000.0000"));

    // An analyzer without one is refused before any instrument is touched.
    fresh(3, 34);
    cfg.Ana.TrackingGenerator = true;
    const RunErrWords refused = RunErrFor(run());
    QCOMPARE(refused.title + ": " + refused.text, "Sweep: The analyzer RCV-34 has no tracking generator. Untick "
                                                  "Tracking Generator in Devices or choose an analyzer that has one.");
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void refusalsAndCorrections() {
    // A record or reference of another shape than the plan is never written;
    // the prepared instruments are put back.
    cfg.Traces[0][0].resize(2);
    Script(cfg, 0.0, 0);
    QCOMPARE(int(run().outcome), int(SwpOutcome::StoreMismatch));
    QVERIFY(FakeVisa::writes().filter("FREQ:CENT").isEmpty());
    QCOMPARE(FakeVisa::writes().mid(FakeVisa::writes().size() - 3), kEndOfRun);
    fresh(3);
    cfg.Traces[0].append(cfg.Traces[0][0]);  // a level step the plan does not have
    Script(cfg, 0.0, 0);
    QCOMPARE(int(run().outcome), int(SwpOutcome::StoreMismatch));
    fresh(3);
    cfg.NormData.clear();
    Script(cfg, 0.0, 0);
    QCOMPARE(int(run(true).outcome), int(SwpOutcome::StoreMismatch));

    fresh(3);
    cfg.ExternalAttenuation = 10.0;
    scripted();
    QCOMPARE(cfg.Traces[0][0], QVector<double>({-6.0, -6.0, -6.0}));

    // Switching the RF off fails: the other instruments still go to local.
    const auto again = [this] { Settings(cfg, 3); return scripted(); };
    QVERIFY(FailWriteOf(":OUTP OFF\n", again, VI_ERROR_TMO));
    const SwpResult ended = again();
    QCOMPARE(int(ended.outcome), int(SwpOutcome::EndFailed));
    QCOMPARE(int(ended.endDevice), int(SwpDevice::Gen1));
    QCOMPARE(RunWrites().mid(RunWrites().size() - 2), kEndOfRun.mid(1));
    QCOMPARE(FakeVisa::transcript().last(), QStringLiteral("viGpibControlREN 2 6"));
  }

  // An edit of the type or address in Devices, without Test, reaches the
  // next run: the old session is closed first, then the new one opened.
  void changedRecordReopens() {
    for (const auto &[type, address] : {std::pair{24, 5}, std::pair{22, 28}}) {
      fresh(3);
      QCOMPARE(int(scripted().outcome), int(SwpOutcome::Completed));
      cfg.Gen1.Type = type;
      cfg.Gen1.GpibAddress = address;
      const int before = FakeVisa::transcript().size();
      scripted();
      QCOMPARE(FakeVisa::transcript().mid(before).filter(QRegularExpression("^viClose|^viOpen ")),
               QStringList({"viClose 1", "viClose 1000",
                            QStringLiteral("viOpen 1002 \"GPIB0::%1::INSTR\" 0 5000 -> 3").arg(address)}));
    }

    // The sensor's driver session is closed by the driver, and the analyzer
    // type chosen instead gets a VISA session of its own.
    fresh(3, 75);
    QCOMPARE(int(scripted().outcome), int(SwpOutcome::Completed));
    cfg.Ana.Type = kAnaType;
    QCOMPARE(int(scripted().outcome), int(SwpOutcome::Completed));
    QCOMPARE(FakePwu::transcript().filter(QRegularExpression("^pwudrv_(init|close)")),
             QStringList({"pwudrv_init \"USB::0x1209::0x0::0\" 0 0 -> 1", "pwudrv_close 1"}));
    QCOMPARE(FakeVisa::transcript().filter(QRegularExpression("^viOpen ")).last(),
             QStringLiteral("viOpen 1001 \"GPIB0::20::INSTR\" 0 5000 -> 2"));
  }

  // After any failure generator 1's RF goes off, unless it is to stay on, and
  // every instrument that was opened returns to local control.
  void failuresSwitchRfOff_data() {
    QTest::addColumn<int>("failure");
    QTest::addColumn<bool>("keepRfOn");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("locals");
    QTest::addColumn<QStringList>("gen1Tail");
    const QStringList off{":OUTP ON\n", "ROSC:SOUR INT\n", ":OUTP OFF\n"};
    // Opening returns every instrument to local control once already.
    const QStringList gen1Only{"viGpibControlREN 1 6", "viGpibControlREN 1 6"};
    const QStringList both{"viGpibControlREN 1 6", "viGpibControlREN 2 6"}, two = both + both;
    QTest::newRow("analyzer silent") << 0 << false << int(SwpOutcome::InitFailed) << gen1Only << off;
    QTest::newRow("LO refused") << 1 << false << int(SwpOutcome::InitFailed) << two << off;
    QTest::newRow("measurement error") << 2 << false << int(SwpOutcome::MeasureFailed) << two
        << QStringList({"POW -10;*OPC?\n", "FREQ 100000000.0;*OPC?\n", "FREQ 110000000.0;*OPC?\n", ":OUTP OFF\n"});
    QTest::newRow("Keep RF On") << 0 << true << int(SwpOutcome::InitFailed) << gen1Only
        << QStringList({"FREQ 100000000.0;*OPC?\n", "FREQ?\n", ":OUTP ON\n", "ROSC:SOUR INT\n"});
  }

  void failuresSwitchRfOff() {
    QFETCH(int, failure);
    QFETCH(bool, keepRfOn);
    QFETCH(int, outcome);
    QFETCH(QStringList, gen1Tail);
    QFETCH(QStringList, locals);
    cfg.RfOnAfterSweep = keepRfOn;
    if (failure == 0)
      FakeVisa::failOpen(kAnaRsrc);
    if (failure == 1) {
      WithLo(cfg, true);
      CfgStr refusing = cfg;
      refusing.Gen2.StopFreq = 999.0;  // the LO does not take its highest frequency
      ReadBacks(refusing);
    } else {
      Script(cfg, -16.0, 1);  // then the analyzer falls silent
    }
    QCOMPARE(int(run().outcome), outcome);
    QCOMPARE(WritesTo(1).mid(WritesTo(1).size() - gen1Tail.size()), gen1Tail);
    QCOMPARE(FakeVisa::transcript().filter(QRegularExpression("^viGpibControlREN")), locals);
  }

  // A frequency a generator refuses ends the run at that point, naming the
  // generator; nothing is measured at the old frequency.
  void refusedFrequencyEndsRun() {
    const auto attempt = [this] {
      Settings(cfg, 3);
      WithLo(cfg, false);
      return scripted();
    };
    for (const auto &row : {qMakePair(QStringLiteral("FREQ 110000000.0;*OPC?\n"), SwpDevice::Gen1),
                            qMakePair(QStringLiteral("FREQ 1010000000.0;*OPC?\n"), SwpDevice::Gen2)}) {
      QVERIFY(FailWriteOf(row.first, attempt, VI_ERROR_TMO));
      const SwpResult result = attempt();
      QCOMPARE(int(result.outcome), int(SwpOutcome::FreqFailed));
      QCOMPARE(int(result.endDevice), int(row.second));
      QCOMPARE(cfg.Traces[0][0][0], -16.0);
      QCOMPARE(FakeVisa::writes().filter("CALC:MARK1:Y?").size(), 1);
    }
  }

  // Power meters that answer a word, an empty line or minus infinity have
  // given no reading: the point ends the run like any failed measurement.
  void meterReplyWithoutNumber() {
    for (int type : {77, 78})  // 80 reads its reply as 78 does
      for (const char *reply : {"OVLD\n", "\n", "-INF\n"}) {
        fresh(3, type);
        ReadBacks(cfg);
        FakeVisa::replyFor(kAnaRsrc, "-16.5\n");
        FakeVisa::replyFor(kAnaRsrc, reply);
        QCOMPARE(int(run().outcome), int(SwpOutcome::MeasureFailed));
        QCOMPARE(cfg.Traces[0][0][0], -16.5);
        QVERIFY2(std::isnan(cfg.Traces[0][0][1]), reply);
      }
  }

  // The message of every preparation stage; stages without a text of their own.
  void initErrorTexts() {
    QStringList texts;
    for (int code = -1; code >= -20; --code)
      texts << QString::fromLatin1(InitErrFor(code).title) + ": " + InitErrFor(code).text;
    const QString ana = "Analyzer   (IF): ", unknown = "Unknown: Unknown Error.";
    QStringList expected;
    for (const char *title : {"Generator1 (RF): ", "Generator2 (LO): "})
      for (const char *text : {"Initialization Error.", "Max RF Level Error.", "Min RF Level Error.",
                               "Max Frequency Error.", "Min Frequency Error.", "RF ON Error."})
        expected << QString(title) + text;
    expected.insert(6, unknown);
    expected << unknown << ana + "Initialization Error." << ana + "Freq Config Error." << ana + "Sweep Setup Error."
             << unknown << ana + "Display Setup Error." << unknown;
    QCOMPARE(texts, expected);
    QCOMPARE(QString(InitErrFor(3).title), QStringLiteral("Unknown"));
  }

private:
  SwpResult run(bool normActive = false) { return SweepEngine(cfg, rec).run(normActive); }
  // A run of the current settings, every reading -16 dBm.
  SwpResult scripted() {
    Script(cfg, -16.0, cfg.PointCount * cfg.LevelCount);
    return run();
  }
  void fresh(int points, int anaType = kAnaType) {
    FakeVisa::reset();
    cfg = CfgStr();
    rec = Recorder();
    Settings(cfg, points, anaType);
  }

  CfgStr cfg;
  Recorder rec;
};

// HOME and the data and driver folders point into a temporary folder, so the user's own
// configuration is never touched.
int main(int argc, char *argv[]) {
  QTemporaryDir home;
  UseHomeWithoutVisa(home.path());
  QApplication app(argc, argv);
  if (!FakeVisa::load() || !FakePwu::load())
    qFatal("the fake libraries do not load");
  SetInstrumentSleep([](int) {});
  TestSweepEngine engine;
  TestRunWindow window;
  return QTest::qExec(&engine, argc, argv) | QTest::qExec(&window, argc, argv);
}

#include "tst_run_window.moc"
