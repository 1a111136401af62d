// The window and the set-up dialogs where a lab user was misled: a series
// measured at other frequencies, a reversed level range, axis labels, the
// sweep dialog's clamps, pending edits and status line, the tracking
// generator of an analyzer that has none, Meter Zero, and a frequency that a
// generator refuses.
#include "app/MainWindow.h"
#include "dialogs/DevWindow.h"
#include "dialogs/SwpWindow.h"
#include "instruments/Measure.h"
#include "storage/CfgFile.h"
#include "storage/DataFile.h"
#include "support/CmdTranscript.h"
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/PromptRecorder.h"
#include "support/WidgetState.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

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

// 11 points from `startMHz` in 10 MHz steps, generator 24 at GPIB0::28 and
// analyzer 59 at GPIB0::20.
void Plan(CfgStr &cfg, double startMHz)
{
  cfg.Gen1.Type = 24;
  cfg.Gen1.GpibAddress = 28;
  cfg.Gen2.Type = 0;
  cfg.Ana.Type = 59;
  cfg.Ana.GpibAddress = 20;
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

QString DefaultCfgPath()
{
  CfgStr cfg;
  CfgPaths(cfg);
  return cfg.CfgPath;
}

}  // namespace

class TstSetupFaults : public QObject {
  Q_OBJECT

private slots:
  void init()
  {
    FakeVisa::reset();
    FakePwu::reset();
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

  void sweepDialog()
  {
    CfgStr cfg;
    cfg.LogSweep = 1;
    cfg.Gen1.StartFreq = 100.0;
    cfg.Gen1.StopFreq = 1000.0;
    cfg.Gen1.StartLevel = -10.0;
    SwpWindow dialog(&cfg);
    auto *status = W<QLabel>(dialog, "PlanSta");
    QCOMPARE(status->text(), QStringLiteral("200 frequency points, 1 level step"));

    // A keystroke beyond the range is refused with its reason.
    auto *count = W<QSpinBox>(dialog, "Cnt");
    count->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(count, "30000");
    QCOMPARE(count->value(), 3000);
    QCOMPARE(status->text(), QStringLiteral("Entry refused: this field takes values from 0 to 20001."));

    // A refused plan elsewhere keeps the count typed before it.
    W<QCheckBox>(dialog, "G1LSwp")->click();
    auto *step = W<QDoubleSpinBox>(dialog, "G1LSte");
    step->setValue(0.0);
    emit step->editingFinished();
    QCOMPARE(count->value(), 3000);
    step->setValue(5.0);
    emit step->editingFinished();
    auto *stopLevel = W<QDoubleSpinBox>(dialog, "G1LMax");
    stopLevel->setValue(0.0);
    emit stopLevel->editingFinished();
    QCOMPARE(count->value(), 3000);
    QCOMPARE(status->text(), QStringLiteral("3000 frequency points, 3 level steps"));

    // The IF of the lower sideband runs downwards; its span is its width.
    CfgStr mixer;
    mixer.Gen1.StartFreq = 100.0;
    mixer.Gen1.StopFreq = 1000.0;
    mixer.Gen2.Type = 24;
    mixer.Gen2.StartFreq = 1100.0;
    mixer.UpperSideband = 0;
    SwpWindow lsb(&mixer);
    QCOMPARE(W<QDoubleSpinBox>(lsb, "AnFMin")->value(), 1000.0);
    QCOMPARE(W<QDoubleSpinBox>(lsb, "AnFMax")->value(), 100.0);
    QCOMPARE(W<QDoubleSpinBox>(lsb, "AnFSpn")->value(), 900.0);
  }

  void trackingGeneratorRefused()
  {
    CfgStr cfg;
    cfg.Ana.Type = 34;
    DevWindow dialog(&cfg);
    auto *tgn = W<QCheckBox>(dialog, "AnTgn");
    tgn->click();
    QCOMPARE(Messages(*prompts), QStringList{"Analyzer (IF): The analyzer RCV-34 has no tracking generator."});
    QVERIFY(!tgn->isChecked());
    QVERIFY(!cfg.Ana.TrackingGenerator);
    cfg.Ana.Type = 59;
    DevWindow other(&cfg);
    W<QCheckBox>(other, "AnTgn")->click();
    QVERIFY(cfg.Ana.TrackingGenerator);
    QCOMPARE(prompts->messages.size(), 1);
  }

  // Meter Zero is offered for the meters and zeroes them with their command,
  // the sensor through its driver.
  void meterZero()
  {
    struct Row {
      int type;
      QStringList calls;
      QString shown;
    };
    const Row rows[] = {
        {73, {"viWrite 1 \"CAL:ZERO:AUTO ONCE;*OPC?\\n\""}, "Meter Zero: The PWM is zeroed."},
        {77, {"viWrite 1 \"CAL:ZERO;*OPC?\\n\""}, "Meter Zero: The PWM-77 is zeroed."},
        {80, {"viWrite 1 \"ZE\\n\""}, "Meter Zero: The PWM-80 is zeroed."},
        {75, {"pwudrv_chans_zero 1"}, "Meter Zero: The PSU-1004 is zeroed."},
        {74, {}, "Meter Zero: The PWM-74 was not zeroed: VISA status 0xBFFF0011, no instrument at this address "
                 "(GPIB0::20::INSTR)."},
    };
    for (const Row &row : rows) {
      FakeVisa::reset();
      FakePwu::reset();
      prompts->messages.clear();
      CfgStr cfg;
      cfg.SensorDriverLoaded = true;
      cfg.Ana.Type = row.type;
      cfg.Ana.GpibAddress = 20;
      cfg.Ana.ProductId = 3;
      if (row.calls.isEmpty())
        FakeVisa::failOpen(kAnaRsrc);
      DevWindow dialog(&cfg);
      dialog.show();
      auto *zero = W<QPushButton>(dialog, "AnAZero");
      QVERIFY(!zero->isHidden());
      zero->click();
      const QStringList calls = row.type == 75 ? FakePwu::transcript() : FakeVisa::transcript();
      QCOMPARE(calls.filter(QRegularExpression("ZE|pwudrv_chans_zero")), row.calls);
      QCOMPARE(Messages(*prompts), QStringList{row.shown});
    }
    CfgStr cfg;
    cfg.Ana.Type = 59;
    DevWindow dialog(&cfg);
    dialog.show();
    QVERIFY(W(dialog, "AnAZero")->isHidden());
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
  if (!FakeVisa::load() || !FakePwu::load())
    qFatal("the fake libraries do not load");
  SetInstrumentSleep([](int) {});
  TstSetupFaults suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_setupfaults.moc"
