// Sweep runs driven through the main window's buttons against the recording
// fake VISA: stored values, curves, button states and the messages a user sees.
#include "app/MainWindow.h"
#include "instruments/DevTables.h"
#include "instruments/Measure.h"
#include "storage/CfgFile.h"
#include "support/FakeVisa.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"
#include "support/SweepFixture.h"
#include "sweep/SwpPlan.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_symbol.h>

using namespace SweepFixture;

namespace {

QString DefaultCfgPath()
{
  CfgStr cfg;
  CfgPaths(cfg);
  return cfg.CfgPath;
}

// Runs `step` each time the running sweep gives way to events, until it
// returns true.
class DuringRun {
public:
  explicit DuringRun(std::function<bool()> step)
  {
    QObject::connect(&timer, &QTimer::timeout, [this, step] {
      if (step())
        timer.stop();
    });
    timer.start(0);
  }

private:
  QTimer timer;
};

int Measured(const QVector<double> &row)
{
  return int(std::count_if(row.cbegin(), row.cend(), [](double v) { return !std::isnan(v); }));
}

QVector<double> CurveY(const QwtPlotCurve *curve)
{
  QVector<double> y;
  for (size_t i = 0; i < curve->dataSize(); ++i)
    y << curve->sample(i).y();
  return y;
}

}  // namespace

class TestRunWindow : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void init();
  void cleanup();
  void startThenRepeats();
  void stopTakesEffectAtNextPoint();
  void continuousPassesReuseRecord();
  void closingStopsRun();
  void errorsShownWithTitles();
  void normalizationBothModes();
  void relativeDisplay();
  void deleteLastTrace();
  void swapWarnings();
  void limitsRefusedBeforeRun();
  void deviceLabels();

private:
  template <class T>
  T *widget(const char *name)
  {
    T *w = window->findChild<T *>(QString::fromLatin1(name));
    if (!w)
      qFatal("widget %s missing", name);
    return w;
  }
  void click(const char *name) { widget<QPushButton>(name)->click(); }
  // The run controls that are enabled, in the order of the form.
  QString buttons();
  QVector<double> curveY(int slot, int level) { return CurveY(probe->curves().curve(slot, level)); }
  // One run of the current settings, every reading `dbm`.
  void script(double dbm);
  void start(int points, double dbm);
  void repeat(double dbm);

  std::unique_ptr<PromptRecorder> prompts;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<MainWindowProbe> probe;
};

void TestRunWindow::initTestCase()
{
  QVERIFY(FakeVisa::load());
  SetInstrumentSleep([](int) {});
}

void TestRunWindow::init()
{
  QFile::remove(DefaultCfgPath());
  FakeVisa::reset();
  prompts.reset(new PromptRecorder);
  window.reset(new MainWindow);
  probe.reset(new MainWindowProbe(*window));
  window->show();
  prompts->messages.clear();
}

void TestRunWindow::cleanup()
{
  probe.reset();
  window.reset();
  prompts.reset();
  QFile::remove(DefaultCfgPath());
}

QString TestRunWindow::buttons()
{
  QStringList enabled;
  for (const char *name : {"Start", "Repeat", "Normalize", "Stop", "Del", "NIdx", "AbsRel"}) {
    if (window->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled())
      enabled << QString::fromLatin1(name);
  }
  return enabled.join(QLatin1Char(' '));
}

void TestRunWindow::script(double dbm)
{
  ScriptPrep(probe->cfg());
  ScriptReadings(dbm, probe->cfg().PointCount * probe->cfg().LevelCount);
}

void TestRunWindow::start(int points, double dbm)
{
  Settings(probe->cfg(), points);
  script(dbm);
  click("Start");
}

void TestRunWindow::repeat(double dbm)
{
  script(dbm);
  click("Repeat");
}

void TestRunWindow::startThenRepeats()
{
  CfgStr &cfg = probe->cfg();
  QCOMPARE(cfg.PointCount, 91);  // the default settings
  QAction *open = window->findChild<QAction *>(QStringLiteral("actionOpen"));
  QString during;
  bool lockedDuring = false;
  QString status;
  DuringRun look([&] {
    during = buttons();
    lockedDuring = !open->isEnabled() && !widget<QPushButton>("Devices")->isEnabled() &&
                   !widget<QPushButton>("Sweep")->isEnabled();
    status = window->statusBar()->currentMessage();
    return true;
  });
  script(-16.0);
  click("Start");
  QCOMPARE(during, QStringLiteral("Stop"));
  QVERIFY(lockedDuring);
  QVERIFY2(QRegularExpression(QStringLiteral("^Level step 1 of 1, point 1 of 91, \\d+:\\d\\d left$")).match(status).hasMatch(),
           qPrintable(status));
  QVERIFY(open->isEnabled() && widget<QPushButton>("Devices")->isEnabled());
  QVERIFY(window->statusBar()->currentMessage().isEmpty());
  QCOMPARE(buttons(), QStringLiteral("Start Repeat Normalize NIdx AbsRel"));
  QCOMPARE(cfg.TraceCount, 1);
  QCOMPARE(Measured(cfg.Traces[0][0]), 91);
  QCOMPARE(probe->traceIdx(), 0);
  QwtPlotCurve *curve = probe->curves().curve(0, 0);
  QCOMPARE(int(curve->dataSize()), 91);
  QCOMPARE(curve->sample(90), QPointF(1000.0, -16.0));
  QCOMPARE(curve->symbol()->brush().color(), QColor(Qt::black));
  QVERIFY(RunWrites().contains(QStringLiteral(":OUTP OFF\n")));

  QList<QColor> colours;
  for (int i = 0; i < 7; ++i) {
    repeat(-17.0 - i);
    QCOMPARE(buttons(), QStringLiteral("Start Repeat Del NIdx AbsRel"));
    colours << probe->curves().curve(probe->traceIdx(), 0)->symbol()->brush().color();
  }
  QCOMPARE(colours, QList<QColor>({Qt::red, Qt::blue, Qt::green, Qt::yellow, Qt::cyan, Qt::black, Qt::red}));
  QCOMPARE(cfg.ColourIdx, 1);
  QCOMPARE(cfg.TraceCount, 8);
  QCOMPARE(cfg.Traces[7][0][90], -23.0);
  QCOMPARE(curveY(3, 0), QVector<double>(91, -19.0));
  QCOMPARE(prompts->messages.size(), 0);
}

void TestRunWindow::stopTakesEffectAtNextPoint()
{
  QString afterStop;
  DuringRun stopAtFive([&] {
    if (Measured(probe->cfg().Traces[0][0]) < 5)
      return false;
    click("Stop");
    afterStop = buttons();
    // Enabled again by Stop, but the run is still finishing: ignored.
    click("Start");
    click("Normalize");
    click("Repeat");
    return true;
  });
  start(91, -16.0);
  QCOMPARE(afterStop, QStringLiteral("Start Repeat Normalize NIdx"));
  QCOMPARE(Measured(probe->cfg().Traces[0][0]), 5);
  QCOMPARE(probe->cfg().TraceCount, 1);
  QVERIFY(!probe->normActive());
  QCOMPARE(FakeVisa::writes().filter(QStringLiteral("SWE:TIME?")).size(), 1);
  QCOMPARE(int(probe->curves().curve(0, 0)->dataSize()), 5);
  QCOMPARE(RunWrites().filter(QStringLiteral("CALC:MARK1:Y?")).size(), 5);
  QCOMPARE(RunWrites().last(), QStringLiteral("INIT:CONT ON\n"));
  QVERIFY(RunWrites().contains(QStringLiteral(":OUTP OFF\n")));
  QCOMPARE(buttons(), QStringLiteral("Start Repeat Normalize NIdx AbsRel"));
  QCOMPARE(prompts->messages.size(), 0);
}

void TestRunWindow::continuousPassesReuseRecord()
{
  start(3, -16.0);
  widget<QCheckBox>("RunCont")->setChecked(true);
  ScriptPrep(probe->cfg());
  for (double dbm : {-16.0, -17.0, -18.0})
    ScriptReadings(dbm, 3);
  int passes = 0;
  DuringRun stopAfterThree([&] {
    if (++passes < 3)
      return false;
    click("Stop");
    return true;
  });
  auto *swpTime = widget<QDoubleSpinBox>("SwpTime");
  swpTime->setValue(50.0);
  click("Repeat");
  QCOMPARE(passes, 3);
  QCOMPARE(probe->cfg().TraceCount, 2);
  QCOMPARE(probe->cfg().Traces[1][0], QVector<double>({-18.0, -18.0, -18.0}));
  QVERIFY(swpTime->value() < 50.0);
  QVERIFY(!probe->curves().curve(0, 0)->isVisible());
  QVERIFY(probe->curves().curve(1, 0)->isVisible());
  QCOMPARE(curveY(1, 0), QVector<double>({-18.0, -18.0, -18.0}));
  QCOMPARE(RunWrites().filter(QStringLiteral("CALC:MARK1:Y?")).size(), 9);
}

void TestRunWindow::closingStopsRun()
{
  widget<QCheckBox>("RunCont")->setChecked(true);
  DuringRun closeSoon([&] {
    window->close();
    return true;
  });
  start(3, -16.0);
  QCOMPARE(RunWrites().filter(QStringLiteral("CALC:MARK1:Y?")).size(), 3);
  QCOMPARE(RunWrites().last(), QStringLiteral("INIT:CONT ON\n"));
}

void TestRunWindow::errorsShownWithTitles()
{
  FakeVisa::failOpen(kAnaRsrc);
  start(3, -16.0);
  QCOMPARE(prompts->messages.size(), 1);
  QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Warning);
  QCOMPARE(prompts->messages[0].title, QStringLiteral("Analyzer   (IF)"));
  QCOMPARE(prompts->messages[0].text, QStringLiteral("Initialization Error."));
  QCOMPARE(Measured(probe->cfg().Traces[0][0]), 0);
  QCOMPARE(buttons(), QStringLiteral("Start Repeat Normalize NIdx"));

  FakeVisa::reset();
  auto *swpTime = widget<QDoubleSpinBox>("SwpTime");
  swpTime->setValue(50.0);
  Settings(probe->cfg(), 10);
  ScriptPrep(probe->cfg());
  ScriptReadings(-16.0, 4);
  click("Start");
  QCOMPARE(prompts->messages.size(), 2);
  QCOMPARE(prompts->messages[1].title, QStringLiteral("Analyzer (IF)"));
  QCOMPARE(prompts->messages[1].text, QStringLiteral("Power Measurement Error."));
  QCOMPARE(Measured(probe->cfg().Traces[0][0]), 4);
  QCOMPARE(int(probe->curves().curve(0, 0)->dataSize()), 4);
  QCOMPARE(swpTime->value(), 50.0);
  QVERIFY(!RunWrites().contains(QStringLiteral(":OUTP OFF\n")));
  QVERIFY(!widget<QSlider>("AbsRel")->isEnabled());
}

void TestRunWindow::normalizationBothModes()
{
  start(3, -16.0);
  click("Normalize");
  CfgStr &cfg = probe->cfg();
  QVERIFY(probe->normActive());
  QCOMPARE(cfg.NormData, QVector<double>({-6.0, -6.0, -6.0}));
  QCOMPARE(cfg.TraceCount, 1);
  QCOMPARE(probe->traceIdx(), -1);
  QCOMPARE(buttons(), QStringLiteral("Start Repeat"));
  auto *headline = widget<QLabel>("TMsg");
  QCOMPARE(headline->text(), QStringLiteral("Normalized"));
  QVERIFY(headline->isVisibleTo(window.get()));
  QCOMPARE(CurveY(probe->normCurve()), QVector<double>({-10.0, -10.0, -10.0}));
  QVERIFY(window->findChild<QwtPlot *>()->axisEnabled(QwtPlot::yRight));
  QVERIFY(!probe->curves().curve(0, 0)->isVisible());

  repeat(-16.0);  // receiver side: the unchanged device now reads the start level
  QCOMPARE(cfg.TraceCount, 2);
  QCOMPARE(cfg.Traces[1][0], QVector<double>({-10.0, -10.0, -10.0}));
  QCOMPARE(probe->traceIdx(), 0);
  QCOMPARE(curveY(0, 0), QVector<double>({-10.0, -10.0, -10.0}));
  QCOMPARE(RunWrites().filter(QStringLiteral("POW ")).size(), 1);

  widget<QComboBox>("NrmGen")->setCurrentIndex(1);
  repeat(-10.0);  // generator side: the source is raised by the loss
  QCOMPARE(RunWrites().filter(QStringLiteral("POW -4;*OPC?")).size(), 3);
  QCOMPARE(cfg.Traces[2][0], QVector<double>({-10.0, -10.0, -10.0}));
}

void TestRunWindow::relativeDisplay()
{
  CfgStr &cfg = probe->cfg();
  Settings(cfg, 3);
  cfg.LevelSweep = true;
  cfg.Gen1.StopLevel = 0.0;
  QVERIFY(CalcSwpLst(cfg));
  ScriptPrep(cfg);
  ScriptReadings(-16.0, 3);
  ScriptReadings(-6.0, 3);  // the 0 dBm step
  click("Start");
  repeat(-17.0);
  repeat(-18.0);
  auto *absRel = widget<QSlider>("AbsRel");
  absRel->setValue(1);
  QCOMPARE(probe->relDisplay(), 1);
  QCOMPARE(curveY(0, 0), QVector<double>(3, -6.0));
  QCOMPARE(curveY(0, 1), QVector<double>(3, 4.0));
  QCOMPARE(curveY(1, 0), QVector<double>(3, -7.0));
  QCOMPARE(curveY(2, 1), QVector<double>(3, -8.0));
  QCOMPARE(widget<QLabel>("TMsg")->text(), QStringLiteral("Conversion Loss (Ref.Level -10.00 dBm)"));
  QCOMPARE(window->findChild<QwtPlot *>()->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Rel. Level / dB"));
  QCOMPARE(buttons(), QStringLiteral("Start AbsRel"));
  QCOMPARE(cfg.Traces[0][1], QVector<double>(3, -6.0));

  absRel->setValue(0);
  QCOMPARE(curveY(2, 0), QVector<double>(3, -18.0));
  QCOMPARE(buttons(), QStringLiteral("Start Repeat Normalize AbsRel"));
  QCOMPARE(widget<QLabel>("TMsg")->text(), QString());

  // A run returns the switch to absolute levels before it measures.
  absRel->setValue(1);
  script(-16.0);
  click("Start");
  QCOMPARE(absRel->value(), 0);
  QCOMPARE(probe->relDisplay(), 0);
  QCOMPARE(curveY(0, 0), QVector<double>(3, -16.0));
}

void TestRunWindow::deleteLastTrace()
{
  start(3, -16.0);
  repeat(-17.0);
  click("Del");
  QVERIFY(!probe->curves().curve(1, 0)->isVisible());
  QVERIFY(probe->curves().curve(0, 0)->isVisible());
  QCOMPARE(probe->cfg().ColourIdx, 0);
  QCOMPARE(probe->cfg().Traces.size(), 1);
  QCOMPARE(probe->traceIdx(), 0);
  QVERIFY(!widget<QPushButton>("Del")->isEnabled());
  repeat(-19.0);  // slot 1 again, in the second colour
  QCOMPARE(probe->curves().curve(1, 0)->symbol()->brush().color(), QColor(Qt::red));
  QCOMPARE(curveY(1, 0), QVector<double>(3, -19.0));
}

void TestRunWindow::swapWarnings()
{
  widget<QCheckBox>("SwpFrq")->click();  // off: the fields give the range
  prompts->messages.clear();
  auto *fmin = widget<QDoubleSpinBox>("FMin");
  auto *fmax = widget<QDoubleSpinBox>("FMax");
  fmax->setValue(100.0);
  fmin->setValue(500.0);
  emit fmin->editingFinished();
  auto *lmin = widget<QDoubleSpinBox>("LMin");
  auto *lmax = widget<QDoubleSpinBox>("LMax");
  lmax->setValue(10.0);
  emit lmax->editingFinished();
  lmin->setValue(20.0);
  emit lmin->editingFinished();
  CfgStr &cfg = probe->cfg();
  cfg.Gen2.Type = kGenType;
  cfg.UpperSideband = 0;
  cfg.Gen2.StartFreq = 1000.0;
  cfg.Gen2.StopFreq = 3000.0;
  widget<QCheckBox>("SwpFrq")->click();

  QCOMPARE(prompts->messages.size(), 3);
  QCOMPARE(prompts->messages[0].title, QStringLiteral("fmin=500 > fmax=100"));
  QCOMPARE(prompts->messages[0].text, QStringLiteral("Swapping fmin with fmax."));
  QCOMPARE(prompts->messages[1].title, QStringLiteral("olmin=20 > olmax=10"));
  QCOMPARE(prompts->messages[1].text, QStringLiteral("Swapping olmin with olmax."));
  QCOMPARE(prompts->messages[2].title, QStringLiteral("fmin=-900 > fmax=-2000"));
  QCOMPARE(lmin->value(), 10.0);
  QCOMPARE(lmax->value(), 20.0);
  QCOMPARE(cfg.DispStartFreq, -2000.0);
  QCOMPARE(cfg.DispStopFreq, -900.0);
}

void TestRunWindow::limitsRefusedBeforeRun()
{
  start(3, -16.0);
  for (int i = 1; i < kMaxTraces; ++i)
    repeat(-16.0);
  click("Repeat");
  QCOMPARE(prompts->messages.size(), 1);
  QCOMPARE(prompts->messages[0].title, QStringLiteral("Repeat"));
  QVERIFY(prompts->messages[0].text.startsWith(QStringLiteral("All 20 trace slots are in use.")));
  QCOMPARE(probe->cfg().TraceCount, kMaxTraces);

  // The sweep dialog changed the plan: the series cannot grow.
  CfgStr &cfg = probe->cfg();
  script(-16.0);
  click("Start");
  cfg.StepFreq = 5.0;
  QVERIFY(CalcSwpLst(cfg));
  click("Repeat");
  QCOMPARE(prompts->messages.size(), 2);
  QVERIFY(prompts->messages[1].text.startsWith(QStringLiteral("The sweep settings have changed")));
  QCOMPARE(cfg.TraceCount, 1);

  // More level steps than the curve table holds: nothing runs.
  const int runs = FakeVisa::writes().filter(QStringLiteral("SWE:TIME?")).size();
  cfg.LevelSweep = true;
  cfg.Gen1.StopLevel = 20.0;
  cfg.Gen1.StepLevel = 1.0;
  click("Start");
  QCOMPARE(prompts->messages.size(), 3);
  QCOMPARE(prompts->messages[2].title, QStringLiteral("Sweep"));
  QCOMPARE(FakeVisa::writes().filter(QStringLiteral("SWE:TIME?")).size(), runs);
  QCOMPARE(cfg.Traces[0][0].size(), 3);
}

void TestRunWindow::deviceLabels()
{
  CfgStr &cfg = probe->cfg();
  WithLo(cfg, true);
  script(-16.0);
  click("Start");
  QCOMPARE(widget<QLabel>("Gen1Lbl")->text(), QStringLiteral("Generator1 (RF)"));
  QCOMPARE(widget<QLabel>("Gen2Lbl")->text(), QStringLiteral("Generator2 (LO)"));
  QCOMPARE(widget<QLabel>("AnaLbl")->text(), QStringLiteral("Analyzer (IF)"));
  QCOMPARE(widget<QLineEdit>("Ana")->text(), QString::fromLatin1(DevTypeTable[kAnaType]));

  cfg.Gen2.Type = 0;
  cfg.Ana.TrackingGenerator = true;
  QVERIFY(CalcSwpLst(cfg));
  script(-16.0);
  click("Start");
  QCOMPARE(widget<QLabel>("Gen1Lbl")->text(), QStringLiteral("Generator1"));
  QCOMPARE(widget<QLineEdit>("Gen1")->text(), QString::fromLatin1(DevTypeTable[kAnaType]));
}

QTEST_MAIN(TestRunWindow)
#include "tst_run_window.moc"
