// The main window: its form as a user sees it, start-up with missing
// libraries, and the configuration file written by the window.
#include "app/MainWindow.h"
#include "storage/CfgFile.h"
#include "support/PromptRecorder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <qwt_plot.h>

namespace {

QString DefaultCfgPath()
{
  CfgStr cfg;
  CfgPaths(cfg);
  return cfg.CfgPath;
}

// Writes keys into a configuration file the way a user's earlier run left it.
void WriteCfg(const QString &path, const QList<QPair<QString, QVariant>> &keys)
{
  QFile::remove(path);
  QSettings settings(path, QSettings::IniFormat);
  for (const auto &key : keys)
    settings.setValue(key.first, key.second);
}

QVariant StoredValue(const QString &path, const QString &key)
{
  return QSettings(path, QSettings::IniFormat).value(key);
}

template <class T>
T *Widget(MainWindow &window, const char *name)
{
  T *widget = window.findChild<T *>(QString::fromLatin1(name));
  if (!widget)
    qFatal("widget %s missing", name);
  return widget;
}

QStringList MessageTitles(const PromptRecorder &prompts)
{
  QStringList titles;
  for (const UserPrompt::Message &message : prompts.messages)
    titles << message.title;
  return titles;
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();
  void windowFrameAndTitle();
  void buttonsAndFieldsAsShown();
  void numbersUseDecimalPointUnderCommaLocale();
  void displayFieldRanges();
  void menusInOrder();
  void visaMissingShownOnce();
  void sensorDriverMissingMovesPwuToPwm();
  void displaySettingsRestored();
  void quittingWritesConfiguration();
  void quitButtonAndEntryCloseWindow();
  void positionOffEveryScreenComesBack();
  void unusablePlanExplainedAtStart();
  void unreadableConfigurationExplainedAtStart();
  void defaultSizeStoresGrantedSize();
  void dwellAndNormalizationSideStored();
  void openLoadsChosenFileAndSaveWritesDefault();
  void openRefusesMissingFile();
  void saveAsWritesChosenFileOnly();
  void cancelledSetupDialogsRewriteDefaultFile();

private:
  std::unique_ptr<PromptRecorder> prompts;
};

void TestMainWindow::init()
{
  QDir(DefaultCfgPath()).removeRecursively();
  QFile::remove(DefaultCfgPath());
  prompts.reset(new PromptRecorder);
}

void TestMainWindow::cleanup()
{
  UserPrompt::setOpenFileHandler(nullptr);
  UserPrompt::setSaveFileHandler(nullptr);
  prompts.reset();
}

void TestMainWindow::windowFrameAndTitle()
{
  MainWindow window;
  QCOMPARE(MainWindow::WindowTitle(), QStringLiteral("Solvane64 v5.3.0"));
  QCOMPARE(window.minimumSize(), QSize(786, 562));
  QCOMPARE(window.maximumSize(), QSize(786, 562));
  QCOMPARE(window.size(), QSize(786, 562));
  QCOMPARE(window.locale(), QLocale(QLocale::English, QLocale::UnitedStates));
  QVERIFY(!window.windowIcon().pixmap(32).isNull());
  for (const char *image : {"Start.png", "Update.png", "Stop.png", "Minus.png"})
    QVERIFY2(!QPixmap(QStringLiteral(":/Vexa_common/src/qt5/images/") + image).isNull(), image);
  QVERIFY(window.styleSheet().contains(QStringLiteral("rgb(0, 142, 214)")));

  auto *plot = Widget<QwtPlot>(window, "plt");
  QCOMPARE(plot->geometry(), QRect(110, 10, 661, 441));
  QVERIFY(plot->autoReplot());
  QCOMPARE(plot->canvasBackground().color(), QColor(Qt::white));
  auto *headline = Widget<QLabel>(window, "TMsg");
  QCOMPARE(headline->text(), QStringLiteral("Normalized"));
  QVERIFY(headline->isHidden());
}

void TestMainWindow::buttonsAndFieldsAsShown()
{
  MainWindow window;
  struct Button {
    const char *name, *text, *toolTip;
    bool enabled;
  };
  const Button buttons[] = {
      {"Devices", "Devices", "Device Parameters", true}, {"Sweep", "Sweep", "Sweep Parameters", true},
      {"Start", "", "Start", true},                      {"Repeat", "", "Repeat", false},
      {"Normalize", "Norm", "Normalize", false},         {"Stop", "", "Stop", false},
      {"Del", "", "Delete Last Trace", false},           {"Quit", "Quit", "", true},
  };
  for (const Button &b : buttons) {
    auto *button = Widget<QPushButton>(window, b.name);
    QCOMPARE(button->text(), QString::fromLatin1(b.text));
    QCOMPARE(button->toolTip(), QString::fromLatin1(b.toolTip));
    QVERIFY2(button->isEnabled() == b.enabled, b.name);
  }
  for (const char *imageButton : {"Start", "Repeat", "Stop", "Del"})
    QVERIFY(Widget<QPushButton>(window, imageButton)->styleSheet().contains(QStringLiteral("image: url(:/Vexa_common")));

  const QPair<const char *, const char *> labels[] = {
      {"Gen1Lbl", "Generator1 (RF)"}, {"Gen2Lbl", "Generator2 (LO)"}, {"AnaLbl", "Analyzer (IF)"},
      {"NIdxLbl", "Index"},           {"AnaLbl_2", "Abs"},             {"AnaLbl_3", "Rel"},
      {"UniLbl", "dBm"},              {"UniLbl_2", "Display Settings"},
  };
  for (const auto &label : labels)
    QCOMPARE(Widget<QLabel>(window, label.first)->text(), QString::fromLatin1(label.second));
  for (const char *field : {"Gen1", "Gen2", "Ana"}) {
    QVERIFY(!Widget<QLineEdit>(window, field)->isEnabled());
    QVERIFY(Widget<QLineEdit>(window, field)->text().isEmpty());
  }

  auto *index = Widget<QSpinBox>(window, "NIdx");
  QVERIFY(!index->isEnabled());
  auto *side = Widget<QComboBox>(window, "NrmGen");
  QCOMPARE(side->count(), 2);
  QCOMPARE(side->maxCount(), 2);
  QCOMPARE(side->itemText(0), QStringLiteral("Receiver"));
  QCOMPARE(side->itemText(1), QStringLiteral("Generator"));
  QCOMPARE(side->currentIndex(), 0);  // the record's default
  auto *absRel = Widget<QSlider>(window, "AbsRel");
  QCOMPARE(absRel->minimum(), 0);
  QCOMPARE(absRel->maximum(), 1);
  QVERIFY(!absRel->isEnabled());
  auto *continuous = Widget<QCheckBox>(window, "RunCont");
  QCOMPARE(continuous->text(), QStringLiteral("Continuous"));
  QVERIFY(!continuous->isChecked());
}

void TestMainWindow::numbersUseDecimalPointUnderCommaLocale()
{
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  {
    MainWindow window;
    auto *dwell = Widget<QDoubleSpinBox>(window, "Dwell");
    dwell->setValue(1.25);
    QCOMPARE(dwell->text(), QStringLiteral("1.25"));
    QCOMPARE(Widget<QDoubleSpinBox>(window, "FMax")->text(), QStringLiteral("1000.000000"));
  }
  QLocale::setDefault(before);
}

void TestMainWindow::displayFieldRanges()
{
  MainWindow window;
  struct Field {
    const char *name;
    double minimum, maximum;
    int decimals;
    bool buttons, enabled;
  };
  const Field fields[] = {
      {"Dwell", 0.0, 100.0, 2, true, true},     {"SwpTime", 0.0, 99.99, 5, false, false},
      {"FMin", 0.0, 100000.0, 6, false, true},  {"FMax", 0.0, 1e6, 6, false, true},
      {"LMin", -200.0, 200.0, 2, false, true},  {"LMax", -1e9, 200.0, 2, false, true},
  };
  for (const Field &f : fields) {
    auto *box = Widget<QDoubleSpinBox>(window, f.name);
    QCOMPARE(box->minimum(), f.minimum);
    QCOMPARE(box->maximum(), f.maximum);
    QCOMPARE(box->decimals(), f.decimals);
    QVERIFY2((box->buttonSymbols() != QAbstractSpinBox::NoButtons) == f.buttons, f.name);
    QVERIFY2(box->isEnabled() == f.enabled, f.name);
  }
  QVERIFY(Widget<QDoubleSpinBox>(window, "Dwell")->alignment() & Qt::AlignRight);
  const QPair<const char *, const char *> boxes[] = {
      {"AutoFrq", "Auto"}, {"SwpFrq", "Sweep Settings"}, {"LogFrq", "Log"}, {"AutoLvl", "Auto"}};
  for (const auto &box : boxes)
    QCOMPARE(Widget<QCheckBox>(window, box.first)->text(), QString::fromLatin1(box.second));
}

void TestMainWindow::menusInOrder()
{
  MainWindow window;
  QStringList shown;
  for (QAction *menu : window.menuBar()->actions()) {
    shown << menu->text();
    for (QAction *action : menu->menu()->actions()) {
      shown << (action->isSeparator() ? QStringLiteral("-") : QStringLiteral("  ") + action->text());
      QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    }
  }
  const QStringList expected = {
      "File",     "  Open", "  Save", "  Save as...", "-", "  Default Size", "-", "  Quit",
      "Settings", "  Devices", "  Sweep",
      "Results",  "  Graph to Clipboard", "-", "  Print Graph", "  Print Data", "-", "  Load Data",
      "  Save Data", "-", "  Save Normalization",
      "Help",     "  Contents", "  About"};
  QCOMPARE(shown, expected);
  QCOMPARE(Widget<QAction>(window, "actionPrint")->text(), QStringLiteral("Print"));
  QVERIFY(Widget<QAction>(window, "actionPrint")->associatedWidgets().isEmpty());
}

void TestMainWindow::visaMissingShownOnce()
{
  { MainWindow window; }
  QCOMPARE(MessageTitles(*prompts), QStringList{QStringLiteral("VISA Error")});
  const UserPrompt::Message &shown = prompts->messages.first();
  QCOMPARE(shown.kind, UserPrompt::Kind::Information);
  QCOMPARE(shown.text, QStringLiteral("The VISA Library could not be loaded."));
}

void TestMainWindow::sensorDriverMissingMovesPwuToPwm()
{
  const QString path = DefaultCfgPath();
  WriteCfg(path, {{"Ana/Type", 75}, {"Ana/VXI Path", "C:/elsewhere/"}});
  { MainWindow window; }
  QCOMPARE(MessageTitles(*prompts),
           (QStringList{QStringLiteral("VISA Error"), QStringLiteral("Analyzer/Power Meter (IF)")}));
  QCOMPARE(prompts->messages.last().kind, UserPrompt::Kind::Warning);
  QCOMPARE(prompts->messages.last().text,
           QStringLiteral("Kestrova PWU VXIpnp driver not installed. Changed Analyzer to PWM."));
  QCOMPARE(StoredValue(path, "Ana/Type").toInt(), 73);
  // the driver folder always follows the environment, whatever the file held
  QCOMPARE(StoredValue(path, "Ana/VXI Path").toString(), qEnvironmentVariable("VXIPNPPATH64") + "Win64/Bin/");

  prompts->messages.clear();
  WriteCfg(path, {{"Ana/Type", 74}});
  { MainWindow window; }
  QCOMPARE(MessageTitles(*prompts), QStringList{QStringLiteral("VISA Error")});
  QCOMPARE(StoredValue(path, "Ana/Type").toInt(), 74);
}

void TestMainWindow::displaySettingsRestored()
{
  WriteCfg(DefaultCfgPath(), {{"Display/Start Freq", 12.5},
                              {"Display/Stop Freq", 4321.125},
                              {"Display/X Sweep Settings", true},
                              {"Display/X Autoscale", true},
                              {"Display/X Log Scale", true},
                              {"Display/Y1 Autoscale", false},
                              {"Display/Y2 Start Level", -87.5},
                              {"Display/Y2 Stop Level", 12.25},
                              {"Sweep/Dwell", 2.5},
                              {"Sweep/Normalize Gen", 1}});
  MainWindow window;
  QCOMPARE(Widget<QDoubleSpinBox>(window, "FMin")->value(), 12.5);
  QCOMPARE(Widget<QDoubleSpinBox>(window, "FMax")->value(), 4321.125);
  QVERIFY(Widget<QCheckBox>(window, "SwpFrq")->isChecked());
  QVERIFY(Widget<QCheckBox>(window, "AutoFrq")->isChecked());
  QVERIFY(Widget<QCheckBox>(window, "LogFrq")->isChecked());
  QVERIFY(!Widget<QCheckBox>(window, "AutoLvl")->isChecked());
  QCOMPARE(Widget<QDoubleSpinBox>(window, "LMin")->value(), -87.5);
  QCOMPARE(Widget<QDoubleSpinBox>(window, "LMax")->value(), 12.25);
  QCOMPARE(Widget<QDoubleSpinBox>(window, "Dwell")->value(), 2.5);
  QCOMPARE(Widget<QComboBox>(window, "NrmGen")->currentIndex(), 1);
}

void TestMainWindow::quittingWritesConfiguration()
{
  const QString path = DefaultCfgPath();
  {
    MainWindow window;
    QVERIFY(!QFile::exists(path));
    window.move(40, 60);
  }
  QVERIFY(QFile::exists(path));
  QCOMPARE(StoredValue(path, "Position/x").toInt(), 40);
  QCOMPARE(StoredValue(path, "Position/y").toInt(), 60);
  QCOMPARE(StoredValue(path, "Position/dx").toInt(), 786);
  QCOMPARE(StoredValue(path, "Position/dy").toInt(), 562);
  QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys().size(), 115);
}

void TestMainWindow::quitButtonAndEntryCloseWindow()
{
  MainWindow window;
  for (const std::function<void()> &quit : std::initializer_list<std::function<void()>>{
           [&] { Widget<QPushButton>(window, "Quit")->click(); },
           [&] { Widget<QAction>(window, "actionQuit")->trigger(); }}) {
    window.show();
    QVERIFY(window.isVisible());
    quit();
    QVERIFY(!window.isVisible());
  }
}

void TestMainWindow::positionOffEveryScreenComesBack()
{
  WriteCfg(DefaultCfgPath(), {{"Position/x", 250}, {"Position/y", 120}});
  {
    MainWindow window;
    QCOMPARE(window.pos(), QPoint(250, 120));
  }
  WriteCfg(DefaultCfgPath(), {{"Position/x", 50000}, {"Position/y", -9000}});
  MainWindow window;
  QCOMPARE(window.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
}

void TestMainWindow::unusablePlanExplainedAtStart()
{
  WriteCfg(DefaultCfgPath(), {{"Sweep/Step Freq", 0.0}});
  MainWindow window;
  QCOMPARE(MessageTitles(*prompts), (QStringList{QStringLiteral("VISA Error"), QStringLiteral("Sweep")}));
  QVERIFY(!prompts->messages.last().text.isEmpty());
  QVERIFY(Widget<QPushButton>(window, "Start")->isEnabled());
}

void TestMainWindow::unreadableConfigurationExplainedAtStart()
{
  const QString path = DefaultCfgPath();
  QVERIFY(QDir().mkpath(path));  // a folder where the file should be
  {
    MainWindow window;
    QCOMPARE(MessageTitles(*prompts), (QStringList{QStringLiteral("Configuration"), QStringLiteral("VISA Error")}));
    QVERIFY(prompts->messages.first().text.contains(QStringLiteral("could not be read")));
    QCOMPARE(Widget<QDoubleSpinBox>(window, "FMax")->value(), 1000.0);
  }
}

void TestMainWindow::defaultSizeStoresGrantedSize()
{
  const QString path = DefaultCfgPath();
  {
    MainWindow window;
    Widget<QAction>(window, "actionDefault_Size")->trigger();
    QCOMPARE(window.size(), QSize(786, 562));  // the fixed form wins
  }
  QCOMPARE(StoredValue(path, "Position/dx").toInt(), 786);
  QCOMPARE(StoredValue(path, "Position/dy").toInt(), 562);
}

void TestMainWindow::dwellAndNormalizationSideStored()
{
  const QString path = DefaultCfgPath();
  {
    MainWindow window;
    auto *dwell = Widget<QDoubleSpinBox>(window, "Dwell");
    dwell->setValue(0.75);
    emit dwell->editingFinished();
    Widget<QComboBox>(window, "NrmGen")->setCurrentIndex(1);
  }
  QCOMPARE(StoredValue(path, "Sweep/Dwell").toDouble(), 0.75);
  QCOMPARE(StoredValue(path, "Sweep/Normalize Gen").toInt(), 1);
}

void TestMainWindow::openLoadsChosenFileAndSaveWritesDefault()
{
  QTemporaryDir dir;
  const QString chosen = dir.filePath("bench.cfg");
  WriteCfg(chosen, {{"Sweep/Dwell", 3.25}, {"Display/X Sweep Settings", false}});
  QStringList asked;
  UserPrompt::setOpenFileHandler([&](const QString &caption, const QString &folder, const QString &filter) {
    asked << caption << folder << filter;
    return chosen;
  });
  const QString path = DefaultCfgPath();
  MainWindow window;
  Widget<QLineEdit>(window, "Gen1")->setText(QStringLiteral("GEN-24"));
  Widget<QAction>(window, "actionOpen")->trigger();
  QCOMPARE(asked, (QStringList{"Open File", QFileInfo(path).path(), "Config File (*.cfg);;All Files (*.*)"}));
  QCOMPARE(Widget<QDoubleSpinBox>(window, "Dwell")->value(), 3.25);
  QVERIFY(!Widget<QCheckBox>(window, "SwpFrq")->isChecked());
  QVERIFY(Widget<QLineEdit>(window, "Gen1")->text().isEmpty());
  QVERIFY(Widget<QPushButton>(window, "Start")->isEnabled());
  QVERIFY(!Widget<QPushButton>(window, "Normalize")->isEnabled());  // no trace to take it from

  Widget<QAction>(window, "actionSave")->trigger();
  QCOMPARE(StoredValue(path, "Sweep/Dwell").toDouble(), 3.25);
  QCOMPARE(QSettings(chosen, QSettings::IniFormat).allKeys().size(), 2);
}

void TestMainWindow::openRefusesMissingFile()
{
  QTemporaryDir dir;
  UserPrompt::setOpenFileHandler([&](const QString &, const QString &, const QString &) {
    return dir.filePath("gone.cfg");
  });
  MainWindow window;
  Widget<QDoubleSpinBox>(window, "Dwell")->setValue(1.5);
  prompts->messages.clear();
  Widget<QAction>(window, "actionOpen")->trigger();
  QCOMPARE(prompts->messages.size(), 1);
  QCOMPARE(prompts->messages.first().kind, UserPrompt::Kind::Warning);
  QCOMPARE(Widget<QDoubleSpinBox>(window, "Dwell")->value(), 1.5);

  UserPrompt::setOpenFileHandler([](const QString &, const QString &, const QString &) { return QString(); });
  prompts->messages.clear();
  Widget<QAction>(window, "actionOpen")->trigger();  // cancelled: nothing happens
  QVERIFY(prompts->messages.isEmpty());
}

void TestMainWindow::saveAsWritesChosenFileOnly()
{
  QTemporaryDir dir;
  const QString chosen = dir.filePath("copy.cfg");
  QString caption, filter;
  UserPrompt::setSaveFileHandler([&](const QString &c, const QString &, const QString &f) {
    caption = c;
    filter = f;
    return chosen;
  });
  const QString path = DefaultCfgPath();
  MainWindow window;
  window.move(123, 45);
  Widget<QAction>(window, "actionSave_as")->trigger();
  QCOMPARE(caption, QStringLiteral("Save Cfg File as.."));
  QCOMPARE(filter, QStringLiteral("Config File (*.cfg)"));
  QCOMPARE(StoredValue(chosen, "Position/x").toInt(), 123);
  QCOMPARE(QSettings(chosen, QSettings::IniFormat).allKeys().size(), 115);
  QVERIFY(!QFile::exists(path));

  UserPrompt::setSaveFileHandler([](const QString &, const QString &, const QString &) { return QString(); });
  QFile::remove(chosen);
  Widget<QAction>(window, "actionSave_as")->trigger();
  QVERIFY(!QFile::exists(chosen));
}

void TestMainWindow::cancelledSetupDialogsRewriteDefaultFile()
{
  const QString path = DefaultCfgPath();
  MainWindow window;
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, [] {
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
      dialog->reject();
  });
  cancel.start(10);
  const auto rewritten = [&](const std::function<void()> &open) {
    QFile::remove(path);
    open();
    return QFile::exists(path);
  };
  QVERIFY(rewritten([&] { Widget<QPushButton>(window, "Devices")->click(); }));
  QVERIFY(rewritten([&] { Widget<QPushButton>(window, "Sweep")->click(); }));
  QVERIFY(rewritten([&] { Widget<QAction>(window, "actionDevices")->trigger(); }));
  QVERIFY(rewritten([&] { Widget<QAction>(window, "actionSweep")->trigger(); }));
}

// The user's real configuration and drivers are never touched: HOME and the
// data folder point into a temporary folder, the sensor-driver folder is
// empty, and the VISA library named is one without VISA functions.
int main(int argc, char *argv[])
{
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  qputenv("VXIPNPPATH64", (home.path() + "/vxipnp/").toLocal8Bit());
  qputenv("SOLVANE_VISA_LIBRARY",
          (QLibraryInfo::location(QLibraryInfo::LibrariesPath) + "/libQt5Core.so.5").toLocal8Bit());
  QApplication app(argc, argv);
  TestMainWindow suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_mainwindow.moc"
