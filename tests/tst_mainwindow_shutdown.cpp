// Closing the main window: the instruments are closed before the settings
// are written, against the recording fake VISA library.
#include "app/MainWindow.h"
#include "instruments/VisaLibrary.h"
#include "storage/CfgFile.h"
#include "support/FakeVisa.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindowShutdown : public QObject {
  Q_OBJECT

private slots:
  void closesInstrumentsThenWritesConfiguration();
};

namespace {

ViSession OpenSession(const QString &resource)
{
  ViSession rm = VI_NULL, session = VI_NULL;
  visa::openDefaultRM(rm);
  visa::open(rm, resource, 0, session);
  return session;
}

}  // namespace

void TestMainWindowShutdown::closesInstrumentsThenWritesConfiguration()
{
  PromptRecorder prompts;
  QVERIFY(FakeVisa::load());
  int before = 0;
  CfgStr paths;
  CfgPaths(paths);
  QFile::remove(paths.CfgPath);
  {
    MainWindow window;
    QVERIFY(prompts.messages.isEmpty());  // the fake is a complete VISA library
    CfgStr &cfg = MainWindowProbe(window).cfg();
    cfg.Gen2.Type = cfg.Gen1.Type;
    cfg.Gen1.Session = OpenSession(QStringLiteral("GPIB0::28::INSTR"));
    cfg.Gen2.Session = OpenSession(QStringLiteral("GPIB0::27::INSTR"));
    cfg.Ana.Session = OpenSession(QStringLiteral("GPIB0::20::INSTR"));
    before = FakeVisa::transcript().size();
    QVERIFY(!QFile::exists(paths.CfgPath));
  }
  const QStringList closes = FakeVisa::transcript().mid(before).filter(QRegularExpression(QStringLiteral("^viClose ")));
  QCOMPARE(closes, (QStringList{"viClose 1", "viClose 1000", "viClose 2", "viClose 1001", "viClose 3",
                                "viClose 1002"}));
  QCOMPARE(QSettings(paths.CfgPath, QSettings::IniFormat).allKeys().size(), 115);
}

// HOME and the data folder point into a temporary folder, so the user's own
// configuration is never touched.
int main(int argc, char *argv[])
{
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  QApplication app(argc, argv);
  TestMainWindowShutdown suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_mainwindow_shutdown.moc"
