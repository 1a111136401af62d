// The configuration file and the sweep plan computed from the settings it holds.
#include "storage/CfgFile.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"
#include "support/CfgFields.h"
#include "support/TestPaths.h"

#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kNotFinite = "The sweep settings give frequencies or levels that are not finite numbers. "
                           "Check the frequencies, the steps and the factor N/D.";
const QString kZeroD = "The denominator D of the factor N/D is 0; it must not be 0.";

}  // namespace

class CfgFileTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  int fileNo = 0;

  // The settings library caches what it read: a fresh file for every use.
  QString newFile(const QByteArray &text = QByteArray()) {
    const QString path = dir.filePath(QStringLiteral("f%1.cfg").arg(++fileNo));
    QFile file(path);
    if (!text.isNull() && file.open(QIODevice::WriteOnly))
      file.write(text);
    return path;
  }
  // Every stored field of a record, as the text its save gives.
  QByteArray stored(const CfgStr &cfg) {
    const QString path = newFile();
    return CfgSave(cfg, path) == 0 ? ReadAll(path) : QByteArray("not saved");
  }

private slots:
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

  void valuesSurviveSaveAndLoadInAnyLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    CfgStr cfg = Defaults("Dwell=0.5 LO1=1e20 Log=2 Atten=10.25");  // the sweep dialog's OK stores Log as a check state
    cfg.X = -20;
    cfg.Numerator = 1.0 / 3.0;
    cfg.Ana.IpAddress = QStringLiteral("lab host, bench = 2; \"quoted\" \u00b5");
    cfg.VxiPath = QStringLiteral("C:\\Drivers\\");
    const QString path = newFile();
    QCOMPARE(CfgSave(cfg, path), 0);
    CfgStr back;
    QCOMPARE(CfgLoad(back, path), 0);
    QLocale::setDefault(QLocale::c());
    const QByteArray text = ReadAll(path);
    for (const char *line :
         {"\nDwell=0.5\n", "\nLog%20Sweep=2\n", "\nAttenuator=10.25\n", "\nExternal%20Attenuation=10.25\n"})
      QVERIFY2(text.contains(line), line);
    cfg.LogSweep = 1;  // read back as a boolean
    QCOMPARE(stored(back), stored(cfg));
    QVERIFY(back.Numerator == 1.0 / 3.0);
  }

  void folderWriteFailureAndOpenRefusal() {
    const QString file = newFile("a file, not a folder");
    QString why;
    QCOMPARE(CfgSave(Defaults(), file + QStringLiteral("/inside.cfg"), &why), -1);
    QCOMPARE(CfgSaveErrorText(why), "The settings could not be saved (" + file
                                           + "/inside.cfg cannot be opened for writing: Not a directory). "
                                             "The settings file keeps what it held before.");

    CfgStr cfg = Defaults("Count=33");
    QString reason;
    QCOMPARE(CfgOpen(cfg, dir.filePath("nowhere.cfg"), &reason), -1);
    QCOMPARE(cfg.Count, 33);
    QVERIFY(reason.startsWith("The configuration file " + dir.filePath("nowhere.cfg") + " cannot be read ("));
    QVERIFY(reason.endsWith("). The settings stay as they were."));
    QCOMPARE(CfgOpen(cfg, newFile("[Sweep]\nCount=12\n"), &reason), 0);
    QCOMPARE(cfg.Count, 12);

    QCOMPARE(CfgMakerDir("/home/ann/.local/share/Solvane64"),
             QStringLiteral("/home/ann/.local/share/Kestrova/Solvane64"));
    QCOMPARE(CfgMakerDir("C:\\Users\\ann\\AppData\\Local\\Solvane64"),
             QStringLiteral("C:/Users/ann/AppData/Local/Kestrova/Solvane64"));

    const QString base = dir.filePath(QStringLiteral("fresh/data"));  // nothing of it exists yet
    qputenv("XDG_DATA_HOME", base.toUtf8());
    QVERIFY(CfgPaths(cfg));
    QCOMPARE(cfg.AppName, QStringLiteral("tst_cfgfile"));
    QCOMPARE(cfg.CfgDir, base + QStringLiteral("/Kestrova/tst_cfgfile"));
    QCOMPARE(cfg.CfgPath, cfg.CfgDir + QStringLiteral("/tst_cfgfile.cfg"));
    QVERIFY(QFileInfo(cfg.CfgDir).isDir());
  }

  // Settings changed from the defaults and the settings and plan they give.
  void plan_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char *settings, const char *expected) {
      QTest::newRow(name) << QString(settings) << QString(expected);
    };
    row("linear", "", "Points=91 LevelCount=1 IF1=1000 RFs=100:10:1000 LOs=0:0:0 IFs=100:10:1000");
    row("two level steps", "Levels=1", "LevelCount=2 RFs=100:10:1000");
    row("stops between steps", "RF1=1005 Levels=1 L1=-5", "Points=91 LevelCount=1 RFs=100:10:1000");
    row("stop below start still climbs; the most level steps", "RF0=1000 RF1=100 Levels=1 LStep=0.5 L1=-0.5",
        "Points=91 LevelCount=20 RFs=1000:10:1900");
    row("any nonzero Log is logarithmic", "Log=2 Count=3 RF0=10 RF1=1000", "RFs=10,100,1000");
    row("two points, the fewest of a log sweep", "Log=1 Count=2 RF0=10 RF1=1000", "RFs=10,1000");
    row("the most points; unused inputs", "RF1=200100 LStep=0 Count=0", "Points=20001");
    row("fixed LO, lower sideband", "LO=24 Usb=0", "Points=91 IF0=900 IF1=0 LOs=1000:0:1000 IFs=900:-10:0");
    row("RF above the LO", "LO=24 Usb=0 LO0=1500 RF0=2000 RF1=2000", "IFs=500");
    row("external LO", "LO=31", "Points=91 IFs=1100:10:2000");
    row("factor N", "N=2", "Points=91 IFs=200:20:2000");
    // s x f x N / D in that order: 110 x 3 / 7 differs in the last bit from 110 x (3 / 7).
    row("N/D to the last bit", "RF0=110 RF1=110 N=3 D=7", "IF0=47.142857142857146 IFs=47.142857142857146");
    row("fixed IF, swept LO", "LO=24 FixedLo=0 FixedIf=1 IF0=70 IF1=123 RF0=1000 RF1=2000",
        "Points=101 LO1=1930 LOSpan=930 LOCentre=1465 IF1=123 LOs=930:10:1930 IFs=70:0:70");
    // The IF stop comes from the LO stop, not from the last LO point.
    row("swept LO", "LO=24 FixedLo=0 LO0=2000 LO1=5000", "Points=91 IF1=6000 LOs=2000:10:2900 IFs=2100:20:3900");
    row("swept LO, logarithmic", "LO=24 FixedLo=0 LO0=1 LO1=100 Log=1 Count=3 RF0=10 RF1=1000",
        "LOs=1,10,100 IFs=11,110,1100");
    // Only a swept LO needs LO frequencies above 0 MHz for a logarithmic sweep.
    row("logarithmic, LO fixed at 0 MHz", "LO=24 LO0=0 Log=1 Count=3 RF0=10 RF1=1000", "IFs=10,100,1000");
    row("logarithmic, no LO", "FixedLo=0 LO0=0 Log=1 Count=3 RF0=10 RF1=1000", "IFs=10,100,1000");
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
    const auto row = [](const char *name, const char *settings, const QString &reason) {
      QTest::newRow(name) << QString(settings) << reason;
    };
    row("zero step", "Step=0", "The frequency step is 0 MHz: a linear sweep needs a step.");
    row("zero denominator", "D=0", kZeroD);
    row("zero level step", "LStep=0", "The level step is 0 dB: a level sweep needs a step.");
    row("too many levels", "LStep=0.1",
        "The level sweep would have 101 level steps; at most 20 are possible. Use a larger level step.");
    row("log count 1", "Log=1 Count=1", "A logarithmic sweep needs at least 2 points; the point count is 1.");
    row("log count huge", "Log=1 Count=2147483647",
        "The sweep would have 2147483647 frequency points; at most 20001 are possible. Use fewer points.");
    row("log from 0 MHz", "Log=1 RF0=0",
        "A logarithmic sweep needs RF start and stop frequencies above 0 MHz (they are 0 MHz and 1000 MHz).");
    // The fixed-IF plan computed first has moved the LO stop to 900 MHz.
    row("log swept LO from 0 MHz", "Log=1 FixedIf=0 LO0=0",
        "A logarithmic sweep needs LO start and stop frequencies above 0 MHz (they are 0 MHz and 900 MHz).");
    row("log swept LO to 0 MHz", "Log=1 FixedIf=0 LO1=0",
        "A logarithmic sweep needs LO start and stop frequencies above 0 MHz (they are 1000 MHz and 0 MHz).");
    row("log to 0 MHz", "Log=1 RF1=0",
        "A logarithmic sweep needs RF start and stop frequencies above 0 MHz (they are 100 MHz and 0 MHz).");
    row("one past the point limit", "RF1=200110",
        "The sweep would have 20002 frequency points; at most 20001 are possible. Use a larger step.");
    row("tiny step", "Step=1e-300",
        "The sweep would have 9e+302 frequency points; at most 20001 are possible. Use a larger step.");
    row("NaN step", "Step=nan", kNotFinite);
    row("overflowing IF", "N=1e307", kNotFinite);
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
  // (old or new) and no lock file that would hold up the next start.
  void killedDuringSettingsSave() {
    const QString path = newFile("[Other]\nmine=1\n");  // keys of others stay
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
    QCOMPARE(CfgSave(Defaults("Count=33"), path), 0);
    QCOMPARE(CfgLoad(loaded, path), 0);
    QCOMPARE(loaded.Count, 33);
    QVERIFY(ReadAll(path).contains("\n[Other]\nmine=1\n"));
  }
};

QTEST_GUILESS_MAIN(CfgFileTest)
#include "tst_cfgfile.moc"
