// The trace data file, the correction table and the normalization export:
// exact bytes under a decimal-comma locale, the round trip, and the refusal
// of files that cannot be held safely.
#include "storage/CorrFile.h"
#include "storage/DataFile.h"
#include "storage/NormExport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <unistd.h>

namespace {

// A store of `traces` records; value = -(10 t + l) - i / 1000 - 0.0004 so
// that every digit of the three decimals is checked.
CfgStr Store(int traces, int levels, const QVector<double> &freqs)
{
  CfgStr cfg;
  cfg.TraceCount = traces;
  cfg.LevelCount = levels;
  cfg.PointCount = freqs.size();
  cfg.AnaFreqs = freqs;
  for (int t = 0; t < traces; ++t) {
    TraceRec record(levels, QVector<double>(freqs.size()));
    for (int l = 0; l < levels; ++l)
      for (int i = 0; i < freqs.size(); ++i)
        record[l][i] = -(10.0 * t + l) - i / 1000.0 - 0.0004;
    cfg.Traces.append(record);
  }
  return cfg;
}

QByteArray ReadAll(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

class TstDataFile : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString path(const QString &name) const { return dir.filePath(name); }

private slots:
  void initTestCase()
  {
    // A desktop that writes a decimal comma must not change the files.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      qWarning("de_DE.UTF-8 is not installed; only Qt's default locale is German");
    QVERIFY(dir.isValid());
  }

  void dataFileBytes()
  {
    CfgStr cfg = Store(1, 1, {100.0, 150.123456789, 200.0});
    cfg.Traces[0][0][1] = kUnmeasured;
    QCOMPARE(SaveDatFile(cfg, path("one.dat")), 0);
    QCOMPARE(ReadAll(path("one.dat")),
             QByteArray("Repetition  Count: 1\n"
                        "Level Sweep Count: 1\n"
                        "Measurement Count: 3\n"
                        "100.000000 0.000\n"
                        "150.123457 nan\n"
                        "200.000000 -0.002\n"));
  }

  void roundTripRestoresCountsFrequenciesAndValues()
  {
    const CfgStr saved = Store(3, 2, {0.5, 1234.5678915, 6000.000001});
    QCOMPARE(SaveDatFile(saved, path("trip.dat")), 0);
    const QList<QByteArray> lines = ReadAll(path("trip.dat")).split('\n');
    QCOMPARE(lines[3], QByteArray("0.500000 0.000 -1.000 -10.000 -11.000 -20.000 -21.000"));

    CfgStr loaded = Store(1, 1, {5.0});  // stale content must go
    QCOMPARE(LoadDatFile(loaded, path("trip.dat")), 0);
    QCOMPARE(loaded.TraceCount, 3);
    QCOMPARE(loaded.LevelCount, 2);
    QCOMPARE(loaded.PointCount, 3);
    QCOMPARE(loaded.AnaFreqs, (QVector<double>{0.5, 1234.567892, 6000.000001}));
    for (int t = 0; t < 3; ++t)
      for (int l = 0; l < 2; ++l)
        for (int i = 0; i < 3; ++i)
          QCOMPARE(loaded.Traces[t][l][i], std::round(saved.Traces[t][l][i] * 1000.0) / 1000.0 + 0.0);
    // Every later reader of the plan lists stays within the loaded count.
    QCOMPARE(loaded.Gen1Freqs.size(), 3);
    QCOMPARE(loaded.Gen2Freqs.size(), 3);
    QCOMPARE(loaded.NormData.size(), 3);
    QCOMPARE(loaded.ColourIdx, 2);
    QCOMPARE(SaveDatFile(loaded, path("again.dat")), 0);
    QCOMPARE(ReadAll(path("again.dat")), ReadAll(path("trip.dat")));
  }

  void twoLevelPointLineAndUnmeasuredValue()
  {
    Write(path("two.dat"), "Repetition  Count: 1\r\nLevel Sweep Count: 2\r\nMeasurement Count: 2\r\n"
                           "100.000000 -10.123 -20.456\r\n200.000000 nan -3.5\r\n");
    CfgStr cfg;
    QCOMPARE(LoadDatFile(cfg, path("two.dat")), 0);
    QCOMPARE(cfg.AnaFreqs[0], 100.0);
    QCOMPARE(cfg.Traces[0][0][0], -10.123);
    QCOMPARE(cfg.Traces[0][1][0], -20.456);
    QVERIFY(std::isnan(cfg.Traces[0][0][1]));
  }

  void eightTracesEndOnTheSecondColour()
  {
    CfgStr cfg = Store(8, 1, {100.0});
    QCOMPARE(SaveDatFile(cfg, path("eight.dat")), 0);
    CfgStr loaded;
    QCOMPARE(LoadDatFile(loaded, path("eight.dat")), 0);
    QCOMPARE(loaded.TraceCount, 8);
    QCOMPARE(loaded.ColourIdx, 1);
  }

  void correctionTable()
  {
    CfgStr cfg = Store(2, 1, {100.0, 200.0});
    cfg.Gen1.StartLevel = -10.0;
    QCOMPARE(SaveDatFile(cfg, path("Table.FDA")), 0);
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
  }

  void correctionTableEdges()
  {
    QCOMPARE(CorrTableName("/data/a&b.fda.xml"), QString("a&b"));
    QByteArray text;
    CfgStr one = Store(1, 1, {2400.0});
    QVERIFY(CorrTableText(one, "a&b", text, nullptr));
    QVERIFY(text.contains("<TableName value=\"a&amp;b\""));
    QVERIFY(text.contains("data=\"2400000000.000000\""));
    QVERIFY(text.contains("data=\"0.000\""));

    CfgStr partial = Store(1, 1, {100.0, 200.0, 300.0});
    partial.Traces[0][0][1] = kUnmeasured;
    QVERIFY(CorrTableText(partial, "p", text, nullptr));
    QVERIFY(text.contains("<Vector count=\"2\" type=\"r8\" data=\"100000000.000000;300000000.000000\" />"));

    partial.Traces[0][0].fill(kUnmeasured);
    QString reason;
    QVERIFY(!CorrTableText(partial, "p", text, &reason));
    QVERIFY(reason.contains("no measured point"));
  }

  void normalizationExport()
  {
    CfgStr cfg = Store(2, 1, {100.0});
    cfg.Gen1.StartLevel = -10.0;
    cfg.Gen2.StartLevel = 7.0;
    QCOMPARE(SaveNormFile(cfg, path("norm.txt")), 0);
    QCOMPARE(ReadAll(path("norm.txt")), QByteArray("100.000000 10.000 -7.000 0.000 -17.000\n"));
  }

  void nothingToSaveKeepsTheOldFile()
  {
    Write(path("old.dat"), "precious");
    CfgStr empty;
    empty.PointCount = 91;
    QString reason;
    QCOMPARE(SaveDatFile(empty, path("old.dat"), &reason), -1);
    QVERIFY(reason.contains("No trace"));
    QCOMPARE(SaveNormFile(empty, path("old.dat")), -1);
    QCOMPARE(ReadAll(path("old.dat")), QByteArray("precious"));
    QCOMPARE(empty.TraceCount, 0);
  }

  void failedSaveKeepsTheOldFile()
  {
    // The replacement is written beside the file first; a name too long for
    // that companion makes the save fail even for the superuser.
    const QString longName = path(QString(250, 'x') + ".dat");
    Write(longName, "old bytes");
    QString reason;
    QCOMPARE(SaveDatFile(Store(1, 1, {1.0}), longName, &reason), -1);
    QVERIFY2(reason.contains(longName), qPrintable(reason));
    QCOMPARE(ReadAll(longName), QByteArray("old bytes"));
    if (geteuid() == 0)
      return;
    QTemporaryDir locked;
    Write(locked.filePath("kept.dat"), "old bytes");
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QCOMPARE(SaveDatFile(Store(1, 1, {1.0}), locked.filePath("kept.dat")), -1);
    QCOMPARE(ReadAll(locked.filePath("kept.dat")), QByteArray("old bytes"));
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  void hostileFilesAreRefused_data()
  {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    const QByteArray head = "Repetition  Count: 1\nLevel Sweep Count: 2\nMeasurement Count: 2\n";
    QTest::newRow("empty") << QByteArray() << "ends before its count lines";
    QTest::newRow("no label") << QByteArray("Traces 1\n") << "should read \"Repetition  Count: <number>\"";
    QTest::newRow("huge traces") << QByteArray("Repetition  Count: 2000000000\n") << "1 to 20";
    QTest::newRow("negative levels") << QByteArray("Repetition  Count: 1\nLevel Sweep Count: -3\n") << "1 to 20";
    QTest::newRow("zero points") << head.left(42) + "Measurement Count: 0\n" << "1 to 20001";
    QTest::newRow("count no number") << head.left(42) + "Measurement Count: many\n" << "should read";
    QTest::newRow("largest counts, tiny file")
        << QByteArray("Repetition  Count: 20\nLevel Sweep Count: 20\nMeasurement Count: 20001\n1 2\n")
        << "too short for its 20001";
    QTest::newRow("truncated") << head + "100 -1 -2\n" << "ends after 1 of its 2 points";
    QTest::newRow("too few numbers") << head + "100 -1\n200 -1 -2\n" << "Line 4 holds 2 numbers; the counts announce 3";
    QTest::newRow("too many numbers") << head + "100 -1 -2 -3\n200 -1 -2\n" << "holds 4 numbers";
    QTest::newRow("value no number") << head + "100 -1 -2\n200 -1 1,5\n" << "\"1,5\" is no level";
    QTest::newRow("frequency nan") << head + "nan -1 -2\n200 -1 -2\n" << "\"nan\" is no frequency";
    QTest::newRow("infinite level") << head + "100 -1 inf\n200 -1 -2\n" << "\"inf\" is no level";
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
      junk[i] = char((i * 7919) % 256);
    QTest::newRow("binary junk") << junk << "binary data";
    QTest::newRow("binary after header") << head + QByteArray("100 \x01\x02 -2\n200 -1 -2\n", 20) << "binary data";
    QTest::newRow("very long line") << head + "100" + QByteArray(10 * 1024 * 1024, '1') + " -1 -2\n" << "longer than";
  }

  void hostileFilesAreRefused()
  {
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    Write(path("bad.dat"), content);
    CfgStr cfg = Store(2, 1, {1.0, 2.0});
    const CfgStr before = cfg;
    QString reason;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(LoadDatFile(cfg, path("bad.dat"), &reason), -1);
    qInfo("refused in %lld ms: %s", timer.elapsed(), qPrintable(reason));
    QVERIFY2(reason.contains(says), qPrintable(reason));
    QCOMPARE(cfg.TraceCount, before.TraceCount);
    QCOMPARE(cfg.PointCount, before.PointCount);
    QCOMPARE(cfg.AnaFreqs, before.AnaFreqs);
    QCOMPARE(cfg.Traces, before.Traces);
  }

  void missingFileIsReported()
  {
    CfgStr cfg;
    QString reason;
    QCOMPARE(LoadDatFile(cfg, path("none.dat"), &reason), -1);
    QVERIFY(reason.contains("cannot be opened for reading"));
  }
};

QTEST_GUILESS_MAIN(TstDataFile)
#include "tst_datafile.moc"
