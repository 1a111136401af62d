// The device set-up dialog as a user drives it: interface lists by type,
// what each page shows, the analyzer panels, OK's read-back and Test against
// the recording fake VISA.
#include "dialogs/DevWindow.h"
#include "storage/CfgFile.h"
#include "support/FakeVisa.h"
#include "support/PromptRecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

namespace {

CfgStr Defaults()
{
  CfgStr cfg;
  CfgDefaults(cfg);
  return cfg;
}

template <typename T = QWidget>
T *W(QWidget &dialog, const QString &name)
{
  T *widget = dialog.findChild<T *>(name);
  if (!widget)
    qFatal("no widget %s", qPrintable(name));
  return widget;
}

// Shown by the page's rules (the page itself may be another tab).
bool Shown(QWidget &dialog, const QString &name) { return !W(dialog, name)->isHidden(); }

QStringList Entries(QWidget &dialog, const QString &name)
{
  QStringList texts;
  auto *cb = W<QComboBox>(dialog, name);
  for (int row = 0; row < cb->count(); ++row)
    texts << cb->itemText(row);
  return texts;
}

// Chooses the entry holding value, as a user picks it from the list.
void Choose(QWidget &dialog, const QString &name, int value)
{
  auto *cb = W<QComboBox>(dialog, name);
  const int row = cb->findData(value);
  if (row < 0)
    qFatal("%s offers no value %d", qPrintable(name), value);
  cb->setCurrentIndex(row);
}

QString Rsc(QWidget &dialog, const QString &prefix) { return W<QLineEdit>(dialog, prefix + "Rsc")->text(); }

void PressOk(QWidget &dialog) { W<QDialogButtonBox>(dialog, "DevWindowOk")->button(QDialogButtonBox::Ok)->click(); }

const QStringList kAddressFields = {"Ipa", "Pad", "Usn", "Por", "Bau", "Par", "Stp", "Dat", "Flo", "Rfp", "Rtc1"};
const QStringList kSerialFields = {"Por", "Bau", "Par", "Stp", "Dat", "Flo"};
const QStringList kLanGpib = {"GPIB0", "GPIB1", "LAN (VXI-11)"};

}  // namespace

class TestDevWindow : public QObject {
  Q_OBJECT

private slots:
  void opening();
  void trackingGeneratorDisablesBothGenerators();
  void generator2NoneAndExternal();
  void serialTypesOfferRs232();
  void type5PerPage();
  void analyzerTypesForceInterfaces();
  void panelsAndReadBack();
  void sensorFallbackWarnsOncePerChoice();
  void lanSensorKeepsLan();
  void averagingFollowsAtOnce();
  void gpibAddressKeystrokes();
  void testSendsOpenSequence();
  void testFailureIsShown();
};

void TestDevWindow::opening()
{
  CfgStr cfg = Defaults();
  cfg.Gen2.StartFreq = 900;
  cfg.FixedLo = false;
  cfg.FixedIf = true;
  cfg.Gen1.RtcNo = 7;
  DevWindow dialog(&cfg);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Devices"));
  QCOMPARE(dialog.size(), QSize(586, 277));
  auto *tabs = W<QTabWidget>(dialog, "DevTab");
  QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Generator 2"));
  QCOMPARE(cfg.Gen1.DevNo, 1);
  QCOMPARE(cfg.Gen2.DevNo, 2);
  QCOMPARE(cfg.Ana.DevNo, 3);
  QCOMPARE(W<QComboBox>(dialog, "G1Typ")->count(), 30);
  QCOMPARE(W<QComboBox>(dialog, "G2Typ")->count(), 32);
  QCOMPARE(W<QComboBox>(dialog, "AnTyp")->count(), 49);
  QCOMPARE(W<QComboBox>(dialog, "G1Typ")->currentText(), QStringLiteral("GEN-24"));
  QCOMPARE(Entries(dialog, "G1Ift"), kLanGpib);
  QCOMPARE(Rsc(dialog, "G1"), QStringLiteral("GPIB0::28::INSTR"));
  QCOMPARE(Rsc(dialog, "An"), QStringLiteral("GPIB0::20::INSTR"));
  QVERIFY(Shown(dialog, "G1Pad") && !Shown(dialog, "G1Ipa") && !Shown(dialog, "G1Usn"));
  // Generator 2 "None": no LO at all.
  QCOMPARE(cfg.Gen2.StartFreq, 0.0);
  QCOMPARE(cfg.Gen2.StopFreq, 0.0);
  QVERIFY(cfg.FixedLo);
  QVERIFY(!cfg.FixedIf);
  QVERIFY(Shown(dialog, "Sp") && !Shown(dialog, "Rc") && !Shown(dialog, "Ex") && !Shown(dialog, "Pw"));
  QVERIFY(!Shown(dialog, "AnAZero"));

  // OK keeps what the record held, including the serial settings of a
  // generator whose type has no serial line and its radio-head number.
  PressOk(dialog);
  QCOMPARE(cfg.Gen1.Baudrate, 115200);
  QCOMPARE(cfg.Gen1.StopBits, 10);
  QCOMPARE(cfg.Gen1.SerialPort, 1);
  QCOMPARE(cfg.Gen1.RtcNo, 7);
  QCOMPARE(cfg.Gen1.GpibAddress, 28);
}

void TestDevWindow::trackingGeneratorDisablesBothGenerators()
{
  CfgStr cfg = Defaults();
  cfg.Gen2.Type = 24;
  DevWindow dialog(&cfg);
  W<QCheckBox>(dialog, "AnTgn")->click();
  QVERIFY(cfg.Ana.TrackingGenerator);
  for (const QString p : {"G1", "G2"}) {
    for (const QString s : {"Typ", "Ift", "Tst", "Rst", "Osc"})
      QVERIFY2(!W(dialog, p + s)->isEnabled(), qPrintable(p + s));
    for (const QString &s : kAddressFields)
      QVERIFY2(!Shown(dialog, p + s), qPrintable(p + s));
  }
  W<QCheckBox>(dialog, "AnTgn")->click();
  QVERIFY(!cfg.Ana.TrackingGenerator);
  for (const QString p : {"G1", "G2"}) {
    for (const QString s : {"Typ", "Ift", "Tst", "Rst", "Osc"})
      QVERIFY2(W(dialog, p + s)->isEnabled(), qPrintable(p + s));
    QVERIFY(Shown(dialog, p + "Pad"));
  }
}

void TestDevWindow::generator2NoneAndExternal()
{
  CfgStr cfg = Defaults();
  cfg.Gen2.Type = 24;
  DevWindow dialog(&cfg);
  QVERIFY(W(dialog, "G2Tst")->isEnabled());
  for (int type : {31, 0}) {
    Choose(dialog, "G2Typ", type);
    QCOMPARE(cfg.Gen2.Type, type);
    for (const QString s : {"Ift", "Tst", "Rst", "Osc"})
      QVERIFY2(!W(dialog, "G2" + s)->isEnabled(), qPrintable(s));
    for (const QString &s : kAddressFields)
      QVERIFY2(!Shown(dialog, "G2" + s), qPrintable(s));
  }
  QVERIFY(cfg.FixedLo);
  QCOMPARE(cfg.Gen2.StopFreq, 0.0);
}

void TestDevWindow::serialTypesOfferRs232()
{
  for (int type : {10, 18, 21}) {
    CfgStr cfg = Defaults();
    DevWindow dialog(&cfg);
    Choose(dialog, "G1Typ", type);
    QCOMPARE(Entries(dialog, "G1Ift"), QStringList({"GPIB0", "GPIB1", "RS232"}));
    for (const QString &s : kSerialFields)
      QVERIFY(!Shown(dialog, "G1" + s));
    Choose(dialog, "G1Ift", 2);
    QCOMPARE(cfg.Gen1.Interface, 2);
    for (const QString &s : kSerialFields)
      QVERIFY2(Shown(dialog, "G1" + s), qPrintable(s));
    QVERIFY(!Shown(dialog, "G1Pad"));
    QCOMPARE(Entries(dialog, "G1Por"), QStringList({"COM1", "COM2", "COM3", "COM4"}));
    QCOMPARE(W<QComboBox>(dialog, "G1Por")->currentText(), QStringLiteral("COM2"));
    QCOMPARE(W<QComboBox>(dialog, "G1Bau")->currentText(), QStringLiteral("115200"));
    QCOMPARE(W<QComboBox>(dialog, "G1Par")->currentText(), QStringLiteral("None"));
    QCOMPARE(W<QComboBox>(dialog, "G1Stp")->currentText(), QStringLiteral("1"));
    QCOMPARE(W<QComboBox>(dialog, "G1Flo")->currentText(), QStringLiteral("OFF"));
    QCOMPARE(W<QSpinBox>(dialog, "G1Dat")->value(), 8);
    QCOMPARE(Rsc(dialog, "G1"), QStringLiteral("ASRL2::INSTR"));

    Choose(dialog, "G1Bau", 9600);
    Choose(dialog, "G1Stp", 20);
    Choose(dialog, "G1Flo", 3);
    PressOk(dialog);
    QCOMPARE(cfg.Gen1.Baudrate, 9600);
    QCOMPARE(cfg.Gen1.StopBits, 20);
    QCOMPARE(cfg.Gen1.FlowControl, 3);
  }
}

void TestDevWindow::type5PerPage()
{
  CfgStr cfg = Defaults();
  DevWindow dialog(&cfg);
  Choose(dialog, "G1Typ", 5);
  Choose(dialog, "G2Typ", 5);
  QCOMPARE(Entries(dialog, "G1Ift"), kLanGpib);
  QCOMPARE(Entries(dialog, "G2Ift"), QStringList({"GPIB0", "GPIB1"}));
  // A LAN choice shows the address field and a TCPIP resource.
  Choose(dialog, "G1Ift", 3);
  QVERIFY(Shown(dialog, "G1Ipa") && !Shown(dialog, "G1Pad"));
  QCOMPARE(Rsc(dialog, "G1"), QStringLiteral("TCPIP::192.168.0.1::INSTR"));
}

void TestDevWindow::analyzerTypesForceInterfaces()
{
  CfgStr cfg = Defaults();
  cfg.Ana.Type = 68;
  cfg.Ana.Interface = 0;
  DevWindow dialog(&cfg);
  QCOMPARE(Entries(dialog, "AnIft"), QStringList({"LAN (VXI-11)"}));
  QCOMPARE(cfg.Ana.Interface, 3);

  Choose(dialog, "AnTyp", 71);
  QCOMPARE(cfg.Ana.Interface, 3);
  QVERIFY(Shown(dialog, "AnRfp") && W(dialog, "AnRfp")->isEnabled());
  QCOMPARE(W<QComboBox>(dialog, "AnRfp")->count(), 8);
  QVERIFY(Shown(dialog, "AnRtc1"));
  QVERIFY(Shown(dialog, "AnIpa"));

  Choose(dialog, "AnTyp", 79);
  QCOMPARE(Entries(dialog, "AnIft"), QStringList({"RS232"}));
  QCOMPARE(cfg.Ana.Interface, 2);
  QVERIFY(!Shown(dialog, "AnRfp") && !Shown(dialog, "AnRtc1"));
  for (const QString &s : kSerialFields)
    QVERIFY2(Shown(dialog, "An" + s), qPrintable(s));
  QCOMPARE(W<QComboBox>(dialog, "AnPor")->currentText(), QStringLiteral("COM4"));
  QCOMPARE(Rsc(dialog, "An"), QStringLiteral("ASRL4::INSTR"));
  // Power meters: no reference oscillator, averaging panel.
  QVERIFY(!W(dialog, "AnOsc")->isEnabled());

  Choose(dialog, "AnTyp", 58);
  QCOMPARE(Entries(dialog, "AnIft"), QStringList({"GPIB0", "GPIB1", "RS232", "LAN (VXI-11)"}));
  QCOMPARE(cfg.Ana.Interface, 2);
}

void TestDevWindow::panelsAndReadBack()
{
  CfgStr cfg = Defaults();
  cfg.Spx.RefLevel = -20;
  cfg.Spx.Rbw = 1000;
  DevWindow dialog(&cfg);

  Choose(dialog, "AnTyp", 32);
  QVERIFY(Shown(dialog, "Ex") && !Shown(dialog, "Sp"));
  auto *level = W<QDoubleSpinBox>(dialog, "ExRlv");
  QCOMPARE(level->value(), 0.0);  // cannot go below 0
  level->setValue(12.5);
  Choose(dialog, "ExRbw", 10000);
  Choose(dialog, "ExVbw", 300);
  PressOk(dialog);
  QCOMPARE(cfg.Spx.RefLevel, 12.5);
  QCOMPARE(cfg.Spx.Rbw, 10000.0);
  QCOMPARE(cfg.Spx.Vbw, 300.0);

  // A type without a panel leaves the analyzer settings alone.
  Choose(dialog, "AnTyp", 36);
  QVERIFY(!Shown(dialog, "Ex") && !Shown(dialog, "Sp") && !Shown(dialog, "Rc") && !Shown(dialog, "Pw"));
  PressOk(dialog);
  QCOMPARE(cfg.Spx.RefLevel, 12.5);
  QCOMPARE(cfg.Spx.Rbw, 10000.0);

  // Spectrum analyzers without a speed choice measure fast, and OK keeps it.
  cfg.Spx.Fast = 0;
  Choose(dialog, "AnTyp", 57);
  QVERIFY(W(dialog, "SpFst")->isEnabled());
  QCOMPARE(W<QComboBox>(dialog, "SpFst")->currentText(), QStringLiteral("Slow"));
  Choose(dialog, "AnTyp", 59);
  QVERIFY(!W(dialog, "SpFst")->isEnabled());
  QCOMPARE(cfg.Spx.Fast, 1);
  PressOk(dialog);
  QCOMPARE(cfg.Spx.Fast, 1);

  Choose(dialog, "AnTyp", 34);
  QVERIFY(Shown(dialog, "Rc"));
  QVERIFY(!W(dialog, "RcAtt")->isEnabled());
  W<QCheckBox>(dialog, "RcAta")->click();
  QVERIFY(!cfg.Rcx.RecAutoAtt);
  QVERIFY(W(dialog, "RcAtt")->isEnabled());
  W<QSpinBox>(dialog, "RcAtt")->setValue(20);
  Choose(dialog, "RcDet", 2);
  PressOk(dialog);
  QCOMPARE(cfg.Rcx.RecAttenuation, 20);
  QCOMPARE(cfg.Rcx.RecDetector, 2);
}

void TestDevWindow::sensorFallbackWarnsOncePerChoice()
{
  CfgStr cfg = Defaults();
  cfg.SensorDriverLoaded = false;
  DevWindow dialog(&cfg);
  PromptRecorder prompts;
  Choose(dialog, "AnTyp", 75);
  QCOMPARE(cfg.Ana.Type, 74);
  QCOMPARE(W<QComboBox>(dialog, "AnTyp")->currentText(), QStringLiteral("PWM-74"));
  QCOMPARE(prompts.messages.size(), 1);
  QCOMPARE(prompts.messages[0].kind, UserPrompt::Kind::Warning);
  QCOMPARE(prompts.messages[0].title, QStringLiteral("Analyzer (IF)"));
  QCOMPARE(prompts.messages[0].text, QStringLiteral("Kestrova PWM-Toolkit not installed. Changed Analyzer to PWM2"));
  QVERIFY(Shown(dialog, "Pw"));
  QVERIFY(!W(dialog, "PwTyp")->isEnabled());

  Choose(dialog, "AnTyp", 59);
  Choose(dialog, "AnTyp", 75);
  QCOMPARE(prompts.messages.size(), 2);

  // With the driver the sensor is kept and reached over USB.
  cfg.SensorDriverLoaded = true;
  Choose(dialog, "AnTyp", 75);
  QCOMPARE(prompts.messages.size(), 2);
  QCOMPARE(cfg.Ana.Type, 75);
  QCOMPARE(cfg.Ana.Interface, 4);
  QVERIFY(Shown(dialog, "AnUsn") && W(dialog, "PwTyp")->isEnabled());
  QVERIFY(Rsc(dialog, "An").startsWith(QStringLiteral("USB::0x")));
  QVERIFY(Rsc(dialog, "An").endsWith(QStringLiteral("::0x3::100028")));
}

void TestDevWindow::lanSensorKeepsLan()
{
  CfgStr cfg = Defaults();
  cfg.SensorDriverLoaded = true;
  cfg.Ana.Type = 75;
  DevWindow dialog(&cfg);
  QCOMPARE(Entries(dialog, "AnIft"), QStringList({"USB"}));
  Choose(dialog, "PwTyp", 80);
  QCOMPARE(cfg.Ana.ProductId, 80);
  QCOMPARE(Entries(dialog, "AnIft"), QStringList({"LAN (VXI-11)", "USB"}));
  QCOMPARE(cfg.Ana.Interface, 4);
  Choose(dialog, "AnIft", 3);
  QCOMPARE(cfg.Ana.Interface, 3);
  QCOMPARE(W<QComboBox>(dialog, "AnIft")->currentText(), QStringLiteral("LAN (VXI-11)"));
  QVERIFY(Shown(dialog, "AnIpa"));
  // A model without LAN goes back to USB.
  Choose(dialog, "PwTyp", 3);
  QCOMPARE(cfg.Ana.Interface, 4);
  PressOk(dialog);
  QCOMPARE(cfg.PwuIndex, 0);
  QCOMPARE(cfg.Ana.ProductId, 3);
}

void TestDevWindow::averagingFollowsAtOnce()
{
  CfgStr cfg = Defaults();
  cfg.Ana.Type = 74;
  DevWindow dialog(&cfg);
  // Both stored flags on: the instruments average automatically.
  QVERIFY(W<QRadioButton>(dialog, "PwAut")->isChecked());
  QVERIFY(W(dialog, "PwRes")->isEnabled() && !W(dialog, "PwCnt")->isEnabled());
  W<QRadioButton>(dialog, "PwMan")->click();
  QCOMPARE(cfg.Ana.PwxxManualAveraging, 1);
  QCOMPARE(cfg.Ana.PwxxAutoAveraging, 0);
  QVERIFY(!W(dialog, "PwRes")->isEnabled() && W(dialog, "PwCnt")->isEnabled());
  W<QSpinBox>(dialog, "PwCnt")->setValue(64);
  QCOMPARE(cfg.Ana.PwxxCount, 64);
}

void TestDevWindow::gpibAddressKeystrokes()
{
  CfgStr cfg = Defaults();
  DevWindow dialog(&cfg);
  dialog.show();
  W<QTabWidget>(dialog, "DevTab")->setCurrentIndex(2);
  auto *pad = W<QSpinBox>(dialog, "AnPad");
  pad->setFocus();
  pad->selectAll();
  QTest::keyClick(pad, Qt::Key_1);
  QCOMPARE(cfg.Ana.GpibAddress, 1);
  QCOMPARE(Rsc(dialog, "An"), QStringLiteral("GPIB0::1::INSTR"));
  QTest::keyClick(pad, Qt::Key_7);
  QCOMPARE(cfg.Ana.GpibAddress, 17);
  QCOMPARE(Rsc(dialog, "An"), QStringLiteral("GPIB0::17::INSTR"));
  Choose(dialog, "AnIft", 1);
  QCOMPARE(Rsc(dialog, "An"), QStringLiteral("GPIB1::17::INSTR"));
}

void TestDevWindow::testSendsOpenSequence()
{
  QVERIFY(FakeVisa::load());
  FakeVisa::reset();
  FakeVisa::replyFor(QStringLiteral("GPIB0::28::INSTR"), QStringLiteral("Simulated,GEN-24,100028,1.0\n"));
  CfgStr cfg = Defaults();
  cfg.Gen1.Idn = QStringLiteral("an earlier answer");
  DevWindow dialog(&cfg);
  PromptRecorder prompts;
  W<QPushButton>(dialog, "G1Tst")->click();
  QCOMPARE(FakeVisa::transcript(), QStringList({
                                       "viOpenDefaultRM -> 1000",
                                       "viOpen 1000 \"GPIB0::28::INSTR\" 0 5000 -> 1",
                                       "viSetAttribute 1 VI_ATTR_TMO_VALUE 10000",
                                       "viSetBuf 1 3 4000",
                                       "viSetAttribute 1 VI_ATTR_WR_BUF_OPER_MODE 1",
                                       "viSetAttribute 1 VI_ATTR_RD_BUF_OPER_MODE 1",
                                       "viWrite 1 \"*IDN?\\n\"",
                                       "viRead 1 20000 -> \"Simulated,GEN-24,100028,1.0\\n\"",
                                       "viGpibControlREN 1 6",
                                   }));
  QCOMPARE(W<QLineEdit>(dialog, "G1Msg")->text(), QStringLiteral("Simulated,GEN-24,100028,1.0"));
  QVERIFY(cfg.Gen1.QueryIdn);
  QVERIFY(prompts.messages.isEmpty());
}

void TestDevWindow::testFailureIsShown()
{
  QVERIFY(FakeVisa::load());
  FakeVisa::reset();
  FakeVisa::failOpen(QStringLiteral("GPIB0::20::INSTR"));
  CfgStr cfg = Defaults();
  cfg.Ana.Idn = QStringLiteral("an earlier answer");
  DevWindow dialog(&cfg);
  PromptRecorder prompts;
  W<QPushButton>(dialog, "AnTst")->click();
  const QString shown = W<QLineEdit>(dialog, "AnMsg")->text();
  QVERIFY2(shown.startsWith(QStringLiteral("Test failed: VISA status 0xBFFF0011")), qPrintable(shown));
  QVERIFY(cfg.Ana.Idn.isEmpty());
  QCOMPARE(prompts.messages.size(), 1);
  QCOMPARE(prompts.messages[0].title, QStringLiteral("Analyzer (IF)"));
  QVERIFY(prompts.messages[0].text.contains(QStringLiteral("GPIB0::20::INSTR")));
}

QTEST_MAIN(TestDevWindow)
#include "tst_devwindow.moc"
