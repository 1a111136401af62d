// What the program gives its user to read: the About dialog with its support
// text and the Linux facts provider, Print Data and Print Graph printed into
// PDF files, and the built manual, both read back with pdftotext.
#include "dialogs/AboutWindow.h"
#include "dialogs/LinuxOSInfo.h"
#include "storage/PrintSeam.h"
#include "storage/Printing.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"

#include <QtTest>
#include <QtWidgets>

namespace {

class FakeOSInfo : public OSInfo {
public:
  QList<DriverSection> drivers;
  QString osName() const override { return "Testix 1"; }
  QString country() const override { return "Germany"; }
  QString language() const override { return "German"; }
  QString localeId() const override { return "de_DE.UTF-8"; }
  QString visaInfo() const override { return kNoFact; }
  QString sensorControlInfo() const override { return kNoFact; }
  QList<SysSection> systemInformation() const override {
    return {{"Operating System", {{"", osName()}, {"Admin rights", "No"}}}, {"Remote Control", {{"VISA", visaInfo()}}}};
  }
  QList<DriverSection> driverInformation() const override { return drivers; }
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
  cfg.TraceCount = 1;
  cfg.LevelCount = 1;
  cfg.PointCount = points;
  cfg.Traces = {TraceRec(1, QVector<double>(points))};
  for (int i = 0; i < points; ++i) {
    cfg.AnaFreqs.append(100.0 + i * 2.5);
    cfg.Traces[0][0][i] = -10.0 - i / 1000.0;
  }
  return cfg;
}

QString Run(const QString &program, const QStringList &args) {
  QProcess process;
  process.start(program, args);
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF, one string per page, lines as laid out.
QStringList PdfPages(const QString &pdf) {
  QStringList pages = Run("pdftotext", {"-layout", pdf, "-"}).split('\f');
  pages.removeLast();  // after the last page's form feed
  return pages;
}

bool HavePdfTools() { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }
const char *const kNoPdfTools = "pdftotext (Debian package poppler-utils) is missing; scripts/setup installs it";

}  // namespace

class TestDocuments : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString pdf;
  QList<QPrinter::PrinterMode> modes;  // of the printers made

private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    PrintSeam::setPrinterFactory([this](QPrinter::PrinterMode mode) {
      modes << mode;
      auto printer = std::make_unique<QPrinter>(mode);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return printer;
    });
  }

  void init() {
    static int n = 0;
    pdf = dir.filePath(QString("print%1.pdf").arg(++n));
    modes.clear();
  }

  void aboutTextsTabsAndLinks() {
    auto info = std::make_unique<FakeOSInfo>();
    info->drivers = {{"Installed Kestrova VXI PnP drivers", {"libks1.so.3 (Version 3)"}}};
    const auto about = About(std::move(info));
    QCOMPARE(about->windowTitle(), QString("Information about Solvane64"));
    QCOMPARE(about->size(), QSize(570, 369));
    QCOMPARE(Label(*about, "NameLbl") + '|' + Label(*about, "TitleLbl") + '|' + Label(*about, "VersionLbl"),
             QString("Solvane64|Tiravel|Version 5.3.0 64 bit (03-Feb-2017)"));
    QCOMPARE(TabTitles(*about), (QStringList{"Legal Information", "Driver Information", "System Information"}));
    QStringList texts;
    for (const char *page : {"DriverPage", "SystemPage"})
      for (QLabel *label : about->findChild<QWidget *>(page)->findChildren<QLabel *>())
        texts << label->text();
    QVERIFY(texts.contains("libks1.so.3 (Version 3)") && texts.contains("Admin rights"));
    // Links lead to the bundled manual and to a mail without a made-up address.
    const QString page = Label(*about, "ProductPageLbl");
    QVERIFY2(page.contains("file://") && page.contains("/Solvane.pdf\">Product page</a>"), qPrintable(page));
    const QString mail = Label(*about, "SupportMailLbl");
    QVERIFY2(mail.startsWith("<a href=\"mailto:?subject=&amp;body=%3Cput%20your%20message%20here%3E%0A%0A----"),
             qPrintable(mail));
  }

  void aboutSupportTextAndItsCopy() {
    const auto about = About(std::make_unique<FakeOSInfo>());
    const QString expected = "*** Global Setup ***\nProduct: Solvane64\nVersion: 5.3.0\nDate: 03-Feb-2017\n\n"
                             "*** Operating System ***\n: Testix 1\nAdmin rights: No\n\n"
                             "*** Remote Control ***\nVISA: ---\n\n";
    QCOMPARE(about->SupportText(), expected);
    // Without driver sections the Driver Information tab is gone.
    QCOMPARE(TabTitles(*about), (QStringList{"Legal Information", "System Information"}));
    QApplication::clipboard()->setText("old");
    PromptRecorder prompts;
    QPushButton *copy = about->findChild<QPushButton *>();
    QCOMPARE(copy->text(), QString("copy support information to clipboard"));
    copy->click();
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, QString("Support information copied to clipboard.\nUse <CTRL+V> to paste "
                                               "the information in your mail program or text editor."));
  }

  void linuxFacts() {
    const QString release = dir.filePath("os-release");
    QVERIFY(WriteAll(release, "NAME=\"Testix\"\nPRETTY_NAME=\"Testix GNU/Linux 12 (calm)\"\nID=testix\n"));
    QCOMPARE(LinuxOSInfo({release, "", "", {}}).osName(), QString("Testix GNU/Linux 12 (calm)"));
    QCOMPARE(LinuxOSInfo({dir.filePath("none"), "", "", {}}).osName(), kNoFact);

    QStringList drivers;
    for (const DriverSection &section : LinuxOSInfo({"", dir.filePath("none"), "", {dir.path()}}).driverInformation())
      drivers << section.title << section.entries;
    QCOMPARE(drivers, (QStringList{"Installed Kestrova VXI PnP drivers", "No VXI driver found",
                                   "Installed Kestrova IVI drivers", "No IVI driver found",
                                   "Installed Kestrova USB drivers", "No USB driver found"}));

    // The support text lists the system sections and their facts in order, and no driver section.
    const QString text = About(std::make_unique<LinuxOSInfo>(LinuxOSInfo::Places{release, "", "", {}}))
                             ->SupportText();
    QVERIFY(text.contains("\n: Testix GNU/Linux 12 (calm)\nInstalled: "));
    QVERIFY(text.contains(QString("\nQt runtime: ") + qVersion() + "\n"));
    QVERIFY(!text.contains("driver found"));
    QStringList keys;
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts))
      keys << line.section(": ", 0, 0);
    QCOMPARE(keys.join('|'), "*** Global Setup ***|Product|Version|Date|*** Operating System ***||Installed|"
                             "Admin rights|*** Language Settings ***|Country|Language|Local ID|"
                             "*** Library versions ***|Qt runtime|Plot library|C library|Infodesk|"
                             "*** Remote Control ***|IEEE driver|VISA|KSIB|*** KS USB Drivers ***|Vorn Control|"
                             "PWM Control2");

    const QString libraries = dir.filePath("lib");
    QVERIFY(QDir().mkpath(libraries));
    QVERIFY(WriteAll(libraries + "/libksgen.so.4.1.2", {}));
    QVERIFY(QFile::link(libraries + "/libksgen.so.4.1.2", libraries + "/libksgen.so"));
    QCOMPARE(LinuxOSInfo::LibraryVersion(libraries + "/libksgen.so"), QString("4.1.2"));
    QCOMPARE(LinuxOSInfo::LibraryVersion(libraries + "/missing.so"), kNoFact);
    QCOMPARE(LinuxOSInfo({"", libraries, "", {}}).driverInformation()[0].entries,
             (QStringList{"libksgen.so (Version 4.1.2)", "libksgen.so.4.1.2 (Version 4.1.2)"}));
  }

  // A decimal point under a comma locale, CR LF line ends, and no point
  // lines without a trace.
  void printDataText() {
    QCOMPARE(PrintDataText(OneTrace(3)),
             QString("Repetition  Count: 1\r\nLevel Sweep Count: 1\r\nMeasurement Count: 3\r\n"
                     "100.00 -10.000 \r\n102.50 -10.001 \r\n105.00 -10.002 \r\n"));
    CfgStr none;
    none.PointCount = 91;
    QCOMPARE(PrintDataText(none), QString("Repetition  Count: 0\r\nLevel Sweep Count: 0\r\nMeasurement Count: 91\r\n"));
  }

  void printDataOnOneAndOnSeveralPages() {
    if (!HavePdfTools())
      QSKIP(kNoPdfTools);
    QVERIFY(PrintData(OneTrace(3)));
    QCOMPARE(modes, QList<QPrinter::PrinterMode>{QPrinter::ScreenResolution});
    QStringList pages = PdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].split('\n', Qt::SkipEmptyParts).replaceInStrings(QRegularExpression("^\\s+|\\s+$"), ""),
             (QStringList{"Repetition Count: 1", "Level Sweep Count: 1", "Measurement Count: 3", "100.00 -10.000",
                          "102.50 -10.001", "105.00 -10.002"}));

    init();
    QVERIFY(PrintData(OneTrace(500)));
    pages = PdfPages(pdf);
    qInfo("500 points printed on %d pages", int(pages.size()));
    QVERIFY(pages.size() > 1);
    const QStringList words = pages.join('\n').split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const int first = words.indexOf("100.00");
    QVERIFY(first > 0);
    for (int i = 0; i < 500; ++i) {
      QCOMPARE(words.value(first + 2 * i), QString::number(100.0 + i * 2.5, 'f', 2));
      QCOMPARE(words.value(first + 2 * i + 1), QString::number(-10.0 - i / 1000.0, 'f', 3));
    }
    QCOMPARE(words.size(), first + 1000);
  }

  void printGraphItsCancelledDialogAndAFailingPrinter() {
    if (!HavePdfTools())
      QSKIP(kNoPdfTools);
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
    QCOMPARE(modes, (QList<QPrinter::PrinterMode>{QPrinter::HighResolution, QPrinter::HighResolution}));
    QCOMPARE(PdfPages(pdf).size(), 1);

    pdf = dir.path();  // a folder: the printer cannot start, and that is reported
    QVERIFY(!PrintGraph(&window));
    PrintSeam::setPrinterChooser(nullptr);
    QVERIFY(!PrintData(OneTrace(3)));
  }

  // The contents page gives the page each chapter and section starts on, no
  // heading stands alone at the foot of a page, listings are in a monospace
  // font, and the pictures of the window are in it.
  void manual() {
    if (!HavePdfTools())
      QSKIP(kNoPdfTools);
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
      QStringList lines = pages[page - 1].split('\n');
      for (QString &l : lines)
        l = l.trimmed();
      lines.removeAll(QString());
      const int at = lines.indexOf(heading);
      QVERIFY2(at >= 0, qPrintable(heading + " is not on page " + m.captured(2)));
      // The last line is the page number; the one above it must not be a heading.
      QVERIFY2(at < lines.size() - 2, qPrintable(heading + " stands alone at the foot of its page"));
      checked << heading;
    }
    QVERIFY(pages[0].contains("Contents"));
    for (const char *heading : {"1 Before you start", "4.3 Markers", "6.5 Export Graph", "9 Terms of use"})
      QVERIFY2(checked.contains(heading), heading);

    QVERIFY(Run("pdffonts", {manual}).contains("DejaVuSansMono"));
    const QStringList images = Run("pdfimages", {"-list", manual}).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(images.size() >= 2 + 2, qPrintable(images.join('\n')));  // two header lines, two pictures
  }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
