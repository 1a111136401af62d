// The installed programs, started from another folder, find their libraries,
// sensor driver and bench; solvane-run saves what the window saves and exits
// with a status and message for every failure. In the suite's own process, with
// the project's VISA library found as the program finds it (no variable names
// it): the reason when no instrument can be reached, the manual's mixer example
// on mixer-bench.json through the Devices and Sweep dialogs and the sweep
// engine, and Meter Zero on the simulated meters.
#include "app/MainWindow.h"
#include "bench/BenchFile.h"
#include "dialogs/DevWindow.h"
#include "dialogs/SwpWindow.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "storage/CsvFile.h"
#include "storage/DataFile.h"
#include "support/HeadlessObserver.h"
#include "support/MainWindowProbe.h"
#include "support/PromptRecorder.h"
#include "support/SleepRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/SweepEngine.h"
#include "sweep/TraceStore.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <tuple>

namespace {

struct Outcome {
  int exit = -1;
  QByteArray out, err;
};

}  // namespace

class TstSolvaneRun : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QTemporaryDir prefix;
  QString path(const QString &name) const { return dir.filePath(name); }
  QString installed(const QString &file) const { return prefix.filePath(file); }

  // The built-in bench with another answer latency and a short timeout.
  QString bench(const QString &name, int latencyMs) {
    QJsonObject json = QJsonDocument::fromJson(sim::defaultBenchJson()).object();
    json["latencyMs"] = latencyMs;
    json["timeoutMs"] = 50;
    WriteAll(path(name), QJsonDocument(json).toJson());
    return path(name);
  }

  // Names a bench in SOLVISA_BENCH; answers come at once, so the suite stays fast.
  void useBench(const QString &name, QByteArray json) {
    QVERIFY(WriteAll(path(name), json.replace("\"latencyMs\": 25", "\"latencyMs\": 0")));
    qputenv("SOLVISA_BENCH", path(name).toLocal8Bit());
  }

  // The default settings with some keys changed.
  QString config(const QString &name, const QVariantMap &changes = {}) {
    WriteAll(path(name), ReadAll(sourceDir() + "/tests/fixtures/cfg_defaults.cfg"));
    QSettings file(path(name), QSettings::IniFormat);
    for (auto it = changes.begin(); it != changes.end(); ++it)
      file.setValue(it.key(), it.value());
    return path(name);
  }

  // An installed program started from "/" without a display (the runner
  // needs none) and with none of the variables that point at the build;
  // variables ("NAME=value") are added.
  void start(QProcess &process, const QString &program, const QStringList &arguments,
             const QStringList &variables = {}) {
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

  Outcome run(const QStringList &arguments) {
    QProcess process;
    start(process, "bin/solvane-run", arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
  }

private slots:
  void initTestCase() {
    QProcess install;
    install.start("cmake", {"--install", binDir() + "/..", "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError());
  }

  // No bench and no GPIB driver: the program still loads its own library,
  // and Start says why nothing answers.
  void noInstrumentReachable() {
    qunsetenv("SOLVISA_BENCH");
    PromptRecorder prompts;
    MainWindow window;
    W<QPushButton>(window, "Start")->click();
    QTRY_COMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].kind, UserPrompt::Kind::Warning);
    QCOMPARE(prompts.shown(), QStringList("Generator1 (RF): Initialization Error.\n\nThe VISA library " + binDir()
        + "/libsolvisa.so finds no GPIB0 instrument on this computer. Check that the driver of the GPIB0 "
          "interface is installed and that the instrument is connected and on."));
  }

  // The manual's example: generator 2 from None to GEN-24 at address 27, RF
  // 100 to 1000 MHz in 10 MHz steps at -10 dBm, LO fixed at 1100 MHz and
  // +7 dBm, lower sideband, 3 dB attenuation, 0.05 s dwell.
  void manualMixerExample() {
    useBench("mixer.json", ReadAll(sourceDir() + "/bench/mixer-bench.json"));
    QVERIFY(VisaLoad());
    PromptRecorder prompts;
    CfgStr cfg;
    std::tie(cfg.Gen1.Type, cfg.Gen1.GpibAddress, cfg.Ana.Type, cfg.Ana.GpibAddress) = std::tuple(24, 28, 59, 20);
    cfg.Gen2.StartFreq = cfg.Gen2.StopFreq = 500.0;
    {
      DevWindow devices(&cfg);  // generator 2 "None" clears its range
      Choose(devices, "G2Typ", 24);
      W<QSpinBox>(devices, "G2Pad")->setValue(27);
      W<QDialogButtonBox>(devices, "DevWindowOk")->button(QDialogButtonBox::Ok)->click();
    }
    {
      SwpWindow sweep(&cfg);
      // Typed in: the dialog takes a value when its box is left.
      const std::pair<const char *, double> typed[] = {{"G1FMin", 100.0}, {"G1FMax", 1000.0}, {"G1LMin", -10.0},
                                                       {"G2FMin", 1100.0}, {"G2LMin", 7.0}, {"AnAtt", 3.0}};
      for (const auto &[name, value] : typed) {
        auto *box = W<QDoubleSpinBox>(sweep, name);
        box->setValue(value);
        emit box->editingFinished();
      }
      W<QDoubleSpinBox>(sweep, "FSte")->setValue(10.0);
      W<QSlider>(sweep, "FxdLo")->setValue(1);
      W<QSlider>(sweep, "Usb")->setValue(0);
      QCOMPARE(W<QDoubleSpinBox>(sweep, "AnFMin")->value(), 1000.0);
      QCOMPARE(W<QDoubleSpinBox>(sweep, "AnFMax")->value(), 100.0);
      W<QDialogButtonBox>(sweep, "dlgSwpOk")->button(QDialogButtonBox::Ok)->click();
    }
    std::tie(cfg.Dwell, cfg.TraceCount) = std::tuple(0.05, 1);
    AllocTrc(cfg);
    SleepRecorder sleeps;
    Headless quiet;
    QCOMPARE(int(SweepEngine(cfg, quiet).run(false).outcome), int(SwpOutcome::Completed));
    QVERIFY(prompts.messages.isEmpty());
    // The simulated mixer gives its IF only with the LO the dialogs set.
    QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(cfg.Gen2.GpibAddress).arg(cfg.Gen2.StartFreq).arg(cfg.Gen2.StartLevel)
                 .arg(cfg.FixedLo), QStringLiteral("27 1100 7 1"));
    QCOMPARE(cfg.PointCount, 91);
    // About 6.5 dB conversion loss, minus the 3 dB pad the attenuation stands for; the
    // simulated analyzer finds the IF only at the frequencies the dialogs planned.
    for (double level : cfg.Traces[0][0])
      QVERIFY2(level > -14.0 && level < -12.0, qPrintable(QString::number(level)));
  }

  // Each simulated meter reads its zero offset (1 nW, -60 dBm) without a
  // signal until Meter Zero removes it.
  void simulatedMeterZero() {
    useBench("meters.json", R"({"noiseDb": 0, "dut": {"kind": "through"}, "instruments": [
        {"resource": "GPIB0::13::INSTR", "type": 73}, {"resource": "GPIB0::17::INSTR", "type": 77},
        {"resource": "GPIB0::18::INSTR", "type": 78}, {"resource": "USB::0x1209::0x3::100028", "type": 75}]})");
    QVERIFY(VisaLoad() && PwuLoad(binDir() + "/vxipnp/Win64/Bin/"));
    for (int type : {73, 77, 78, 75}) {
      PromptRecorder prompts;
      CfgStr cfg;
      cfg.SensorDriverLoaded = true;
      std::tie(cfg.Ana.Type, cfg.Ana.GpibAddress, cfg.Ana.Interface, cfg.Ana.ProductId, cfg.Ana.SerialNo) =
          std::tuple(type, type - 60, type == 75 ? 4 : 0, 3, 100028);
      QCOMPARE(DevOpen(cfg.Ana), VI_SUCCESS);
      double before = 0.0, after = 0.0;
      QCOMPARE(AnaMeasure(cfg.Ana.Session, type, 50e6, before, 0.0, 0.0, 1), VI_SUCCESS);
      DevWindow devices(&cfg);
      W<QPushButton>(devices, "AnAZero")->click();
      QCOMPARE(AnaMeasure(cfg.Ana.Session, type, 50e6, after, 0.0, 0.0, 1), VI_SUCCESS);
      QVERIFY2(before > -61.0 && after < -69.0,
               qPrintable(QStringLiteral("%1: %2 %3").arg(type).arg(before).arg(after)));
      DevClose(cfg.Ana);
    }
  }

  // The window starts on the simulated bench with the installed libsolvisa
  // and sensor driver, and keeps the settings folder of Solvane64 when
  // started through the "solvane" link.
  void layoutDesktopEntryAndWindowStart() {
    QProcess version;
    start(version, "bin/solvane", {"--version"});
    QVERIFY(version.waitForFinished());
    QCOMPARE(version.readAllStandardOutput(), QByteArray("Solvane64 5.3.0\n"));

    QProcess window;
    start(window, "bin/solvane", {"--simulate"}, {"QT_QPA_PLATFORM=offscreen"});
    const QString maps = QString("/proc/%1/maps").arg(window.processId());
    const auto mapped = [&maps](const QString &library) { return ReadAll(maps).contains(library.toLocal8Bit()); };
    QTRY_VERIFY_WITH_TIMEOUT(mapped(installed("lib/solvane/vxipnp/Win64/Bin/libpwudrv_64.so")), 20000);
    QVERIFY(mapped(installed("lib/solvane/libsolvisa.so")));
    QVERIFY(QFileInfo(path("share/Kestrova/Solvane64")).isDir());
    QVERIFY(!QFileInfo::exists(path("share/Kestrova/solvane")));
    QCOMPARE(window.state(), QProcess::Running);
    window.kill();
    window.waitForFinished();

    // The libraries are mapped above; the programs run here and below.
    for (const char *file : {"share/doc/solvane/Solvane.pdf", "share/solvane/mixer-bench.json",
                             "share/icons/hicolor/48x48/apps/solvane.png",
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

  // The first window on its bench (a new bench file is a new bench): it draws
  // the bench's first readings, as the runner's process does.
  void defaultSweepEqualsTheWindowsFiles() {
    const QString benchFile = bench("fast.json", 0);
    const Outcome result = run({"--config", config("run.cfg"), "--out", path("run.dat"), "--csv", path("run.csv"),
                                "--simulate=" + benchFile});
    QCOMPARE(result.exit, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    QVERIFY(result.out.startsWith("SIMULATED BENCH - default: no real instrument is measured\n"));
    QVERIFY(result.out.endsWith("Pass 1 of 1, level step 1 of 1, point 91 of 91, 0:00 left\n"));

    qputenv("SOLVISA_BENCH", benchFile.toLocal8Bit());
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

  void exitStatusAndMessage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("message");  // the start of standard error after "solvane-run: "
    QTest::addColumn<int>("measured");     // points in the data file; -1: no file

    const QString fast = "--simulate=" + bench("fast.json", 0);
    const QString out = path("status.dat");
    const auto usual = [&](const QString &settings) { return QStringList{"--config", settings, "--out", out, fast}; };
    const QString garbage = path("garbage.cfg");
    WriteAll(garbage, QByteArrayLiteral("\x7f" "ELF\x02\x01\x01\0\0\0\0 binary, not settings\n"));

    QTest::newRow("no output file") << QStringList{"--config", config("a.cfg"), fast} << 1
                                    << "--config and --out are required (see --help).\n" << -1;
    QTest::newRow("missing configuration") << usual(path("none.cfg")) << 2
        << "Configuration: The configuration file " + path("none.cfg") + " cannot be read (" << -1;
    QTest::newRow("garbage configuration") << usual(garbage) << 2
        << "Configuration: The configuration file " + garbage + " holds no settings of this program.\n" << -1;
    QTest::newRow("refused plan") << usual(config("refused.cfg", {{"Sweep/Step Freq", 0}})) << 2
        << "Sweep: The frequency step is 0 MHz: a linear sweep needs a step.\n" << -1;
    QTest::newRow("missing bench file")
        << QStringList{"--config", config("a.cfg"), "--out", out, "--simulate=" + path("no.json")} << 3
        << "Simulated Bench: The bench file " + path("no.json") + " cannot be read.\n" << -1;
    QTest::newRow("generator not on the bench") << usual(config("gen.cfg", {{"Gen1/GPIB Address", 5}})) << 3
        << "Generator1 (RF): Initialization Error.\n" << -1;
    // The analyzer tunes up to 50 GHz: with N/D = 100 the IF of 510 MHz and
    // above is out of its range and the measurement there times out.
    QTest::newRow("measurement fails at 510 MHz") << usual(config("if.cfg", {{"Sweep/Numerator", 100}})) << 4
        << "Analyzer (IF): Power Measurement Error.\n" << 41;
    QTest::newRow("output not writable")
        << QStringList{"--config", config("a.cfg"), "--out", path("no/such/folder/x.dat"), fast} << 5
        << "Fehler: SaveDatFile -1: " + path("no/such/folder/x.dat") + " cannot be opened for writing" << -1;
  }

  void exitStatusAndMessage() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QString, message);
    QFETCH(int, measured);
    QFile::remove(path("status.dat"));
    const Outcome result = run(arguments);
    QCOMPARE(result.exit, exit);
    QVERIFY2(QString::fromUtf8(result.err).startsWith("solvane-run: " + message), result.err);
    QCOMPARE(QFile::exists(path("status.dat")), measured >= 0);
    const QByteArray dat = ReadAll(path("status.dat"));
    QCOMPARE(dat.count(" nan\n"), measured < 0 ? 0 : 91 - measured);
    QCOMPARE(dat.count('\n'), measured < 0 ? 0 : 3 + 91);
  }

  // Three passes asked for, stopped in the first: the end-of-run steps
  // follow the last measurement, and the file holds the one trace measured
  // so far with the points that were reached.
  void ctrlCStopsAtTheNextPoint() {
    const QString trace = path("stop.trace");
    QProcess process;
    start(process, "bin/solvane-run", {"--config", config("stop.cfg"), "--out", path("stop.dat"), "--repeat", "3",
                                       "--simulate=" + bench("slow.json", 5)}, {"SOLVISA_TRACE=" + trace});
    QByteArray out;
    QTRY_VERIFY2((out += process.readAllStandardOutput()).contains("point 1 of 91"),
                 out + process.readAllStandardError());
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

int main(int argc, char *argv[]) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  qunsetenv("VXIPNPPATH64");
  qunsetenv("SOLVANE_VISA_LIBRARY");
  QApplication app(argc, argv);
  TstSolvaneRun suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_solvane_run.moc"
