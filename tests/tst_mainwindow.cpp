// The main window without a usable VISA library: its form, start-up messages
// and configuration file; and what its Help and Results menus give to read,
// printed PDF files and the built manual read back with pdftotext.
#include "app/MainWindow.h"
#include "dialogs/AboutWindow.h"
#include "dialogs/LinuxOSInfo.h"
#include "storage/PrintSeam.h"
#include "storage/Printing.h"
#include "support/CfgFields.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"

#include <QtWidgets>
#include <QtTest>
#include <qwt_plot.h>

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

class FakeOSInfo : public OSInfo {
public:
  QString osName() const override { return "Testix 1"; }
  QString country() const override { return "Germany"; }
  QString language() const override { return "German"; }
  QString localeId() const override { return "de_DE.UTF-8"; }
  QString visaInfo() const override { return kNoFact; }
  QString sensorControlInfo() const override { return kNoFact; }
  QList<SysSection> systemInformation() const override {
    return {{"Operating System", {{"", osName()}, {"Admin rights", "No"}}}, {"Remote Control", {{"VISA", visaInfo()}}}};
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
  QStringList pages = ProgramOutput("pdftotext", {"-layout", pdf, "-"}).split('\f');
  pages.removeLast();  // after the last page's form feed
  return pages;
}


}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
  QTemporaryDir outDir;

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
                                      "AbsRel SwpTime"),
             QStringLiteral("Devices Sweep Start Quit"));
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
    prompts->messages.clear();
    WriteCfg(path, {{"Ana/Type", 75}, {"Ana/VXI Path", "C:/elsewhere/"}});
    { MainWindow window; }
    QCOMPARE(titles(), (QStringList{"VISA Error", "Analyzer/Power Meter (IF)"}));
    QCOMPARE(prompts->messages.last().kind, UserPrompt::Kind::Warning);
    QCOMPARE(prompts->messages.last().text,
             QStringLiteral("Kestrova PWU VXIpnp driver not installed. Changed Analyzer to PWM."));
    QCOMPARE(Stored(path, "Ana/Type").toInt(), 73);
    // the driver folder always follows the environment, whatever the file held
    QCOMPARE(Stored(path, "Ana/VXI Path").toString(), qEnvironmentVariable("VXIPNPPATH64") + "Win64/Bin/");

    prompts->messages.clear();
    WriteCfg(path, {{"Ana/Type", 74}});
    { MainWindow window; }
    QCOMPARE(titles(), QStringList{"VISA Error"});
    QCOMPARE(Stored(path, "Ana/Type").toInt(), 74);

    prompts->messages.clear();
    WriteCfg(path, {{"Sweep/Step Freq", 0.0}});
    {
      MainWindow window;
      QCOMPARE(titles(), (QStringList{"VISA Error", "Sweep"}));
      QVERIFY(!prompts->messages.last().text.isEmpty());
      QVERIFY(W<QPushButton>(window, "Start")->isEnabled());
    }
    // Sweep settings that give no finite plan or axis are refused with the
    // plan's own message; the window starts and its axis is finite.
    prompts->messages.clear();
    WriteCfg(path, {{"Sweep/Numerator", "inf"}, {"Display/X Sweep Settings", true}});
    {
      MainWindow window;
      QCOMPARE(titles(), (QStringList{"Sweep", "VISA Error"}));
      QCOMPARE(prompts->messages.first().text, "The sweep settings give frequencies or levels that are not finite "
                                               "numbers. Check the frequencies, the steps and the factor N/D. The "
                                               "sweep settings of the file are not used; the defaults are.");
      const QwtInterval x = W<QwtPlot>(window, "plt")->axisInterval(QwtPlot::xBottom);
      QCOMPARE(QString("%1 %2").arg(x.minValue()).arg(x.maxValue()), QString("100 1000"));
    }

    // The display settings and the place of the window are restored.
    WriteCfg(path, {{"Display/Start Freq", 12.5}, {"Display/Stop Freq", 4321.125}, {"Display/X Sweep Settings", true},
                    {"Display/X Autoscale", true}, {"Display/X Log Scale", true}, {"Display/Y1 Autoscale", false},
                    {"Display/Y2 Start Level", -87.5}, {"Display/Y2 Stop Level", 12.25}, {"Sweep/Dwell", 2.5},
                    {"Sweep/Normalize Gen", 1}, {"Position/x", 250}, {"Position/y", 120}});
    MainWindow restored;
    QCOMPARE(restored.pos(), QPoint(250, 120));
    QCOMPARE(Boxes(restored, "FMin FMax LMin LMax Dwell"),
             QStringLiteral("FMin=12.5 FMax=4321.125 LMin=-87.5 LMax=12.25 Dwell=2.5"));
    QCOMPARE(Which(restored, Checked, "", "SwpFrq AutoFrq LogFrq AutoLvl"), QStringLiteral("SwpFrq AutoFrq LogFrq"));
    QCOMPARE(W<QComboBox>(restored, "NrmGen")->currentIndex(), 1);

    WriteCfg(path, {{"Position/x", 50000}, {"Position/y", -9000}});
    MainWindow offScreen;
    QCOMPARE(offScreen.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    // Kept while the point by which it is dragged, 40 px in and 10 px down, is on a screen.
    const QPoint corner = QGuiApplication::primaryScreen()->geometry().bottomRight() - QPoint(40, 10);
    WriteCfg(path, {{"Position/x", corner.x()}, {"Position/y", corner.y()}});
    QCOMPARE(MainWindow().pos(), corner);

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
      auto *dwell = W<QDoubleSpinBox>(window, "Dwell");
      dwell->setValue(0.75);
      emit dwell->editingFinished();
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
    QApplication::clipboard()->setText("old");
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
    const QString page = Label(*about, "ProductPageLbl");
    QVERIFY2(page.contains("file://") && page.contains("/Solvane.pdf\">Product page</a>"), qPrintable(page));
    const QString mail = Label(*about, "SupportMailLbl");
    QVERIFY2(mail.startsWith("<a href=\"mailto:?subject=&amp;body=%3Cput%20your%20message%20here%3E%0A%0A----"),
             qPrintable(mail));

    QCOMPARE(LinuxOSInfo({release, "", "", {}}).osName(), QString("Testix GNU/Linux 12 (calm)"));
    QCOMPARE(LinuxOSInfo({outDir.filePath("none"), "", "", {}}).osName(), kNoFact);

    QStringList drivers;
    const LinuxOSInfo::Places noDrivers{"", outDir.filePath("none"), "", {outDir.path()}};
    for (const DriverSection &section : LinuxOSInfo(noDrivers).driverInformation())
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
    window.resize(400, 300);
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
    QVERIFY(pages[0].contains("Contents"));
    for (const char *heading : {"1 Before you start", "4.3 Markers", "6.5 Export Graph", "9 Terms of use"})
      QVERIFY2(checked.contains(heading), heading);

    QVERIFY(ProgramOutput("pdffonts", {manual}).contains("DejaVuSansMono"));
    const QStringList images = ProgramOutput("pdfimages", {"-list", manual}).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(images.size() >= 2 + 2, qPrintable(images.join('\n')));  // two header lines, two pictures
  }

private:
  QStringList titles() const { return prompts->shown(false); }
  std::unique_ptr<PromptRecorder> prompts;
};

int main(int argc, char *argv[]) {
  QTemporaryDir home;
  UseHomeWithoutVisa(home.path());
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TestMainWindow suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_mainwindow.moc"
