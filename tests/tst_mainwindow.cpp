// The main window without a usable VISA library: its form, start-up messages
// and the configuration file it reads and writes.
#include "app/MainWindow.h"
#include "storage/CfgFile.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"

#include <QtWidgets>
#include <QtTest>
#include <memory>
#include <qwt_plot.h>

namespace {

void WriteCfg(const QString &path, const QList<QPair<QString, QVariant>> &keys) {
  QFile::remove(path);
  QSettings settings(path, QSettings::IniFormat);
  for (const auto &key : keys)
    settings.setValue(key.first, key.second);
}

QVariant Stored(const QString &path, const QString &key) { return QSettings(path, QSettings::IniFormat).value(key); }
int KeyCount(const QString &path) { return QSettings(path, QSettings::IniFormat).allKeys().size(); }

void Trigger(MainWindow &window, const char *action) { W<QAction>(window, action)->trigger(); }

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

private slots:
  void init() {
    QDir(DefaultCfgPath()).removeRecursively();
    QFile::remove(DefaultCfgPath());
    prompts.reset(new PromptRecorder);
  }

  void cleanup() {
    UserPrompt::setOpenFileHandler(nullptr);
    UserPrompt::setSaveFileHandler(nullptr);
    prompts.reset();
  }

  void formAndMenusAtStart() {
    MainWindow window;
    QCOMPARE(MainWindow::WindowTitle(), QStringLiteral("Solvane64 v5.3.0"));
    QCOMPARE(window.minimumSize(), QSize(786, 562));
    QCOMPARE(window.maximumSize(), QSize(786, 562));
    QVERIFY(!window.windowIcon().pixmap(32).isNull());
    for (const char *image : {"Start.png", "Update.png", "Stop.png", "Minus.png"})
      QVERIFY2(!QPixmap(QStringLiteral(":/Vexa_common/src/qt5/images/") + image).isNull(), image);
    QCOMPARE(W<QwtPlot>(window, "plt")->geometry(), QRect(110, 10, 661, 441));
    QVERIFY(W<QWidget>(window, "TMsg")->isHidden());
    QCOMPARE(Which(window, Enabled, "", "Devices Sweep Start Quit Repeat Normalize Stop Del Gen1 Gen2 Ana NIdx "
                                        "AbsRel SwpTime"),
             QStringLiteral("Devices Sweep Start Quit"));
    QCOMPARE(W<QPushButton>(window, "Del")->toolTip(), QStringLiteral("Delete Last Trace"));
    QCOMPARE(W<QComboBox>(window, "NrmGen")->currentText(), QStringLiteral("Receiver"));
    // Numbers keep the decimal point under the comma locale the suite runs in.
    auto *dwell = W<QDoubleSpinBox>(window, "Dwell");
    dwell->setValue(1.25);
    QCOMPARE(dwell->text() + ' ' + W<QDoubleSpinBox>(window, "FMax")->text(), QStringLiteral("1.25 1000.000000"));
    QVERIFY(!W<QCheckBox>(window, "RunCont")->isChecked());
    QStringList shown;  // the menus in order, every entry enabled
    for (QAction *menu : window.menuBar()->actions()) {
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
  }

  void visaAndSensorDriverMissing() {
    const QString path = DefaultCfgPath();
    { MainWindow window; }
    QCOMPARE(titles(), QStringList{"VISA Error"});
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Information);
    QCOMPARE(prompts->messages[0].text, QStringLiteral("The VISA Library could not be loaded."));

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
  }

  void badConfigurationExplainedAtStart() {
    WriteCfg(DefaultCfgPath(), {{"Sweep/Step Freq", 0.0}});
    {
      MainWindow window;
      QCOMPARE(titles(), (QStringList{"VISA Error", "Sweep"}));
      QVERIFY(!prompts->messages.last().text.isEmpty());
      QVERIFY(W<QPushButton>(window, "Start")->isEnabled());
    }
    QFile::remove(DefaultCfgPath());
    prompts->messages.clear();
    QVERIFY(QDir().mkpath(DefaultCfgPath()));  // a folder where the file should be
    MainWindow window;
    QCOMPARE(titles(), (QStringList{"Configuration", "VISA Error"}));
    QVERIFY(prompts->messages.first().text.contains(QStringLiteral("could not be read")));
    QCOMPARE(W<QDoubleSpinBox>(window, "FMax")->value(), 1000.0);
  }

  void displaySettingsRestored() {
    WriteCfg(DefaultCfgPath(), {{"Display/Start Freq", 12.5}, {"Display/Stop Freq", 4321.125},
                                {"Display/X Sweep Settings", true}, {"Display/X Autoscale", true},
                                {"Display/X Log Scale", true}, {"Display/Y1 Autoscale", false},
                                {"Display/Y2 Start Level", -87.5}, {"Display/Y2 Stop Level", 12.25},
                                {"Sweep/Dwell", 2.5}, {"Sweep/Normalize Gen", 1}, {"Position/x", 250},
                                {"Position/y", 120}});
    MainWindow window;
    QCOMPARE(window.pos(), QPoint(250, 120));
    const QPair<const char *, double> values[] = {
        {"FMin", 12.5}, {"FMax", 4321.125}, {"LMin", -87.5}, {"LMax", 12.25}, {"Dwell", 2.5}};
    for (const auto &value : values)
      QCOMPARE(W<QDoubleSpinBox>(window, value.first)->value(), value.second);
    const QPair<const char *, bool> boxes[] = {
        {"SwpFrq", true}, {"AutoFrq", true}, {"LogFrq", true}, {"AutoLvl", false}};
    for (const auto &box : boxes)
      QVERIFY2(W<QCheckBox>(window, box.first)->isChecked() == box.second, box.first);
    QCOMPARE(W<QComboBox>(window, "NrmGen")->currentIndex(), 1);
  }

  void quittingWritesConfiguration() {
    const QString path = DefaultCfgPath();
    {
      MainWindow window;
      QVERIFY(!QFile::exists(path));
      for (const char *quit : {"Quit", "actionQuit"}) {
        window.show();
        if (auto *button = window.findChild<QPushButton *>(quit))
          button->click();
        else
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
    QCOMPARE(KeyCount(path), 116);
    const QPair<const char *, double> keys[] = {{"Position/x", 40},    {"Position/y", 60},
                                                {"Position/dx", 786},  {"Position/dy", 562},
                                                {"Sweep/Dwell", 0.75}, {"Sweep/Normalize Gen", 1}};
    for (const auto &key : keys)
      QCOMPARE(Stored(path, key.first).toDouble(), key.second);
  }

  void positionOffEveryScreenComesBack() {
    WriteCfg(DefaultCfgPath(), {{"Position/x", 50000}, {"Position/y", -9000}});
    MainWindow window;
    QCOMPARE(window.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
  }

  void openAndSaveAs() {
    QTemporaryDir dir;
    const QString path = DefaultCfgPath(), chosen = dir.filePath("bench.cfg"), copy = dir.filePath("copy.cfg");
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
    answer = dir.filePath("gone.cfg");
    Trigger(window, "actionOpen");
    QCOMPARE(asked, (QStringList{"Open File", QFileInfo(path).path(), "Config File (*.cfg);;All Files (*.*)"}));
    QCOMPARE(prompts->messages.size(), 1);
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Warning);
    QCOMPARE(dwell->value(), 1.5);

    answer = chosen;
    Trigger(window, "actionOpen");
    QCOMPARE(dwell->value(), 3.25);
    QVERIFY(!W<QCheckBox>(window, "SwpFrq")->isChecked());
    QVERIFY(W<QLineEdit>(window, "Gen1")->text().isEmpty());
    QVERIFY(W<QPushButton>(window, "Start")->isEnabled());
    QVERIFY(!W<QPushButton>(window, "Normalize")->isEnabled());  // no trace to take it from
    Trigger(window, "actionSave");
    QCOMPARE(Stored(path, "Sweep/Dwell").toDouble(), 3.25);
    QCOMPARE(KeyCount(chosen), 2);

    QFile::remove(path);
    window.move(123, 45);
    answer = copy;
    Trigger(window, "actionSave_as");
    QCOMPARE(asked.mid(0, 1) + asked.mid(2), (QStringList{"Save Cfg File as..", "Config File (*.cfg)"}));
    QCOMPARE(Stored(copy, "Position/x").toInt(), 123);
    QCOMPARE(KeyCount(copy), 116);
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

  void cancelledSetupDialogsRewriteDefaultFile() {
    const QString path = DefaultCfgPath();
    MainWindow window;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [] {
      if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    cancel.start(10);
    for (const char *entry : {"Devices", "Sweep", "actionDevices", "actionSweep"}) {
      QFile::remove(path);
      if (auto *button = window.findChild<QPushButton *>(entry))
        button->click();
      else
        Trigger(window, entry);
      QVERIFY2(QFile::exists(path), entry);
    }
  }

private:
  QStringList titles() const {
    QStringList shown;
    for (const UserPrompt::Message &message : prompts->messages)
      shown << message.title;
    return shown;
  }
  std::unique_ptr<PromptRecorder> prompts;
};

// The user's real configuration and drivers are never touched: HOME and the
// data folder point into a temporary folder, the sensor-driver folder is
// empty, and the VISA library named is one without VISA functions.
int main(int argc, char *argv[]) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  qputenv("VXIPNPPATH64", (home.path() + "/vxipnp/").toLocal8Bit());
  qputenv("SOLVANE_VISA_LIBRARY",
          (QLibraryInfo::location(QLibraryInfo::LibrariesPath) + "/libQt5Core.so.5").toLocal8Bit());
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TestMainWindow suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_mainwindow.moc"
