// The About dialog: texts, tabs, links, the support text and its copy, and
// the Linux facts provider.
#include "dialogs/AboutWindow.h"
#include "dialogs/LinuxOSInfo.h"
#include "support/PromptRecorder.h"

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
  QList<SysSection> systemInformation() const override
  {
    return {{"Operating System", {{"", osName()}, {"Admin rights", "No"}}},
            {"Remote Control", {{"VISA", visaInfo()}}}};
  }
  QList<DriverSection> driverInformation() const override { return drivers; }
};

QStringList LabelTexts(QWidget *page)
{
  QStringList texts;
  for (QLabel *label : page->findChildren<QLabel *>())
    texts << label->text();
  return texts;
}

QStringList TabTitles(const QTabWidget *tabs)
{
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i)
    titles << tabs->tabText(i);
  return titles;
}

}  // namespace

class TstAbout : public QObject {
  Q_OBJECT

private slots:
  void textsTabsAndLinks()
  {
    auto info = std::make_unique<FakeOSInfo>();
    info->drivers = {{"Installed Kestrova VXI PnP drivers", {"libks1.so.3 (Version 3)"}}};
    AboutWindow about("Solvane64", "Tiravel", "5.3.0", "03-Feb-2017", "", nullptr, std::move(info));
    QCOMPARE(about.windowTitle(), QString("Information about Solvane64"));
    QCOMPARE(about.size(), QSize(570, 369));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(about.findChild<QLabel *>("NameLbl")->text(), QString("Solvane64"));
    QCOMPARE(about.findChild<QLabel *>("TitleLbl")->text(), QString("Tiravel"));
    QCOMPARE(about.findChild<QLabel *>("VersionLbl")->text(), QString("Version 5.3.0 64 bit (03-Feb-2017)"));
    const auto *tabs = about.findChild<QTabWidget *>("Tabs");
    QCOMPARE(TabTitles(tabs), (QStringList{"Legal Information", "Driver Information", "System Information"}));
    QVERIFY(LabelTexts(about.findChild<QWidget *>("DriverPage")).contains("libks1.so.3 (Version 3)"));
    const QStringList system = LabelTexts(about.findChild<QWidget *>("SystemPage"));
    QVERIFY(system.contains("Admin rights"));

    // Links lead to the bundled manual and to a mail without a made-up address.
    const QString page = about.findChild<QLabel *>("ProductPageLbl")->text();
    QVERIFY2(page.contains("file://") && page.contains("/Solvane.pdf\">Product page</a>"), qPrintable(page));
    const QString mail = about.findChild<QLabel *>("SupportMailLbl")->text();
    QVERIFY2(mail.startsWith("<a href=\"mailto:?subject=&amp;body=%3Cput%20your%20message%20here%3E%0A%0A----"),
             qPrintable(mail));
  }

  void supportTextAndItsCopy()
  {
    AboutWindow about("Solvane64", "Tiravel", "5.3.0", "03-Feb-2017", "", nullptr, std::make_unique<FakeOSInfo>());
    const QString expected = "*** Global Setup ***\nProduct: Solvane64\nVersion: 5.3.0\nDate: 03-Feb-2017\n\n"
                             "*** Operating System ***\n: Testix 1\nAdmin rights: No\n\n"
                             "*** Remote Control ***\nVISA: ---\n\n";
    QCOMPARE(about.SupportText(), expected);
    // Without driver sections the Driver Information tab is gone.
    QCOMPARE(TabTitles(about.findChild<QTabWidget *>("Tabs")), (QStringList{"Legal Information", "System Information"}));

    QApplication::clipboard()->setText("old");
    PromptRecorder prompts;
    QPushButton *copy = about.findChild<QPushButton *>();
    QCOMPARE(copy->text(), QString("copy support information to clipboard"));
    copy->click();
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, QString("Support information copied to clipboard.\nUse <CTRL+V> to paste "
                                               "the information in your mail program or text editor."));
  }

  void linuxFactsWithoutDrivers()
  {
    QTemporaryDir dir;
    QFile release(dir.filePath("os-release"));
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.write("NAME=\"Testix\"\nPRETTY_NAME=\"Testix GNU/Linux 12 (calm)\"\nID=testix\n");
    release.close();
    LinuxOSInfo info({release.fileName(), dir.filePath("none"), QString(), {dir.path()}});
    QCOMPARE(info.osName(), QString("Testix GNU/Linux 12 (calm)"));

    QStringList drivers;
    for (const DriverSection &section : info.driverInformation())
      drivers << section.title << section.entries;
    QCOMPARE(drivers, (QStringList{"Installed Kestrova VXI PnP drivers", "No VXI driver found",
                                   "Installed Kestrova IVI drivers", "No IVI driver found",
                                   "Installed Kestrova USB drivers", "No USB driver found"}));

    AboutWindow about("Solvane64", "Tiravel", "5.3.0", "03-Feb-2017", "", nullptr,
                      std::make_unique<LinuxOSInfo>(LinuxOSInfo::Places{release.fileName(), "", "", {}}));
    const QStringList titles = about.SupportText().split('\n').filter(QRegularExpression("^\\*\\*\\* "));
    QCOMPARE(titles, (QStringList{"*** Global Setup ***", "*** Operating System ***", "*** Language Settings ***",
                                  "*** Library versions ***", "*** Remote Control ***", "*** KS USB Drivers ***"}));
    QVERIFY(about.SupportText().contains("\n: Testix GNU/Linux 12 (calm)\nInstalled: "));
    QVERIFY(about.SupportText().contains(QString("\nQt runtime: ") + qVersion() + "\n"));
    QVERIFY(!about.SupportText().contains("driver found"));
  }

  void linuxDriverFoldersAndVersions()
  {
    QTemporaryDir dir;
    QFile lib(dir.filePath("libksgen.so.4.1.2"));
    QVERIFY(lib.open(QIODevice::WriteOnly));
    lib.close();
    QVERIFY(QFile::link(lib.fileName(), dir.filePath("libksgen.so")));
    QCOMPARE(LinuxOSInfo::LibraryVersion(dir.filePath("libksgen.so")), QString("4.1.2"));
    QCOMPARE(LinuxOSInfo::LibraryVersion(dir.filePath("missing.so")), kNoFact);

    LinuxOSInfo info({"", dir.path(), "", {}});
    QCOMPARE(info.driverInformation()[0].entries,
             (QStringList{"libksgen.so (Version 4.1.2)", "libksgen.so.4.1.2 (Version 4.1.2)"}));
    QCOMPARE(info.osName(), kNoFact);
  }
};

QTEST_MAIN(TstAbout)
#include "tst_about.moc"
