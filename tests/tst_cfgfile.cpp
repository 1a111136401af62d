#include "storage/CfgFile.h"
#include "sweep/SwpPlan.h"

#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

class CfgFileTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  int fileNo = 0;

  // A fresh file name for every use: the settings library caches files.
  QString newPath() { return dir.filePath(QStringLiteral("f%1.cfg").arg(++fileNo)); }

  // Every stored field, as the file text that a save of the record gives.
  QByteArray storedText(const CfgStr &cfg)
  {
    const QString path = newPath();
    return CfgSave(cfg, path) == 0 ? readAll(path) : QByteArray("save failed");
  }

  QByteArray defaultText()
  {
    CfgStr cfg;
    CfgDefaults(cfg);
    return storedText(cfg);
  }

  CfgStr loadText(const QByteArray &text, int *result = nullptr)
  {
    const QString path = newPath();
    writeAll(path, text);
    CfgStr cfg;
    const int status = CfgLoad(cfg, path);
    if (result)
      *result = status;
    return cfg;
  }

private slots:
  void savedDefaultsMatchGoldenFile()
  {
    const QByteArray golden = readAll(QStringLiteral(SOLVANE_SOURCE_DIR "/tests/fixtures/cfg_defaults.cfg"));
    QVERIFY(!golden.isEmpty());
    QCOMPARE(defaultText(), golden);
    QCOMPARE(golden.count('='), 115);
  }

  void missingEmptyOrUnreadableFileGivesDefaults_data()
  {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("result");
    QTest::newRow("missing") << "missing" << 0;
    QTest::newRow("empty") << "empty" << 0;
    QTest::newRow("only other keys") << "other" << 0;
    QTest::newRow("a folder, not a file") << "folder" << -1;
  }
  void missingEmptyOrUnreadableFileGivesDefaults()
  {
    QFETCH(QString, kind);
    const QString path = newPath();
    if (kind == "empty")
      writeAll(path, "");
    if (kind == "other")
      writeAll(path, "[Elsewhere]\nkey=1\n");
    if (kind == "folder")
      QVERIFY(QDir().mkpath(path));

    CfgStr cfg;
    cfg.Count = 7;
    cfg.Gen1.Session = cfg.Gen2.Session = cfg.Ana.Session = 9;
    cfg.DisplayAna = false;
    QTEST(CfgLoad(cfg, path), "result");
    QCOMPARE(storedText(cfg), defaultText());
    QCOMPARE(cfg.Count, 200);
    QVERIFY(cfg.DisplayAna);
    QCOMPARE(cfg.Gen1.Session + cfg.Gen2.Session + cfg.Ana.Session, 0u);
    QCOMPARE(cfg.Gen1.DevNo, 1);
    QCOMPARE(cfg.Gen2.DevNo, 2);
    QCOMPARE(cfg.Ana.DevNo, 3);
  }

  void loadKeepsRunTimeMembers()
  {
    CfgStr cfg;
    CfgDefaults(cfg);
    cfg.CfgPath = QStringLiteral("/keep/me.cfg");
    QVERIFY(CalcSwpLst(cfg));
    cfg.TraceCount = 2;
    CfgLoad(cfg, newPath());
    QCOMPARE(cfg.CfgPath, QStringLiteral("/keep/me.cfg"));
    QCOMPARE(cfg.PointCount, 91);
    QCOMPARE(cfg.TraceCount, 2);
  }

  void rulesAfterLoad_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::newRow("N Index -3") << QByteArray("[Display]\nN%20Index=-3\n") << "NIndex" << 0.0;
    QTest::newRow("N Index 4") << QByteArray("[Display]\nN%20Index=4\n") << "NIndex" << 4.0;
    QTest::newRow("Display Ana false") << QByteArray("[Sweep]\nDisplay%20Ana=false\n") << "DisplayAna" << 1.0;
    QTest::newRow("only the old attenuator")
        << QByteArray("[Sweep]\nAttenuator=6\n") << "ExternalAttenuation" << 0.0;
    QTest::newRow("both attenuators")
        << QByteArray("[Sweep]\nAttenuator=6\n[Ana]\nExternal%20Attenuation=3.5\n") << "ExternalAttenuation" << 3.5;
    QTest::newRow("upper sideband 2") << QByteArray("[Sweep]\nUpper%20Sideband=2\n") << "UpperSideband" << 1.0;
    QTest::newRow("upper sideband 0") << QByteArray("[Sweep]\nUpper%20Sideband=0\n") << "UpperSideband" << 0.0;
    QTest::newRow("log sweep 2") << QByteArray("[Sweep]\nLog%20Sweep=2\n") << "LogSweep" << 1.0;
    QTest::newRow("log sweep FALSE") << QByteArray("[Sweep]\nLog%20Sweep=FALSE\n") << "LogSweep" << 0.0;
    QTest::newRow("log sweep text") << QByteArray("[Sweep]\nLog%20Sweep=yes\n") << "LogSweep" << 1.0;
    QTest::newRow("Gen1 type out of range") << QByteArray("[Gen1]\nType=500\n") << "Gen1.Type" << 24.0;
    QTest::newRow("Gen1 analyzer type") << QByteArray("[Gen1]\nType=59\n") << "Gen1.Type" << 24.0;
    QTest::newRow("Gen2 external") << QByteArray("[Gen2]\nType=31\n") << "Gen2.Type" << 31.0;
    QTest::newRow("Gen2 negative type") << QByteArray("[Gen2]\nType=-1\n") << "Gen2.Type" << 0.0;
    QTest::newRow("Ana radio tester") << QByteArray("[Ana]\nType=69\n") << "Ana.Type" << 69.0;
    QTest::newRow("Ana generator type") << QByteArray("[Ana]\nType=3\n") << "Ana.Type" << 59.0;
    QTest::newRow("sensor row past the table") << QByteArray("[General]\nPWU%20Index=84\n") << "PwuIndex" << 0.0;
    QTest::newRow("last sensor row") << QByteArray("[General]\nPWU%20Index=83\n") << "PwuIndex" << 83.0;
    QTest::newRow("dwell huge") << QByteArray("[Sweep]\nDwell=1e300\n") << "Dwell" << 100.0;
    QTest::newRow("dwell negative") << QByteArray("[Sweep]\nDwell=-2\n") << "Dwell" << 0.0;
    QTest::newRow("dwell nan") << QByteArray("[Sweep]\nDwell=nan\n") << "Dwell" << 0.0;
    QTest::newRow("dwell 0.25") << QByteArray("[Sweep]\nDwell=0.25\n") << "Dwell" << 0.25;
  }
  void rulesAfterLoad()
  {
    QFETCH(QByteArray, text);
    QFETCH(QString, field);
    const CfgStr cfg = loadText(text);
    const QMap<QString, double> fields{
        {"NIndex", cfg.NIndex},           {"DisplayAna", cfg.DisplayAna},
        {"UpperSideband", cfg.UpperSideband}, {"LogSweep", cfg.LogSweep},
        {"ExternalAttenuation", cfg.ExternalAttenuation}, {"Gen1.Type", cfg.Gen1.Type},
        {"Gen2.Type", cfg.Gen2.Type},     {"Ana.Type", cfg.Ana.Type},
        {"PwuIndex", cfg.PwuIndex},       {"Dwell", cfg.Dwell}};
    QVERIFY(fields.contains(field));
    QTEST(fields.value(field), "value");
  }

  // Values that are not numbers read as 0 and the plan refuses or computes;
  // nothing hangs, nothing allocates what the counts ask for.
  void garbageLoadsAndPlansSafely_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("planned");
    QTest::newRow("words everywhere")
        << QByteArray("[Sweep]\nStep%20Freq=ten\nCount=many\nGen1%20Start%20Freq=x\nDenominator=one\n"
                      "[Position]\nx=left\n")
        << false;
    QTest::newRow("absurd log count") << QByteArray("[Sweep]\nLog%20Sweep=1\nCount=2147483647\n") << false;
    QTest::newRow("count beyond int") << QByteArray("[Sweep]\nLog%20Sweep=1\nCount=99999999999\n") << false;
    QTest::newRow("negative count") << QByteArray("[Sweep]\nLog%20Sweep=1\nCount=-40\n") << false;
    QTest::newRow("tiny step") << QByteArray("[Sweep]\nStep%20Freq=1e-300\n") << false;
    QTest::newRow("huge numbers") << QByteArray("[Sweep]\nGen1%20Stop%20Freq=1e308\nStep%20Freq=1e305\n") << true;
    QTest::newRow("infinite stop") << QByteArray("[Sweep]\nGen1%20Stop%20Freq=inf\n") << false;
    QTest::newRow("negative step") << QByteArray("[Sweep]\nStep%20Freq=-10\n") << true;
    QTest::newRow("absurd level sweep")
        << QByteArray("[Sweep]\nLevel%20Sweep=true\nGen1%20Stop%20Level=1e9\nGen1%20Step%20Level=1e-9\n") << false;
    QTest::newRow("binary noise") << QByteArray("\x01\xff[[=\n=\n[Sweep\n\x00\x00=%%%\n", 24) << true;
  }
  void garbageLoadsAndPlansSafely()
  {
    QFETCH(QByteArray, text);
    CfgStr cfg = loadText(text);
    QString reason;
    const bool planned = CalcSwpLst(cfg, &reason);
    QTEST(planned, "planned");
    QCOMPARE(reason.isEmpty(), planned);
    QVERIFY(cfg.PointCount <= 20001);
  }

  void everyValueSurvivesSaveAndLoad()
  {
    CfgStr cfg;
    CfgDefaults(cfg);
    cfg.X = -20;
    cfg.Gen1.StartFreq = 0.1;
    cfg.Gen1.StepLevel = -1e-7;
    cfg.Gen2.StopFreq = 1e20;
    cfg.Gen2.StartLevel = 12.345678901234567;
    cfg.Numerator = 1.0 / 3.0;
    cfg.ExternalAttenuation = 6.5;
    cfg.LogSweep = 1;
    cfg.FixedLo = false;
    cfg.Ana.IpAddress = QStringLiteral("lab host, bench = 2; \"quoted\" \u00b5");
    cfg.Gen1.VisaResourceString = QStringLiteral("USB0::0x1234::0x5678::SN#1::INSTR");
    cfg.VxiPath = QStringLiteral("C:\\Drivers\\");
    cfg.Rcx.RecAutoAtt = false;
    cfg.Spx.Rbw = 20000;
    cfg.Ana.PwxxCount = 64;
    cfg.PwuIndex = 83;
    const QString path = newPath();
    QCOMPARE(CfgSave(cfg, path), 0);
    CfgStr back;
    QCOMPARE(CfgLoad(back, path), 0);
    QCOMPARE(storedText(back), storedText(cfg));
    QVERIFY(back.Numerator == 1.0 / 3.0);
    QCOMPARE(back.Ana.IpAddress, cfg.Ana.IpAddress);
  }

  void savedTextForms()
  {
    CfgStr cfg;
    CfgDefaults(cfg);
    cfg.LogSweep = 2;  // the sweep dialog's OK stores a check state
    cfg.ExternalAttenuation = 10.25;
    const QByteArray text = storedText(cfg);
    QVERIFY(text.contains("\nLog%20Sweep=2\n"));
    QVERIFY(text.contains("\nAttenuator=10.25\n"));
    QVERIFY(text.contains("\nExternal%20Attenuation=10.25\n"));
  }

  // The decimal point must not follow the user's locale.
  void decimalPointInAnyLocale()
  {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    CfgStr cfg;
    CfgDefaults(cfg);
    cfg.Dwell = 0.5;
    const QString path = newPath();
    CfgSave(cfg, path);
    CfgStr back;
    CfgLoad(back, path);
    QLocale::setDefault(before);
    QVERIFY(readAll(path).contains("\nDwell=0.5\n"));
    QCOMPARE(back.Dwell, 0.5);
  }

  void unwritableFileIsReported()
  {
    const QString blocker = newPath();
    writeAll(blocker, "a file, not a folder");
    CfgStr cfg;
    CfgDefaults(cfg);
    QCOMPARE(CfgSave(cfg, blocker + QStringLiteral("/inside.cfg")), -1);
    QCOMPARE(CfgSaveErrorText(QStringLiteral("/x/y.cfg")),
             QStringLiteral("The settings could not be written to /x/y.cfg. "
                            "Check that the folder exists and is writable."));
  }

  void openRefusesWhatCannotBeRead()
  {
    CfgStr cfg;
    CfgDefaults(cfg);
    cfg.Count = 33;
    const QString missing = dir.filePath(QStringLiteral("nowhere.cfg"));
    QString reason;
    QCOMPARE(CfgOpen(cfg, missing, &reason), -1);
    QCOMPARE(cfg.Count, 33);
    QVERIFY(reason.startsWith(QStringLiteral("The configuration file ") + missing + QStringLiteral(" cannot be read (")));
    QVERIFY(reason.endsWith(QStringLiteral("). The settings stay as they were.")));

    const QString path = newPath();
    writeAll(path, "[Sweep]\nCount=12\n");
    QCOMPARE(CfgOpen(cfg, path, &reason), 0);
    QCOMPARE(cfg.Count, 12);
  }

  void makerFolderAboveApplicationFolder_data()
  {
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("dir");
    QTest::newRow("Linux") << "/home/ann/.local/share/Solvane64" << "/home/ann/.local/share/Kestrova/Solvane64";
    QTest::newRow("Windows") << "C:\\Users\\ann\\AppData\\Local\\Solvane64"
                             << "C:/Users/ann/AppData/Local/Kestrova/Solvane64";
    QTest::newRow("trailing separator") << "/data/app/" << "/data/app/Kestrova/";
  }
  void makerFolderAboveApplicationFolder()
  {
    QFETCH(QString, data);
    QTEST(CfgMakerDir(data), "dir");
  }

  void pathsCreateTheWholeFolderPath()
  {
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    const QString base = dir.filePath(QStringLiteral("fresh/data"));
    qputenv("XDG_DATA_HOME", base.toUtf8());
    CfgStr cfg;
    const bool created = CfgPaths(cfg);
    qputenv("XDG_DATA_HOME", oldHome);
    QVERIFY(created);
    const QString app = QCoreApplication::applicationName();
    QCOMPARE(cfg.AppName, QStringLiteral("tst_cfgfile"));
    QCOMPARE(cfg.CfgDir, base + QStringLiteral("/Kestrova/") + app);
    QCOMPARE(cfg.CfgPath, cfg.CfgDir + QStringLiteral("/tst_cfgfile.cfg"));
    QVERIFY(QFileInfo(cfg.CfgDir).isDir());
  }
};

QTEST_GUILESS_MAIN(CfgFileTest)
#include "tst_cfgfile.moc"
