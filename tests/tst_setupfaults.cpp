// The window on the recording fake VISA where a lab user was misled: a series
// measured at other frequencies, a reversed level range, axis labels, and a
// frequency that a generator refuses.
#include "app/MainWindow.h"
#include "instruments/Measure.h"
#include "storage/DataFile.h"
#include "support/FakeVisa.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/SwpPlan.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <qwt_plot.h>
#include <qwt_scale_draw.h>

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}
  CfgStr &cfg() { return w.Cfg; }

private:
  MainWindow &w;
};

namespace {

const QString kGen1Rsrc = QStringLiteral("GPIB0::28::INSTR");
const QString kAnaRsrc = QStringLiteral("GPIB0::20::INSTR");

// 11 points from `startMHz` in 10 MHz steps on the default bench: generator
// 24 at GPIB0::28, no LO and analyzer 59 at GPIB0::20.
void Plan(CfgStr &cfg, double startMHz)
{
  cfg.Gen1.StartFreq = startMHz;
  cfg.Gen1.StopFreq = startMHz + 100.0;
  cfg.StepFreq = 10.0;
  QVERIFY(CalcSwpLst(cfg));
}

void Script(const CfgStr &cfg)
{
  FakeVisa::replyFor(kGen1Rsrc, QString::number(cfg.Gen1.StartLevel) + '\n');
  for (double mhz : {cfg.Gen1.StopFreq, cfg.Gen1.StartFreq})
    FakeVisa::replyFor(kGen1Rsrc, QString::number(mhz * 1e6, 'f', 1) + '\n');
  FakeVisa::replyFor(kAnaRsrc, "0.05\n");
  for (int i = 0; i < cfg.PointCount; ++i)
    FakeVisa::replyFor(kAnaRsrc, "-16\n");
}

QStringList Messages(const PromptRecorder &prompts)
{
  QStringList lines;
  for (const UserPrompt::Message &m : prompts.messages)
    lines << m.title + QStringLiteral(": ") + m.text;
  return lines;
}

}  // namespace

class TstSetupFaults : public QObject {
  Q_OBJECT

private slots:
  void init()
  {
    FakeVisa::reset();
    prompts.reset(new PromptRecorder);
  }

  void cleanup()
  {
    window.reset();
    prompts.reset();
  }

  // Same point count, other frequencies: the series cannot grow, be
  // normalized or be shown relative; Start begins a new one.
  void seriesAtOtherFrequencies()
  {
    openWindow();
    CfgStr &cfg = MainWindowProbe(*window).cfg();
    Plan(cfg, 100.0);
    Script(cfg);
    click("Start");
    Plan(cfg, 500.0);  // as the sweep dialog's OK leaves it
    click("Repeat");
    click("Normalize");
    auto *absRel = W<QSlider>(*window, "AbsRel");
    absRel->setValue(1);
    const QString changed = QStringLiteral("The sweep frequencies have changed since this series was measured. "
                                           "Press Start to begin a new series.");
    QCOMPARE(Messages(*prompts),
             QStringList({"Repeat: The sweep settings have changed since this series was measured. Press Start "
                          "to begin a new series.",
                          "Normalize: " + changed, "Relative Display: " + changed}));
    QCOMPARE(absRel->value(), 0);
    QCOMPARE(cfg.TraceCount, 1);
    QVERIFY(!cfg.NormData.isEmpty() && std::isnan(cfg.NormData[0]));
    // Nor saved under frequencies it was not measured at.
    QTemporaryDir dir;
    QString reason;
    QCOMPARE(SaveDatFile(cfg, dir.filePath("series.dat"), &reason), -1);
    QCOMPARE(reason, QStringLiteral("The sweep frequencies have changed since these traces were measured. "
                                    "Set the sweep back to save them, or press Start to begin a new series."));
    QVERIFY(!QFile::exists(dir.filePath("series.dat")));

    Script(cfg);
    click("Start");
    QCOMPARE(prompts->messages.size(), 3);
    QCOMPARE(cfg.SeriesGen1Freqs.first(), 500.0);
    QCOMPARE(cfg.Traces[0][0][10], -16.0);
  }

  // The message box takes the focus from the field just edited; its
  // editing-finished must find the range already in order.
  void reversedLevelRange()
  {
    openWindow();
    auto *lmin = W<QDoubleSpinBox>(*window, "LMin");
    auto *lmax = W<QDoubleSpinBox>(*window, "LMax");
    lmax->setValue(0.0);
    emit lmax->editingFinished();
    UserPrompt::setMessageHandler([this, lmin](const UserPrompt::Message &m) {
      prompts->messages << m;
      emit lmin->editingFinished();
      return QMessageBox::Ok;
    });
    lmin->setValue(10.0);
    emit lmin->editingFinished();
    QCOMPARE(Messages(*prompts), QStringList{"olmin=10 > olmax=0: Swapping olmin with olmax."});
    QCOMPARE(QPointF(lmin->value(), lmax->value()), QPointF(0, 10));
    QwtPlot *plot = W<QwtPlot>(*window, "plt");
    W<QCheckBox>(*window, "AutoLvl")->setChecked(false);
    emit W<QCheckBox>(*window, "AutoLvl")->clicked(false);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).lowerBound(), 0.0);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 10.0);

    // Axis labels never carry a group separator, whatever the locale.
    for (int axis : {int(QwtPlot::xBottom), int(QwtPlot::yLeft)})
      QCOMPARE(plot->axisScaleDraw(axis)->label(12500.5).text(), QStringLiteral("12500.5"));
  }

  // The window names the generator that refused a frequency.
  void refusedFrequencyNamed()
  {
    openWindow();
    CfgStr &cfg = MainWindowProbe(*window).cfg();
    const auto start = [this, &cfg] {
      Plan(cfg, 100.0);
      Script(cfg);
      click("Start");
    };
    start();  // the sessions stay open from here on, so every later run writes the same
    const int before = FakeVisa::writes().size();
    start();
    const int failing = FakeVisa::writes().mid(before).indexOf("FREQ 110000000.0;*OPC?\n");
    for (int i = 0; i < failing; ++i)
      FakeVisa::failNext("viWrite", VI_SUCCESS);
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    prompts->messages.clear();
    start();
    QCOMPARE(Messages(*prompts), QStringList{"Generator1 (RF): Frequency Setting Error."});
  }

private:
  void openWindow()
  {
    QFile::remove(DefaultCfgPath());
    window.reset(new MainWindow);
    window->show();
  }
  // A click that starts a run returns when the run has ended.
  void click(const char *name) { QVERIFY(ClickAndFinish(*window, name)); }

  std::unique_ptr<PromptRecorder> prompts;
  std::unique_ptr<MainWindow> window;
};

int main(int argc, char *argv[])
{
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  if (!FakeVisa::load())
    qFatal("the fake VISA library does not load");
  SetInstrumentSleep([](int) {});
  TstSetupFaults suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_setupfaults.moc"
