// The trace data file, the correction table and the normalization export:
// exact bytes under a decimal-comma locale, the round trip, and the refusal
// of files that cannot be held safely.
#include "storage/CorrFile.h"
#include "storage/DataFile.h"
#include "storage/NormExport.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>

namespace {

// Trace t, level l, point i holds -(10 t + l) - i / 1000 - 0.0004.
CfgStr Store(int traces, int levels, const QVector<double> &freqs) {
  CfgStr cfg;
  cfg.TraceCount = traces;
  cfg.LevelCount = levels;
  cfg.PointCount = freqs.size();
  cfg.AnaFreqs = freqs;
  cfg.Gen1.StartLevel = -10.0;
  cfg.Gen2.StartLevel = 7.0;
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
  QString path(const QString &name) const { return dir.filePath(name); }

private slots:
  void initTestCase() {
    // A desktop that writes a decimal comma must not change the files.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      qWarning("de_DE.UTF-8 is not installed; only Qt's default locale is German");
    QVERIFY(dir.isValid());
  }

  void dataFileBytesRoundTripAndNormalizationExport() {
    CfgStr one = Store(1, 1, {100.0, 150.123456789, 200.0});
    one.Traces[0][0][1] = kUnmeasured;
    QCOMPARE(SaveDatFile(one, path("one.dat")), 0);
    QCOMPARE(ReadAll(path("one.dat")), QByteArray("Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 3\n"
                                                  "100.000000 0.000\n150.123457 nan\n200.000000 -0.002\n"));

    const CfgStr saved = Store(3, 2, {0.5, 1234.5678915, 6000.000001});
    QCOMPARE(SaveDatFile(saved, path("trip.dat")), 0);
    QCOMPARE(ReadAll(path("trip.dat")).split('\n')[3], QByteArray("0.500000 0.000 -1.000 -10.000 -11.000 -20.000 -21.000"));
    CfgStr loaded = Store(1, 1, {5.0});
    QCOMPARE(LoadDatFile(loaded, path("trip.dat")), 0);
    QCOMPARE(QVector<int>({loaded.TraceCount, loaded.LevelCount, loaded.PointCount}), QVector<int>({3, 2, 3}));
    QCOMPARE(loaded.AnaFreqs, (QVector<double>{0.5, 1234.567892, 6000.000001}));
    QCOMPARE(loaded.Traces[2][1][2], -21.002);
    // Every later reader of the plan lists stays within the loaded count.
    QCOMPARE(loaded.Gen1Freqs.size() + loaded.Gen2Freqs.size() + loaded.NormData.size(), 9);
    QCOMPARE(loaded.ColourIdx, 2);
    QCOMPARE(SaveDatFile(loaded, path("again.dat")), 0);
    QCOMPARE(ReadAll(path("again.dat")), ReadAll(path("trip.dat")));

    QCOMPARE(SaveNormFile(Store(2, 1, {100.0}), path("norm.txt")), 0);
    QCOMPARE(ReadAll(path("norm.txt")), QByteArray("100.000000 10.000 -7.000 0.000 -17.000\n"));
  }

  void twoLevelPointLineAndUnmeasuredValue() {
    QVERIFY(WriteAll(path("two.dat"), "Repetition  Count: 1\r\nLevel Sweep Count: 2\r\nMeasurement Count: 2\r\n"
                           "100.000000 -10.123 -20.456\r\n200.000000 nan -3.5\r\n"));
    CfgStr cfg;
    QCOMPARE(LoadDatFile(cfg, path("two.dat")), 0);
    QCOMPARE(cfg.AnaFreqs, QVector<double>({100.0, 200.0}));
    QCOMPARE(cfg.Traces[0][0][0], -10.123);
    QCOMPARE(cfg.Traces[0][1][0], -20.456);
    QVERIFY(std::isnan(cfg.Traces[0][0][1]) && cfg.Traces[0][1][1] == -3.5);
  }

  void correctionTable() {
    QCOMPARE(SaveDatFile(Store(2, 1, {100.0, 200.0}), path("Table.FDA")), 0);
    QCOMPARE(ReadAll(path("Table.FDA")),
             QByteArray("<?xml version=\"1.0\" standalone=\"no\"?>\n"
                        "<!DOCTYPE swpl>\n"
                        "<swpl>\n"
                        "  <FrequencyDependantExternalAttenuationCorrectionTable properties=\"true\">\n"
                        "    <properties>\n"
                        "      <TableName value=\"Table\" type=\"bstr\" />\n"
                        "      <TableSize value=\"2\" type=\"i4\" />\n"
                        "      <FrequencyNodes type=\"array|r8\">\n"
                        "        <Vector count=\"2\" type=\"r8\" data=\"100000000.000000;200000000.000000\" />\n"
                        "      </FrequencyNodes>\n"
                        "      <CorrectionValues type=\"array|r8\">\n"
                        "        <Vector count=\"2\" type=\"r8\" data=\"10.000;9.999\" />\n"
                        "      </CorrectionValues>\n"
                        "    </properties>\n"
                        "  </FrequencyDependantExternalAttenuationCorrectionTable>\n"
                        "</swpl>\n"));

    QCOMPARE(CorrTableName("/data/a&b.fda.xml"), QString("a&b"));
    QByteArray text;
    QVERIFY(CorrTableText(Store(1, 1, {2400.0}), "a&b", text, nullptr));
    QVERIFY(text.contains("<TableName value=\"a&amp;b\""));
    QVERIFY(text.contains("data=\"2400000000.000000\"") && text.contains("data=\"10.000\""));

    CfgStr partial = Store(1, 1, {100.0, 200.0, 300.0});
    partial.Traces[0][0][1] = kUnmeasured;
    QVERIFY(CorrTableText(partial, "p", text, nullptr));
    QVERIFY(text.contains("<Vector count=\"2\" type=\"r8\" data=\"100000000.000000;300000000.000000\" />"));
    partial.Traces[0][0].fill(kUnmeasured);
    QString reason;
    QVERIFY(!CorrTableText(partial, "p", text, &reason));
    QVERIFY(reason.contains("no measured point"));
  }

  void failedSavesKeepTheOldFile() {
    QVERIFY(WriteAll(path("old.dat"), "old bytes"));
    CfgStr empty;
    empty.PointCount = 91;
    QString reason;
    QCOMPARE(SaveDatFile(empty, path("old.dat"), &reason), -1);
    QCOMPARE(reason, QString("No trace has been measured or loaded yet."));
    QCOMPARE(SaveNormFile(empty, path("old.dat")), -1);
    QCOMPARE(empty.TraceCount, 0);

    // The replacement is written beside the file first; a name too long for
    // that companion makes the save fail, even for the superuser.
    const QString longName = path(QString(250, 'x') + ".dat");
    QVERIFY(WriteAll(longName, "old bytes"));
    QCOMPARE(SaveDatFile(Store(1, 1, {1.0}), longName, &reason), -1);
    QVERIFY2(reason.contains(longName), qPrintable(reason));
    QCOMPARE(ReadAll(longName) + ReadAll(path("old.dat")), QByteArray("old bytesold bytes"));
  }

  void hostileFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    const QByteArray head = "Repetition  Count: 1\nLevel Sweep Count: 2\nMeasurement Count: 2\n";
    QTest::newRow("empty") << QByteArray() << "ends before its count lines";
    QTest::newRow("no label") << QByteArray("Traces 1\n") << "should read \"Repetition  Count: <number>\"";
    QTest::newRow("huge count") << QByteArray("Repetition  Count: 2000000000\n") << "1 to 20";
    QTest::newRow("negative count") << QByteArray("Repetition  Count: 1\nLevel Sweep Count: -3\n") << "1 to 20";
    QTest::newRow("zero points") << head.left(42) + "Measurement Count: 0\n" << "1 to 20001";
    QTest::newRow("largest counts, tiny file")
        << QByteArray("Repetition  Count: 20\nLevel Sweep Count: 20\nMeasurement Count: 20001\n1 2\n")
        << "too short for its 20001";
    QTest::newRow("truncated") << head + "100 -1 -2\n" << "ends after 1 of its 2 points";
    QTest::newRow("too few numbers") << head + "100 -1\n200 -1 -2\n" << "Line 4 holds 2 numbers; the counts announce 3";
    QTest::newRow("value no number") << head + "100 -1 -2\n200 -1 1,5\n" << "\"1,5\" is no level";
    QTest::newRow("frequency nan") << head + "nan -1 -2\n200 -1 -2\n" << "\"nan\" is no frequency";
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
      junk[i] = char((i * 7919) % 256);
    QTest::newRow("binary junk") << junk << "binary data";
    QTest::newRow("very long line") << head + "100" + QByteArray(10 * 1024 * 1024, '1') + " -1 -2\n" << "longer than";
  }

  void hostileFilesAreRefused() {
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    QVERIFY(WriteAll(path("bad.dat"), content));
    CfgStr cfg = Store(2, 1, {1.0, 2.0});
    const CfgStr before = cfg;
    QString reason;
    QCOMPARE(LoadDatFile(cfg, path("bad.dat"), &reason), -1);
    QVERIFY2(reason.contains(says), qPrintable(reason));
    QVERIFY(cfg.TraceCount == before.TraceCount && cfg.PointCount == before.PointCount);
    QVERIFY(cfg.AnaFreqs == before.AnaFreqs && cfg.Traces == before.Traces);
  }
};

QTEST_GUILESS_MAIN(TstDataFile)
#include "tst_datafile.moc"
