// The main window and its set-up dialogs as a user drives them. First without
// a usable VISA library: the window's form, start-up messages and configuration
// file, what its Help and Results menus give to read (printed PDF files and the
// built manual read back with pdftotext). Then on the recording fake VISA: the
// device dialog's lists, pages, panels, read-back and Test; the sweep dialog's
// coupled, forced, shown and hidden fields and what OK and Escape leave behind;
// the main window where a lab user was misled (a series measured at other
// frequencies, a reversed level range, axis labels, a frequency a generator
// refuses).
#include "dialogs/AboutWindow.h"
#include "dialogs/DevWindow.h"
#include "dialogs/LinuxOSInfo.h"
#include "dialogs/SwpWindow.h"
#include "instruments/Measure.h"
#include "storage/DataFile.h"
#include "storage/PrintSeam.h"
#include "storage/Printing.h"
#include "support/CfgFields.h"
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/SwpPlan.h"

#include <QtTest>
#include <QtWidgets>
#include <qwt_plot.h>
#include <qwt_scale_draw.h>

namespace {

void WriteCfg(const QString &path, const QList<QPair<QString, QVariant>> &keys) {
  QFile::remove(path);
  QSettings settings(path, QSettings::IniFormat);
  for (const auto &key : keys)
    settings.setValue(key.first, key.second);
}

QVariant Stored(const QString &path, const QString &key) { return QSettings(path, QSettings::IniFormat).value(key); }

// A button, or the menu entry of that name when there is no such button.
void Trigger(MainWindow &window, const char *name) {
  if (auto *button = window.findChild<QPushButton *>(name))
    button->click();
  else
    W<QAction>(window, name)->trigger();
}

// Two system sections and no drivers, whatever the computer.
class FakeOSInfo : public LinuxOSInfo {
public:
  QList<SysSection> systemInformation() const override {
    return {{"Operating System", {{"", "Testix 1"}, {"Admin rights", "No"}}}, {"Remote Control", {{"VISA", kNoFact}}}};
  }
  QList<DriverSection> driverInformation() const override { return {}; }
};

std::unique_ptr<AboutWindow> About(std::unique_ptr<OSInfo> info) {
  return std::make_unique<AboutWindow>("Solvane64", "Tiravel", "5.3.0", "03-Feb-2017", "", nullptr, std::move(info));
}

QStringList TabTitles(const AboutWindow &about) {
  const auto *tabs = about.findChild<QTabWidget *>("Tabs");
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i)
    titles << tabs->tabText(i);
  return titles;
}

QString Label(const AboutWindow &about, const char *name) { return about.findChild<QLabel *>(name)->text(); }

CfgStr OneTrace(int points) {
  CfgStr cfg;
  Set(cfg, QString("TraceCount=1 LevelCount=1 Points=%1").arg(points));
  cfg.Traces = {TraceRec(1, QVector<double>(points))};
  for (int i = 0; i < points; ++i) {
    cfg.AnaFreqs.append(100.0 + i * 2.5);
    cfg.Traces[0][0][i] = -10.0 - i / 1000.0;
  }
  return cfg;
}

// The text of a PDF, one string per page, lines as laid out.
QStringList PdfPages(const QString &pdf) {
  QStringList pages = PdfText(pdf).split('\f');
  pages.removeLast();  // after the last page's form feed
  return pages;
}

const QString kGen1Rsrc = QStringLiteral("GPIB0::28::INSTR");
const QString kAnaRsrc = QStringLiteral("GPIB0::20::INSTR");

const QString kAddress = "Ipa Pad Usn Por Bau Par Stp Dat Flo Rfp Rtc1";
const QString kSerial = "Por Bau Par Stp Dat Flo";
const QString kGenControls = "Typ Ift Tst Rst Osc";
const QString kPanels = "Sp Rc Ex Pw";
const QString kLan = "LAN (VXI-11),LAN (socket),LAN (HiSLIP)";

QString Rsc(QWidget &dialog, const QString &prefix) { return W<QLineEdit>(dialog, prefix + "Rsc")->text(); }

// An instrument page as a user sees it: the interface list with the choice
// in brackets, the address fields shown and the resource string.
QString Page(QWidget &dialog, const QString &prefix) {
  QStringList interfaces = Entries(dialog, prefix + "Ift");
  const int current = W<QComboBox>(dialog, prefix + "Ift")->currentIndex();
  interfaces[current] = '[' + interfaces[current] + ']';
  return interfaces.join(',') + " | " + Which(dialog, Shown, prefix, kAddress) + " | " + Rsc(dialog, prefix);
}

void PressOk(QWidget &dialog) { W<QDialogButtonBox>(dialog, "DevWindowOk")->button(QDialogButtonBox::Ok)->click(); }

// "text=value" of a list as a combo box offers it, e.g. "1=10, 1.5=15, 2=20".
QString Pairs(QWidget &dialog, const QString &combo, const QString &pair = QStringLiteral("%1=%2")) {
  QStringList out;
  auto *cb = W<QComboBox>(dialog, combo);
  for (int i = 0; i < cb->count(); ++i)
    out << pair.arg(cb->itemText(i)).arg(cb->itemData(i).toInt());
  return out.join(QStringLiteral(", "));
}

// 11 points from `startMHz` in 10 MHz steps on the default bench: generator
// 24 at GPIB0::28, no LO and analyzer 59 at GPIB0::20.
void Plan(CfgStr &cfg, double startMHz) {
  Set(cfg, QString("RF0=%1 RF1=%2 Step=10").arg(startMHz).arg(startMHz + 100.0));
  QVERIFY(CalcSwpLst(cfg));
}

// A value typed into a box and confirmed (Return or leaving the box).
void Enter(QWidget &dialog, const QString &name, double value) {
  auto *box = W<QDoubleSpinBox>(dialog, name);
  box->setValue(value);
  emit box->editingFinished();
}

QPushButton *SweepOk(QWidget &dialog) { return W<QDialogButtonBox>(dialog, "dlgSwpOk")->button(QDialogButtonBox::Ok); }

const QString kLoRange = "FMax FCnt FSpn";

}  // namespace

// The window without a VISA library comes first: the fake library, once
// loaded by a test that needs it, stays.
class TestSetup : public QObject {
  Q_OBJECT
  QTemporaryDir outDir;
  std::unique_ptr<PromptRecorder> prompts;
  std::unique_ptr<MainWindow> window;

  QStringList titles() const { return prompts->shown(false); }
  // A window started on a default file of these keys alone, with no message shown yet.
  std::unique_ptr<MainWindow> startOn(const QList<QPair<QString, QVariant>> &keys) {
    prompts->messages.clear();
    WriteCfg(DefaultCfgPath(), keys);
    return std::make_unique<MainWindow>();
  }
  // A click that starts a run returns when the run has ended.
  void click(const char *name) { QVERIFY(ClickAndFinish(*window, name)); }
  // Start on a bench scripted to answer the plan's queries.
  void start(const CfgStr &cfg) {
    FakeVisa::replyFor(kGen1Rsrc, QString::number(cfg.Gen1.StartLevel) + '\n');
    for (double mhz : {cfg.Gen1.StopFreq, cfg.Gen1.StartFreq})
      FakeVisa::replyFor(kGen1Rsrc, QString::number(mhz * 1e6, 'f', 1) + '\n');
    FakeVisa::replyFor(kAnaRsrc, "0.05\n");
    for (int i = 0; i < cfg.PointCount; ++i)
      FakeVisa::replyFor(kAnaRsrc, "-16\n");
    click("Start");
  }

private slots:
  void init() {
    QDir(DefaultCfgPath()).removeRecursively();
    QFile::remove(DefaultCfgPath());
    prompts.reset(new PromptRecorder);
  }

  void cleanup() {
    UserPrompt::setOpenFileHandler(nullptr);
    UserPrompt::setSaveFileHandler(nullptr);
    PrintSeam::setPrinterFactory(nullptr);
    window.reset();
    prompts.reset();
  }

  void formMenusAndTheFileAtStart() {
    MainWindow form;
    QCOMPARE(prompts->shown(), QStringList{"VISA Error: The VISA Library could not be loaded."});
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Information);
    QCOMPARE(MainWindow::WindowTitle(), QStringLiteral("Solvane64 v5.3.0"));
    QVERIFY(form.minimumSize() == QSize(786, 562) && form.maximumSize() == QSize(786, 562));  // a fixed form
    QVERIFY(!form.windowIcon().pixmap(32).isNull());
    for (const char *image : {"Start.png", "Update.png", "Stop.png", "Minus.png", "Mixer.png"})
      QVERIFY2(!QPixmap(QStringLiteral(":/Vexa_common/src/qt5/images/") + image).isNull(), image);
    QCOMPARE(W<QwtPlot>(form, "plt")->geometry(), QRect(110, 10, 661, 441));
    QVERIFY(W<QWidget>(form, "TMsg")->isHidden());
    QCOMPARE(Which(form, Enabled, "", "Devices Sweep Start Quit Repeat Normalize Stop Del Gen1 Gen2 Ana NIdx "
                                      "AbsRel SwpTime"), "Devices Sweep Start Quit");
    QCOMPARE(W<QPushButton>(form, "Del")->toolTip(), QStringLiteral("Delete Last Trace"));
    QCOMPARE(W<QComboBox>(form, "NrmGen")->currentText(), QStringLiteral("Receiver"));
    // Numbers keep the decimal point under the comma locale the suite runs in.
    auto *dwell = W<QDoubleSpinBox>(form, "Dwell");
    dwell->setValue(1.25);
    QCOMPARE(dwell->text() + ' ' + W<QDoubleSpinBox>(form, "FMax")->text(), QStringLiteral("1.25 1000.000000"));
    QVERIFY(!W<QCheckBox>(form, "RunCont")->isChecked());
    QStringList shown;  // the menus in order, every entry enabled
    for (QAction *menu : form.menuBar()->actions()) {
      shown << menu->text();
      for (QAction *action : menu->menu()->actions()) {
        shown << (action->isSeparator() ? QStringLiteral("-") : QStringLiteral("  ") + action->text());
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
      }
    }
    QCOMPARE(shown, (QStringList{"File", "  Open", "  Save", "  Save as...", "-", "  Export Graph...",
                                 "  Export Data...", "-", "  Default Size", "-", "  Quit",
                                 "Settings", "  Devices", "  Sweep", "Results", "  Graph to Clipboard", "-",
                                 "  Print Graph", "  Print Data", "-", "  Load Data", "  Save Data", "-",
                                 "  Save Normalization", "-", "  Legend", "  Peak Marker", "  Minimum Marker",
                                 "  Clear Delta Marker", "  Zoom Back", "Help", "  Contents", "  About"}));

    // What the window makes of the file it starts with: a missing library or
    // driver, settings that cannot be used, a place off the screens.
    const QString path = DefaultCfgPath();
    startOn({{"Ana/Type", 75}, {"Ana/VXI Path", "C:/elsewhere/"}});
    QCOMPARE(titles(), (QStringList{"VISA Error", "Analyzer/Power Meter (IF)"}));
    QCOMPARE(prompts->messages.last().kind, UserPrompt::Kind::Warning);
    QCOMPARE(prompts->messages.last().text, "Kestrova PWU VXIpnp driver not installed. Changed Analyzer to PWM.");
    QCOMPARE(Stored(path, "Ana/Type").toInt(), 73);
    // the driver folder always follows the environment, whatever the file held
    QCOMPARE(Stored(path, "Ana/VXI Path").toString(), qEnvironmentVariable("VXIPNPPATH64") + "Win64/Bin/");

    startOn({{"Ana/Type", 74}});
    QCOMPARE(titles(), QStringList{"VISA Error"});
    QCOMPARE(Stored(path, "Ana/Type").toInt(), 74);

    QVERIFY(W<QPushButton>(*startOn({{"Sweep/Step Freq", 0.0}}), "Start")->isEnabled());
    QCOMPARE(titles(), (QStringList{"VISA Error", "Sweep"}));
    QVERIFY(!prompts->messages.last().text.isEmpty());
    // Sweep settings that give no finite plan or axis are refused with the
    // plan's own message; the window starts and its axis is finite.
    const QwtInterval x = W<QwtPlot>(*startOn({{"Sweep/Numerator", "inf"}, {"Display/X Sweep Settings", true}}), "plt")
                              ->axisInterval(QwtPlot::xBottom);
    QCOMPARE(titles(), (QStringList{"Sweep", "VISA Error"}));
    QCOMPARE(prompts->messages.first().text, "The sweep settings give frequencies or levels that are not finite "
                                             "numbers. Check the frequencies, the steps and the factor N/D. The "
                                             "sweep settings of the file are not used; the defaults are.");
    QCOMPARE(QString("%1 %2").arg(x.minValue()).arg(x.maxValue()), QString("100 1000"));

    // The display settings and the place of the window are restored.
    const auto restored = startOn(
        {{"Display/Start Freq", 12.5}, {"Display/Stop Freq", 4321.125}, {"Display/X Sweep Settings", true},
         {"Display/X Autoscale", true}, {"Display/X Log Scale", true}, {"Display/Y1 Autoscale", false},
         {"Display/Y2 Start Level", -87.5}, {"Display/Y2 Stop Level", 12.25}, {"Sweep/Dwell", 2.5},
         {"Sweep/Normalize Gen", 1}, {"Position/x", 250}, {"Position/y", 120}});
    QCOMPARE(restored->pos(), QPoint(250, 120));
    QCOMPARE(Boxes(*restored, "FMin FMax LMin LMax Dwell"), "FMin=12.5 FMax=4321.125 LMin=-87.5 LMax=12.25 Dwell=2.5");
    QCOMPARE(Which(*restored, Checked, "", "SwpFrq AutoFrq LogFrq AutoLvl"), QStringLiteral("SwpFrq AutoFrq LogFrq"));
    QCOMPARE(W<QComboBox>(*restored, "NrmGen")->currentIndex(), 1);

    QCOMPARE(startOn({{"Position/x", 50000}, {"Position/y", -9000}})->pos(),
             QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    // Kept while the point by which it is dragged, 40 px in and 10 px down, is on a screen.
    const QPoint corner = QGuiApplication::primaryScreen()->geometry().bottomRight() - QPoint(40, 10);
    QCOMPARE(startOn({{"Position/x", corner.x()}, {"Position/y", corner.y()}})->pos(), corner);

    QFile::remove(path);
    prompts->messages.clear();
    QVERIFY(QDir().mkpath(path));  // a folder where the file should be
    MainWindow unread;
    QCOMPARE(titles(), (QStringList{"Configuration", "VISA Error"}));
    QVERIFY(prompts->messages.first().text.contains(QStringLiteral("could not be read")));
    QCOMPARE(W<QDoubleSpinBox>(unread, "FMax")->value(), 1000.0);
  }

  // Every cancelled set-up dialog rewrites the default file, and so does
  // quitting; Open reads a file of the user's, Save writes the default file.
  void configurationFilesWritten() {
    const QString path = DefaultCfgPath(), chosen = outDir.filePath("bench.cfg"), copy = outDir.filePath("copy.cfg");
    {
      MainWindow window;
      QVERIFY(!QFile::exists(path));
      QCOMPARE(window.styleSheet(), QString::fromUtf8(ReadAll(SOLVANE_SOURCE_DIR "/resources/style/Common.qss")));
      QTimer cancel;
      QObject::connect(&cancel, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
          dialog->reject();
      });
      cancel.start(10);
      for (const char *entry : {"Devices", "Sweep", "actionDevices", "actionSweep"}) {
        QFile::remove(path);
        Trigger(window, entry);
        QVERIFY2(QFile::exists(path), entry);
      }
      for (const char *quit : {"Quit", "actionQuit"}) {
        window.show();
        Trigger(window, quit);
        QVERIFY2(!window.isVisible(), quit);
      }
      window.move(40, 60);
      Trigger(window, "actionDefault_Size");
      QCOMPARE(window.size(), QSize(786, 562));  // the fixed form wins
      Enter(window, "Dwell", 0.75);
      W<QComboBox>(window, "NrmGen")->setCurrentIndex(1);
    }
    for (const auto &[key, value] : {std::pair{"Position/x", 40.0}, {"Position/y", 60.0}, {"Position/dx", 786.0},
                                     {"Position/dy", 562.0}, {"Sweep/Dwell", 0.75}, {"Sweep/Normalize Gen", 1.0}})
      QCOMPARE(Stored(path, key).toDouble(), value);

    WriteCfg(chosen, {{"Sweep/Dwell", 3.25}, {"Display/X Sweep Settings", false}});
    QStringList asked;
    QString answer;
    const auto handler = [&](const QString &caption, const QString &folder, const QString &filter) {
      asked = QStringList{caption, folder, filter};
      return answer;
    };
    UserPrompt::setOpenFileHandler(handler);
    UserPrompt::setSaveFileHandler(handler);
    MainWindow window;
    auto *dwell = W<QDoubleSpinBox>(window, "Dwell");
    W<QLineEdit>(window, "Gen1")->setText(QStringLiteral("GEN-24"));
    dwell->setValue(1.5);
    prompts->messages.clear();
    answer = outDir.filePath("gone.cfg");
    Trigger(window, "actionOpen");
    QCOMPARE(asked, (QStringList{"Open File", QFileInfo(path).path(), "Config File (*.cfg);;All Files (*.*)"}));
    QCOMPARE(prompts->messages.size(), 1);
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Warning);
    QCOMPARE(dwell->value(), 1.5);

    answer = chosen;
    W<QPushButton>(window, "Start")->setEnabled(false);  // the buttons as during a run
    for (const char *button : {"Repeat", "Stop", "Del"})
      W<QPushButton>(window, button)->setEnabled(true);
    Trigger(window, "actionOpen");
    QCOMPARE(dwell->value(), 3.25);
    QVERIFY(!W<QCheckBox>(window, "SwpFrq")->isChecked());
    QVERIFY(W<QLineEdit>(window, "Gen1")->text().isEmpty());
    QCOMPARE(Which(window, Enabled, "", "Start Repeat Normalize Stop Del"), QStringLiteral("Start"));  // no trace
    Trigger(window, "actionSave");
    QCOMPARE(Stored(path, "Sweep/Dwell").toDouble(), 3.25);
    QCOMPARE(QSettings(chosen, QSettings::IniFormat).allKeys().size(), 2);

    QFile::remove(path);
    window.move(123, 45);
    answer = copy;
    Trigger(window, "actionSave_as");
    QCOMPARE(asked.mid(0, 1) + asked.mid(2), (QStringList{"Save Cfg File as..", "Config File (*.cfg)"}));
    QCOMPARE(Stored(copy, "Position/x").toInt(), 123);
    QCOMPARE(QSettings(copy, QSettings::IniFormat).allKeys().size(), 116);
    QVERIFY(!QFile::exists(path));

    answer.clear();  // cancelled dialogs change nothing
    QFile::remove(copy);
    prompts->messages.clear();
    Trigger(window, "actionSave_as");
    Trigger(window, "actionOpen");
    QVERIFY(!QFile::exists(copy) && !QFile::exists(path));
    QVERIFY(prompts->messages.isEmpty());
    QCOMPARE(dwell->value(), 3.25);
  }

  // From here on, what the Help and Results menus give to read.
  void aboutDialogAndLinuxFacts() {
    const auto plain = About(std::make_unique<FakeOSInfo>());
    const QString expected = "*** Global Setup ***\nProduct: Solvane64\nVersion: 5.3.0\nDate: 03-Feb-2017\n\n"
                             "*** Operating System ***\n: Testix 1\nAdmin rights: No\n\n"
                             "*** Remote Control ***\nVISA: ---\n\n";
    QCOMPARE(plain->SupportText(), expected);
    // Without driver sections the Driver Information tab is gone.
    QCOMPARE(TabTitles(*plain), (QStringList{"Legal Information", "System Information"}));
    QPushButton *copy = plain->findChild<QPushButton *>();
    QCOMPARE(copy->text(), QString("copy support information to clipboard"));
    copy->click();
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QCOMPARE(prompts->shown(), QStringList{"Information about Solvane64: Support information copied to clipboard."
                                           "\nUse <CTRL+V> to paste the information in your mail program or text "
                                           "editor."});

    const QString release = outDir.filePath("os-release");
    QVERIFY(WriteAll(release, "NAME=\"Testix\"\nPRETTY_NAME=\"Testix GNU/Linux 12 (calm)\"\nID=testix\n"));
    const QString libraries = outDir.filePath("lib");
    QVERIFY(QDir().mkpath(libraries));
    QVERIFY(WriteAll(libraries + "/libsiggen.so.4.1.2", {}));
    QVERIFY(QFile::link(libraries + "/libsiggen.so.4.1.2", libraries + "/libsiggen.so"));
    const auto about = About(std::make_unique<LinuxOSInfo>(LinuxOSInfo::Places{release, libraries, "", {}}));
    QCOMPARE(about->size(), QSize(570, 369));
    QCOMPARE(Label(*about, "NameLbl") + '|' + Label(*about, "TitleLbl") + '|' + Label(*about, "VersionLbl"),
             QString("Solvane64|Tiravel|Version 5.3.0 64 bit (03-Feb-2017)"));
    QCOMPARE(TabTitles(*about), (QStringList{"Legal Information", "Driver Information", "System Information"}));
    QStringList texts;
    for (const char *page : {"DriverPage", "SystemPage"})
      for (QLabel *label : about->findChild<QWidget *>(page)->findChildren<QLabel *>())
        texts << label->text();
    QVERIFY(texts.contains("libsiggen.so (Version 4.1.2)") && texts.contains("Admin rights"));
    // Links lead to the bundled manual and to a mail without a made-up address.
    QCOMPARE(Label(*about, "ProductPageLbl"),
             "<a href=\"file://" + QCoreApplication::applicationDirPath() + "/Solvane.pdf\">Product page</a>");
    const QString mail = Label(*about, "SupportMailLbl");
    QVERIFY2(mail.startsWith("<a href=\"mailto:?subject=&amp;body=%3Cput%20your%20message%20here%3E%0A%0A----"),
             qPrintable(mail));

    QCOMPARE(LinuxOSInfo({outDir.filePath("none"), "", "", {}}).osName(), kNoFact);
    // Without LC_ALL the messages' locale names the program's language.
    const QByteArray all = qgetenv("LC_ALL"), messages = qgetenv("LC_MESSAGES");
    qunsetenv("LC_ALL");
    qputenv("LC_MESSAGES", "de_AT.UTF-8");
    QCOMPARE(LinuxOSInfo({"", "", "", {}}).localeId(), QStringLiteral("de_AT.UTF-8"));
    qputenv("LC_ALL", all);
    qputenv("LC_MESSAGES", messages);

    QStringList drivers;
    const LinuxOSInfo noDrivers({"", outDir.filePath("none"), "", {outDir.path()}});
    for (const DriverSection &section : noDrivers.driverInformation())
      drivers << section.title << section.entries;
    QCOMPARE(drivers, (QStringList{"Installed Kestrova VXI PnP drivers", "No VXI driver found",
                                   "Installed Kestrova IVI drivers", "No IVI driver found",
                                   "Installed Kestrova USB drivers", "No USB driver found"}));

    // The support text lists the system sections and their facts in order, and no driver section.
    const QString text = about->SupportText();
    QVERIFY(text.contains("\n: Testix GNU/Linux 12 (calm)\nInstalled: "));
    QVERIFY(text.contains(QString("\nQt runtime: ") + qVersion() + "\n"));
    QStringList keys;
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts))
      keys << line.section(": ", 0, 0);
    QCOMPARE(keys.join('|'), "*** Global Setup ***|Product|Version|Date|*** Operating System ***||Installed|"
                             "Admin rights|*** Language Settings ***|Country|Language|Local ID|"
                             "*** Library versions ***|Qt runtime|Plot library|C library|Infodesk|"
                             "*** Remote Control ***|IEEE driver|VISA|KSIB|*** KS USB Drivers ***|Vorn Control|"
                             "PWM Control2");
    QCOMPARE(LinuxOSInfo::LibraryVersion(libraries + "/missing.so"), kNoFact);
    QCOMPARE(LinuxOSInfo({"", libraries, "", {}}).driverInformation()[0].entries,
             (QStringList{"libsiggen.so (Version 4.1.2)", "libsiggen.so.4.1.2 (Version 4.1.2)"}));
  }

  // A decimal point under a comma locale, CR LF line ends, and no point
  // lines without a trace; long data over several pages, the graph on one
  // page. A cancelled dialog prints nothing, a failing printer is reported.
  void printingAndTheManual() {
    QCOMPARE(PrintDataText(OneTrace(3)),
             QString("Repetition  Count: 1\r\nLevel Sweep Count: 1\r\nMeasurement Count: 3\r\n"
                     "100.00 -10.000 \r\n102.50 -10.001 \r\n105.00 -10.002 \r\n"));
    CfgStr none;
    none.PointCount = 91;
    QCOMPARE(PrintDataText(none), QString("Repetition  Count: 0\r\nLevel Sweep Count: 0\r\nMeasurement Count: 91\r\n"));

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
      QSKIP("pdftotext (Debian package poppler-utils) is missing; scripts/setup installs it");
    QString pdf = outDir.filePath("data.pdf");
    QList<QPrinter::PrinterMode> modes;  // of the printers made
    PrintSeam::setPrinterFactory([&pdf, &modes](QPrinter::PrinterMode mode) {
      modes << mode;
      auto printer = std::make_unique<QPrinter>(mode);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return printer;
    });
    QVERIFY(PrintData(OneTrace(500)));
    const QStringList data = PdfPages(pdf);
    QVERIFY(data.size() > 1);
    const QRegularExpression blanks("\\s+");
    QCOMPARE(data.join('\n').split(blanks, Qt::SkipEmptyParts),
             PrintDataText(OneTrace(500)).split(blanks, Qt::SkipEmptyParts));

    pdf = outDir.filePath("graph.pdf");
    QLabel window("graph");
    PrintSeam::setPrinterChooser([](QPrinter &, QWidget *) { return false; });
    QVERIFY(PrintGraph(&window));
    QVERIFY(!QFile::exists(pdf));

    QWidget *parentSeen = nullptr;
    PrintSeam::setPrinterChooser([&parentSeen](QPrinter &, QWidget *parent) {
      parentSeen = parent;
      return true;
    });
    QVERIFY(PrintGraph(&window));
    QCOMPARE(parentSeen, &window);
    QCOMPARE(modes, (QList<QPrinter::PrinterMode>{QPrinter::ScreenResolution, QPrinter::HighResolution,
                                                  QPrinter::HighResolution}));
    QCOMPARE(PdfPages(pdf).size(), 1);

    pdf = outDir.path();  // a folder: the printer cannot start, and that is reported
    QVERIFY(!PrintGraph(&window));
    PrintSeam::setPrinterChooser(nullptr);
    QVERIFY(!PrintData(OneTrace(3)));

    // The manual's contents page gives the page each chapter and section
    // starts on, no heading stands alone at the foot of a page, listings are
    // in a monospace font, and the pictures of the window are in it.
    const QString manual = binDir() + "/Solvane.pdf";
    const QStringList pages = PdfPages(manual);
    QVERIFY(pages.size() > 5);
    const QRegularExpression entry("^\\s*(\\d+(?:\\.\\d+)? \\S.*?)\\s{2,}(\\d+)$");
    QStringList checked;
    for (const QString &line : pages[0].split('\n')) {
      const QRegularExpressionMatch m = entry.match(line);
      if (!m.hasMatch())
        continue;
      const QString heading = m.captured(1);
      const int page = m.captured(2).toInt();
      QVERIFY2(page >= 2 && page <= pages.size(), qPrintable(line));
      // Lines trimmed, blank ones dropped.
      const QStringList lines = ('\n' + pages[page - 1] + '\n').split(QRegularExpression("\\s*\\n\\s*"),
                                                                        Qt::SkipEmptyParts);
      const int at = lines.indexOf(heading);
      QVERIFY2(at >= 0, qPrintable(heading + " is not on page " + m.captured(2)));
      // The last line is the page number; the one above it must not be a heading.
      QVERIFY2(at < lines.size() - 2, qPrintable(heading + " stands alone at the foot of its page"));
      checked << heading;
    }
    for (const char *heading : {"1 Before you start", "4.3 Markers", "6.5 Export Graph", "9 Terms of use"})
      QVERIFY2(checked.contains(heading), heading);

    QVERIFY(ProgramOutput("pdffonts", {manual}).contains("DejaVuSansMono"));
    const QStringList images = ProgramOutput("pdfimages", {"-list", manual}).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(images.size() >= 2 + 2, qPrintable(images.join('\n')));  // two header lines, two pictures
  }

  // The lists as the dialog offers them (the interfaces of a page depend on its type).
  void lists() {
    CfgStr cfg = Defaults();
    cfg.SensorDriverLoaded = true;
    DevWindow dialog(&cfg);
    QCOMPARE(Pairs(dialog, "G1Por"), QStringLiteral("COM1=0, COM2=1, COM3=2, COM4=3"));
    QCOMPARE(Pairs(dialog, "G1Bau"), "1200=1200, 2400=2400, 4800=4800, 9600=9600, 19200=19200, 38400=38400, "
                                     "57600=57600, 115200=115200");
    QCOMPARE(Pairs(dialog, "G1Par"), QStringLiteral("None=0, Odd=1, Even=2, Mark=3, Space=4"));
    QCOMPARE(Pairs(dialog, "G1Stp"), QStringLiteral("1=10, 1.5=15, 2=20"));
    QCOMPARE(Pairs(dialog, "G1Flo"), QStringLiteral("OFF=0, XON/XOFF=1, RTS/CTS=2, DTR/DSR=3"));
    QCOMPARE(Pairs(dialog, "RcDet"), QStringLiteral("Average=0, Peak=1, Quasipeak=2"));
    QCOMPARE(Pairs(dialog, "RcUni"), QStringLiteral("dBuV=0, dBm=1"));
    QCOMPARE(Pairs(dialog, "SpFst"), QStringLiteral("Slow=0, Fast=1"));
    QCOMPARE(Pairs(dialog, "SpSwt"), "Auto=0, 1 ms=1, 2 ms=2, 5 ms=5, 10 ms=10, 20 ms=20, 50 ms=50, 100 ms=100, "
                                     "200 ms=200, 500 ms=500, 1 s=1000, 2 s=2000, 5 s=5000, 10 s=10000");
    QCOMPARE(Pairs(dialog, "SpRbw"), "Auto=0, 1 Hz=1, 2 Hz=2, 3 Hz=3, 5 Hz=5, 10 Hz=10, 20 Hz=20, 30 Hz=30, 50 Hz=50, "
                                     "100 Hz=100, 200 Hz=200, 300 Hz=300, 500 Hz=500, 1 kHz=1000, 2 kHz=2000, "
                                     "3 kHz=3000, 5 kHz=5000, 10 kHz=10000, 20 kHz=20000, 30 kHz=30000, 50 kHz=50000, "
                                     "100 kHz=100000, 200 kHz=200000, 300 kHz=300000, 500 kHz=500000, 1 MHz=1000000, "
                                     "2 MHz=2000000, 3 MHz=3000000, 5 MHz=5000000, 10 MHz=10000000");
    for (const char *bandwidth : {"SpVbw", "ExRbw", "ExVbw"})
      QCOMPARE(Pairs(dialog, bandwidth), Pairs(dialog, "SpRbw"));

    QCOMPARE(RfPortTexts(1).join(","), QStringLiteral("RF1 OUT,RF2 OUT,RF3 OUT"));
    QCOMPARE(RfPortTexts(2).join(","), QStringLiteral("RF1 COM,RF1 OUT,RF2 COM,RF3 COM,RF3 OUT,RF4 COM"));
    QCOMPARE(RfPortTexts(3).join(","), QStringLiteral("AUX,RF1,RF2,RF3,RF4,RF5,RF6,RF7,RF8"));
    QCOMPARE(RfPortTexts(69).join(","), QStringLiteral("RF1 IN,RF2 IN,RF4 IN"));
    QCOMPARE(RfPortTexts(70).join(","), QStringLiteral("RF1 COM,RF2 COM,RF3 COM,RF4 COM"));
    QCOMPARE(RfPortTexts(71).join(","), QStringLiteral("RF1,RF2,RF3,RF4,RF5,RF6,RF7,RF8"));
    QVERIFY(RfPortTexts(24).isEmpty() && RfPortTexts(-1).isEmpty());

    QCOMPARE(Pairs(dialog, "PwTyp", "%1 %2"),
             "PSU-1004 3, PSU-1006 4, PSU-1008 5, PSU-1012 6, PSU-1018 7, PSU-1026 8, PSU-1040 9, PSU-2004 12, "
             "PSU-2006 13, PSU-2008 14, PSU-2012 15, PSU-2018 16, PSU-2026 17, PSU-2040 18, PSU-2050 21, PSU-3004 22, "
             "PSU-3006 23, PSU-3008 24, PSU-3018 25, PSU-3026 26, PSU-3040 27, PSU-3050 30, PSU-3067 31, PSV-1108 32, "
             "PSV-1118 33, PSV-1126 34, PSV-1140 35, PSV-2108 36, PSV-2118 39, PSV-2126 40, PSV-2140 41, PSV-2150 42, "
             "PSW-4006 43, PSW-4008 44, PSW-4018 45, PSW-4026 48, PSW-4040 49, PSW-4050 50, PSW-4067 51, PSW-4090 52, "
             "PSW-4106 53, PSW-4118 54, PSW-4140 57, PTR-5004 58, PTR-5006 59, PTR-5008 60, PTR-5018 61, PTR-5026 62, "
             "PTR-5033 63, PTR-5040 66, PTR-5050 67, PTR-5106 68, PTR-5118 69, PTR-5133 70, PTR-5140 71, PTR-5206 72, "
             "PTR-5208 75, PTR-5218 76, PTR-5226 77, PTR-5240 78, PTR-5250 79, PLX-6006 80, PLX-6008 81, PLX-6018 84, "
             "PLX-6026 85, PLX-6040 86, PLX-6106 87, PLX-6118 88, PLX-6140 89, PHF-7040 90, PHF-7050 93, PHF-7067 94, "
             "PHF-7090 95, PHF-70110 96, PMX-8004 97, PMX-8006 98, PMX-8008 99, PMX-8012 102, PMX-8018 103, "
             "PMX-8026 104, PMX-8033 10, PMX-8040 11, PMX-8050 19, PMX-8067 20");

    // Per page, the interface list each type offers, with the types that offer it.
    QStringList offers, connectors;
    for (const auto &[prefix, first, last] : {std::tuple{"G1", 1, 30}, {"G2", 0, 31}, {"An", 32, 80}}) {
      QMap<QString, QStringList> typesOf;
      for (int type = first; type <= last; ++type) {
        Choose(dialog, QString(prefix) + "Typ", type);
        typesOf[Entries(dialog, QString(prefix) + "Ift").join(',')] << QString::number(type);
        if (Which(dialog, Shown, prefix, "Rfp Rtc1").isEmpty())  // only radio testers have a connector and unit
          continue;
        connectors << QString("%1 %2: %3").arg(prefix).arg(type).arg(Which(dialog, Shown, prefix, "Rfp Rtc1"));
        QVERIFY(W(dialog, QString(prefix) + "Rfp")->isEnabled());
        QCOMPARE(Entries(dialog, QString(prefix) + "Rfp"), RfPortTexts(type));
      }
      for (auto it = typesOf.cbegin(); it != typesOf.cend(); ++it)
        offers << QString("%1 %2: %3").arg(prefix, it.key(), it.value().join(' '));
    }
    const QString lan = ",LAN (VXI-11),LAN (socket),LAN (HiSLIP): ", gpib = "GPIB0,GPIB1";
    QCOMPARE(offers, QStringList({
        "G1 " + gpib + ": 1 12 13 14 15 16 17 19 20 22 23 26 29",
        "G1 " + gpib + lan + "2 4 5 6 7 8 9 11 24 25 27 28 30",
        "G1 " + gpib + ",RS232: 10 18 21", "G1 LAN (VXI-11): 3",
        "G2 " + gpib + ": 0 1 5 12 13 14 15 16 17 19 20 22 23 26 29 31",  // 5: LAN in the RF role only
        "G2 " + gpib + lan + "2 4 6 7 8 9 11 24 25 27 28 30", "G2 " + gpib + ",RS232: 10 18 21", "G2 LAN (VXI-11): 3",
        "An " + gpib + ": 32 33 34 35 37 38 39 41 43 44 45 51 52 54 56 69 72 76 77 78 80",
        "An " + gpib + lan + "36 40 42 46 47 48 49 50 53 55 57 59 60 61 62 63 64 65 66 67 70 73 74",
        "An " + gpib + ",RS232" + lan + "58", "An LAN (VXI-11): 71", "An " + lan.mid(1) + "68", "An RS232: 79",
        "An USB: 75"}));
    QCOMPARE(connectors.join(", "), QStringLiteral("G1 1: Rfp, G1 2: Rfp, G1 3: Rfp Rtc1, G2 1: Rfp, G2 2: Rfp, "
                                                  "G2 3: Rfp Rtc1, An 69: Rfp, An 70: Rfp, An 71: Rfp Rtc1"));
  }

  void openingPagesTestAndAddresses() {
    QVERIFY(FakeVisa::load());
    FakeVisa::replyFor(kGen1Rsrc, QStringLiteral("Simulated,GEN-24,100028,1.0\n"));
    FakeVisa::failOpen(kAnaRsrc);
    CfgStr cfg = Defaults("LO0=900 FixedLo=0 FixedIf=1");
    cfg.Gen1.RtcNo = 7;
    cfg.Gen1.Idn = cfg.Ana.Idn = QStringLiteral("an earlier answer");
    DevWindow dialog(&cfg);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Devices"));
    QCOMPARE(dialog.size(), QSize(586, 277));
    auto *tabs = W<QTabWidget>(dialog, "DevTab");
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Generator 2"));
    // Generator 2 offers types 0 to 31, the analyzer 32 to 80: the whole type table.
    QStringList types{"None", "RTA", "RTB", "RTC"};
    for (int i = 4; i <= 68; ++i)
      types << (i == 31 ? QStringLiteral("External")
                        : QString("%1-%2").arg(i <= 30 ? "GEN" : i < 50 ? "RCV" : "SPA").arg(i, 2, 10, QChar('0')));
    types << "RTA" << "RTB" << "RTC" << "U37xx" << "PWM" << "PWM-74" << "PWU" << "PWM-76" << "PWM-77" << "PWM-78"
          << "PWM-79" << "PWM-80";
    QCOMPARE(Entries(dialog, "G2Typ") + Entries(dialog, "AnTyp"), types);
    QCOMPARE(Entries(dialog, "G1Typ"), types.mid(1, 30));
    QCOMPARE(W<QComboBox>(dialog, "G1Typ")->currentText(), QStringLiteral("GEN-24"));
    QCOMPARE(Page(dialog, "G1"), "[GPIB0],GPIB1," + kLan + " | Pad | GPIB0::28::INSTR");
    // Generator 2 "None": no LO at all. Meter Zero has no meaning here and stays hidden.
    QCOMPARE(Get(cfg, "LO0 LO1 FixedLo FixedIf"), QStringLiteral("LO0=0 LO1=0 FixedLo=1 FixedIf=0"));
    QCOMPARE(Which(dialog, Shown, "", kPanels + " AnAZero"), QStringLiteral("Sp"));

    // OK keeps what the record held, including the serial settings of a
    // generator whose type has no serial line and its radio-head number.
    PressOk(dialog);
    const DevStr &g1 = cfg.Gen1;
    QCOMPARE(QList<int>({g1.Baudrate, g1.StopBits, g1.SerialPort, g1.RtcNo, g1.GpibAddress}),
             QList<int>({115200, 10, 1, 7, 28}));

    // The tracking generator disables both generator pages; generator 2 of
    // type None or External has nothing to address.
    Choose(dialog, "G2Typ", 24);
    for (bool on : {true, false}) {
      W<QCheckBox>(dialog, "AnTgn")->click();
      QCOMPARE(cfg.Ana.TrackingGenerator, on);
      for (const QString prefix : {"G1", "G2"}) {
        QCOMPARE(Which(dialog, Enabled, prefix, kGenControls), on ? QString() : kGenControls);
        QCOMPARE(Which(dialog, Shown, prefix, kAddress), on ? QString() : QStringLiteral("Pad"));
      }
    }
    for (int type : {31, 0}) {
      Choose(dialog, "G2Typ", type);
      QCOMPARE(cfg.Gen2.Type, type);
      QCOMPARE(Which(dialog, Enabled, "G2", kGenControls), QStringLiteral("Typ"));
      QCOMPARE(Which(dialog, Shown, "G2", kAddress), QString());
    }
    QCOMPARE(Get(cfg, "FixedLo LO1"), QStringLiteral("FixedLo=1 LO1=0"));

    // Test opens the instrument, asks for its identification and shows the
    // answer, or why it failed.
    W<QPushButton>(dialog, "G1Tst")->click();
    QCOMPARE(FakeVisa::writes(), QStringList{"*IDN?\n"});  // the open itself is proven with the VISA layer
    QCOMPARE(FakeVisa::transcript().last(), QStringLiteral("viGpibControlREN 1 6"));
    QCOMPARE(W<QLineEdit>(dialog, "G1Msg")->text(), QStringLiteral("Simulated,GEN-24,100028,1.0"));
    QVERIFY(cfg.Gen1.QueryIdn && prompts->messages.isEmpty());
    W<QSpinBox>(dialog, "G1Pad")->setValue(5);
    QCOMPARE(Rsc(dialog, "G1"), QStringLiteral("GPIB0::5::INSTR"));

    W<QPushButton>(dialog, "AnTst")->click();
    const QString failure = "Test failed: VISA status 0xBFFF0011, no instrument at this address";
    QCOMPARE(W<QLineEdit>(dialog, "AnMsg")->text(), failure);
    QVERIFY(cfg.Ana.Idn.isEmpty());
    QCOMPARE(prompts->messages.size(), 1);
    // The library finds no GPIB instrument at all, and the message says so.
    QCOMPARE(prompts->shown()[0].section("\n\n", 0, 0), "Analyzer (IF): " + failure + " (GPIB0::20::INSTR).");
    QVERIFY(prompts->messages[0].text.section("\n\n", 1).contains("finds no GPIB0 instrument on this computer"));

    // A generator on a serial line: the line's settings are shown and kept by OK;
    // one on LAN is addressed by its IP, an analyzer on GPIB by its address.
    Choose(dialog, "G1Typ", 18);
    Choose(dialog, "G1Ift", 2);
    QCOMPARE(Page(dialog, "G1"), "GPIB0,GPIB1,[RS232] | " + kSerial + " | ASRL2::INSTR");
    QStringList line;
    for (const char *combo : {"G1Por", "G1Bau", "G1Par", "G1Stp", "G1Flo"})
      line << W<QComboBox>(dialog, combo)->currentText();
    QCOMPARE(line.join(' '), QStringLiteral("COM2 115200 None 1 OFF"));
    QCOMPARE(W<QSpinBox>(dialog, "G1Dat")->value(), 8);
    Choose(dialog, "G1Bau", 9600);
    Choose(dialog, "G1Stp", 20);
    Choose(dialog, "G1Flo", 3);
    PressOk(dialog);
    QCOMPARE(QList<int>({cfg.Gen1.Baudrate, cfg.Gen1.StopBits, cfg.Gen1.FlowControl}), QList<int>({9600, 20, 3}));

    Choose(dialog, "G1Typ", 5);
    Choose(dialog, "G1Ift", 3);
    QCOMPARE(Page(dialog, "G1"),
             QStringLiteral("GPIB0,GPIB1,[LAN (VXI-11)],LAN (socket),LAN (HiSLIP) | Ipa | TCPIP::192.168.0.1::INSTR"));

    // A GPIB address follows every keystroke.
    auto *pad = W<QSpinBox>(dialog, "AnPad");
    pad->selectAll();
    QTest::keyClick(pad, Qt::Key_1);
    QCOMPARE(Rsc(dialog, "An"), QStringLiteral("GPIB0::1::INSTR"));
    QTest::keyClick(pad, Qt::Key_7);
    QCOMPARE(cfg.Ana.GpibAddress, 17);
    Choose(dialog, "AnIft", 1);
    QCOMPARE(Page(dialog, "An"), "GPIB0,[GPIB1]," + kLan + " | Pad | GPIB1::17::INSTR");
  }

  // The analyzer's type forces its interface and chooses its panel.
  void analyzerAndSensorPages() {
    CfgStr cfg = Defaults("AnaType=68");
    cfg.Ana.Interface = 0;
    cfg.Spx.RefLevel = -20;
    cfg.Spx.Rbw = 1000;
    DevWindow dialog(&cfg);
    QCOMPARE(Page(dialog, "An"), "[LAN (VXI-11)],LAN (socket),LAN (HiSLIP) | Ipa | TCPIP::SPA59-1-100028::INSTR");

    Choose(dialog, "AnTyp", 79);
    QCOMPARE(Page(dialog, "An"), "[RS232] | " + kSerial + " | ASRL4::INSTR");
    QVERIFY(!W(dialog, "AnOsc")->isEnabled());  // a power meter has no reference oscillator

    Choose(dialog, "AnTyp", 58);
    QCOMPARE(Page(dialog, "An"), "GPIB0,GPIB1,[RS232]," + kLan + " | " + kSerial + " | ASRL4::INSTR");

    Choose(dialog, "AnTyp", 32);
    QCOMPARE(Which(dialog, Shown, "", kPanels), QStringLiteral("Ex"));
    auto *level = W<QDoubleSpinBox>(dialog, "ExRlv");
    QCOMPARE(level->value(), 0.0);  // cannot go below 0
    level->setValue(12.5);
    Choose(dialog, "ExRbw", 10000);
    Choose(dialog, "ExVbw", 300);
    PressOk(dialog);
    QVERIFY(cfg.Spx.RefLevel == 12.5 && cfg.Spx.Rbw == 10000 && cfg.Spx.Vbw == 300);

    // A type without a panel leaves the analyzer settings alone.
    for (int type : {67, 51, 36}) {
      Choose(dialog, "AnTyp", type);
      QCOMPARE(Which(dialog, Shown, "", kPanels), QString());
    }
    PressOk(dialog);
    QVERIFY(cfg.Spx.RefLevel == 12.5 && cfg.Spx.Rbw == 10000);

    // Spectrum analyzers without a speed choice measure fast, and OK keeps it.
    cfg.Spx.Fast = 0;
    Choose(dialog, "AnTyp", 57);
    QVERIFY(W(dialog, "SpFst")->isEnabled());
    QCOMPARE(W<QComboBox>(dialog, "SpFst")->currentText(), QStringLiteral("Slow"));
    Choose(dialog, "AnTyp", 59);
    QVERIFY(!W(dialog, "SpFst")->isEnabled());
    PressOk(dialog);
    QCOMPARE(cfg.Spx.Fast, 1);

    Choose(dialog, "AnTyp", 34);
    QCOMPARE(Which(dialog, Shown, "", kPanels), QStringLiteral("Rc"));
    W<QCheckBox>(dialog, "AnTgn")->click();
    QCOMPARE(prompts->shown(), QStringList{"Analyzer (IF): The analyzer RCV-34 has no tracking generator."});
    QVERIFY(!W<QCheckBox>(dialog, "AnTgn")->isChecked() && !cfg.Ana.TrackingGenerator);
    QVERIFY(!W(dialog, "RcAtt")->isEnabled());
    W<QCheckBox>(dialog, "RcAta")->click();
    QVERIFY(!cfg.Rcx.RecAutoAtt && W(dialog, "RcAtt")->isEnabled());
    W<QSpinBox>(dialog, "RcAtt")->setValue(20);
    Choose(dialog, "RcDet", 2);
    PressOk(dialog);
    QVERIFY(cfg.Rcx.RecAttenuation == 20 && cfg.Rcx.RecDetector == 2 && cfg.Rcx.RecUnitsDbm == 1);

    // Without the sensor driver a sensor falls back to a meter, with a warning
    // for every such choice; with it the sensor is reached over USB or, for a
    // model that has it, LAN.
    prompts->messages.clear();
    cfg.SensorDriverLoaded = false;
    Choose(dialog, "AnTyp", 75);
    QVERIFY(cfg.Ana.Type == 74 && W<QComboBox>(dialog, "AnTyp")->currentText() == QStringLiteral("PWM-74"));
    QCOMPARE(prompts->shown(),
             QStringList{"Analyzer (IF): Kestrova PWM-Toolkit not installed. Changed Analyzer to PWM2"});
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Warning);
    QCOMPARE(Which(dialog, Shown, "", kPanels), QStringLiteral("Pw"));
    QVERIFY(!W(dialog, "PwTyp")->isEnabled());

    Choose(dialog, "AnTyp", 59);
    Choose(dialog, "AnTyp", 75);
    QCOMPARE(prompts->messages.size(), 2);

    // With the driver the sensor is kept and reached over USB.
    cfg.SensorDriverLoaded = true;
    Choose(dialog, "AnTyp", 75);
    QCOMPARE(prompts->messages.size(), 2);
    QVERIFY(cfg.Ana.Type == 75 && cfg.Ana.Interface == 4);
    QVERIFY(W(dialog, "PwTyp")->isEnabled());
    QCOMPARE(Page(dialog, "An"), QStringLiteral("[USB] | Usn | USB::0x1209::0x3::100028"));

    QStringList lanModels;  // the sensor models that also offer LAN
    for (int row = 0; row < W<QComboBox>(dialog, "PwTyp")->count(); ++row) {
      W<QComboBox>(dialog, "PwTyp")->setCurrentIndex(row);
      if (Entries(dialog, "AnIft").size() > 1)
        lanModels << QString::number(cfg.Ana.ProductId);
    }
    QCOMPARE(lanModels.join(' '), QStringLiteral("80 81 84 85 86"));
    Choose(dialog, "PwTyp", 80);
    QVERIFY(cfg.Ana.ProductId == 80 && cfg.Ana.Interface == 4);
    Choose(dialog, "AnIft", 3);
    QCOMPARE(Page(dialog, "An"), QStringLiteral("[LAN (VXI-11)],USB | Ipa | TCPIP::SPA59-1-100028::INSTR"));
    // A model without LAN goes back to USB.
    Choose(dialog, "PwTyp", 3);
    QCOMPARE(cfg.Ana.Interface, 4);
    PressOk(dialog);
    QVERIFY(cfg.PwuIndex == 0 && cfg.Ana.ProductId == 3);

    // Both stored flags on: the instruments average automatically. Resolution
    // and Count follow the choice at once.
    QVERIFY(W<QRadioButton>(dialog, "PwAut")->isChecked());
    QCOMPARE(Which(dialog, Enabled, "Pw", "Res Cnt"), QStringLiteral("Res"));
    W<QRadioButton>(dialog, "PwMan")->click();
    QVERIFY(cfg.Ana.PwxxManualAveraging == 1 && cfg.Ana.PwxxAutoAveraging == 0);
    QCOMPARE(Which(dialog, Enabled, "Pw", "Res Cnt"), QStringLiteral("Cnt"));
    W<QSpinBox>(dialog, "PwCnt")->setValue(64);
    QCOMPARE(cfg.Ana.PwxxCount, 64);

    // A dialog opens on the stored averaging choice and reference level.
    for (const int automatic : {0, 1}) {
      CfgStr stored = Defaults("AnaType=74");
      stored.Ana.PwxxAutoAveraging = automatic;
      stored.Ana.PwxxManualAveraging = 1 - automatic;
      stored.Spx.RefLevel = 7.5;
      DevWindow shown(&stored);
      QCOMPARE(W<QRadioButton>(shown, "PwAut")->isChecked(), automatic == 1);
      QCOMPARE(W<QDoubleSpinBox>(shown, "ExRlv")->value(), 7.5);
    }
  }

  // Meter Zero is offered for the meters and zeroes them with their command,
  // the sensor through its driver.
  void meterZero_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("shown");
    QTest::newRow("PWM") << 73 << QStringList{"viWrite 1 \"CAL:ZERO:AUTO ONCE;*OPC?\\n\""} << "PWM is zeroed.";
    QTest::newRow("PWM-77") << 77 << QStringList{"viWrite 1 \"CAL:ZERO;*OPC?\\n\""} << "PWM-77 is zeroed.";
    QTest::newRow("PWM-80") << 80 << QStringList{"viWrite 1 \"ZE\\n\""} << "PWM-80 is zeroed.";
    QTest::newRow("sensor") << 75 << QStringList{"pwudrv_chans_zero 1"} << "PSU-1004 is zeroed.";
    QTest::newRow("no meter at the address") << 74 << QStringList()
                                             << "PWM-74 was not zeroed: VISA status 0xBFFF0011, no instrument at this "
                                                "address (GPIB0::20::INSTR).";
    QTest::newRow("not a meter") << 59 << QStringList() << QString();
  }
  void meterZero() {
    QFETCH(int, type);
    QFETCH(QStringList, calls);
    QFETCH(QString, shown);
    QVERIFY(FakeVisa::load() && FakePwu::load());
    if (calls.isEmpty())
      FakeVisa::failOpen(kAnaRsrc);
    CfgStr cfg = Defaults(QString("AnaType=%1").arg(type));
    cfg.SensorDriverLoaded = true;
    DevWindow dialog(&cfg);
    auto *zero = W<QPushButton>(dialog, "AnAZero");
    QCOMPARE(zero->isHidden(), shown.isEmpty());
    if (shown.isEmpty())
      return;
    zero->click();
    const QStringList transcript = type == 75 ? FakePwu::transcript() : FakeVisa::transcript();
    QCOMPARE(transcript.filter(QRegularExpression("ZE|pwudrv_chans_zero")), calls);
    QCOMPARE(prompts->shown(), QStringList{"Meter Zero: The " + shown});
  }

  // Without an LO generator, with an external one and with a swept one.
  void loModes() {
    CfgStr cfg = Defaults("FixedLo=0 FixedIf=1 Usb=0");
    SwpWindow dialog(&cfg);
    // A decimal point whatever the locale.
    QCOMPARE(W<QDoubleSpinBox>(dialog, "G1LMin")->text() + ' ' + W<QDoubleSpinBox>(dialog, "G1FMax")->text(),
             QStringLiteral("-10.00 1000.000000"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Sweep Parameters"));
    QCOMPARE(dialog.size(), QSize(536, 337));
    // Opening already forces the values that only make sense with an LO; the
    // analyzer receives the RF frequencies themselves.
    QCOMPARE(Get(cfg, "FixedLo FixedIf Usb IFCentre IFSpan"), "FixedLo=1 FixedIf=0 Usb=1 IFCentre=550 IFSpan=900");
    QCOMPARE(W<QLabel>(dialog, "AnForm")->text(), QStringLiteral("f(IF)=f(RF)*num/den"));
    QCOMPARE(Which(dialog, Enabled, "", "G2FMin G2Lbl FxdLo FxdLoLbl FxdIf FxdIfLbl Usb UsbLbl G2LMin G2LoLbl "
                                        "G2LevLbl G2UnitLbl G2LoCtl AnFMin AnFMax AnFCnt AnFSpn"), QString());
    QCOMPARE(Which(dialog, Shown, "G2", kLoRange), QString());
    QCOMPARE(Boxes(dialog, "AnFMin AnFMax"), QStringLiteral("AnFMin=100 AnFMax=1000"));

    CfgStr lo = Defaults("LO=31 FixedLo=0");
    SwpWindow external(&lo);
    QCOMPARE(W<QLabel>(external, "AnForm")->text(), QStringLiteral("f(IF)=f(RF)*num/den+-f(LO)"));
    // Nothing is sent to an external LO, so it has no level.
    QCOMPARE(Which(external, Enabled, "", "G2FMin FxdLo FxdIf Usb G2LMin G2LoLbl G2LevLbl G2UnitLbl"),
             QStringLiteral("G2FMin FxdLo FxdIf Usb"));
    QCOMPARE(Which(external, Shown, "G2", kLoRange), kLoRange);
    // Its range couples as the RF range does.
    Enter(external, "G2FMin", 1500);
    QCOMPARE(Get(lo, "LOCentre LOSpan"), QStringLiteral("LOCentre=2250 LOSpan=1500"));
    Enter(external, "G2FSpn", 100);
    QCOMPARE(Get(lo, "LO0 LO1"), QStringLiteral("LO0=2200 LO1=2300"));

    CfgStr sweptLo = Defaults("LO=24 FixedLo=0 FixedIf=0 DisplayAna=1");
    SwpWindow swept(&sweptLo);
    // Swept LO: IF = RF + LO, 100 + 1000 up to 1000 + 3000.
    QCOMPARE(Get(sweptLo, "IF0 IF1"), QStringLiteral("IF0=1100 IF1=4000"));
    QVERIFY(W<QCheckBox>(swept, "IfSw")->isChecked());

    // The IF the record already held becomes the fixed IF; LO stop abs(1100 - 1000).
    W<QSlider>(swept, "FxdIf")->setValue(1);
    QCOMPARE(Get(sweptLo, "FixedIf IF0 IFCentre IFSpan LO1 DisplayAna"),
             QStringLiteral("FixedIf=1 IF0=1100 IFCentre=1100 IFSpan=0 LO1=100 DisplayAna=0"));
    QCOMPARE(Which(swept, Shown, "An", "FMin " + kLoRange), QStringLiteral("FMin"));
    QVERIFY(W<QCheckBox>(swept, "RfSw")->isChecked() && !W<QCheckBox>(swept, "IfSw")->isChecked());
    QVERIFY(!W(swept, "IfSw")->isEnabled());

    QCOMPARE(Which(swept, Shown, "G2F", "Min Max"), QStringLiteral("Min Max"));
    W<QSlider>(swept, "FxdLo")->setValue(1);
    QVERIFY(sweptLo.FixedLo);
    QCOMPARE(Which(swept, Shown, "G2F", "Min Max Cnt Spn"), QStringLiteral("Min"));

    W<QSlider>(swept, "Usb")->setValue(0);
    QCOMPARE(sweptLo.UpperSideband, 0);

    // The IF of the lower sideband runs downwards; its span is its width.
    CfgStr lower = Defaults("LO=24 LO0=1100 Usb=0");
    SwpWindow lowerSideband(&lower);
    QCOMPARE(Boxes(lowerSideband, "AnFMin AnFMax AnFSpn"), QStringLiteral("AnFMin=1000 AnFMax=100 AnFSpn=900"));
  }

  // The status line states the plan or why there is none, and OK follows it;
  // Escape keeps everything entered. Start, stop, centre and span couple.
  void statusRangesStepAndCount() {
    CfgStr cfg = Defaults();
    SwpWindow dialog(&cfg);
    auto *status = W<QLabel>(dialog, "PlanSta");
    QVERIFY(status->text() == QStringLiteral("91 frequency points, 1 level step") && SweepOk(dialog)->isEnabled());

    W<QCheckBox>(dialog, "Log")->click();
    QCOMPARE(status->text(), QStringLiteral("200 frequency points, 1 level step"));
    W<QSpinBox>(dialog, "Cnt")->setValue(1);
    QVERIFY(status->text().contains(QStringLiteral("at least 2 points")) && !SweepOk(dialog)->isEnabled());
    W<QSpinBox>(dialog, "Cnt")->setValue(3);
    QVERIFY(status->text() == QStringLiteral("3 frequency points, 1 level step") && SweepOk(dialog)->isEnabled());

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
    QCOMPARE(status->text(), QStringLiteral("3000 frequency points, 3 level steps"));

    // A start of 0 MHz has no logarithm.
    Enter(dialog, "G1FMin", 0);
    QVERIFY(status->text().contains(QStringLiteral("above 0 MHz")) && !SweepOk(dialog)->isEnabled());
    W<QCheckBox>(dialog, "Log")->click();
    QVERIFY(SweepOk(dialog)->isEnabled());

    // A linear sweep needs a step; the message comes as soon as it is entered.
    Enter(dialog, "FSte", 0);
    QVERIFY(status->text().contains(QStringLiteral("step is 0 MHz")) && !SweepOk(dialog)->isEnabled());
    // Return in a box does not press the disabled OK either.
    dialog.show();
    auto *start = W<QDoubleSpinBox>(dialog, "G1FMin");
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Return);
    QVERIFY(dialog.isVisible());

    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Get(cfg, "RF0 Levels Count Log Step"), QStringLiteral("RF0=0 Levels=1 Count=3000 Log=0 Step=0"));

    CfgStr range = Defaults();
    SwpWindow coupling(&range);
    // A stop below the start keeps its negative span; the box cannot show it.
    Enter(coupling, "G1FMax", 50);
    QCOMPARE(Get(range, "RFSpan RFCentre"), QStringLiteral("RFSpan=-50 RFCentre=75"));
    QCOMPARE(Boxes(coupling, "G1FSpn"), QStringLiteral("G1FSpn=0"));

    // Centre 10 and span 40; the analyzer row follows the plan at once.
    Enter(coupling, "G1FCnt", 10);
    Enter(coupling, "G1FSpn", 40);
    QCOMPARE(Get(range, "RF0 RF1"), QStringLiteral("RF0=-10 RF1=30"));
    QCOMPARE(Boxes(coupling, "G1FMin AnFMax"), QStringLiteral("G1FMin=0 AnFMax=30"));

    // OK stores what the boxes show: start 0, centre and span as entered.
    SweepOk(coupling)->click();
    QCOMPARE(coupling.result(), int(QDialog::Accepted));
    QCOMPARE(Get(range, "RF0 RF1 RFCentre RFSpan"), QStringLiteral("RF0=0 RF1=30 RFCentre=10 RFSpan=40"));

    // The logarithmic sweep switches step and count; OK stores what is shown.
    CfgStr stepped = Defaults("Atten=2.25 N=2.5 D=1.5 LOL=7.5");
    SwpWindow stepping(&stepped);
    QCOMPARE(Boxes(stepping, "AnAtt G2LMin"), QStringLiteral("AnAtt=2.25 G2LMin=7.5"));
    // Num changed in its box, so its slot stored it; Den is shown as 1 without a change.
    QCOMPARE(QPoint(W<QSpinBox>(stepping, "Num")->value(), W<QSpinBox>(stepping, "Den")->value()), QPoint(2, 1));
    QCOMPARE(Get(stepped, "N D"), QStringLiteral("N=2 D=1.5"));
    QCOMPARE(Which(stepping, Shown, "", "FSte FSteLbl Cnt CntLbl"), QStringLiteral("FSte FSteLbl"));
    QCOMPARE(W(stepping, "Cnt")->geometry(), W(stepping, "FSte")->geometry());

    W<QCheckBox>(stepping, "Log")->click();
    QCOMPARE(Which(stepping, Shown, "", "FSte FSteLbl Cnt CntLbl"), QStringLiteral("Cnt CntLbl"));
    QCOMPARE(W<QSpinBox>(stepping, "Cnt")->value(), 200);
    QCOMPARE(Get(stepped, "Log Points"), QStringLiteral("Log=1 Points=200"));

    W<QCheckBox>(stepping, "Log")->click();
    QCOMPARE(Which(stepping, Shown, "", "FSte FSteLbl Cnt CntLbl"), QStringLiteral("FSte FSteLbl"));
    QCOMPARE(Get(stepped, "Log Points"), QStringLiteral("Log=0 Points=91"));

    Enter(stepping, "FSte", 100);  // a step alone changes no count
    QCOMPARE(Get(stepped, "Step Points"), QStringLiteral("Step=100 Points=91"));
    W<QCheckBox>(stepping, "Log")->click();
    W<QSpinBox>(stepping, "Cnt")->setValue(11);
    W<QDoubleSpinBox>(stepping, "G1LMin")->setValue(-12.345);
    Enter(stepping, "AnAtt", 6.5);
    SweepOk(stepping)->click();
    // Two decimals, as shown; the plan in force is the one of the stored settings.
    QCOMPARE(Get(stepped, "Log Count L0 Points Atten D"), "Log=2 Count=11 L0=-12.35 Points=11 Atten=6.5 D=1");

    W<QSpinBox>(stepping, "Num")->setValue(3);
    QCOMPARE(Get(stepped, "N IF1"), QStringLiteral("N=3 IF1=3000"));
  }

  // Same point count, other frequencies: the series cannot grow, be
  // normalized or be shown relative; Start begins a new one.
  void seriesRefusalsAndLevelRange() {
    QVERIFY(FakeVisa::load());
    window.reset(new MainWindow);
    CfgStr &cfg = MainWindowProbe(*window).cfg();
    Plan(cfg, 100.0);
    start(cfg);
    Plan(cfg, 500.0);  // as the sweep dialog's OK leaves it
    click("Repeat");
    click("Normalize");
    auto *absRel = W<QSlider>(*window, "AbsRel");
    absRel->setValue(1);
    const QString changed = QStringLiteral("The sweep frequencies have changed since this series was measured. "
                                           "Press Start to begin a new series.");
    QCOMPARE(prompts->shown(),
             QStringList({"Repeat: The sweep settings have changed since this series was measured. Press Start "
                          "to begin a new series.",
                          "Normalize: " + changed, "Relative Display: " + changed}));
    QCOMPARE(absRel->value(), 0);
    QCOMPARE(cfg.TraceCount, 1);
    QVERIFY(!cfg.NormData.isEmpty() && std::isnan(cfg.NormData[0]));
    // Nor saved under frequencies it was not measured at.
    QString reason;
    QCOMPARE(SaveDatFile(cfg, outDir.filePath("series.dat"), &reason), -1);
    QCOMPARE(reason, QStringLiteral("The sweep frequencies have changed since these traces were measured. "
                                    "Set the sweep back to save them, or press Start to begin a new series."));
    QVERIFY(!QFile::exists(outDir.filePath("series.dat")));

    start(cfg);
    QCOMPARE(prompts->messages.size(), 3);
    QCOMPARE(cfg.SeriesGen1Freqs.first(), 500.0);
    QCOMPARE(cfg.Traces[0][0][10], -16.0);

    // The window names the generator that refused a frequency. The sessions
    // are open by now, so every later run writes the same.
    Plan(cfg, 100.0);
    const int before = FakeVisa::writes().size();
    start(cfg);
    const int failing = FakeVisa::writes().mid(before).indexOf("FREQ 110000000.0;*OPC?\n");
    for (int i = 0; i < failing; ++i)
      FakeVisa::failNext("viWrite", VI_SUCCESS);
    FakeVisa::failNext("viWrite", VI_ERROR_TMO);
    prompts->messages.clear();
    start(cfg);
    QCOMPARE(prompts->shown(), QStringList{"Generator1 (RF): Frequency Setting Error."});

    // A reversed level range: the message box takes the focus from the field
    // just edited; its editing-finished must find the range already in order.
    prompts->messages.clear();
    auto *lmin = W<QDoubleSpinBox>(*window, "LMin");
    auto *lmax = W<QDoubleSpinBox>(*window, "LMax");
    Enter(*window, "LMax", 0.0);
    UserPrompt::setMessageHandler([this, lmin](const UserPrompt::Message &m) {
      prompts->messages << m;
      emit lmin->editingFinished();
      return QMessageBox::Ok;
    });
    Enter(*window, "LMin", 10.0);
    QCOMPARE(prompts->shown(), QStringList{"olmin=10 > olmax=0: Swapping olmin with olmax."});
    QCOMPARE(QPointF(lmin->value(), lmax->value()), QPointF(0, 10));
    QwtPlot *plot = W<QwtPlot>(*window, "plt");
    auto *autoLevel = W<QCheckBox>(*window, "AutoLvl");
    autoLevel->setChecked(false);
    emit autoLevel->clicked(false);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).interval(), QwtInterval(0.0, 10.0));

    // Axis labels never carry a group separator, whatever the locale.
    for (int axis : {int(QwtPlot::xBottom), int(QwtPlot::yLeft)})
      QCOMPARE(plot->axisScaleDraw(axis)->label(12500.5).text(), QStringLiteral("12500.5"));
  }
};

// A comma locale, with a group separator for the axis labels to refuse.
int main(int argc, char *argv[]) {
  QTemporaryDir home;
  UseHomeWithoutVisa(home.path());
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  SetInstrumentSleep([](int) {});
  TestSetup suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_setup.moc"
