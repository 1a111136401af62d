// The About dialog: texts, tabs, links, the support text and its copy, and
// the Linux facts provider.
#include "dialogs/AboutWindow.h"
#include "dialogs/LinuxOSInfo.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

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

QStringList Texts(const AboutWindow &about, const char *page) {
  QStringList texts;
  for (QLabel *label : about.findChild<QWidget *>(page)->findChildren<QLabel *>())
    texts << label->text();
  return texts;
}

QStringList TabTitles(const AboutWindow &about) {
  const auto *tabs = about.findChild<QTabWidget *>("Tabs");
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i)
    titles << tabs->tabText(i);
  return titles;
}

QString Label(const AboutWindow &about, const char *name) { return about.findChild<QLabel *>(name)->text(); }

}  // namespace

class TstAbout : public QObject {
  Q_OBJECT

private slots:
  void textsTabsAndLinks() {
    auto info = std::make_unique<FakeOSInfo>();
    info->drivers = {{"Installed Kestrova VXI PnP drivers", {"libks1.so.3 (Version 3)"}}};
    const auto about = About(std::move(info));
    QCOMPARE(about->windowTitle(), QString("Information about Solvane64"));
    QCOMPARE(about->size(), QSize(570, 369));
    QCOMPARE(Label(*about, "NameLbl") + '|' + Label(*about, "TitleLbl") + '|' + Label(*about, "VersionLbl"),
             QString("Solvane64|Tiravel|Version 5.3.0 64 bit (03-Feb-2017)"));
    QCOMPARE(TabTitles(*about), (QStringList{"Legal Information", "Driver Information", "System Information"}));
    QVERIFY(Texts(*about, "DriverPage").contains("libks1.so.3 (Version 3)"));
    QVERIFY(Texts(*about, "SystemPage").contains("Admin rights"));
    // Links lead to the bundled manual and to a mail without a made-up address.
    const QString page = Label(*about, "ProductPageLbl");
    QVERIFY2(page.contains("file://") && page.contains("/Solvane.pdf\">Product page</a>"), qPrintable(page));
    const QString mail = Label(*about, "SupportMailLbl");
    QVERIFY2(mail.startsWith("<a href=\"mailto:?subject=&amp;body=%3Cput%20your%20message%20here%3E%0A%0A----"),
             qPrintable(mail));
  }

  void supportTextAndItsCopy() {
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
    QTemporaryDir dir;
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
                             "Admin rights|*** Language Settings ***|Country|Language|Local ID|*** Library versions ***|"
                             "Qt runtime|Plot library|C library|Infodesk|*** Remote Control ***|IEEE driver|VISA|KSIB|"
                             "*** KS USB Drivers ***|Vorn Control|PWM Control2");

    QVERIFY(WriteAll(dir.filePath("libksgen.so.4.1.2"), {}));
    QVERIFY(QFile::link(dir.filePath("libksgen.so.4.1.2"), dir.filePath("libksgen.so")));
    QCOMPARE(LinuxOSInfo::LibraryVersion(dir.filePath("libksgen.so")), QString("4.1.2"));
    QCOMPARE(LinuxOSInfo::LibraryVersion(dir.filePath("missing.so")), kNoFact);
    QCOMPARE(LinuxOSInfo({"", dir.path(), "", {}}).driverInformation()[0].entries,
             (QStringList{"libksgen.so (Version 4.1.2)", "libksgen.so.4.1.2 (Version 4.1.2)"}));
  }
};

QTEST_MAIN(TstAbout)
#include "tst_about.moc"
