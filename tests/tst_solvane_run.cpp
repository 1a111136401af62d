// solvane-run on the simulated bench: the files equal what the window saves
// for the same settings, the exit status and message of every kind of
// failure, and Ctrl-C in the middle of a sweep.
#include "app/MainWindow.h"
#include "bench/BenchFile.h"
#include "storage/CfgFile.h"
#include "storage/CsvFile.h"
#include "storage/DataFile.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "sweep/SwpPlan.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
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


QByteArray WithoutTimeLine(QByteArray csv)
{
  const int at = csv.indexOf("# Measured: ");
  return at < 0 ? csv : csv.remove(at, csv.indexOf('\n', at) + 1 - at);
}

}  // namespace

class TstSolvaneRun : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString path(const QString &name) const { return dir.filePath(name); }

  // The built-in bench with another answer latency and a short timeout.
  QString bench(const QString &name, int latencyMs)
  {
    QJsonObject json = QJsonDocument::fromJson(sim::defaultBenchJson()).object();
    json["latencyMs"] = latencyMs;
    json["timeoutMs"] = 50;
    QFile file(path(name));
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(json).toJson());
    return file.fileName();
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

  // Without a display: the runner needs none.
  void start(QProcess &process, const QStringList &arguments, const QString &trace = QString())
  {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SOLVANE_VISA_LIBRARY", "SOLVISA_BENCH"})
      env.remove(name);
    env.insert("XDG_DATA_HOME", path("share"));
    if (!trace.isEmpty())
      env.insert("SOLVISA_TRACE", trace);
    process.setProcessEnvironment(env);
    process.start(binDir() + "/solvane-run", arguments);
    QVERIFY(process.waitForStarted());
  }

  Outcome run(const QStringList &arguments)
  {
    QProcess process;
    start(process, arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
  }

private slots:
  void initTestCase() { QVERIFY(dir.isValid()); }

  // First in the suite: the window draws the bench's first readings, as the
  // runner's process does.
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
    auto *start = window.findChild<QPushButton *>("Start");
    start->click();
    QTRY_VERIFY(start->isEnabled());
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(window.findChild<QLabel *>("SimBench"));
    const CfgStr &cfg = MainWindowProbe(window).cfg();
    QCOMPARE(cfg.PointCount, 91);

    QCOMPARE(SaveDatFile(cfg, path("window.dat")), 0);
    QCOMPARE(ReadAll(path("run.dat")), ReadAll(path("window.dat")));
    QVERIFY(!ReadAll(path("run.dat")).contains("nan"));
    const QByteArray csv = ReadAll(path("run.csv"));
    QVERIFY(QRegularExpression("\n# Measured: 20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d").match(csv).hasMatch());
    QCOMPARE(WithoutTimeLine(csv), WithoutTimeLine(CsvFileText(cfg, QDateTime())));
  }

  void exitStatusAndMessage_data()
  {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("message");  // the start of standard error
    QTest::addColumn<int>("measured");     // points in the data file; -1: no file

    const QString fast = "--simulate=" + bench("fast.json", 0);
    const QString out = path("status.dat");
    QFile garbage(path("garbage.cfg"));
    garbage.open(QIODevice::WriteOnly);
    static const char elf[] = "\x7f" "ELF\x02\x01\x01\0\0\0\0 binary, not settings\n";
    garbage.write(elf, sizeof elf - 1);
    garbage.close();
    CfgStr refused;
    CfgLoad(refused, config("refused.cfg", {{"Sweep/Step Freq", 0}}));
    QString why;
    QVERIFY(!CalcSwpLst(refused, &why));

    QTest::newRow("no output file") << QStringList{"--config", config("a.cfg"), fast} << 1
                                    << "solvane-run: --config and --out are required (see --help).\n" << -1;
    QTest::newRow("missing configuration")
        << QStringList{"--config", path("none.cfg"), "--out", out, fast} << 2
        << "solvane-run: Configuration: The configuration file " + path("none.cfg") + " cannot be read (" << -1;
    QTest::newRow("garbage configuration")
        << QStringList{"--config", garbage.fileName(), "--out", out, fast} << 2
        << "solvane-run: Configuration: The configuration file " + garbage.fileName()
               + " holds no settings of this program.\n"
        << -1;
    QTest::newRow("refused plan") << QStringList{"--config", path("refused.cfg"), "--out", out, fast} << 2
                                  << "solvane-run: Sweep: " + why + "\n" << -1;
    QTest::newRow("missing bench file") << QStringList{"--config", config("a.cfg"), "--out", out, "--simulate=" + path("no.json")}
                                        << 3 << "solvane-run: Simulated Bench: The bench file " + path("no.json")
                                                    + " cannot be read.\n"
                                        << -1;
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
    if (measured < 0) {
      QVERIFY(!QFile::exists(path("status.dat")));
      return;
    }
    const QByteArray dat = ReadAll(path("status.dat"));
    QCOMPARE(dat.count(" nan\n"), 91 - measured);
    QCOMPARE(dat.count('\n'), 3 + 91);
  }

  // Three passes asked for, stopped in the first: the end-of-run steps
  // follow the last measurement, and the file holds the one trace measured
  // so far with the points that were reached.
  void ctrlCStopsAtTheNextPoint()
  {
    const QString trace = path("stop.trace");
    QProcess process;
    start(process,
          {"--config", config("stop.cfg"), "--out", path("stop.dat"), "--repeat", "3", "--simulate=" + bench("slow.json", 5)},
          trace);
    QByteArray out;
    QTRY_VERIFY2((out += process.readAllStandardOutput()).contains("point 1 of 91"), out + process.readAllStandardError());
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(process.readAllStandardError(), QByteArray("\nStopping after this point; press Ctrl-C again to abort.\n"));

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
    QVERIFY(lastReading > 0);
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
