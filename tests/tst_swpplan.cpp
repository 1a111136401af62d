#include "storage/CfgFile.h"
#include "sweep/SwpLimits.h"
#include "sweep/SwpPlan.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

CfgStr defaults()
{
  CfgStr cfg;
  CfgDefaults(cfg);
  return cfg;
}

CfgStr withLo(double loStart, double loStop)
{
  CfgStr cfg = defaults();
  cfg.Gen2.Type = 24;
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
  void defaultSettings()
  {
    CfgStr cfg = defaults();
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.PointCount, 91);
    QCOMPARE(cfg.LevelCount, 1);
    QCOMPARE(cfg.Gen1Freqs, range(100, 10, 91));
    QCOMPARE(cfg.AnaFreqs, cfg.Gen1Freqs);
    QCOMPARE(cfg.Gen2Freqs.size(), 91);
    QCOMPARE(cfg.Ana.StartFreq, 100.0);
    QCOMPARE(cfg.Ana.StopFreq, 1000.0);
  }

  void linearCounts_data()
  {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("last");
    QTest::newRow("stop between steps") << 100.0 << 1005.0 << 10.0 << 91 << 1000.0;
    QTest::newRow("start above stop climbs") << 1000.0 << 100.0 << 10.0 << 91 << 1900.0;
    QTest::newRow("negative step descends") << 1000.0 << 100.0 << -10.0 << 91 << 100.0;
    QTest::newRow("start equals stop") << 500.0 << 500.0 << 10.0 << 1 << 500.0;
  }
  void linearCounts()
  {
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(double, step);
    CfgStr cfg = defaults();
    cfg.Gen1.StartFreq = start;
    cfg.Gen1.StopFreq = stop;
    cfg.StepFreq = step;
    QVERIFY(CalcSwpLst(cfg));
    QTEST(cfg.PointCount, "count");
    QCOMPARE(cfg.Gen1Freqs.first(), start);
    QTEST(cfg.Gen1Freqs.last(), "last");
  }

  void logarithmic()
  {
    CfgStr cfg = defaults();
    cfg.LogSweep = 2;  // any nonzero value means logarithmic
    cfg.Count = 3;
    cfg.Gen1.StartFreq = 10;
    cfg.Gen1.StopFreq = 1000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.PointCount, 3);
    QCOMPARE(cfg.Gen1Freqs, (QVector<double>{10, 100, 1000}));
  }

  void levelSteps_data()
  {
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("count");
    QTest::newRow("two steps") << -10.0 << 0.0 << 10.0 << 2;
    QTest::newRow("half a step") << -10.0 << -5.0 << 10.0 << 1;
    QTest::newRow("downwards") << 0.0 << -20.0 << 5.0 << 5;
    QTest::newRow("at the limit") << 0.0 << double(kMaxLevels - 1) << 1.0 << kMaxLevels;
  }
  void levelSteps()
  {
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(double, step);
    CfgStr cfg = defaults();
    cfg.LevelSweep = true;
    cfg.Gen1.StartLevel = start;
    cfg.Gen1.StopLevel = stop;
    cfg.Gen1.StepLevel = step;
    QVERIFY(CalcSwpLst(cfg));
    QTEST(cfg.LevelCount, "count");
  }

  void fixedLoLowerSideband()
  {
    CfgStr cfg = withLo(1000, 3000);
    cfg.UpperSideband = 0;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Ana.StartFreq, 900.0);
    QCOMPARE(cfg.Ana.StopFreq, 0.0);
    QCOMPARE(cfg.Gen2Freqs, QVector<double>(91, 1000.0));
    QCOMPARE(cfg.AnaFreqs, range(900, -10, 91));
  }

  void lowerSidebandIsPositive()
  {
    CfgStr cfg = withLo(1500, 1500);
    cfg.UpperSideband = 0;
    cfg.Gen1.StartFreq = cfg.Gen1.StopFreq = 2000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs, QVector<double>{500.0});
  }

  void externalLoCountsAsGenerator()
  {
    CfgStr cfg = withLo(1000, 3000);
    cfg.Gen2.Type = 31;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs.first(), 1100.0);
    QCOMPARE(cfg.Ana.StopFreq, 2000.0);
  }

  void multiplierWithoutLo()
  {
    CfgStr cfg = defaults();
    cfg.Numerator = 2;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.AnaFreqs, range(200, 20, 91));
    QCOMPARE(cfg.Ana.StopFreq, 2000.0);
  }

  // s x f x N / D in that order: 110 x 3 / 7 rounds differently from
  // 110 x (3 / 7), and the analyzer must be tuned to the same bits every time.
  void scaledRfEvaluationOrder()
  {
    CfgStr cfg = defaults();
    cfg.Gen1.StartFreq = cfg.Gen1.StopFreq = 110;
    cfg.Numerator = 3;
    cfg.Denominator = 7;
    QVERIFY(CalcSwpLst(cfg));
    QVERIFY(cfg.Ana.StartFreq == 47.142857142857146);
    QVERIFY(cfg.AnaFreqs[0] == 47.142857142857146);
  }

  void fixedIf()
  {
    CfgStr cfg = withLo(1000, 3000);
    cfg.FixedLo = false;
    cfg.FixedIf = true;
    cfg.Ana.StartFreq = 70;
    cfg.Ana.StopFreq = 123;
    cfg.Gen1.StartFreq = 1000;
    cfg.Gen1.StopFreq = 2000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.PointCount, 101);
    QCOMPARE(cfg.Gen2Freqs, range(930, 10, 101));
    QCOMPARE(cfg.AnaFreqs, QVector<double>(101, 70.0));
    QCOMPARE(cfg.Gen2.StopFreq, 1930.0);
    QCOMPARE(cfg.Gen2.SpanFreq, 930.0);
    QCOMPARE(cfg.Gen2.CenterFreq, 1465.0);
    QCOMPARE(cfg.Gen2.StartFreq, 1000.0);
    QCOMPARE(cfg.Ana.StopFreq, 123.0);
  }

  void sweptLoLinear()
  {
    CfgStr cfg = withLo(2000, 5000);
    cfg.FixedLo = false;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen2Freqs, range(2000, 10, 91));
    QCOMPARE(cfg.AnaFreqs, range(2100, 20, 91));
    QCOMPARE(cfg.Ana.StartFreq, 2100.0);
    QCOMPARE(cfg.Ana.StopFreq, 6000.0);  // from the LO stop, not the last LO point
  }

  void sweptLoLogarithmic()
  {
    CfgStr cfg = withLo(1, 100);
    cfg.FixedLo = false;
    cfg.LogSweep = 1;
    cfg.Count = 3;
    cfg.Gen1.StartFreq = 10;
    cfg.Gen1.StopFreq = 1000;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen2Freqs, (QVector<double>{1, 10, 100}));
    QCOMPARE(cfg.AnaFreqs, (QVector<double>{11, 110, 1100}));
  }

  void pointLimit()
  {
    CfgStr cfg = defaults();
    cfg.Gen1.StartFreq = 0;
    cfg.Gen1.StopFreq = kMaxPoints - 1;
    cfg.StepFreq = 1;
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.PointCount, kMaxPoints);
    QCOMPARE(cfg.AnaFreqs.size(), kMaxPoints);

    cfg.Gen1.StopFreq = kMaxPoints;
    QString reason;
    QVERIFY(!CalcSwpLst(cfg, &reason));
    QCOMPARE(reason, QStringLiteral("The sweep would have 20002 frequency points; at most 20001 are possible. "
                                    "Use a larger step."));
    QCOMPARE(cfg.PointCount, kMaxPoints);
  }

  void refusals_data()
  {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("reason");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QString notFinite = "The sweep settings give frequencies or levels that are not finite numbers. "
                              "Check the frequencies, the steps and the factor N/D.";
    QTest::newRow("zero step") << "StepFreq" << 0.0
                               << "The frequency step is 0 MHz: a linear sweep needs a step.";
    QTest::newRow("zero denominator") << "Denominator" << 0.0
                                      << "The denominator D of the factor N/D is 0; it must not be 0.";
    QTest::newRow("zero level step") << "StepLevel" << 0.0
                                     << "The level step is 0 dB: a level sweep needs a step.";
    QTest::newRow("too many levels") << "StepLevel" << 0.1
                                     << "The level sweep would have 101 level steps; at most 20 are possible. "
                                        "Use a larger level step.";
    QTest::newRow("log count 1") << "Count" << 1.0
                                 << "A logarithmic sweep needs at least 2 points; the point count is 1.";
    QTest::newRow("log count negative") << "Count" << -5.0
                                        << "A logarithmic sweep needs at least 2 points; the point count is -5.";
    QTest::newRow("log count huge") << "Count" << 2147483647.0
                                    << "The sweep would have 2147483647 frequency points; at most 20001 are "
                                       "possible. Use fewer points.";
    QTest::newRow("log start 0") << "LogStart" << 0.0
                                 << "A logarithmic sweep needs RF start and stop frequencies above 0 MHz "
                                    "(they are 0 MHz and 1000 MHz).";
    // The fixed-IF plan computed first has moved the LO stop to 900 MHz.
    QTest::newRow("log swept LO start -1") << "LogLoStart" << -1.0
                                           << "A logarithmic sweep needs LO start and stop frequencies above 0 "
                                              "MHz (they are -1 MHz and 900 MHz).";
    QTest::newRow("tiny step") << "StepFreq" << 1e-300
                               << "The sweep would have 9e+302 frequency points; at most 20001 are possible. "
                                  "Use a larger step.";
    QTest::newRow("NaN step") << "StepFreq" << nan << notFinite;
    QTest::newRow("infinite stop") << "Stop" << inf << notFinite;
    QTest::newRow("infinite numerator") << "Numerator" << inf << notFinite;
    QTest::newRow("overflowing IF") << "Numerator" << 1e307 << notFinite;
  }
  // A refused plan leaves everything the plan writes as it was, including
  // the IF range and the LO fields of the fixed-IF case.
  void refusals()
  {
    QFETCH(QString, setting);
    QFETCH(double, value);
    CfgStr cfg = withLo(1000, 3000);
    cfg.FixedLo = false;
    cfg.FixedIf = true;
    cfg.LevelSweep = true;
    QVERIFY(CalcSwpLst(cfg));
    const CfgStr before = cfg;

    if (setting == "StepFreq") cfg.StepFreq = value;
    if (setting == "Denominator") cfg.Denominator = value;
    if (setting == "Numerator") cfg.Numerator = value;
    if (setting == "StepLevel") cfg.Gen1.StepLevel = value;
    if (setting == "Stop") cfg.Gen1.StopFreq = value;
    if (setting.startsWith("Log") || setting == "Count") cfg.LogSweep = 1;
    if (setting == "Count") cfg.Count = int(value);
    if (setting == "LogStart") cfg.Gen1.StartFreq = value;
    if (setting == "LogLoStart") {
      cfg.FixedIf = false;
      cfg.Gen2.StartFreq = value;
    }
    const CfgStr edited = cfg;

    QString reason;
    QVERIFY(!CalcSwpLst(cfg, &reason));
    QTEST(reason, "reason");
    QCOMPARE(cfg.PointCount, before.PointCount);
    QCOMPARE(cfg.LevelCount, before.LevelCount);
    QCOMPARE(cfg.Gen1Freqs, before.Gen1Freqs);
    QCOMPARE(cfg.Gen2Freqs, before.Gen2Freqs);
    QCOMPARE(cfg.AnaFreqs, before.AnaFreqs);
    QCOMPARE(cfg.Ana.StartFreq, edited.Ana.StartFreq);
    QCOMPARE(cfg.Ana.StopFreq, edited.Ana.StopFreq);
    QCOMPARE(cfg.Gen2.StopFreq, edited.Gen2.StopFreq);
    QCOMPARE(cfg.Gen2.SpanFreq, edited.Gen2.SpanFreq);
    QCOMPARE(cfg.Gen2.CenterFreq, edited.Gen2.CenterFreq);
  }

  void inputsOnlyMatterWhereUsed()
  {
    CfgStr cfg = defaults();
    cfg.Gen1.StepLevel = 0;  // no level sweep
    cfg.Count = 0;           // linear sweep
    QVERIFY(CalcSwpLst(cfg));
    cfg.LogSweep = 1;
    cfg.Count = 2;
    cfg.StepFreq = 0;        // logarithmic sweep
    cfg.Gen2.StartFreq = 0;  // no LO generator
    QVERIFY(CalcSwpLst(cfg));
    QCOMPARE(cfg.Gen1Freqs, (QVector<double>{100, 1000}));
  }
};

QTEST_GUILESS_MAIN(SwpPlanTest)
#include "tst_swpplan.moc"
