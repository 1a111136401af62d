// End to end against a simulated mixer, filter, cable and amplifier: the
// conversion loss comes out as the device model gives it in every LO mode and
// sideband and with N/D = 2, normalization flattens a response, an analyzer's
// tracking generator measures a filter, and a level sweep shows the
// compression of an amplifier.
#include "support/SimBench.h"
#include "sweep/TraceStore.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kToleranceDb = 0.1;  // five times the bench's noise

QByteArray benchJson(const QByteArray &dut) {
  return R"({"instruments": [
      {"resource": "GPIB0::28::INSTR", "type": 24, "port": "rf"},
      {"resource": "GPIB0::27::INSTR", "type": 21, "port": "lo"},
      {"resource": "GPIB0::20::INSTR", "type": 59}],
    "dut": )" + dut + "}";
}

void gpib(DevStr &dev, int type, int address) {
  dev.Type = type;
  dev.Interface = 0;
  dev.GpibAddress = address;
  dev.Session = 0;
}

// The tests' RF sweep from a GEN-24 into an SPA-59.
void rfSettings(CfgStr &cfg) {
  cfg = CfgStr();
  gpib(cfg.Gen1, 24, 28);
  gpib(cfg.Ana, 59, 20);
  SimBench::rfSweep(cfg);
}

double spread(const QVector<double> &values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return *high - *low;
}

}  // namespace

class TstE2eMixer : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(SimBench::load()); }

  void conversionLoss_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("upper");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<double>("loStartMhz");
    QTest::addColumn<double>("fixedIfMhz");
    QTest::newRow("fixed LO, upper sideband") << "fixed LO" << 1 << 1 << 2000.0 << 0.0;
    QTest::newRow("fixed LO, lower sideband") << "fixed LO" << 0 << 1 << 2000.0 << 0.0;
    QTest::newRow("fixed IF, upper sideband") << "fixed IF" << 1 << 1 << 30.0 << 70.0;
    QTest::newRow("fixed IF, lower sideband") << "fixed IF" << 0 << 1 << 170.0 << 70.0;
    QTest::newRow("swept LO, upper sideband") << "swept LO" << 1 << 1 << 1500.0 << 0.0;
    QTest::newRow("swept LO, lower sideband") << "swept LO" << 0 << 1 << 1500.0 << 0.0;
    QTest::newRow("fixed LO, N/D = 2") << "fixed LO" << 0 << 2 << 3000.0 << 0.0;
  }
  void conversionLoss() {
    QFETCH(QString, mode);
    QFETCH(int, upper);
    QFETCH(int, numerator);
    QFETCH(double, loStartMhz);
    QFETCH(double, fixedIfMhz);
    auto model = SimBench::use(benchJson(R"({"kind": "mixer", "n": )" + QByteArray::number(numerator) + "}"));
    QVERIFY(model);
    CfgStr cfg;
    rfSettings(cfg);
    gpib(cfg.Gen2, 21, 27);
    cfg.Gen2.StartFreq = loStartMhz;
    cfg.Gen2.StopFreq = loStartMhz + 1000.0;
    cfg.Gen2.StartLevel = cfg.Gen2.StopLevel = 7.0;
    cfg.FixedLo = mode == "fixed LO";
    cfg.FixedIf = mode == "fixed IF";
    cfg.Ana.StartFreq = fixedIfMhz;
    cfg.UpperSideband = upper;
    cfg.Numerator = numerator;
    QVERIFY(SimBench::plan(cfg));
    QCOMPARE(SimBench::sweep(cfg), SwpOutcome::Completed);
    QCOMPARE(SimBench::mismatches(cfg, *model, kToleranceDb), QStringList());
    // A conversion loss a mixer has, not the analyzer's noise floor.
    for (double level : cfg.Traces[0][0])
      QVERIFY2(level < -14.0 && level > -30.0, qPrintable(QString::number(level)));
    QCOMPARE(SimBench::drainErrors("GPIB0::27::INSTR"), QStringList());
  }

  void normalizationFlattensTheResponse_data() {
    QTest::addColumn<int>("normalizeGen");
    QTest::newRow("at the receiver") << 0;
    QTest::newRow("at the generator") << 1;
  }
  void normalizationFlattensTheResponse() {
    QFETCH(int, normalizeGen);
    auto model = SimBench::use(benchJson(R"({"kind": "cable", "lossDbPerSqrtGHz": 3.0})"));
    QVERIFY(model);
    CfgStr cfg;
    rfSettings(cfg);
    QVERIFY(SimBench::plan(cfg));
    QCOMPARE(SimBench::sweep(cfg), SwpOutcome::Completed);
    QVERIFY(spread(cfg.Traces[0][0]) > 2.0);  // the cable's response before
    // The reference is the cable's measured response; subtracted at the
    // receiver or fed back into the generator level, it leaves the -10 dBm
    // that generator 1 sends.
    for (int i = 0; i < cfg.PointCount; ++i)
      cfg.NormData[i] = cfg.Traces[0][0][i] - cfg.Gen1.StartLevel;
    cfg.NormalizeGen = normalizeGen;
    AddTrcRec(cfg);
    QCOMPARE(SimBench::sweep(cfg, true), SwpOutcome::Completed);
    const QVector<double> &flat = cfg.Traces[1][0];
    QVERIFY2(spread(flat) < 2 * kToleranceDb, qPrintable(QString::number(spread(flat))));
    QVERIFY2(std::abs(flat[0] - cfg.Gen1.StartLevel) < kToleranceDb, qPrintable(QString::number(flat[0])));
  }

  void trackingGeneratorDrivesTheDevice_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("source power") << 59;
    QTest::newRow("source attenuation") << 53;
  }
  void trackingGeneratorDrivesTheDevice() {
    QFETCH(int, type);
    auto model = SimBench::use(R"({"instruments": [{"resource": "GPIB0::20::INSTR", "type": )" +
                               QByteArray::number(type) +
                               R"(}], "dut": {"kind": "filter", "centerHz": 600e6, "bandwidthHz": 400e6}})");
    QVERIFY(model);
    CfgStr cfg;
    rfSettings(cfg);
    cfg.Gen1.Type = 0;  // not addressed: the analyzer's own generator is the source
    cfg.Ana.Type = type;
    cfg.Ana.TrackingGenerator = true;
    QVERIFY(SimBench::plan(cfg));
    QCOMPARE(SimBench::sweep(cfg), SwpOutcome::Completed);
    QCOMPARE(SimBench::mismatches(cfg, *model, kToleranceDb), QStringList());
    QVERIFY(spread(cfg.Traces[0][0]) > 20.0);  // the filter's skirts
    QCOMPARE(SimBench::drainErrors("GPIB0::20::INSTR"), QStringList());
  }

  void levelSweepShowsCompression() {
    auto model = SimBench::use(
        benchJson(R"({"kind": "amplifier", "gainDb": 20, "slopeDbPerGHz": 0, "p1dbOutDbm": 10})"));
    QVERIFY(model);
    CfgStr cfg;
    rfSettings(cfg);
    cfg.LevelSweep = true;
    cfg.Gen1.StartLevel = -40.0;
    cfg.Gen1.StopLevel = 0.0;
    cfg.Gen1.StepLevel = 10.0;
    QVERIFY(SimBench::plan(cfg));
    QCOMPARE(cfg.LevelCount, 5);
    QCOMPARE(SimBench::sweep(cfg), SwpOutcome::Completed);
    QCOMPARE(SimBench::mismatches(cfg, *model, kToleranceDb), QStringList());
    const TraceRec &trace = cfg.Traces[0];
    const double smallSignalGain = trace[0][0] - -40.0;
    const double gainAtZeroDbm = trace[4][0] - 0.0;
    QVERIFY(std::abs(smallSignalGain - 20.0) < kToleranceDb);
    QVERIFY2(gainAtZeroDbm < smallSignalGain - 5.0, qPrintable(QString::number(gainAtZeroDbm)));
    QVERIFY(trace[3][0] - trace[2][0] < 10.0 - 0.5);  // -20 to -10 dBm: already below 10 dB more
  }
};

QTEST_GUILESS_MAIN(TstE2eMixer)
#include "tst_e2e_mixer.moc"
