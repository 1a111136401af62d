// The sweep parameter dialog as a user drives it: coupled fields, forced
// values, what is shown and hidden, and what OK and Escape leave behind.
#include "dialogs/SwpWindow.h"
#include "support/CfgFields.h"
#include "support/WidgetState.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A value typed into a box and confirmed (Return or leaving the box).
void Enter(QWidget &dialog, const QString &name, double value) {
  auto *box = W<QDoubleSpinBox>(dialog, name);
  box->setValue(value);
  emit box->editingFinished();
}

// The values the named boxes show, e.g. "AnFMin=100 AnFMax=1000".
QString Boxes(QWidget &dialog, const QString &names) {
  QStringList out;
  for (const QString &name : names.split(' '))
    out << name + '=' + QString::number(W<QDoubleSpinBox>(dialog, name)->value());
  return out.join(' ');
}

QPushButton *Ok(QWidget &dialog) { return W<QDialogButtonBox>(dialog, "dlgSwpOk")->button(QDialogButtonBox::Ok); }

const QString kLoRange = "FMax FCnt FSpn";

}  // namespace

class TestSwpWindow : public QObject {
  Q_OBJECT

private slots:
  void noLoGenerator() {
    CfgStr cfg = Defaults("FixedLo=0 FixedIf=1 Usb=0");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SwpWindow dialog(&cfg);
    QLocale::setDefault(QLocale::c());
    // A decimal point whatever the locale.
    QCOMPARE(W<QDoubleSpinBox>(dialog, "G1LMin")->text() + ' ' + W<QDoubleSpinBox>(dialog, "G1FMax")->text(),
             QStringLiteral("-10.00 1000.000000"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Sweep Parameters"));
    QCOMPARE(dialog.size(), QSize(536, 337));
    QVERIFY(!QPixmap(QStringLiteral(":/Vexa_common/src/qt5/images/Mixer.png")).isNull());
    // Opening already forces the values that only make sense with an LO; the
    // analyzer receives the RF frequencies themselves.
    QCOMPARE(Get(cfg, "FixedLo FixedIf Usb IFCentre IFSpan"),
             QStringLiteral("FixedLo=1 FixedIf=0 Usb=1 IFCentre=550 IFSpan=900"));
    QCOMPARE(W<QLabel>(dialog, "AnForm")->text(), QStringLiteral("f(IF)=f(RF)*num/den"));
    QCOMPARE(Which(dialog, Enabled, "", "G2FMin G2Lbl FxdLo FxdLoLbl FxdIf FxdIfLbl Usb UsbLbl G2LMin G2LoLbl "
                                        "G2LevLbl G2UnitLbl G2LoCtl AnFMin AnFMax AnFCnt AnFSpn"),
             QString());
    QCOMPARE(Which(dialog, Shown, "G2", kLoRange), QString());
    QCOMPARE(Boxes(dialog, "AnFMin AnFMax"), QStringLiteral("AnFMin=100 AnFMax=1000"));
  }

  void externalLo() {
    CfgStr cfg = Defaults("LO=31 FixedLo=0");
    SwpWindow dialog(&cfg);
    QCOMPARE(W<QLabel>(dialog, "AnForm")->text(), QStringLiteral("f(IF)=f(RF)*num/den+-f(LO)"));
    // Nothing is sent to an external LO, so it has no level.
    QCOMPARE(Which(dialog, Enabled, "", "G2FMin FxdLo FxdIf Usb G2LMin G2LoLbl G2LevLbl G2UnitLbl"),
             QStringLiteral("G2FMin FxdLo FxdIf Usb"));
    QCOMPARE(Which(dialog, Shown, "G2", kLoRange), kLoRange);
  }

  void fixedIfAndFixedLo() {
    CfgStr cfg = Defaults("LO=24 FixedLo=0 FixedIf=0 DisplayAna=1");
    SwpWindow dialog(&cfg);
    // Swept LO: IF = RF + LO, 100 + 1000 up to 1000 + 3000.
    QCOMPARE(Get(cfg, "IF0 IF1"), QStringLiteral("IF0=1100 IF1=4000"));
    QVERIFY(W<QCheckBox>(dialog, "IfSw")->isChecked());

    // The IF the record already held becomes the fixed IF; LO stop abs(1100 - 1000).
    W<QSlider>(dialog, "FxdIf")->setValue(1);
    QCOMPARE(Get(cfg, "FixedIf IF0 IFCentre IFSpan LO1 DisplayAna"),
             QStringLiteral("FixedIf=1 IF0=1100 IFCentre=1100 IFSpan=0 LO1=100 DisplayAna=0"));
    QCOMPARE(Which(dialog, Shown, "An", "FMin " + kLoRange), QStringLiteral("FMin"));
    QVERIFY(W<QCheckBox>(dialog, "RfSw")->isChecked() && !W<QCheckBox>(dialog, "IfSw")->isChecked());
    QVERIFY(!W(dialog, "IfSw")->isEnabled());

    QCOMPARE(Which(dialog, Shown, "G2F", "Min Max"), QStringLiteral("Min Max"));
    W<QSlider>(dialog, "FxdLo")->setValue(1);
    QVERIFY(cfg.FixedLo);
    QCOMPARE(Which(dialog, Shown, "G2F", "Min Max Cnt Spn"), QStringLiteral("Min"));

    W<QSlider>(dialog, "Usb")->setValue(0);
    QCOMPARE(cfg.UpperSideband, 0);
  }

  void logSwitchesStepAndCount() {
    CfgStr cfg = Defaults();
    SwpWindow dialog(&cfg);
    QCOMPARE(Which(dialog, Shown, "", "FSte FSteLbl Cnt CntLbl"), QStringLiteral("FSte FSteLbl"));
    QCOMPARE(W(dialog, "Cnt")->geometry(), W(dialog, "FSte")->geometry());

    W<QCheckBox>(dialog, "Log")->click();
    QCOMPARE(Which(dialog, Shown, "", "FSte FSteLbl Cnt CntLbl"), QStringLiteral("Cnt CntLbl"));
    QCOMPARE(W<QSpinBox>(dialog, "Cnt")->value(), 200);
    QCOMPARE(Get(cfg, "Log Points"), QStringLiteral("Log=1 Points=200"));

    W<QCheckBox>(dialog, "Log")->click();
    QCOMPARE(Which(dialog, Shown, "", "FSte FSteLbl Cnt CntLbl"), QStringLiteral("FSte FSteLbl"));
    QCOMPARE(Get(cfg, "Log Points"), QStringLiteral("Log=0 Points=91"));
  }

  void rangeCoupling() {
    CfgStr cfg = Defaults();
    SwpWindow dialog(&cfg);
    // A stop below the start keeps its negative span; the box cannot show it.
    Enter(dialog, "G1FMax", 50);
    QCOMPARE(Get(cfg, "RFSpan RFCentre"), QStringLiteral("RFSpan=-50 RFCentre=75"));
    QCOMPARE(Boxes(dialog, "G1FSpn"), QStringLiteral("G1FSpn=0"));

    // Centre 10 and span 40; the analyzer row follows the plan at once.
    Enter(dialog, "G1FCnt", 10);
    Enter(dialog, "G1FSpn", 40);
    QCOMPARE(Get(cfg, "RF0 RF1"), QStringLiteral("RF0=-10 RF1=30"));
    QCOMPARE(Boxes(dialog, "G1FMin AnFMax"), QStringLiteral("G1FMin=0 AnFMax=30"));

    // OK stores what the boxes show: start 0, centre and span as entered.
    Ok(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(Get(cfg, "RF0 RF1 RFCentre RFSpan"), QStringLiteral("RF0=0 RF1=30 RFCentre=10 RFSpan=40"));

    // The LO row couples the same way.
    CfgStr lo = Defaults("LO=24 FixedLo=0");
    SwpWindow loDialog(&lo);
    Enter(loDialog, "G2FMin", 1500);
    QCOMPARE(Get(lo, "LOCentre LOSpan"), QStringLiteral("LOCentre=2250 LOSpan=1500"));
    Enter(loDialog, "G2FSpn", 100);
    QCOMPARE(Get(lo, "LO0 LO1"), QStringLiteral("LO0=2200 LO1=2300"));
  }

  void fractionalNumDen() {
    CfgStr cfg = Defaults("N=2.5 D=1.5");
    SwpWindow dialog(&cfg);
    // Num changed in its box, so its slot stored it; Den is shown as 1 without a change.
    QCOMPARE(W<QSpinBox>(dialog, "Num")->value(), 2);
    QCOMPARE(W<QSpinBox>(dialog, "Den")->value(), 1);
    QCOMPARE(Get(cfg, "N D"), QStringLiteral("N=2 D=1.5"));
    Ok(dialog)->click();
    QCOMPARE(cfg.Denominator, 1.0);

    W<QSpinBox>(dialog, "Num")->setValue(3);
    QCOMPARE(Get(cfg, "N IF1"), QStringLiteral("N=3 IF1=3000"));
  }

  void escapeKeepsEverything() {
    CfgStr cfg = Defaults("Log=1");
    SwpWindow dialog(&cfg);
    dialog.show();
    Enter(dialog, "G1FMin", 20);
    W<QCheckBox>(dialog, "G1LSwp")->click();
    W<QSpinBox>(dialog, "Cnt")->setValue(50);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(Get(cfg, "RF0 Levels Count Log"), QStringLiteral("RF0=20 Levels=1 Count=50 Log=1"));
  }

  void okStoresWhatIsShown() {
    CfgStr cfg = Defaults();
    SwpWindow dialog(&cfg);
    Enter(dialog, "FSte", 100);  // a step alone changes no count
    QCOMPARE(Get(cfg, "Step Points"), QStringLiteral("Step=100 Points=91"));
    W<QCheckBox>(dialog, "Log")->click();
    W<QSpinBox>(dialog, "Cnt")->setValue(11);
    W<QDoubleSpinBox>(dialog, "G1LMin")->setValue(-12.345);
    Enter(dialog, "AnAtt", 6.5);
    Ok(dialog)->click();
    // Two decimals, as shown; the plan in force is the one of the stored settings.
    QCOMPARE(Get(cfg, "Log Count L0 Points Atten"), QStringLiteral("Log=2 Count=11 L0=-12.35 Points=11 Atten=6.5"));
  }

  // The status line states the plan or why there is none, and OK follows it.
  void statusLineAndOk() {
    CfgStr cfg = Defaults();
    SwpWindow dialog(&cfg);
    auto *status = W<QLabel>(dialog, "PlanSta");
    QVERIFY(status->text() == QStringLiteral("91 frequency points, 1 level step") && Ok(dialog)->isEnabled());

    W<QCheckBox>(dialog, "Log")->click();
    QCOMPARE(status->text(), QStringLiteral("200 frequency points, 1 level step"));
    W<QSpinBox>(dialog, "Cnt")->setValue(1);
    QVERIFY2(status->text().contains(QStringLiteral("at least 2 points")), qPrintable(status->text()));
    QVERIFY(!Ok(dialog)->isEnabled());
    W<QSpinBox>(dialog, "Cnt")->setValue(3);
    QVERIFY(status->text() == QStringLiteral("3 frequency points, 1 level step") && Ok(dialog)->isEnabled());

    // A keystroke beyond the range is refused with its reason.
    auto *count = W<QSpinBox>(dialog, "Cnt");
    count->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(count, "30000");
    QCOMPARE(count->value(), 3000);
    QCOMPARE(status->text(), QStringLiteral("Entry refused: this field takes values from 0 to 20001."));

    // A refused plan elsewhere keeps the count typed before it.
    W<QCheckBox>(dialog, "G1LSwp")->click();
    Enter(dialog, "G1LSte", 0);
    QCOMPARE(count->value(), 3000);
    Enter(dialog, "G1LSte", 5);
    Enter(dialog, "G1LMax", 0);
    QCOMPARE(count->value(), 3000);
    QCOMPARE(status->text(), QStringLiteral("3000 frequency points, 3 level steps"));

    // A start of 0 MHz has no logarithm.
    Enter(dialog, "G1FMin", 0);
    QVERIFY(status->text().contains(QStringLiteral("above 0 MHz")) && !Ok(dialog)->isEnabled());
    W<QCheckBox>(dialog, "Log")->click();
    QVERIFY(Ok(dialog)->isEnabled());

    // A linear sweep needs a step; the message comes as soon as it is entered.
    Enter(dialog, "FSte", 0);
    QVERIFY(status->text().contains(QStringLiteral("step is 0 MHz")) && !Ok(dialog)->isEnabled());
    // Return in a box does not press the disabled OK either.
    dialog.show();
    auto *start = W<QDoubleSpinBox>(dialog, "G1FMin");
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
  }

  // Only a swept LO needs its own range above 0 MHz in a logarithmic sweep.
  void sweptLoOfALogarithmicSweep() {
    CfgStr cfg = Defaults("LO=24 FixedLo=0 Log=1");
    SwpWindow dialog(&cfg);
    Enter(dialog, "G2FMin", 0);
    QCOMPARE(W<QLabel>(dialog, "PlanSta")->text(), "A logarithmic sweep needs LO start and stop frequencies above "
                                                   "0 MHz (they are 0 MHz and 3000 MHz).");
    QVERIFY(!Ok(dialog)->isEnabled());
    W<QSlider>(dialog, "FxdLo")->setValue(1);
    QCOMPARE(W<QLabel>(dialog, "PlanSta")->text(), QStringLiteral("200 frequency points, 1 level step"));
    QVERIFY(Ok(dialog)->isEnabled());

    // The IF of the lower sideband runs downwards; its span is its width.
    CfgStr mixer = Defaults("LO=24 LO0=1100 Usb=0");
    SwpWindow lsb(&mixer);
    QCOMPARE(Boxes(lsb, "AnFMin AnFMax AnFSpn"), QStringLiteral("AnFMin=1000 AnFMax=100 AnFSpn=900"));
  }
};

QTEST_MAIN(TestSwpWindow)
#include "tst_swpwindow.moc"
