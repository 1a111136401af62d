#include "storage/CfgFile.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"

#include <QtTest>

class CfgFileTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  int fileNo = 0;

  // A fresh file for every use (the settings library caches what it read).
  QString newFile(const QByteArray &text = QByteArray())
  {
    const QString path = dir.filePath(QStringLiteral("f%1.cfg").arg(++fileNo));
    QFile file(path);
    if (!text.isNull() && file.open(QIODevice::WriteOnly))
      file.write(text);
    return path;
  }
  static QByteArray contents(const QString &path)
  {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // Every stored field of a record, as the text its save gives.
  QByteArray stored(const CfgStr &cfg)
  {
    const QString path = newFile();
    return CfgSave(cfg, path) == 0 ? contents(path) : QByteArray("not saved");
  }
  static CfgStr defaults()
  {
    CfgStr cfg;
    CfgDefaults(cfg);
    return cfg;
  }

private slots:
  void savedDefaultsMatchHandWrittenFile()
  {
    const QByteArray golden = contents(QStringLiteral(SOLVANE_SOURCE_DIR "/tests/fixtures/cfg_defaults.cfg"));
    QCOMPARE(golden.count('='), 115);
    QCOMPARE(stored(defaults()), golden);
  }

  void missingEmptyOrUnreadableFileGivesDefaults_data()
  {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("result");
    QTest::newRow("missing") << newFile() << 0;
    QTest::newRow("empty") << newFile("") << 0;
    QTest::newRow("other keys") << newFile("[Elsewhere]\nkey=1\n") << 0;
    QTest::newRow("a folder") << dir.path() << -1;
  }
  void missingEmptyOrUnreadableFileGivesDefaults()
  {
    QFETCH(QString, path);
    CfgStr cfg;
    CfgDefaults(cfg);
    QVERIFY(CalcSwpLst(cfg));
    cfg.Count = 7;
    cfg.DisplayAna = false;
    cfg.Gen1.Session = cfg.Gen2.Session = cfg.Ana.Session = 9;
    cfg.CfgPath = QStringLiteral("/kept.cfg");
    QTEST(CfgLoad(cfg, path), "result");
    QCOMPARE(stored(cfg), stored(defaults()));
    QVERIFY(cfg.DisplayAna && cfg.Count == 200);
    QCOMPARE(cfg.Gen1.Session + cfg.Gen2.Session + cfg.Ana.Session, 0u);
    QVERIFY(cfg.Gen1.DevNo == 1 && cfg.Gen2.DevNo == 2 && cfg.Ana.DevNo == 3);
    QVERIFY(cfg.CfgPath == "/kept.cfg" && cfg.PointCount == 91);  // run-time members stay
  }

  void rulesAfterLoad_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    const auto row = [](const char *text, const char *field, double value) {
      QTest::newRow(QByteArray(text).replace('\n', ' ').constData()) << QByteArray(text) << QString(field) << value;
    };
    row("[Display]\nN%20Index=-3", "NIndex", 0);
    row("[Sweep]\nDisplay%20Ana=false", "DisplayAna", 1);
    row("[Sweep]\nAttenuator=6", "ExternalAttenuation", 0);
    row("[Sweep]\nAttenuator=6\n[Ana]\nExternal%20Attenuation=3.5", "ExternalAttenuation", 3.5);
    row("[Sweep]\nUpper%20Sideband=2", "UpperSideband", 1);
    row("[Sweep]\nLog%20Sweep=2", "LogSweep", 1);
    row("[Sweep]\nLog%20Sweep=FALSE", "LogSweep", 0);
    row("[Sweep]\nLog%20Sweep=yes", "LogSweep", 1);
    row("[Gen1]\nType=500", "Gen1.Type", 24);
    row("[Gen1]\nType=59", "Gen1.Type", 24);
    row("[Gen2]\nType=31", "Gen2.Type", 31);
    row("[Ana]\nType=69", "Ana.Type", 69);
    row("[Ana]\nType=3", "Ana.Type", 59);
    row("[General]\nPWU%20Index=84", "PwuIndex", 0);
    row("[Sweep]\nDwell=1e300", "Dwell", 100);
    row("[Sweep]\nDwell=nan", "Dwell", 0);
    row("[Sweep]\nDwell=0.25", "Dwell", 0.25);
    row("[Sweep]\nCount=many", "Count", 0);
    row("[Sweep]\nCount=99999999999", "Count", 0);
    row("[Sweep]\nCount=-2147483648", "Count", -2147483648.0);
    row("[Sweep]\nStep%20Freq=ten", "StepFreq", 0);
  }
  void rulesAfterLoad()
  {
    QFETCH(QByteArray, text);
    QFETCH(QString, field);
    CfgStr cfg;
    QCOMPARE(CfgLoad(cfg, newFile(text)), 0);
    const QMap<QString, double> fields{
        {"NIndex", cfg.NIndex},       {"DisplayAna", cfg.DisplayAna},   {"UpperSideband", cfg.UpperSideband},
        {"LogSweep", cfg.LogSweep},   {"Gen1.Type", cfg.Gen1.Type},     {"ExternalAttenuation", cfg.ExternalAttenuation},
        {"Gen2.Type", cfg.Gen2.Type}, {"Ana.Type", cfg.Ana.Type},       {"PwuIndex", cfg.PwuIndex},
        {"Dwell", cfg.Dwell},         {"Count", cfg.Count},             {"StepFreq", cfg.StepFreq}};
    QTEST(fields.value(field, -999), "value");
  }

  // Whatever the file holds, the plan is computed or refused: no hang, no
  // allocation of what absurd counts ask for.
  void garbageGivesAPlanOrAReason_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("planned");
    QTest::newRow("words") << QByteArray("[Sweep]\nStep%20Freq=ten\nDenominator=one\n[Position]\nx=left\n") << false;
    QTest::newRow("absurd log count") << QByteArray("[Sweep]\nLog%20Sweep=1\nCount=2147483647\n") << false;
    QTest::newRow("tiny step") << QByteArray("[Sweep]\nStep%20Freq=1e-300\n") << false;
    QTest::newRow("huge numbers") << QByteArray("[Sweep]\nGen1%20Stop%20Freq=1e308\nStep%20Freq=1e305\n") << true;
    QTest::newRow("infinite stop") << QByteArray("[Sweep]\nGen1%20Stop%20Freq=inf\n") << false;
    QTest::newRow("negative step") << QByteArray("[Sweep]\nStep%20Freq=-10\n") << true;
    QTest::newRow("absurd levels")
        << QByteArray("[Sweep]\nLevel%20Sweep=true\nGen1%20Stop%20Level=1e9\nGen1%20Step%20Level=1e-9\n") << false;
    QTest::newRow("binary noise") << QByteArray("\x01\xff[[=\n=\n[Sweep\n\x00\x00=%%%\n", 24) << true;
  }
  void garbageGivesAPlanOrAReason()
  {
    QFETCH(QByteArray, text);
    CfgStr cfg;
    CfgLoad(cfg, newFile(text));
    QString reason;
    QTEST(CalcSwpLst(cfg, &reason), "planned");
    QVERIFY(reason.isEmpty() == (cfg.PointCount > 0) && cfg.PointCount <= kMaxPoints);
  }

  void valuesSurviveSaveAndLoadInAnyLocale()
  {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    CfgStr cfg = defaults();
    cfg.X = -20;
    cfg.Dwell = 0.5;
    cfg.Gen2.StopFreq = 1e20;
    cfg.Numerator = 1.0 / 3.0;
    cfg.LogSweep = 2;  // the sweep dialog's OK stores a check state
    cfg.ExternalAttenuation = 10.25;
    cfg.Ana.IpAddress = QStringLiteral("lab host, bench = 2; \"quoted\" \u00b5");
    cfg.VxiPath = QStringLiteral("C:\\Drivers\\");
    const QString path = newFile();
    QCOMPARE(CfgSave(cfg, path), 0);
    CfgStr back;
    QCOMPARE(CfgLoad(back, path), 0);
    QLocale::setDefault(QLocale::c());
    const QByteArray text = contents(path);
    for (const char *line : {"\nDwell=0.5\n", "\nLog%20Sweep=2\n", "\nAttenuator=10.25\n", "\nExternal%20Attenuation=10.25\n"})
      QVERIFY2(text.contains(line), line);
    cfg.LogSweep = 1;  // read back as a boolean
    QCOMPARE(stored(back), stored(cfg));
    QVERIFY(back.Numerator == 1.0 / 3.0);
  }

  void writeFailureAndOpenRefusal()
  {
    const QString file = newFile("a file, not a folder");
    QCOMPARE(CfgSave(defaults(), file + QStringLiteral("/inside.cfg")), -1);
    QCOMPARE(CfgSaveErrorText("/x/y.cfg"),
             QStringLiteral("The settings could not be written to /x/y.cfg. Check that the folder exists and is writable."));

    CfgStr cfg = defaults();
    cfg.Count = 33;
    QString reason;
    QCOMPARE(CfgOpen(cfg, dir.filePath("nowhere.cfg"), &reason), -1);
    QCOMPARE(cfg.Count, 33);
    QVERIFY(reason.startsWith("The configuration file " + dir.filePath("nowhere.cfg") + " cannot be read ("));
    QVERIFY(reason.endsWith("). The settings stay as they were."));
    QCOMPARE(CfgOpen(cfg, newFile("[Sweep]\nCount=12\n"), &reason), 0);
    QCOMPARE(cfg.Count, 12);
  }

  void folderOfTheFile()
  {
    QCOMPARE(CfgMakerDir("/home/ann/.local/share/Solvane64"), QStringLiteral("/home/ann/.local/share/Kestrova/Solvane64"));
    QCOMPARE(CfgMakerDir("C:\\Users\\ann\\AppData\\Local\\Solvane64"),
             QStringLiteral("C:/Users/ann/AppData/Local/Kestrova/Solvane64"));

    const QString base = dir.filePath(QStringLiteral("fresh/data"));  // nothing of it exists yet
    qputenv("XDG_DATA_HOME", base.toUtf8());
    CfgStr cfg;
    QVERIFY(CfgPaths(cfg));
    QCOMPARE(cfg.AppName, QStringLiteral("tst_cfgfile"));
    QCOMPARE(cfg.CfgDir, base + QStringLiteral("/Kestrova/tst_cfgfile"));
    QCOMPARE(cfg.CfgPath, cfg.CfgDir + QStringLiteral("/tst_cfgfile.cfg"));
    QVERIFY(QFileInfo(cfg.CfgDir).isDir());
  }
};

QTEST_GUILESS_MAIN(CfgFileTest)
#include "tst_cfgfile.moc"
