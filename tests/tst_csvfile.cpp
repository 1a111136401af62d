// The CSV export: exact bytes under a decimal-comma locale (comment header,
// columns, empty cells for unmeasured points, instrument answers kept on
// one line) and its refusals.
#include "storage/CsvFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>

class TstCsvFile : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
  }

  void bytesOfTwoTracesWithTwoLevelSteps()
  {
    CfgStr cfg;
    cfg.Gen1.Type = 24;
    cfg.Gen2.Type = 24;
    cfg.Ana.Type = 59;
    cfg.Ana.Idn = QStringLiteral("Solvane Simulated,\"SPA-59\",0\r\n1.0");
    cfg.Gen1.StartFreq = 100.5;
    cfg.Gen1.StopFreq = 200.5;
    cfg.StepFreq = 100.0;
    cfg.Gen1.StartLevel = -10.0;
    cfg.Gen1.StopLevel = -5.0;
    cfg.Gen1.StepLevel = 5.0;
    cfg.Gen2.StartFreq = cfg.Gen2.StopFreq = 1000.0;
    cfg.ExternalAttenuation = 1.25;
    cfg.TraceCount = 2;
    cfg.LevelCount = 2;
    cfg.PointCount = 2;
    cfg.AnaFreqs = {899.5, 799.5};
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
  }

  void refusals()
  {
    QTemporaryDir dir;
    CfgStr empty;
    QString reason;
    QCOMPARE(SaveCsvFile(empty, dir.filePath("a.csv"), QDateTime(), &reason), -1);
    QCOMPARE(reason, QStringLiteral("No trace has been measured or loaded yet."));
    QVERIFY(!QFile::exists(dir.filePath("a.csv")));

    CfgStr one;
    one.TraceCount = one.LevelCount = one.PointCount = 1;
    one.AnaFreqs = {1.0};
    one.Traces = {{{-3.0}}};
    QCOMPARE(SaveCsvFile(one, dir.filePath("missing/a.csv"), QDateTime(), &reason), -1);
    QVERIFY(reason.startsWith(dir.filePath("missing/a.csv") + " cannot be opened for writing"));
    QCOMPARE(SaveCsvFile(one, dir.filePath("a.csv"), QDateTime(), &reason), 0);
    QFile file(dir.filePath("a.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("# Measured: ---\n"));
  }
};

QTEST_GUILESS_MAIN(TstCsvFile)
#include "tst_csvfile.moc"
