// The sweep parameter dialog as a user drives it: coupled fields, forced
// values, what is shown and hidden, and what OK and Escape leave behind.
#include "dialogs/SwpWindow.h"
#include "storage/CfgFile.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

namespace {

CfgStr Defaults(int gen2Type = 0)
{
  CfgStr cfg;
  CfgDefaults(cfg);
  cfg.Gen2.Type = gen2Type;
  return cfg;
}

template <typename T = QWidget>
T *W(QWidget &dialog, const char *name)
{
  T *widget = dialog.findChild<T *>(QLatin1String(name));
  if (!widget)
    qFatal("no widget %s", name);
  return widget;
}

// A value typed into a box and confirmed (Return or leaving the box).
void Enter(QWidget &dialog, const char *name, double value)
{
  auto *box = W<QDoubleSpinBox>(dialog, name);
  box->setValue(value);
  emit box->editingFinished();
}

bool Shown(QWidget &dialog, const char *name) { return W(dialog, name)->isVisibleTo(&dialog); }
bool Enabled(QWidget &dialog, const char *name) { return W(dialog, name)->isEnabled(); }
double Box(QWidget &dialog, const char *name) { return W<QDoubleSpinBox>(dialog, name)->value(); }
QPushButton *Ok(QWidget &dialog) { return W<QDialogButtonBox>(dialog, "dlgSwpOk")->button(QDialogButtonBox::Ok); }

}  // namespace

class TestSwpWindow : public QObject {
  Q_OBJECT

private slots:
  void noLoGenerator();
  void externalLo();
  void fixedIfAndFixedLo();
  void logSwitchesStepAndCount();
  void rangeCoupling();
  void fractionalNumDen();
  void escapeKeepsEverythingButCount();
  void okStoresWhatIsShown();
  void stepAndAttenuationDoNotReplan();
  void refusedPlanIsShownAndBlocksOk();
  void decimalPointWhateverTheLocale();
};

void TestSwpWindow::noLoGenerator()
{
  CfgStr cfg = Defaults(0);
  cfg.FixedLo = false;
  cfg.FixedIf = true;
  cfg.UpperSideband = 0;
  SwpWindow dialog(&cfg);

  QCOMPARE(dialog.windowTitle(), QStringLiteral("Sweep Parameters"));
  QCOMPARE(dialog.size(), QSize(536, 337));
  QVERIFY(!QPixmap(QStringLiteral(":/Vexa_common/src/qt5/images/Mixer.png")).isNull());
  // Opening already forces the values that only make sense with an LO.
  QVERIFY(cfg.FixedLo);
  QVERIFY(!cfg.FixedIf);
  QCOMPARE(cfg.UpperSideband, 1);
  QCOMPARE(W<QLabel>(dialog, "AnForm")->text(), QStringLiteral("f(IF)=f(RF)*num/den"));
  for (const char *name : {"G2FMin", "G2Lbl", "FxdLo", "FxdLoLbl", "FxdIf", "FxdIfLbl", "Usb", "UsbLbl", "G2LMin",
                           "G2LoLbl", "G2LevLbl", "G2UnitLbl", "G2LoCtl"})
    QVERIFY2(!Enabled(dialog, name), name);
  for (const char *name : {"G2FMax", "G2FCnt", "G2FSpn"})
    QVERIFY2(!Shown(dialog, name), name);
  // The analyzer receives the RF frequencies themselves.
  QCOMPARE(Box(dialog, "AnFMin"), 100.0);
  QCOMPARE(Box(dialog, "AnFMax"), 1000.0);
  QCOMPARE(cfg.Ana.CenterFreq, 550.0);
  QCOMPARE(cfg.Ana.SpanFreq, 900.0);
  for (const char *name : {"AnFMin", "AnFMax", "AnFCnt", "AnFSpn"})
    QVERIFY2(!Enabled(dialog, name), name);
}

void TestSwpWindow::externalLo()
{
  CfgStr cfg = Defaults(31);
  cfg.FixedLo = false;
  SwpWindow dialog(&cfg);

  QCOMPARE(W<QLabel>(dialog, "AnForm")->text(), QStringLiteral("f(IF)=f(RF)*num/den+-f(LO)"));
  for (const char *name : {"G2FMin", "FxdLo", "FxdIf", "Usb"})
    QVERIFY2(Enabled(dialog, name), name);
  for (const char *name : {"G2FMax", "G2FCnt", "G2FSpn"})
    QVERIFY2(Shown(dialog, name), name);
  // Nothing is sent to an external LO, so it has no level.
  for (const char *name : {"G2LMin", "G2LoLbl", "G2LevLbl", "G2UnitLbl"})
    QVERIFY2(!W(dialog, name)->isEnabled(), name);
}

void TestSwpWindow::fixedIfAndFixedLo()
{
  CfgStr cfg = Defaults(24);
  cfg.FixedLo = false;
  cfg.FixedIf = false;
  cfg.DisplayAna = true;
  SwpWindow dialog(&cfg);
  // Swept LO: IF = RF + LO, 100 + 1000 up to 1000 + 3000.
  QCOMPARE(cfg.Ana.StartFreq, 1100.0);
  QCOMPARE(cfg.Ana.StopFreq, 4000.0);
  QVERIFY(W<QCheckBox>(dialog, "IfSw")->isChecked());

  W<QSlider>(dialog, "FxdIf")->setValue(1);
  QVERIFY(cfg.FixedIf);
  for (const char *name : {"AnFMax", "AnFCnt", "AnFSpn"})
    QVERIFY2(!Shown(dialog, name), name);
  QVERIFY(Shown(dialog, "AnFMin"));
  // The IF the record already held becomes the fixed IF.
  QCOMPARE(cfg.Ana.StartFreq, 1100.0);
  QCOMPARE(cfg.Ana.CenterFreq, 1100.0);
  QCOMPARE(cfg.Ana.SpanFreq, 0.0);
  QCOMPARE(cfg.Gen2.StopFreq, 100.0);  // abs(1100 - 1000)
  QVERIFY(!cfg.DisplayAna);
  QVERIFY(W<QCheckBox>(dialog, "RfSw")->isChecked());
  QVERIFY(!W<QCheckBox>(dialog, "IfSw")->isChecked());
  QVERIFY(!Enabled(dialog, "IfSw"));

  QVERIFY(Shown(dialog, "G2FMax"));
  W<QSlider>(dialog, "FxdLo")->setValue(1);
  QVERIFY(cfg.FixedLo);
  for (const char *name : {"G2FMax", "G2FCnt", "G2FSpn"})
    QVERIFY2(!Shown(dialog, name), name);
  QVERIFY(Shown(dialog, "G2FMin"));

  W<QSlider>(dialog, "Usb")->setValue(0);
  QCOMPARE(cfg.UpperSideband, 0);
}

void TestSwpWindow::logSwitchesStepAndCount()
{
  CfgStr cfg = Defaults();
  SwpWindow dialog(&cfg);
  QVERIFY(Shown(dialog, "FSte") && Shown(dialog, "FSteLbl"));
  QVERIFY(!Shown(dialog, "Cnt") && !Shown(dialog, "CntLbl"));
  QCOMPARE(W(dialog, "Cnt")->geometry(), W(dialog, "FSte")->geometry());

  W<QCheckBox>(dialog, "Log")->click();
  QCOMPARE(cfg.LogSweep, 1);
  QVERIFY(!Shown(dialog, "FSte") && !Shown(dialog, "FSteLbl"));
  QCOMPARE(W<QSpinBox>(dialog, "Cnt")->value(), 200);
  QVERIFY(Shown(dialog, "Cnt") && Shown(dialog, "CntLbl"));
  QCOMPARE(cfg.PointCount, 200);

  W<QCheckBox>(dialog, "Log")->click();
  QCOMPARE(cfg.LogSweep, 0);
  QVERIFY(Shown(dialog, "FSte") && !Shown(dialog, "Cnt"));
  QCOMPARE(cfg.PointCount, 91);
}

void TestSwpWindow::rangeCoupling()
{
  CfgStr cfg = Defaults();
  SwpWindow dialog(&cfg);

  // A stop below the start keeps its negative span; the box cannot show it.
  Enter(dialog, "G1FMax", 50);
  QCOMPARE(cfg.Gen1.SpanFreq, -50.0);
  QCOMPARE(cfg.Gen1.CenterFreq, 75.0);
  QCOMPARE(Box(dialog, "G1FSpn"), 0.0);

  Enter(dialog, "G1FCnt", 10);
  Enter(dialog, "G1FSpn", 40);
  QCOMPARE(cfg.Gen1.StartFreq, -10.0);
  QCOMPARE(cfg.Gen1.StopFreq, 30.0);
  QCOMPARE(Box(dialog, "G1FMin"), 0.0);
  // The analyzer row follows the plan at once.
  QCOMPARE(Box(dialog, "AnFMax"), 30.0);

  // OK stores what the boxes show: start 0, centre and span as entered.
  Ok(dialog)->click();
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(cfg.Gen1.StartFreq, 0.0);
  QCOMPARE(cfg.Gen1.StopFreq, 30.0);
  QCOMPARE(cfg.Gen1.CenterFreq, 10.0);
  QCOMPARE(cfg.Gen1.SpanFreq, 40.0);

  // The LO row couples the same way.
  CfgStr lo = Defaults(24);
  lo.FixedLo = false;
  SwpWindow loDialog(&lo);
  Enter(loDialog, "G2FMin", 1500);
  QCOMPARE(lo.Gen2.CenterFreq, 2250.0);
  QCOMPARE(lo.Gen2.SpanFreq, 1500.0);
  Enter(loDialog, "G2FSpn", 100);
  QCOMPARE(lo.Gen2.StartFreq, 2200.0);
  QCOMPARE(lo.Gen2.StopFreq, 2300.0);
}

void TestSwpWindow::fractionalNumDen()
{
  CfgStr cfg = Defaults();
  cfg.Numerator = 2.5;
  cfg.Denominator = 1.5;
  SwpWindow dialog(&cfg);
  QCOMPARE(W<QSpinBox>(dialog, "Num")->value(), 2);
  QCOMPARE(cfg.Numerator, 2.0);  // the box changed, so its slot stored it
  QCOMPARE(W<QSpinBox>(dialog, "Den")->value(), 1);
  QCOMPARE(cfg.Denominator, 1.5);  // shown as 1 without a change
  Ok(dialog)->click();
  QCOMPARE(cfg.Denominator, 1.0);

  W<QSpinBox>(dialog, "Num")->setValue(3);
  QCOMPARE(cfg.Numerator, 3.0);
  QCOMPARE(cfg.Ana.StopFreq, 3000.0);
}

void TestSwpWindow::escapeKeepsEverythingButCount()
{
  CfgStr cfg = Defaults();
  cfg.LogSweep = 1;
  SwpWindow dialog(&cfg);
  dialog.show();
  Enter(dialog, "G1FMin", 20);
  W<QCheckBox>(dialog, "G1LSwp")->click();
  W<QSpinBox>(dialog, "Cnt")->setValue(50);
  QTest::keyClick(&dialog, Qt::Key_Escape);

  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(cfg.Gen1.StartFreq, 20.0);
  QVERIFY(cfg.LevelSweep);
  QCOMPARE(cfg.Count, 200);
  QCOMPARE(cfg.LogSweep, 1);
}

void TestSwpWindow::okStoresWhatIsShown()
{
  CfgStr cfg = Defaults();
  SwpWindow dialog(&cfg);
  W<QCheckBox>(dialog, "Log")->click();
  W<QSpinBox>(dialog, "Cnt")->setValue(11);
  W<QDoubleSpinBox>(dialog, "G1LMin")->setValue(-12.345);
  Ok(dialog)->click();
  QCOMPARE(cfg.LogSweep, 2);
  QCOMPARE(cfg.Count, 11);
  QCOMPARE(cfg.Gen1.StartLevel, -12.35);  // two decimals, as shown
  // The plan in force is the one of the stored settings.
  QCOMPARE(cfg.PointCount, 11);
}

void TestSwpWindow::stepAndAttenuationDoNotReplan()
{
  CfgStr cfg = Defaults();
  SwpWindow dialog(&cfg);
  Enter(dialog, "FSte", 100);
  QCOMPARE(cfg.StepFreq, 100.0);
  QCOMPARE(cfg.PointCount, 91);
  Enter(dialog, "AnAtt", 6.5);
  QCOMPARE(cfg.ExternalAttenuation, 6.5);
}

void TestSwpWindow::refusedPlanIsShownAndBlocksOk()
{
  CfgStr cfg = Defaults();
  SwpWindow dialog(&cfg);
  auto *status = W<QLabel>(dialog, "PlanSta");
  QVERIFY(status->text().isEmpty());
  QVERIFY(Ok(dialog)->isEnabled());

  W<QCheckBox>(dialog, "Log")->click();
  W<QSpinBox>(dialog, "Cnt")->setValue(1);
  QVERIFY2(status->text().contains(QStringLiteral("at least 2 points")), qPrintable(status->text()));
  QVERIFY(!Ok(dialog)->isEnabled());
  W<QSpinBox>(dialog, "Cnt")->setValue(3);
  QVERIFY(status->text().isEmpty());
  QVERIFY(Ok(dialog)->isEnabled());

  // A start of 0 MHz has no logarithm.
  Enter(dialog, "G1FMin", 0);
  QVERIFY(status->text().contains(QStringLiteral("above 0 MHz")));
  QVERIFY(!Ok(dialog)->isEnabled());
  W<QCheckBox>(dialog, "Log")->click();
  QVERIFY(Ok(dialog)->isEnabled());

  // A linear sweep needs a step; the message comes as soon as it is entered.
  Enter(dialog, "FSte", 0);
  QVERIFY(status->text().contains(QStringLiteral("step is 0 MHz")));
  QVERIFY(!Ok(dialog)->isEnabled());
  // Return in a box does not press the disabled OK either.
  dialog.show();
  auto *start = W<QDoubleSpinBox>(dialog, "G1FMin");
  start->setFocus();
  QTest::keyClick(start, Qt::Key_Return);
  QVERIFY(dialog.isVisible());
  QCOMPARE(dialog.result(), 0);
}

void TestSwpWindow::decimalPointWhateverTheLocale()
{
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  CfgStr cfg = Defaults();
  SwpWindow dialog(&cfg);
  QLocale::setDefault(QLocale::c());
  QCOMPARE(W<QDoubleSpinBox>(dialog, "G1LMin")->text(), QStringLiteral("-10.00"));
  QCOMPARE(W<QDoubleSpinBox>(dialog, "G1FMax")->text(), QStringLiteral("1000.000000"));
}

QTEST_MAIN(TestSwpWindow)
#include "tst_swpwindow.moc"
