// The installed programs started from another folder find their libraries,
// sensor driver and bench relative to themselves; solvane-run saves what the
// window saves, and exits with a status and message for every failure.
#include "app/MainWindow.h"
#include "bench/BenchFile.h"
#include "storage/CsvFile.h"
#include "storage/DataFile.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"

#include <QLabel>
#include <QtTest>

#include <csignal>

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}
  const CfgStr &cfg() const { return w.Cfg; }

private:
  MainWindow &w;
};

namespace {

struct Outcome {
  int exit = -1;
  QByteArray out;
  QByteArray err;
};

}  // namespace

class TstSolvaneRun : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QTemporaryDir prefix;
  QString path(const QString &name) const { return dir.filePath(name); }
  QString installed(const QString &file) const { return prefix.filePath(file); }

  // The built-in bench with another answer latency and a short timeout.
  QString bench(const QString &name, int latencyMs)
  {
    QJsonObject json = QJsonDocument::fromJson(sim::defaultBenchJson()).object();
    json["latencyMs"] = latencyMs;
    json["timeoutMs"] = 50;
    WriteAll(path(name), QJsonDocument(json).toJson());
    return path(name);
  }

  // The default settings with some keys changed.
  QString config(const QString &name, const QVariantMap &changes = {})
  {
    QFile::remove(path(name));
    QFile::copy(sourceDir() + "/tests/fixtures/cfg_defaults.cfg", path(name));
    QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner);
    QSettings file(path(name), QSettings::IniFormat);
    for (auto it = changes.begin(); it != changes.end(); ++it)
      file.setValue(it.key(), it.value());
    return path(name);
  }

  // An installed program started from "/" without a display (the runner
  // needs none) and with none of the variables that point at the build;
  // variables ("NAME=value") are added.
  void start(QProcess &process, const QString &program, const QStringList &arguments,
             const QStringList &variables = {})
  {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SOLVANE_VISA_LIBRARY", "SOLVISA_BENCH", "VXIPNPPATH64"})
      env.remove(name);
    env.insert("HOME", path("home"));
    env.insert("XDG_DATA_HOME", path("share"));
    for (const QString &variable : variables)
      env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory("/");
    process.start(installed(program), arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(program));
  }

  Outcome run(const QStringList &arguments)
  {
    QProcess process;
    start(process, "bin/solvane-run", arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
  }

private slots:
  void initTestCase()
  {
    QProcess install;
    install.start("cmake", {"--install", binDir() + "/..", "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError());
  }

  // The window starts on the simulated bench with the installed libsolvisa
  // and sensor driver, and keeps the settings folder of Solvane64 when
  // started through the "solvane" link.
  void layoutDesktopEntryAndWindowStart()
  {
    QProcess version;
    start(version, "bin/solvane", {"--version"});
    QVERIFY(version.waitForFinished());
    QCOMPARE(version.readAllStandardOutput(), QByteArray("Solvane64 5.3.0\n"));

    QProcess window;
    start(window, "bin/solvane", {"--simulate"}, {"QT_QPA_PLATFORM=offscreen"});
    const QString maps = QString("/proc/%1/maps").arg(window.processId());
    auto mapped = [&maps](const QString &library) {
      QFile file(maps);
      return file.open(QIODevice::ReadOnly) && file.readAll().contains(library.toLocal8Bit());
    };
    QTRY_VERIFY_WITH_TIMEOUT(mapped(installed("lib/solvane/vxipnp/Win64/Bin/libpwudrv_64.so")), 20000);
    QVERIFY(mapped(installed("lib/solvane/libsolvisa.so")));
    QVERIFY(QFileInfo(path("share/Kestrova/Solvane64")).isDir());
    QVERIFY(!QFileInfo::exists(path("share/Kestrova/solvane")));
    QCOMPARE(window.state(), QProcess::Running);
    window.kill();
    window.waitForFinished();

    for (const char *file : {"bin/Solvane64", "bin/solvane-run", "lib/solvane/libsolvisa.so",
                             "lib/solvane/vxipnp/Win64/Bin/libpwudrv_64.so", "share/doc/solvane/Solvane.pdf",
                             "share/solvane/mixer-bench.json", "share/icons/hicolor/48x48/apps/solvane.png",
                             "share/icons/hicolor/128x128/apps/solvane.png",
                             "share/icons/hicolor/256x256/apps/solvane.png"})
      QVERIFY2(QFileInfo(installed(file)).isFile(), file);
    QCOMPARE(QFileInfo(installed("bin/solvane")).symLinkTarget(), installed("bin/Solvane64"));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
      QSKIP("desktop-file-validate is not installed (scripts/setup installs desktop-file-utils)");
    QProcess validate;
    validate.start(validator, {installed("share/applications/solvane.desktop")});
    QVERIFY(validate.waitForFinished());
    QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);
  }

  // The first window of the suite's process: it draws the bench's first
  // readings, as the runner's process does.
  void defaultSweepEqualsTheWindowsFiles()
  {
    const QString benchFile = bench("fast.json", 0);
    const Outcome result = run({"--config", config("run.cfg"), "--out", path("run.dat"), "--csv", path("run.csv"),
                                "--simulate=" + benchFile});
    QCOMPARE(result.exit, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    QVERIFY(result.out.startsWith("SIMULATED BENCH - default: no real instrument is measured\n"));
    QVERIFY(result.out.endsWith("Pass 1 of 1, level step 1 of 1, point 91 of 91, 0:00 left\n"));

    qputenv("HOME", path("home").toLocal8Bit());
    qputenv("XDG_DATA_HOME", path("share").toLocal8Bit());
    qputenv("SOLVANE_VISA_LIBRARY", (binDir() + "/libsolvisa.so").toLocal8Bit());
    qputenv("SOLVISA_BENCH", benchFile.toLocal8Bit());
    qputenv("VXIPNPPATH64", (binDir() + "/vxipnp/").toLocal8Bit());
    PromptRecorder prompts;
    MainWindow window(nullptr, config("window.cfg"));
    QVERIFY(ClickAndFinish(window, "Start"));
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(window.findChild<QLabel *>("SimBench"));
    const CfgStr &cfg = MainWindowProbe(window).cfg();
    QCOMPARE(SaveDatFile(cfg, path("window.dat")), 0);
    QCOMPARE(ReadAll(path("run.dat")), ReadAll(path("window.dat")));
    QVERIFY(!ReadAll(path("run.dat")).contains("nan"));
    const QByteArray csv = ReadAll(path("run.csv"));
    const int at = csv.indexOf("# Measured: ") + 12;
    const QDateTime measured = QDateTime::fromString(csv.mid(at, csv.indexOf('\n', at) - at), Qt::ISODate);
    QVERIFY2(measured.isValid(), csv);
    QCOMPARE(csv, CsvFileText(cfg, measured));
  }

  void exitStatusAndMessage_data()
  {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("message");  // the start of standard error
    QTest::addColumn<int>("measured");     // points in the data file; -1: no file

    const QString fast = "--simulate=" + bench("fast.json", 0);
    const QString out = path("status.dat");
    static const char elf[] = "\x7f" "ELF\x02\x01\x01\0\0\0\0 binary, not settings\n";
    const QString garbage = path("garbage.cfg");
    WriteAll(garbage, QByteArray(elf, sizeof elf - 1));

    QTest::newRow("no output file") << QStringList{"--config", config("a.cfg"), fast} << 1
                                    << "solvane-run: --config and --out are required (see --help).\n" << -1;
    QTest::newRow("missing configuration")
        << QStringList{"--config", path("none.cfg"), "--out", out, fast} << 2
        << "solvane-run: Configuration: The configuration file " + path("none.cfg") + " cannot be read (" << -1;
    QTest::newRow("garbage configuration")
        << QStringList{"--config", garbage, "--out", out, fast} << 2
        << "solvane-run: Configuration: The configuration file " + garbage
               + " holds no settings of this program.\n"
        << -1;
    QTest::newRow("refused plan")
        << QStringList{"--config", config("refused.cfg", {{"Sweep/Step Freq", 0}}), "--out", out, fast} << 2
        << "solvane-run: Sweep: The frequency step is 0 MHz: a linear sweep needs a step.\n" << -1;
    QTest::newRow("missing bench file")
        << QStringList{"--config", config("a.cfg"), "--out", out, "--simulate=" + path("no.json")} << 3
        << "solvane-run: Simulated Bench: The bench file " + path("no.json") + " cannot be read.\n" << -1;
    QTest::newRow("generator not on the bench")
        << QStringList{"--config", config("gen.cfg", {{"Gen1/GPIB Address", 5}}), "--out", out, fast} << 3
        << "solvane-run: Generator1 (RF): Initialization Error.\n" << -1;
    // The analyzer tunes up to 50 GHz: with N/D = 100 the IF of 510 MHz and
    // above is out of its range and the measurement there times out.
    QTest::newRow("measurement fails at 510 MHz")
        << QStringList{"--config", config("if.cfg", {{"Sweep/Numerator", 100}}), "--out", out, fast} << 4
        << "solvane-run: Analyzer (IF): Power Measurement Error.\n" << 41;
    QTest::newRow("output not writable")
        << QStringList{"--config", config("a.cfg"), "--out", path("no/such/folder/x.dat"), fast} << 5
        << "solvane-run: Fehler: SaveDatFile -1: " + path("no/such/folder/x.dat") + " cannot be opened for writing"
        << -1;
  }

  void exitStatusAndMessage()
  {
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QString, message);
    QFETCH(int, measured);
    QFile::remove(path("status.dat"));
    const Outcome result = run(arguments);
    QCOMPARE(result.exit, exit);
    QVERIFY2(QString::fromUtf8(result.err).startsWith(message), result.err);
    QCOMPARE(QFile::exists(path("status.dat")), measured >= 0);
    const QByteArray dat = ReadAll(path("status.dat"));
    QCOMPARE(dat.count(" nan\n"), measured < 0 ? 0 : 91 - measured);
    QCOMPARE(dat.count('\n'), measured < 0 ? 0 : 3 + 91);
  }

  // Three passes asked for, stopped in the first: the end-of-run steps
  // follow the last measurement, and the file holds the one trace measured
  // so far with the points that were reached.
  void ctrlCStopsAtTheNextPoint()
  {
    const QString trace = path("stop.trace");
    QProcess process;
    start(process, "bin/solvane-run",
          {"--config", config("stop.cfg"), "--out", path("stop.dat"), "--repeat", "3",
           "--simulate=" + bench("slow.json", 5)},
          {"SOLVISA_TRACE=" + trace});
    QByteArray out;
    QTRY_VERIFY2((out += process.readAllStandardOutput()).contains("point 1 of 91"),
                 out + process.readAllStandardError());
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(process.readAllStandardError(),
             QByteArray("\nStopping after this point; press Ctrl-C again to abort.\n"));

    const QByteArray dat = ReadAll(path("stop.dat"));
    QVERIFY(dat.startsWith("Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 91\n"));
    const int unmeasured = dat.count(" nan\n");
    QVERIFY2(unmeasured > 0 && unmeasured < 91, dat);

    // Last come the closes of the two sessions and their resource managers.
    QList<QByteArray> calls;
    for (const QByteArray &line : ReadAll(trace).split('\n'))
      if (line.contains("viWrite") || line.contains("viGpibControlREN") || line.contains("viClose"))
        calls << line.mid(line.indexOf(' ')).simplified();
    const int lastReading = calls.lastIndexOf("viWrite #4 GPIB0::20::INSTR > \"CALC:MARK1:Y?\\n\" VI_SUCCESS");
    QList<QByteArray> after = calls.mid(lastReading + 1);
    // A Ctrl-C just after a point may find the next one's tuning under way;
    // its level is never read.
    if (!after.isEmpty() && after.first().startsWith("viWrite #2 GPIB0::28::INSTR > \"FREQ "))
      after.removeFirst();
    QCOMPARE(after,
             (QList<QByteArray>{"viWrite #2 GPIB0::28::INSTR > \":OUTP OFF\\n\" VI_SUCCESS",
                                "viGpibControlREN #2 GPIB0::28::INSTR mode 6 VI_SUCCESS",
                                "viWrite #4 GPIB0::20::INSTR > \"SYST:DISP:UPD ON\\n\" VI_SUCCESS",
                                "viWrite #4 GPIB0::20::INSTR > \"INIT:CONT ON\\n\" VI_SUCCESS",
                                "viGpibControlREN #4 GPIB0::20::INSTR mode 6 VI_SUCCESS",
                                "viClose #2 GPIB0::28::INSTR VI_SUCCESS", "viClose #1 VI_SUCCESS",
                                "viClose #4 GPIB0::20::INSTR VI_SUCCESS", "viClose #3 VI_SUCCESS"}));
  }
};

QTEST_MAIN(TstSolvaneRun)
#include "tst_solvane_run.moc"
