// Files under faults: a full disk during every save the window offers, a
// program killed while it writes its settings, settings that would give an
// endless axis, numbers as printf writes them, lines as long as the save
// makes them, and cancelled file operations.
#include "app/FileJobRunner.h"
#include "app/MainWindow.h"
#include "storage/CfgFile.h"
#include "storage/CorrFile.h"
#include "storage/DataFile.h"
#include "storage/NormExport.h"
#include "support/CfgFields.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"

#include <QtTest>
#include <QtWidgets>
#include <qwt_plot.h>

#include <csignal>
#include <cmath>
#include <thread>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {


void Write(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// A data file of one trace and level step with `points` points of -12.5 dBm.
QByteArray DataFile(int points)
{
  QByteArray text = "Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: " + QByteArray::number(points) + '\n';
  for (int i = 0; i < points; ++i)
    text += QByteArray::number(100 + i) + ".000000 -12.500\n";
  return text;
}

CfgStr OnePoint(int traces, int levels, double freq, double value)
{
  CfgStr cfg;
  cfg.TraceCount = traces;
  cfg.LevelCount = levels;
  cfg.PointCount = 1;
  cfg.AnaFreqs = {freq};
  cfg.Gen1.StartLevel = cfg.Gen2.StartLevel = 0.0;
  cfg.Traces.fill(TraceRec(levels, QVector<double>(1, value)), traces);
  return cfg;
}

// A small tmpfs mounted for the test (only root may), filled to the last byte.
class FullDisk {
public:
  explicit FullDisk(const QString &dir) : dir(dir)
  {
    QDir().mkpath(dir);
    mounted = ::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=256k") == 0;
  }
  ~FullDisk()
  {
    if (mounted)
      ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
  }
  void fill()
  {
    QFile filler(dir + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'x');
    while (filler.write(block) > 0) {
    }
  }
  const QString dir;
  bool mounted = false;
};

}  // namespace

class TstFileFaults : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  std::unique_ptr<PromptRecorder> prompts;

  QStringList shown() const
  {
    QStringList texts;
    for (const UserPrompt::Message &message : prompts->messages)
      if (message.title != QLatin1String("VISA Error"))
        texts << message.title + QStringLiteral(": ") + message.text;
    return texts;
  }
  static void answerFile(const QString &path)
  {
    const auto answer = [path](const QString &, const QString &, const QString &) { return path; };
    UserPrompt::setOpenFileHandler(answer);
    UserPrompt::setSaveFileHandler(answer);
  }
  static void trigger(MainWindow &window, const char *action)
  {
    window.findChild<QAction *>(QString::fromLatin1(action))->trigger();
  }

private slots:
  void init() { prompts.reset(new PromptRecorder); }
  void cleanup()
  {
    prompts.reset();
    UserPrompt::setOpenFileHandler(nullptr);
    UserPrompt::setSaveFileHandler(nullptr);
  }

  // Every save of the window onto a full disk keeps the old file and names
  // the system's reason, for a buffered small file as for a large one.
  void fullDiskKeepsEveryOldFile()
  {
    FullDisk disk(dir.filePath(QStringLiteral("full")));
    if (!disk.mounted)
      QSKIP("mounting a tmpfs needs root; the full-disk saves are not tried");
    qputenv("XDG_DATA_HOME", disk.dir.toLocal8Bit());
    MainWindow window;
    window.show();
    trigger(window, "actionSave");
    const QString cfgPath = disk.dir + QStringLiteral("/Kestrova/tst_filefaults/tst_filefaults.cfg");
    const QByteArray oldCfg = ReadAll(cfgPath);
    QVERIFY(oldCfg.contains("Dwell=0"));
    const QStringList names{"small.dat", "large.dat", "table.fda", "norm.txt"};
    for (const QString &name : names)
      Write(disk.dir + '/' + name, "old " + name.toLatin1());
    Write(dir.filePath("small.dat"), DataFile(3));
    Write(dir.filePath("large.dat"), DataFile(3000));
    disk.fill();
    prompts->messages.clear();

    const auto fails = [&](const char *load, const QString &name, const char *action) {
      answerFile(dir.filePath(QString::fromLatin1(load)));
      trigger(window, "actionLoad_Data");
      answerFile(disk.dir + '/' + name);
      trigger(window, action);
    };
    fails("small.dat", "small.dat", "actionSave_Data");
    fails("large.dat", "large.dat", "actionSave_Data");
    fails("small.dat", "table.fda", "actionSave_Data");
    fails("large.dat", "norm.txt", "actionSave_Normalization");
    window.findChild<QDoubleSpinBox *>("Dwell")->setValue(2.5);
    emit window.findChild<QDoubleSpinBox *>("Dwell")->editingFinished();
    trigger(window, "actionSave");
    window.close();

    const QString full = QStringLiteral(": No space left on device");
    const QString cfgFailure = QStringLiteral("Configuration: The settings could not be saved (") + cfgPath
                               + QStringLiteral(" could not be written") + full
                               + QStringLiteral("). The settings file keeps what it held before.");
    QStringList expected;
    for (const QString &name : names)
      expected << QStringLiteral("Fehler: %1 -1\n\n%2/%3 could not be written%4")
                      .arg(name == "norm.txt" ? "SaveNormFile" : "SaveDatFile", disk.dir, name, full);
    QCOMPARE(shown(), expected << cfgFailure << cfgFailure);
    for (const QString &name : names)
      QCOMPARE(ReadAll(disk.dir + '/' + name), "old " + name.toLatin1());
    QCOMPARE(ReadAll(cfgPath), oldCfg);
    QCOMPARE(QDir(disk.dir + QStringLiteral("/Kestrova/tst_filefaults")).entryList(QDir::Files),
             QStringList(QStringLiteral("tst_filefaults.cfg")));
  }

  // A program killed while it writes its settings leaves the file whole
  // (old or new) and no lock file that would hold up the next start.
  void killedDuringSettingsSave()
  {
    const QString path = dir.filePath(QStringLiteral("killed/settings.cfg"));
    QDir().mkpath(QFileInfo(path).path());
    Write(path, "[Other]\nmine=1\n");  // keys of others stay
    const CfgStr first = Defaults(QStringLiteral("Count=11"));
    QCOMPARE(CfgSave(first, path), 0);
    const pid_t child = fork();
    if (child == 0) {
      const CfgStr second = Defaults(QStringLiteral("Count=22"));
      for (;;)
        CfgSave(second, path);
    }
    QTest::qWait(300);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    for (const QString &name : QDir(QFileInfo(path).path()).entryList(QDir::Files))
      QVERIFY2(!name.endsWith(QLatin1String(".lock")), qPrintable(name));
    CfgStr loaded;
    QCOMPARE(CfgLoad(loaded, path), 0);
    QVERIFY(loaded.Count == 11 || loaded.Count == 22);
    QCOMPARE(CfgSave(Defaults(QStringLiteral("Count=33")), path), 0);
    QCOMPARE(CfgLoad(loaded, path), 0);
    QCOMPARE(loaded.Count, 33);
    QVERIFY(ReadAll(path).contains("\n[Other]\nmine=1\n"));
  }

  // Sweep settings that give no finite plan or axis are refused at start-up
  // with the plan's own message; the window starts and its axis is finite.
  void endlessAxisRefusedAtStart_data()
  {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("says");
    const QString notFinite = "The sweep settings give frequencies or levels that are not finite numbers. "
                              "Check the frequencies, the steps and the factor N/D.";
    QTest::newRow("denominator 0") << "Sweep/Denominator" << QVariant(0.0)
                                   << "The denominator D of the factor N/D is 0; it must not be 0.";
    QTest::newRow("numerator 1e308") << "Sweep/Numerator" << QVariant(1e308) << notFinite;
    QTest::newRow("numerator inf") << "Sweep/Numerator" << QVariant("inf") << notFinite;
  }
  void endlessAxisRefusedAtStart()
  {
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, says);
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("axis")).toLocal8Bit());
    CfgStr paths;
    QVERIFY(CfgPaths(paths));
    QFile::remove(paths.CfgPath);
    {
      QSettings file(paths.CfgPath, QSettings::IniFormat);
      file.setValue(key, value);
      file.setValue(QStringLiteral("Display/X Sweep Settings"), true);
    }
    MainWindow window;
    QCOMPARE(shown(), QStringList{"Sweep: " + says + " The sweep settings of the file are not used; the defaults are."});
    const QwtInterval x = window.findChild<QwtPlot *>("plt")->axisInterval(QwtPlot::xBottom);
    QCOMPARE(QString("%1 %2").arg(x.minValue()).arg(x.maxValue()), QString("100 1000"));
  }

  // Values whose arithmetic would overflow are kept within what they can be.
  void hostileIntegersBounded()
  {
    const QString path = dir.filePath(QStringLiteral("ints.cfg"));
    Write(path, "[Position]\nx=2147483647\ny=-2147483648\ndx=2147483647\n[Gen1]\nSerial%20Port=2147483647\n"
                "[Ana]\nSerial%20Port=-1\n");
    CfgStr cfg;
    QCOMPARE(CfgLoad(cfg, path), 0);
    QCOMPARE(QVector<int>({cfg.X, cfg.Y, cfg.Dx, cfg.Gen1.SerialPort, cfg.Ana.SerialPort}),
             QVector<int>({Defaults().X, Defaults().Y, Defaults().Dx, 1, 3}));
  }

  // Exact halves of the binary value round to the even digit, as printf
  // writes them in the C locale, in all three files.
  void numbersAsPrintfWritesThem()
  {
    const CfgStr cfg = OnePoint(1, 1, 100.0078125, 2.5625);
    QCOMPARE(SaveDatFile(cfg, dir.filePath("half.dat")), 0);
    QCOMPARE(ReadAll(dir.filePath("half.dat")).split('\n').at(3), QByteArray("100.007812 2.562"));
    QCOMPARE(SaveNormFile(cfg, dir.filePath("half.txt")), 0);
    QCOMPARE(ReadAll(dir.filePath("half.txt")), QByteArray("100.007812 2.562 2.562\n"));
    QByteArray table;
    QVERIFY(CorrTableText(OnePoint(1, 1, 100.0, -0.0625), "t", table, nullptr));
    QVERIFY2(table.contains("data=\"-0.062\""), table.constData());
  }

  // The longest line the save can write (400 values of 1e300) loads again.
  void largestValuesReadBack()
  {
    const CfgStr cfg = OnePoint(20, 20, 1e300, 1e300);
    QCOMPARE(SaveDatFile(cfg, dir.filePath("wide.dat")), 0);
    QVERIFY(ReadAll(dir.filePath("wide.dat")).size() > 120000);
    CfgStr loaded;
    QString reason;
    QCOMPARE(LoadDatFile(loaded, dir.filePath("wide.dat"), &reason), 0);
    QCOMPARE(loaded.Traces[19][19][0], 1e300);
    QCOMPARE(loaded.AnaFreqs[0], 1e300);
  }

  // An operation that takes longer than half a second shows its progress;
  // Cancel asks it to stop and the window waits until it has.
  void slowOperationShowsProgressAndCancels()
  {
    QWidget parent;
    parent.show();
    FileJob job;
    QString seen;
    QTimer::singleShot(700, [&] {
      if (auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget())) {
        seen = progress->labelText() + QStringLiteral(" %1%").arg(progress->value() / 10);
        progress->cancel();
      }
      job.cancel = true;
    });
    const int result = RunFileJob(&parent, QStringLiteral("Saving x.dat"), job, [&job] {
      job.total = 4;
      job.done = 1;
      while (!job.cancel)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return kFileCancelled;
    });
    QCOMPARE(result, kFileCancelled);
    QCOMPARE(seen, QStringLiteral("Saving x.dat 25%"));
  }

  // A cancelled save leaves the old file, a cancelled load writes nothing.
  void cancelledOperationsChangeNothing()
  {
    Write(dir.filePath("keep.dat"), "old");
    FileJob job;
    job.cancel = true;
    CfgStr cfg = OnePoint(1, 1, 100.0, -1.0);
    QCOMPARE(SaveDatFile(cfg, dir.filePath("keep.dat"), nullptr, &job), kFileCancelled);
    QCOMPARE(SaveNormFile(cfg, dir.filePath("keep.dat"), nullptr, &job), kFileCancelled);
    QCOMPARE(ReadAll(dir.filePath("keep.dat")), QByteArray("old"));
    Write(dir.filePath("cancel.dat"), DataFile(5));
    DatFileContent content;
    QCOMPARE(ReadDatFile(dir.filePath("cancel.dat"), content, nullptr, &job), kFileCancelled);
    QVERIFY(content.store.isEmpty() && content.freqs.isEmpty());
  }
};

// The user's real configuration and drivers are never touched, and the VISA
// library named has no VISA functions.
int main(int argc, char *argv[])
{
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("TMPDIR", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  qputenv("VXIPNPPATH64", (home.path() + "/vxipnp/").toLocal8Bit());
  qputenv("SOLVANE_VISA_LIBRARY",
          (QLibraryInfo::location(QLibraryInfo::LibrariesPath) + "/libQt5Core.so.5").toLocal8Bit());
  QApplication app(argc, argv);
  TstFileFaults suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_filefaults.moc"
