#include "storage/CfgFile.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"

#include <QtTest>
#include <limits>

namespace {

CfgStr settings(int loType = 0, double loStart = 1000, double loStop = 3000)
{
  CfgStr cfg;
  CfgDefaults(cfg);
  cfg.Gen2.Type = loType;
  cfg.Gen2.StartFreq = loStart;
  cfg.Gen2.StopFreq = loStop;
  return cfg;
}

QVector<double> range(double first, double step, int count)
{
  QVector<double> values;
  for (int i = 0; i < count; ++i)
    values << first + i * step;
  return values;
}

}  // namespace

class SwpPlanTest : public QObject {
  Q_OBJECT

private slots:
  void frequencyPoints()
  {
    CfgStr cfg = settings();
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.PointCount, 91);
    QCOMPARE(cfg.LevelCount, 1);
    QCOMPARE(cfg.Gen1Freqs, range(100, 10, 91));
    QCOMPARE(cfg.AnaFreqs, cfg.Gen1Freqs);
    QCOMPARE(cfg.Gen2Freqs.size(), 91);
    QCOMPARE(cfg.Ana.StopFreq, 1000.0);

    cfg.Gen1.StopFreq = 1005;  // 90.5 steps: the last point stays below the stop
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen1Freqs, range(100, 10, 91));

    cfg.Gen1.StartFreq = 1000;  // a stop below the start still climbs
    cfg.Gen1.StopFreq = 100;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen1Freqs, range(1000, 10, 91));

    cfg.LogSweep = 2;  // any nonzero value is logarithmic
    cfg.Count = 3;
    cfg.Gen1.StartFreq = 10;
    cfg.Gen1.StopFreq = 1000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen1Freqs, (QVector<double>{10, 100, 1000}));
  }

  void levelSteps()
  {
    CfgStr cfg = settings();
    cfg.LevelSweep = true;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.LevelCount, 2);  // -10 to 0 dBm by 10 dB
    cfg.Gen1.StopLevel = -5;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.LevelCount, 1);
    cfg.Gen1.StepLevel = 0.5;
    cfg.Gen1.StopLevel = -10 + (kMaxLevels - 1) * 0.5;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.LevelCount, kMaxLevels);
  }

  void intermediateFrequencies()
  {
    CfgStr cfg = settings(24);  // fixed LO at 1000 MHz, lower sideband
    cfg.UpperSideband = 0;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen2Freqs, QVector<double>(91, 1000.0));
    QCOMPARE(cfg.AnaFreqs, range(900, -10, 91));
    QCOMPARE(cfg.Ana.StartFreq, 900.0);
    QCOMPARE(cfg.Ana.StopFreq, 0.0);

    cfg.Gen2.StartFreq = 1500;  // RF above the LO: the IF is still positive
    cfg.Gen1.StartFreq = cfg.Gen1.StopFreq = 2000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs, QVector<double>{500});

    cfg = settings(31);  // an external LO enters the IF like a controlled one
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs.first(), 1100.0);

    cfg = settings();
    cfg.Numerator = 2;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs, range(200, 20, 91));

    // s x f x N / D in that order: 110 x 3 / 7 differs in the last bit from 110 x (3 / 7).
    cfg.Gen1.StartFreq = cfg.Gen1.StopFreq = 110;
    cfg.Numerator = 3;
    cfg.Denominator = 7;
    QVERIFY(CalcSwpLst(cfg));
    QVERIFY(cfg.AnaFreqs[0] == 47.142857142857146 && cfg.Ana.StartFreq == 47.142857142857146);
  }

  void fixedIfAndSweptLo()
  {
    CfgStr cfg = settings(24);
    cfg.FixedLo = false;
    cfg.FixedIf = true;
    cfg.Ana.StartFreq = 70;
    cfg.Ana.StopFreq = 123;
    cfg.Gen1.StartFreq = 1000;
    cfg.Gen1.StopFreq = 2000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen2Freqs, range(930, 10, 101));
    QCOMPARE(cfg.AnaFreqs, QVector<double>(101, 70.0));
    QCOMPARE(cfg.Gen2.StopFreq, 1930.0);
    QCOMPARE(cfg.Gen2.SpanFreq, 930.0);
    QCOMPARE(cfg.Gen2.CenterFreq, 1465.0);
    QCOMPARE(cfg.Ana.StopFreq, 123.0);

    cfg = settings(24, 2000, 5000);
    cfg.FixedLo = false;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen2Freqs, range(2000, 10, 91));
    QCOMPARE(cfg.AnaFreqs, range(2100, 20, 91));
    QCOMPARE(cfg.Ana.StopFreq, 6000.0);  // from the LO stop, not from the last LO point

    cfg = settings(24, 1, 100);
    cfg.FixedLo = false;
    cfg.LogSweep = 1;
    cfg.Count = 3;
    cfg.Gen1.StartFreq = 10;
    cfg.Gen1.StopFreq = 1000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen2Freqs, (QVector<double>{1, 10, 100}));
    QCOMPARE(cfg.AnaFreqs, (QVector<double>{11, 110, 1100}));
  }

  void refusals_data()
  {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("reason");
    const QString notFinite = "The sweep settings give frequencies or levels that are not finite numbers. "
                              "Check the frequencies, the steps and the factor N/D.";
    const auto row = [](const char *name, const char *setting, double value, const QString &reason) {
      QTest::newRow(name) << QString(setting) << value << reason;
    };
    row("zero step", "StepFreq", 0, "The frequency step is 0 MHz: a linear sweep needs a step.");
    row("zero denominator", "Denominator", 0, "The denominator D of the factor N/D is 0; it must not be 0.");
    row("zero level step", "StepLevel", 0, "The level step is 0 dB: a level sweep needs a step.");
    row("too many levels", "StepLevel", 0.1,
        "The level sweep would have 101 level steps; at most 20 are possible. Use a larger level step.");
    row("log count 1", "Count", 1, "A logarithmic sweep needs at least 2 points; the point count is 1.");
    row("log count huge", "Count", 2147483647,
        "The sweep would have 2147483647 frequency points; at most 20001 are possible. Use fewer points.");
    row("log from 0 MHz", "LogStart", 0,
        "A logarithmic sweep needs RF start and stop frequencies above 0 MHz (they are 0 MHz and 1000 MHz).");
    // The fixed-IF plan computed first has moved the LO stop to 900 MHz.
    row("log swept LO from -1 MHz", "LogLoStart", -1,
        "A logarithmic sweep needs LO start and stop frequencies above 0 MHz (they are -1 MHz and 900 MHz).");
    row("one past the point limit", "Stop", 100 + kMaxPoints * 10.0,
        "The sweep would have 20002 frequency points; at most 20001 are possible. Use a larger step.");
    row("tiny step", "StepFreq", 1e-300,
        "The sweep would have 9e+302 frequency points; at most 20001 are possible. Use a larger step.");
    row("NaN step", "StepFreq", std::numeric_limits<double>::quiet_NaN(), notFinite);
    row("overflowing IF", "Numerator", 1e307, notFinite);
  }
  // A refused plan leaves everything the plan writes as it was.
  void refusals()
  {
    QFETCH(QString, setting);
    QFETCH(double, value);
    CfgStr cfg = settings(24);
    cfg.FixedLo = false;
    cfg.FixedIf = true;
    cfg.LevelSweep = true;
    QVERIFY(CalcSwpLst(cfg));
    QVERIFY(cfg.Gen1Freqs != cfg.Gen2Freqs);
    const QMap<QString, double *> fields{{"StepFreq", &cfg.StepFreq},         {"Denominator", &cfg.Denominator},
                                         {"Numerator", &cfg.Numerator},       {"StepLevel", &cfg.Gen1.StepLevel},
                                         {"Stop", &cfg.Gen1.StopFreq},        {"LogStart", &cfg.Gen1.StartFreq},
                                         {"LogLoStart", &cfg.Gen2.StartFreq}};
    if (setting == "Count")
      cfg.Count = int(value);
    else
      *fields.value(setting) = value;
    cfg.LogSweep = setting.startsWith("Log") || setting == "Count";
    cfg.FixedIf = setting != "LogLoStart";
    const CfgStr before = cfg;

    QString reason;
    QVERIFY(!CalcSwpLst(cfg, &reason));
    QTEST(reason, "reason");
    QCOMPARE(cfg.PointCount, before.PointCount);
    QCOMPARE(cfg.LevelCount, before.LevelCount);
    QVERIFY(cfg.Gen1Freqs == before.Gen1Freqs && cfg.Gen2Freqs == before.Gen2Freqs &&
            cfg.AnaFreqs == before.AnaFreqs);
    QVERIFY(cfg.Ana.StartFreq == before.Ana.StartFreq && cfg.Ana.StopFreq == before.Ana.StopFreq);
    QVERIFY(cfg.Gen2.StopFreq == before.Gen2.StopFreq && cfg.Gen2.SpanFreq == before.Gen2.SpanFreq &&
            cfg.Gen2.CenterFreq == before.Gen2.CenterFreq);
  }

  void pointLimitAndUnusedInputs()
  {
    CfgStr cfg = settings();
    cfg.Gen1.StopFreq = 100 + (kMaxPoints - 1) * 10.0;
    cfg.Gen1.StepLevel = 0;  // no level sweep
    cfg.Count = 0;           // not logarithmic
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs.size(), kMaxPoints);
  }
};

QTEST_GUILESS_MAIN(SwpPlanTest)
#include "tst_swpplan.moc"
