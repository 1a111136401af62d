// The files the window saves and loads, byte for byte under a decimal-comma
// locale; the refusal of files that cannot be held safely, and every save
// onto a full disk, cancelled or slow. The configuration file and the sweep
// plan computed from the settings it holds.
#include "app/FileJobRunner.h"
#include "app/MainWindow.h"
#include "storage/CfgFile.h"
#include "storage/CorrFile.h"
#include "storage/CsvFile.h"
#include "storage/DataFile.h"
#include "storage/NormExport.h"
#include "support/CfgFields.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"

#include <QtTest>
#include <QtWidgets>

#include <clocale>
#include <cmath>
#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

const QString kNotFinite = "The sweep settings give frequencies or levels that are not finite numbers. "
                           "Check the frequencies, the steps and the factor N/D.";
const QString kZeroD = "The denominator D of the factor N/D is 0; it must not be 0.";

void Row(const char *name, const QString &settings, const QString &expected) {
  QTest::newRow(name) << settings << expected;
}

// Trace t, level l, point i holds -(10 t + l) - i / 1000 - 0.0004.
CfgStr Store(int traces, int levels, const QVector<double> &freqs) {
  CfgStr cfg;
  std::tie(cfg.TraceCount, cfg.LevelCount, cfg.PointCount, cfg.AnaFreqs) =
      std::tuple(traces, levels, freqs.size(), freqs);
  std::tie(cfg.Gen1.StartLevel, cfg.Gen2.StartLevel) = std::pair(-10.0, 7.0);
  cfg.Traces.fill(TraceRec(levels, QVector<double>(freqs.size())), traces);
  for (int t = 0; t < traces; ++t)
    for (int l = 0; l < levels; ++l)
      for (int i = 0; i < freqs.size(); ++i)
        cfg.Traces[t][l][i] = -(10.0 * t + l) - i / 1000.0 - 0.0004;
  return cfg;
}

}  // namespace

class TstDataFile : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  int fileNo = 0;

  QString path(const QString &name) const { return dir.filePath(name); }
  // The settings library caches what it read: a fresh file for every use.
  QString newFile(const QByteArray &text = QByteArray()) {
    const QString path = dir.filePath(QStringLiteral("f%1.cfg").arg(++fileNo));
    if (!text.isNull())
      WriteAll(path, text);
    return path;
  }
  // Every stored field of a record, as the text its save gives.
  QByteArray stored(const CfgStr &cfg) {
    const QString path = newFile();
    return CfgSave(cfg, path) == 0 ? ReadAll(path) : QByteArray("not saved");
  }

private slots:
  void initTestCase() {
    // A desktop that writes a decimal comma must not change the files.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
      qWarning("de_DE.UTF-8 is not installed; only Qt's default locale is German");
  }
  void cleanup() {
    UserPrompt::setOpenFileHandler(nullptr);
    UserPrompt::setSaveFileHandler(nullptr);
  }

  // Exact halves of the binary value (100.0078125, 2.5625, -0.0625) round to
  // the even digit, as printf writes them in the C locale, in all three files.
  void dataFileBytesRoundTripAndNormalizationExport() {
    CfgStr one = Store(1, 1, {100.0, 150.123456789, 200.0, 100.0078125});
    one.Traces[0][0][1] = kUnmeasured;
    one.Traces[0][0][3] = 2.5625;
    QCOMPARE(SaveDatFile(one, path("one.dat")), 0);
    QCOMPARE(ReadAll(path("one.dat")), QByteArray("Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 4\n"
                                                  "100.000000 0.000\n150.123457 nan\n200.000000 -0.002\n"
                                                  "100.007812 2.562\n"));
    // Read back with the line ends of another system and a plus sign.
    CfgStr back;
    QCOMPARE(LoadDatFile(back, newFile(ReadAll(path("one.dat")).replace("\n", "\r\n").replace(" 2.", " +2."))), 0);
    QVERIFY(std::isnan(back.Traces[0][0][1]) && back.Traces[0][0][3] == 2.562);

    QCOMPARE(SaveDatFile(Store(3, 2, {0.5, 1234.5678915, 6000.000001}), path("trip.dat")), 0);
    QCOMPARE(ReadAll(path("trip.dat")).split('\n')[3],
             QByteArray("0.500000 0.000 -1.000 -10.000 -11.000 -20.000 -21.000"));
    CfgStr loaded = Store(1, 1, {5.0});
    QCOMPARE(LoadDatFile(loaded, path("trip.dat")), 0);
    QCOMPARE(loaded.AnaFreqs, (QVector<double>{0.5, 1234.567892, 6000.000001}));
    QCOMPARE(loaded.Traces[2][1][2], -21.002);
    // Every later reader of the plan lists stays within the loaded count.
    QCOMPARE(loaded.Gen1Freqs.size() + loaded.Gen2Freqs.size() + loaded.NormData.size(), 9);
    QCOMPARE(loaded.ColourIdx, 2);
    QCOMPARE(SaveDatFile(loaded, path("again.dat")), 0);
    QCOMPARE(ReadAll(path("again.dat")), ReadAll(path("trip.dat")));

    CfgStr norm = Store(2, 1, {100.0078125});
    norm.Traces[0][0][0] = -7.4375;  // 2.5625 above generator 1's level
    QCOMPARE(SaveNormFile(norm, path("norm.txt")), 0);
    QCOMPARE(ReadAll(path("norm.txt")), QByteArray("100.007812 2.562 -14.438 0.000 -17.000\n"));

    // The longest line the save can write (400 values of 1e300) loads again.
    CfgStr wide = Store(20, 20, {1e300});
    wide.Traces.fill(TraceRec(20, {1e300}));
    QCOMPARE(SaveDatFile(wide, path("wide.dat")), 0);
    QCOMPARE(LoadDatFile(loaded, path("wide.dat")), 0);
    QCOMPARE(loaded.Traces[19][19][0], 1e300);
    QCOMPARE(loaded.AnaFreqs[0], 1e300);
  }

  void correctionTableAndCsvBytes() {
    CfgStr table = Store(2, 1, {100.0, 2400.0});
    table.Traces[0][0][0] = -10.0625;
    QCOMPARE(SaveDatFile(table, path("a&b.FDA")), 0);
    QCOMPARE(ReadAll(path("a&b.FDA")),
             QByteArray("<?xml version=\"1.0\" standalone=\"no\"?>\n"
                        "<!DOCTYPE swpl>\n"
                        "<swpl>\n"
                        "  <FrequencyDependantExternalAttenuationCorrectionTable properties=\"true\">\n"
                        "    <properties>\n"
                        "      <TableName value=\"a&amp;b\" type=\"bstr\" />\n"
                        "      <TableSize value=\"2\" type=\"i4\" />\n"
                        "      <FrequencyNodes type=\"array|r8\">\n"
                        "        <Vector count=\"2\" type=\"r8\" data=\"100000000.000000;2400000000.000000\" />\n"
                        "      </FrequencyNodes>\n"
                        "      <CorrectionValues type=\"array|r8\">\n"
                        "        <Vector count=\"2\" type=\"r8\" data=\"-0.062;9.999\" />\n"
                        "      </CorrectionValues>\n"
                        "    </properties>\n"
                        "  </FrequencyDependantExternalAttenuationCorrectionTable>\n"
                        "</swpl>\n"));

    QCOMPARE(CorrTableName("/data/a&b.fda.xml"), QString("a&b"));
    QByteArray text;
    CfgStr partial = Store(1, 1, {100.0, 200.0, 300.0});
    partial.Traces[0][0][1] = kUnmeasured;
    QVERIFY(CorrTableText(partial, "p", text, nullptr));
    QVERIFY(text.contains("<Vector count=\"2\" type=\"r8\" data=\"100000000.000000;300000000.000000\" />"));
    partial.Traces[0][0].fill(kUnmeasured);
    QString reason;
    QVERIFY(!CorrTableText(partial, "p", text, &reason));
    QVERIFY(reason.contains("no measured point"));

    // Comment header, columns, empty cells for unmeasured points and the
    // instrument answers kept on one line.
    CfgStr cfg = Store(2, 2, {899.5, 799.5});
    Set(cfg, "Gen1Type=24 LO=24 AnaType=59 RF0=100.5 RF1=200.5 Step=100 L1=-5 LStep=5 LO0=1000 LO1=1000 Atten=1.25");
    cfg.Ana.Idn = QStringLiteral("Solvane Simulated,\"SPA-59\",0\r\n1.0");
    cfg.Traces = {{{-1.2344, -0.0004}, {-2.5, kUnmeasured}}, {{3.0, 4.0}, {5.0, 6.0}}};
    const QDateTime when(QDate(2026, 12, 7), QTime(1, 2, 3), Qt::OffsetFromUTC, 3600);
    QCOMPARE(QString::fromUtf8(CsvFileText(cfg, when)),
             QStringLiteral("# Solvane64 v5.3.0 trace data\n"
                            "# Measured: 2026-12-07T01:02:03+01:00\n"
                            "# Generator1 (RF): GEN-24; ID: ---\n"
                            "# Generator2 (LO): GEN-24; ID: ---\n"
                            "# Analyzer (IF): SPA-59; ID: Solvane Simulated,'SPA-59',0  1.0\n"
                            "# RF sweep: 100.500000 MHz to 200.500000 MHz, linear, step 100.000000 MHz, 2 points\n"
                            "# RF level: -10.000 to -5.000 dBm in 5.000 dB steps, 2 level steps\n"
                            "# LO: 1000.000000 MHz to 1000.000000 MHz, fixed LO, upper sideband\n"
                            "# Ratio N/D: 1.000/1.000; dwell: 0.000 s; external attenuation: 1.250 dB\n"
                            "# Levels in dBm (dB against the reference when normalized); "
                            "empty cells were not measured\n"
                            "Frequency [MHz],Trace 1 Step 1,Trace 1 Step 2,Trace 2 Step 1,Trace 2 Step 2\n"
                            "899.500000,-1.234,-2.500,3.000,5.000\n"
                            "799.500000,0.000,,4.000,6.000\n"));
    QCOMPARE(SaveCsvFile(cfg, path("missing/a.csv"), QDateTime()), -1);
    QCOMPARE(SaveCsvFile(cfg, path("a.csv"), QDateTime()), 0);
    QVERIFY(ReadAll(path("a.csv")).contains("\n# Measured: ---\n"));
  }

  // A store that does not match its counts is never written: the old file stays.
  void incompleteStoresAreRefused_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("reason");
    const QString notMatching = "The trace store does not match its counts.";
    QTest::newRow("no trace") << "TraceCount=0" << "No trace has been measured or loaded yet.";
    QTest::newRow("more traces than stored") << "TraceCount=3" << notMatching;
    QTest::newRow("more points than frequencies") << "Points=3" << notMatching;
    QTest::newRow("no points") << "Points=0" << "The sweep has no points.";
    QTest::newRow("no level steps") << "LevelCount=0" << "The sweep has no points.";
    QTest::newRow("more level steps than stored")
        << "LevelCount=2" << "A trace has a different number of level steps than the sweep.";
    QTest::newRow("fewer points than stored")
        << "Points=1" << "A trace has a different number of points than the sweep.";
  }
  void incompleteStoresAreRefused() {
    QFETCH(QString, settings);
    QFETCH(QString, reason);
    QVERIFY(WriteAll(path("old.dat"), "old bytes"));
    CfgStr cfg = Store(2, 1, {1.0, 2.0});
    Set(cfg, settings);
    QString dat, norm, csv;
    QCOMPARE(SaveDatFile(cfg, path("old.dat"), &dat), -1);
    QCOMPARE(SaveNormFile(cfg, path("old.dat"), &norm), -1);
    QCOMPARE(SaveCsvFile(cfg, path("old.dat"), QDateTime(), &csv), -1);
    QCOMPARE(QStringList({dat, norm, csv}), QStringList({reason, reason, reason}));
    QCOMPARE(ReadAll(path("old.dat")), QByteArray("old bytes"));
  }


  void hostileFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    const QByteArray head = "Repetition  Count: 1\nLevel Sweep Count: 2\nMeasurement Count: 2\n";
    QTest::newRow("empty") << QByteArray("") << "The file ends before its count lines.";
    QTest::newRow("no label") << QByteArray("Traces 1\n") << "Line 1 should read \"Repetition  Count: <number>\".";
    QTest::newRow("huge count") << QByteArray("Repetition  Count: 2000000000\n")
                                << "Line 1 announces 2000000000 (\"Repetition  Count:\"); a file may hold 1 to 20.";
    QTest::newRow("negative count") << QByteArray("Repetition  Count: 1\nLevel Sweep Count: -3\n")
                                    << "Line 2 announces -3 (\"Level Sweep Count:\"); a file may hold 1 to 20.";
    QTest::newRow("zero points") << head.left(42) + "Measurement Count: 0\n"
                                 << "Line 3 announces 0 (\"Measurement Count:\"); a file may hold 1 to 20001.";
    QTest::newRow("largest counts, tiny file")
        << QByteArray("Repetition  Count: 20\nLevel Sweep Count: 20\nMeasurement Count: 20001\n1 2\n")
        << "The file is too short for its 20001 announced points.";
    QTest::newRow("truncated") << head + "100 -1 -2\n" << "The file ends after 1 of its 2 points.";
    QTest::newRow("too few numbers") << head + "100 -1\n200 -1 -2\n"
                                     << "Line 4 holds 2 numbers; the counts announce 3.";
    QTest::newRow("value no number") << head + "100 -1 -2\n200 -1 1,5\n" << "Line 5: \"1,5\" is no level.";
    QTest::newRow("frequency nan") << head + "nan -1 -2\n200 -1 -2\n" << "Line 4: \"nan\" is no frequency.";
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
      junk[i] = char((i * 7919) % 256);
    QTest::newRow("binary junk") << junk << "Line 1 holds binary data; this is no data file.";
    QTest::newRow("very long line") << head + "100" + QByteArray(10 * 1024 * 1024, '1') + " -1 -2\n"
                                    << "Line 4 is longer than 126319 characters; this is no data file.";
  }
  void hostileFilesAreRefused() {
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    CfgStr cfg = Store(2, 1, {1.0, 2.0});
    const CfgStr before = cfg;
    QString reason;
    QCOMPARE(LoadDatFile(cfg, newFile(content), &reason), -1);
    QCOMPARE(reason, says);
    QVERIFY(cfg.TraceCount == before.TraceCount && cfg.PointCount == before.PointCount);
    QVERIFY(cfg.AnaFreqs == before.AnaFreqs && cfg.Traces == before.Traces);
  }

  // Every save of the window onto a full disk keeps the old file and names
  // the system's reason, for a buffered small file as for a large one, and
  // for settings put together in a scratch folder on a full disk.
  void fullDiskKeepsEveryOldFile() {
    // A small tmpfs mounted for the test (only root may), filled to the last byte.
    const QString disk = path(QStringLiteral("full"));
    QDir().mkpath(disk);
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=256k") != 0)
      QSKIP("mounting a tmpfs needs root; the full-disk saves are not tried");
    const auto unmount = qScopeGuard([&disk] { ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH); });
    PromptRecorder prompts;
    qputenv("XDG_DATA_HOME", disk.toLocal8Bit());
    MainWindow window;
    W<QAction>(window, "actionSave")->trigger();
    const QString cfgPath = disk + QStringLiteral("/Kestrova/tst_datafile/tst_datafile.cfg");
    const QByteArray oldCfg = ReadAll(cfgPath);
    const QStringList names{"small.dat", "large.dat", "table.fda", "norm.txt"};
    for (const QString &name : names)
      QVERIFY(WriteAll(disk + '/' + name, "old " + name.toLatin1()));
    QCOMPARE(SaveDatFile(Store(1, 1, QVector<double>(3, 100.0)), path("small.dat")), 0);
    QCOMPARE(SaveDatFile(Store(1, 1, QVector<double>(3000, 100.0)), path("large.dat")), 0);
    QFile filler(disk + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(512, 'x')) > 0) {
    }
    prompts.messages.clear();

    QString answer;
    const auto answerFile = [&answer](const QString &, const QString &, const QString &) { return answer; };
    UserPrompt::setOpenFileHandler(answerFile);
    UserPrompt::setSaveFileHandler(answerFile);
    const auto fails = [&](const char *load, const QString &name, const char *action) {
      answer = path(QString::fromLatin1(load));
      W<QAction>(window, "actionLoad_Data")->trigger();
      answer = disk + '/' + name;
      W<QAction>(window, action)->trigger();
    };
    fails("small.dat", "small.dat", "actionSave_Data");
    fails("large.dat", "large.dat", "actionSave_Data");
    fails("small.dat", "table.fda", "actionSave_Data");
    fails("large.dat", "norm.txt", "actionSave_Normalization");
    window.findChild<QDoubleSpinBox *>("Dwell")->setValue(2.5);
    emit window.findChild<QDoubleSpinBox *>("Dwell")->editingFinished();
    W<QAction>(window, "actionSave")->trigger();
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", disk.toLocal8Bit());  // the settings are put together in a scratch folder first
    window.close();
    qputenv("TMPDIR", tmp);

    QStringList expected;
    for (const QString &name : names)
      expected << QStringLiteral("Fehler: %1 -1\n\n%2/%3 could not be written: No space left on device")
                      .arg(name == "norm.txt" ? "SaveNormFile" : "SaveDatFile", disk, name);
    expected << "Configuration: The settings could not be saved (" + cfgPath + " could not be written: No space "
                "left on device). The settings file keeps what it held before."
             << "Configuration: The settings could not be saved (The settings could not be put together in " + disk
                    + "/tst_datafile-XXXXXX (is that disk full?)). The settings file keeps what it held before.";
    QStringList seen = prompts.shown();
    seen.last().replace(QRegularExpression("/tst_datafile-\\w{6} "), "/tst_datafile-XXXXXX ");  // a random name
    QCOMPARE(seen, expected);
    for (const QString &name : names)
      QCOMPARE(ReadAll(disk + '/' + name), "old " + name.toLatin1());
    QCOMPARE(ReadAll(cfgPath), oldCfg);
    QCOMPARE(QDir(disk + QStringLiteral("/Kestrova/tst_datafile")).entryList(QDir::Files),
             QStringList(QStringLiteral("tst_datafile.cfg")));
    QCOMPARE(QDir(disk).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList(QStringLiteral("Kestrova")));
  }

  // An operation that takes longer than half a second shows its progress;
  // Cancel asks it to stop and the window waits until it has.
  void slowOrCancelledOperations() {
    FileJob job;
    QString seen;
    QTimer::singleShot(700, [&] {
      if (auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget())) {
        seen = progress->labelText() + QStringLiteral(" %1%").arg(progress->value() / 10);
        progress->cancel();
      }
      job.cancel = true;
    });
    const int result = RunFileJob(nullptr, QStringLiteral("Saving x.dat"), job, [&job] {
      job.total = 4;
      job.done = 1;
      while (!job.cancel)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return kFileCancelled;
    });
    QCOMPARE(result, kFileCancelled);
    QCOMPARE(seen, QStringLiteral("Saving x.dat 25%"));

    // A cancelled save leaves the old file, a cancelled load writes nothing.
    // The replacement is written beside the file first; a name too long for
    // that companion makes the save fail, even for the superuser.
    const QString longName = path(QString(250, 'x') + ".dat");
    QVERIFY(WriteAll(longName, "old bytes"));
    QVERIFY(WriteAll(path("keep.dat"), "old bytes"));
    const CfgStr cfg = Store(1, 1, {100.0});
    QString reason;
    QCOMPARE(SaveDatFile(cfg, longName, &reason), -1);
    QVERIFY2(reason.contains(longName), qPrintable(reason));
    QCOMPARE(SaveDatFile(cfg, path("keep.dat"), nullptr, &job), kFileCancelled);
    QCOMPARE(SaveNormFile(cfg, path("keep.dat"), nullptr, &job), kFileCancelled);
    QCOMPARE(ReadAll(longName) + ReadAll(path("keep.dat")), QByteArray("old bytesold bytes"));
    QCOMPARE(SaveDatFile(Store(1, 1, QVector<double>(5, 100.0)), path("cancel.dat")), 0);
    DatFileContent content;
    QCOMPARE(ReadDatFile(path("cancel.dat"), content, nullptr, &job), kFileCancelled);
    QVERIFY(content.store.isEmpty() && content.freqs.isEmpty());

    // A finished operation has done every line, so its progress ends full.
    FileJob saved, read;
    QCOMPARE(SaveDatFile(cfg, path("whole.dat"), nullptr, &saved), 0);
    QCOMPARE(ReadDatFile(path("cancel.dat"), content, nullptr, &read), 0);
    QCOMPARE(QVector<int>({saved.done, saved.total, read.done, read.total}), QVector<int>({4, 4, 5, 5}));
  }

  void missingEmptyOrUnreadableFileGivesDefaults_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("result");
    QTest::newRow("missing") << newFile() << 0;
    QTest::newRow("empty") << newFile("") << 0;
    QTest::newRow("other keys") << newFile("[Elsewhere]\nkey=1\n") << 0;
    QTest::newRow("a folder") << dir.path() << -1;
  }
  void missingEmptyOrUnreadableFileGivesDefaults() {
    QFETCH(QString, path);
    CfgStr cfg = Defaults();
    QVERIFY(CalcSwpLst(cfg));
    Set(cfg, "Count=7 DisplayAna=0");
    cfg.Gen1.Session = cfg.Gen2.Session = cfg.Ana.Session = 9;
    cfg.CfgPath = QStringLiteral("/kept.cfg");
    QTEST(CfgLoad(cfg, path), "result");
    QCOMPARE(stored(cfg), ReadAll(QStringLiteral(SOLVANE_SOURCE_DIR "/tests/fixtures/cfg_defaults.cfg")));
    QCOMPARE(Get(cfg, "DisplayAna Count Points"), QStringLiteral("DisplayAna=1 Count=200 Points=91"));
    QCOMPARE(cfg.Gen1.Session + cfg.Gen2.Session + cfg.Ana.Session, 0u);
    QVERIFY(cfg.Gen1.DevNo == 1 && cfg.Gen2.DevNo == 2 && cfg.Ana.DevNo == 3);
    QCOMPARE(cfg.CfgPath, QStringLiteral("/kept.cfg"));  // run-time members stay
  }

  // Values that no part of the program could use are replaced. Whatever the
  // file holds, the plan is computed or refused: no hang, no allocation of
  // what absurd counts ask for.
  void loadRulesAndPlan_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("planned");
    QTest::addColumn<QString>("refused");  // the plan's reason when the file's sweep settings are not used
    const auto row = [](const char *name, const QByteArray &text, const char *expected, bool planned,
                        const QString &refused = QString()) {
      QTest::newRow(name) << text << QString(expected) << planned << refused;
    };
    row("out of range", "[Display]\nN%20Index=-3\n[Sweep]\nDisplay%20Ana=false\nUpper%20Sideband=2\nLog%20Sweep=2\n"
        "[Gen1]\nType=500\n[Gen2]\nType=31\n[Ana]\nType=69\n[General]\nPWU%20Index=84",
        "NIndex=0 DisplayAna=1 Usb=1 Log=1 Gen1Type=24 LO=31 AnaType=69 Pwu=0", true);
    row("words", "[Sweep]\nAttenuator=6\nLog%20Sweep=FALSE\nDwell=1e300\nCount=many\nStep%20Freq=ten\n"
        "[Gen1]\nType=59\n[Ana]\nType=3\n[Position]\nx=left\n",
        "Atten=0 Log=0 Dwell=100 Count=0 Step=0 Gen1Type=24 AnaType=59", false);
    // An int read from the file is taken up to its last value at either end.
    row("one past the largest int", "[Sweep]\nAttenuator=6\nLog%20Sweep=yes\nDwell=nan\nCount=2147483648\n[Ana]\n"
        "External%20Attenuation=3.5", "Atten=3.5 Log=1 Dwell=0 Count=0", false);
    row("one past the smallest int", "[Sweep]\nCount=-2147483649", "Count=0", true);
    row("smallest int", "[Sweep]\nDwell=0.25\nCount=-2147483648", "Dwell=0.25 Count=-2147483648", true);
    row("largest int, absurd log count", "[Sweep]\nLog%20Sweep=1\nCount=2147483647\n", "Count=2147483647", false);
    // Values whose arithmetic would overflow are kept within what they can be.
    row("window and ports", "[Position]\nx=2147483647\ny=-2147483648\ndx=2147483647\n[Gen1]\n"
        "Serial%20Port=2147483647\n[Ana]\nSerial%20Port=-1\n", "X=300 Y=200 Dx=789 Gen1Port=1 AnaPort=3", true);
    row("tiny step", "[Sweep]\nStep%20Freq=1e-300\n", "", false);
    row("huge numbers", "[Sweep]\nGen1%20Stop%20Freq=1e308\nStep%20Freq=1e305\n", "", true);
    row("infinite stop", "[Sweep]\nGen1%20Stop%20Freq=inf\n", "RF1=1000", true, kNotFinite);
    row("negative step", "[Sweep]\nStep%20Freq=-10\n", "", true);
    row("absurd levels", "[Sweep]\nLevel%20Sweep=true\nGen1%20Stop%20Level=1e9\nGen1%20Step%20Level=1e-9\n", "", false);
    // Settings that give neither a plan nor a finite frequency axis: the sweep keys keep their defaults.
    row("denominator 0", "[Sweep]\nDenominator=0\nNumerator=3\n", "D=1 N=1", true, kZeroD);
    row("numerator 1e308", "[Sweep]\nNumerator=1e308\n", "N=1", true, kNotFinite);
    row("numerator inf", "[Sweep]\nNumerator=inf\n", "N=1", true, kNotFinite);
    row("binary noise", QByteArray("\x01\xff[[=\n=\n[Sweep\n\x00\x00=%%%\n", 22), "", true);
  }
  void loadRulesAndPlan() {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QFETCH(QString, refused);
    CfgStr cfg;
    QString why;
    CfgLoad(cfg, newFile(text), &why);  // the binary noise is no INI file: -1 and the defaults
    QCOMPARE(Get(cfg, expected), expected);
    if (!refused.isEmpty())
      refused += " The sweep settings of the file are not used; the defaults are.";
    QCOMPARE(why, refused);
    QString reason;
    QTEST(CalcSwpLst(cfg, &reason), "planned");
    QVERIFY(reason.isEmpty() == (cfg.PointCount > 0) && cfg.PointCount <= kMaxPoints);
  }

  void folderWriteFailureAndOpenRefusal() {
    const QString file = newFile("a file, not a folder");
    QString why;
    QCOMPARE(CfgSave(Defaults(), file + QStringLiteral("/inside.cfg"), &why), -1);
    QCOMPARE(CfgSaveErrorText(why), "The settings could not be saved (" + file
                                           + "/inside.cfg cannot be opened for writing: Not a directory). "
                                             "The settings file keeps what it held before.");

    CfgStr cfg = Defaults("Count=33");
    QCOMPARE(CfgOpen(cfg, dir.filePath("nowhere.cfg"), &why), -1);
    QCOMPARE(cfg.Count, 33);
    QCOMPARE(why, "The configuration file " + dir.filePath("nowhere.cfg")
                      + " cannot be read (No such file or directory). The settings stay as they were.");
    QCOMPARE(CfgOpen(cfg, newFile("[Sweep]\nCount=12\n"), &why), 0);
    QCOMPARE(cfg.Count, 12);

    QCOMPARE(CfgMakerDir("/home/ann/.local/share/Solvane64"),
             QStringLiteral("/home/ann/.local/share/Kestrova/Solvane64"));
    QCOMPARE(CfgMakerDir("C:\\Users\\ann\\AppData\\Local\\Solvane64"),
             QStringLiteral("C:/Users/ann/AppData/Local/Kestrova/Solvane64"));

    const QString base = dir.filePath(QStringLiteral("fresh/data"));  // nothing of it exists yet
    qputenv("XDG_DATA_HOME", base.toUtf8());
    QVERIFY(CfgPaths(cfg));
    QCOMPARE(cfg.AppName, QStringLiteral("tst_datafile"));
    QCOMPARE(cfg.CfgDir, base + QStringLiteral("/Kestrova/tst_datafile"));
    QCOMPARE(cfg.CfgPath, cfg.CfgDir + QStringLiteral("/tst_datafile.cfg"));
    QVERIFY(QFileInfo(cfg.CfgDir).isDir());
  }

  // Settings changed from the defaults and the settings and plan they give.
  void plan_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("expected");
    Row("linear", "", "Points=91 LevelCount=1 IF1=1000 RFs=100:10:1000 LOs=0:0:0 IFs=100:10:1000");
    Row("two level steps", "Levels=1", "LevelCount=2 RFs=100:10:1000");
    Row("stops between steps", "RF1=1005 Levels=1 L1=-5", "Points=91 LevelCount=1 RFs=100:10:1000");
    Row("stop below start still climbs; the most level steps", "RF0=1000 RF1=100 Levels=1 LStep=0.5 L1=-0.5",
        "Points=91 LevelCount=20 RFs=1000:10:1900");
    Row("any nonzero Log is logarithmic", "Log=2 Count=3 RF0=10 RF1=1000", "RFs=10,100,1000");
    Row("two points, the fewest of a log sweep", "Log=1 Count=2 RF0=10 RF1=1000", "RFs=10,1000");
    Row("the most points; unused inputs", "RF1=200100 LStep=0 Count=0", "Points=20001");
    Row("fixed LO, lower sideband", "LO=24 Usb=0", "Points=91 IF0=900 IF1=0 LOs=1000:0:1000 IFs=900:-10:0");
    Row("RF above the LO", "LO=24 Usb=0 LO0=1500 RF0=2000 RF1=2000", "IFs=500");
    Row("external LO", "LO=31", "Points=91 IFs=1100:10:2000");
    Row("factor N", "N=2", "Points=91 IFs=200:20:2000");
    // s x f x N / D in that order: 110 x 3 / 7 differs in the last bit from 110 x (3 / 7).
    Row("N/D to the last bit", "RF0=110 RF1=110 N=3 D=7", "IF0=47.142857142857146 IFs=47.142857142857146");
    Row("fixed IF, swept LO", "LO=24 FixedLo=0 FixedIf=1 IF0=70 IF1=123 RF0=1000 RF1=2000",
        "Points=101 LO1=1930 LOSpan=930 LOCentre=1465 IF1=123 LOs=930:10:1930 IFs=70:0:70");
    // The IF stop comes from the LO stop, not from the last LO point.
    Row("swept LO", "LO=24 FixedLo=0 LO0=2000 LO1=5000", "Points=91 IF1=6000 LOs=2000:10:2900 IFs=2100:20:3900");
    Row("swept LO, logarithmic", "LO=24 FixedLo=0 LO0=1 LO1=100 Log=1 Count=3 RF0=10 RF1=1000",
        "LOs=1,10,100 IFs=11,110,1100");
    // Only a swept LO needs LO frequencies above 0 MHz for a logarithmic sweep.
    Row("logarithmic, LO fixed at 0 MHz", "LO=24 LO0=0 Log=1 Count=3 RF0=10 RF1=1000", "IFs=10,100,1000");
    Row("logarithmic, no LO", "FixedLo=0 LO0=0 Log=1 Count=3 RF0=10 RF1=1000", "IFs=10,100,1000");
  }
  void plan() {
    QFETCH(QString, settings);
    QFETCH(QString, expected);
    CfgStr cfg = Defaults(settings);
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(Get(cfg, expected), expected);
  }

  // A refused plan leaves everything the plan writes as it was.
  void refusals_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("reason");
    Row("zero step", "Step=0", "The frequency step is 0 MHz: a linear sweep needs a step.");
    Row("zero denominator", "D=0", kZeroD);
    Row("zero level step", "LStep=0", "The level step is 0 dB: a level sweep needs a step.");
    Row("too many levels", "LStep=0.1",
        "The level sweep would have 101 level steps; at most 20 are possible. Use a larger level step.");
    Row("log count 1", "Log=1 Count=1", "A logarithmic sweep needs at least 2 points; the point count is 1.");
    Row("log count huge", "Log=1 Count=2147483647",
        "The sweep would have 2147483647 frequency points; at most 20001 are possible. Use fewer points.");
    Row("log from 0 MHz", "Log=1 RF0=0",
        "A logarithmic sweep needs RF start and stop frequencies above 0 MHz (they are 0 MHz and 1000 MHz).");
    // The fixed-IF plan computed first has moved the LO stop to 900 MHz.
    Row("log swept LO from 0 MHz", "Log=1 FixedIf=0 LO0=0",
        "A logarithmic sweep needs LO start and stop frequencies above 0 MHz (they are 0 MHz and 900 MHz).");
    Row("log swept LO to 0 MHz", "Log=1 FixedIf=0 LO1=0",
        "A logarithmic sweep needs LO start and stop frequencies above 0 MHz (they are 1000 MHz and 0 MHz).");
    Row("log to 0 MHz", "Log=1 RF1=0",
        "A logarithmic sweep needs RF start and stop frequencies above 0 MHz (they are 100 MHz and 0 MHz).");
    Row("one past the point limit", "RF1=200110",
        "The sweep would have 20002 frequency points; at most 20001 are possible. Use a larger step.");
    Row("tiny step", "Step=1e-300",
        "The sweep would have 9e+302 frequency points; at most 20001 are possible. Use a larger step.");
    Row("NaN step", "Step=nan", kNotFinite);
    Row("overflowing IF", "N=1e307", kNotFinite);
  }
  void refusals() {
    QFETCH(QString, settings);
    CfgStr cfg = Defaults("LO=24 FixedLo=0 FixedIf=1 Levels=1");
    QVERIFY(CalcSwpLst(cfg));
    Set(cfg, settings);
    CfgStr before = cfg;
    QString reason;
    QVERIFY(!CalcSwpLst(cfg, &reason));
    QTEST(reason, "reason");
    const QString planOutputs = "Points LevelCount IF0 IF1 LO1 LOSpan LOCentre RFs LOs IFs";
    QCOMPARE(Get(cfg, planOutputs), Get(before, planOutputs));
  }

  // A program killed while it writes its settings leaves the file whole
  // (old or new) and no lock file that would hold up the next save, which
  // keeps the keys of others and writes every value so that it loads again.
  void settingsSurviveAKilledSave() {
    const QString path = newFile("[Other]\nmine=1\n");
    QCOMPARE(CfgSave(Defaults("Count=11"), path), 0);
    const pid_t child = fork();
    if (child == 0) {
      const CfgStr second = Defaults("Count=22");
      for (;;)
        CfgSave(second, path);
    }
    QTest::qWait(300);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QCOMPARE(QDir(dir.path()).entryList({"*.lock"}, QDir::Files), QStringList());
    CfgStr loaded;
    QCOMPARE(CfgLoad(loaded, path), 0);
    QVERIFY(loaded.Count == 11 || loaded.Count == 22);

    CfgStr cfg = Defaults("Dwell=0.5 LO1=1e20 Log=2 Atten=10.25");  // the sweep dialog's OK stores Log as a check state
    cfg.X = -20;
    cfg.Numerator = 1.0 / 3.0;
    cfg.Ana.IpAddress = QStringLiteral("lab host, bench = 2; \"quoted\" \u00b5");
    cfg.VxiPath = QStringLiteral("C:\\Drivers\\");
    QCOMPARE(CfgSave(cfg, path), 0);
    QCOMPARE(CfgLoad(loaded, path), 0);
    for (const char *line : {"\nDwell=0.5\n", "\nLog%20Sweep=2\n", "\nAttenuator=10.25\n",
                             "\nExternal%20Attenuation=10.25\n", "\n[Other]\nmine=1\n"})
      QVERIFY2(ReadAll(path).contains(line), line);
    cfg.LogSweep = 1;  // read back as a boolean
    QCOMPARE(stored(loaded), stored(cfg));
    QVERIFY(loaded.Numerator == 1.0 / 3.0);
  }
};

int main(int argc, char *argv[]) {
  QTemporaryDir home;
  UseHomeWithoutVisa(home.path());
  qputenv("TMPDIR", home.path().toLocal8Bit());
  QApplication app(argc, argv);
  TstDataFile suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_datafile.moc"
