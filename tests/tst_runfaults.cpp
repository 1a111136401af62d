// Faults a lab user meets at the bench, against the recording fake VISA and
// sensor driver: sessions that no longer fit the record, outputs left on
// after failures, refused frequencies and readings, a tracking generator
// that does not exist, and a series whose frequencies have changed.
#include "app/MainWindow.h"
#include "instruments/Measure.h"
#include "support/HeadlessObserver.h"
#include "support/CmdTranscript.h"
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/PromptRecorder.h"
#include "sweep/SweepEngine.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <functional>

namespace {

const QString kGen1Rsrc = QStringLiteral("GPIB0::28::INSTR");
const QString kGen2Rsrc = QStringLiteral("GPIB0::29::INSTR");
const QString kAnaRsrc = QStringLiteral("GPIB0::20::INSTR");

void Gpib(DevStr &dev, int type, int address) { dev.Type = type, dev.Interface = 0, dev.GpibAddress = address; }

// Generator 1 (type 24) at GPIB0::28 and an analyzer at GPIB0::20, three
// points from 100 MHz at -10 dBm; with lo, generator 2 (type 24) at GPIB0::29
// fixed at 1000 MHz.
void Bench(CfgStr &cfg, int anaType = 59, bool lo = false)
{
  Gpib(cfg.Gen1, 24, 28);
  Gpib(cfg.Gen2, lo ? 24 : 0, 29);
  Gpib(cfg.Ana, anaType, 20);
  cfg.Gen1.StartFreq = 100.0;
  cfg.Gen1.StopFreq = 120.0;
  cfg.Gen1.StartLevel = cfg.Gen1.StopLevel = -10.0;
  cfg.Gen2.StartFreq = 1000.0;
  cfg.Gen2.StartLevel = 7.0;
  cfg.StepFreq = 10.0;
  QVERIFY(CalcSwpLst(cfg));
  cfg.TraceCount = 1;
  AllocTrc(cfg);
}

// The read-backs of the preparation and `readings` analyzer replies.
void Script(const CfgStr &cfg, const QStringList &readings)
{
  const QList<QPair<const DevStr *, QString>> gens{{&cfg.Gen1, kGen1Rsrc}, {&cfg.Gen2, kGen2Rsrc}};
  for (const auto &gen : gens) {
    if (gen.first->Type == 0)
      continue;
    FakeVisa::replyFor(gen.second, QString::number(gen.first->StartLevel) + '\n');
    for (double mhz : {gen.first->StopFreq, gen.first->StartFreq})
      FakeVisa::replyFor(gen.second, QString::number(mhz * 1e6, 'f', 1) + '\n');
  }
  if (cfg.Ana.Type == 59)
    FakeVisa::replyFor(kAnaRsrc, QStringLiteral("0.05\n"));
  for (const QString &reading : readings)
    FakeVisa::replyFor(kAnaRsrc, reading);
}

const QStringList kThreeReadings{"-16\n", "-16\n", "-16\n"};

SwpResult Run(CfgStr &cfg)
{
  Headless quiet;
  return SweepEngine(cfg, quiet).run(false);
}

QStringList Lines(const QString &prefix)
{
  return FakeVisa::transcript().filter(QRegularExpression('^' + QRegularExpression::escape(prefix)));
}

}  // namespace

class TstRunFaults : public QObject {
  Q_OBJECT

private slots:
  void init()
  {
    FakeVisa::reset();
    FakePwu::reset();
  }

  // An edit of the type or address in Devices, without Test, reaches the
  // next run: the old session is closed first, then the new one opened.
  void changedRecordReopens()
  {
    struct Row {
      const char *name;
      std::function<void(DevStr &)> edit;
      QString opened;
    };
    const Row rows[] = {
        {"GPIB address", [](DevStr &g) { g.GpibAddress = 5; }, "\"GPIB0::5::INSTR\""},
        {"GPIB board", [](DevStr &g) { g.Interface = 1; }, "\"GPIB1::28::INSTR\""},
        {"IP address", [](DevStr &g) { g.Interface = 3, g.IpAddress = "10.0.0.6"; }, "\"TCPIP::10.0.0.6::INSTR\""},
        {"type", [](DevStr &g) { g.Type = 22; }, "\"GPIB0::28::INSTR\""},
    };
    for (const Row &row : rows) {
      FakeVisa::reset();
      CfgStr cfg;
      Bench(cfg);
      Script(cfg, kThreeReadings);
      QCOMPARE(int(Run(cfg).outcome), int(SwpOutcome::Completed));
      row.edit(cfg.Gen1);
      const int before = FakeVisa::transcript().size();
      Script(cfg, kThreeReadings);
      Run(cfg);
      const QStringList second = FakeVisa::transcript().mid(before);
      QCOMPARE(second.filter(QRegularExpression("^viClose|^viOpen ")),
               QStringList({"viClose 1", "viClose 1000", "viOpen 1002 " + row.opened + " 0 5000 -> 3"}));
    }

    // The sensor's driver session is closed by the driver, and the analyzer
    // type chosen instead gets a VISA session of its own.
    CfgStr cfg;
    Bench(cfg, 75);
    cfg.Ana.Interface = 4;
    FakeVisa::reset();
    Script(cfg, {});
    QCOMPARE(int(Run(cfg).outcome), int(SwpOutcome::Completed));
    Gpib(cfg.Ana, 59, 20);
    Script(cfg, kThreeReadings);
    QCOMPARE(int(Run(cfg).outcome), int(SwpOutcome::Completed));
    QCOMPARE(FakePwu::transcript().filter(QRegularExpression("^pwudrv_(init|close)")),
             QStringList({"pwudrv_init \"USB::0x1209::0x0::0\" 0 0 -> 1", "pwudrv_close 1"}));
    QCOMPARE(Lines("viOpen ").last(), QStringLiteral("viOpen 1001 \"GPIB0::20::INSTR\" 0 5000 -> 2"));
  }

  // After any failure generator 1's RF goes off, unless it is to stay on, and
  // every instrument that was opened returns to local control.
  void failuresSwitchRfOff_data()
  {
    QTest::addColumn<int>("failure");
    QTest::addColumn<bool>("keepRfOn");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("gen1Tail");
    QTest::addColumn<QStringList>("locals");
    const QStringList off{":OUTP ON\n", "ROSC:SOUR INT\n", ":OUTP OFF\n"};
    // Opening returns every instrument to local control once already.
    const QStringList gen1Only{"viGpibControlREN 1 6", "viGpibControlREN 1 6"};
    const QStringList two{"viGpibControlREN 1 6", "viGpibControlREN 2 6", "viGpibControlREN 1 6",
                          "viGpibControlREN 2 6"};
    QTest::newRow("analyzer silent") << 0 << false << int(SwpOutcome::InitFailed) << off << gen1Only;
    QTest::newRow("LO refused") << 1 << false << int(SwpOutcome::InitFailed) << off << two;
    QTest::newRow("measurement error") << 2 << false << int(SwpOutcome::MeasureFailed)
                                       << QStringList({"POW -10;*OPC?\n", "FREQ 100000000.0;*OPC?\n",
                                                       "FREQ 110000000.0;*OPC?\n", ":OUTP OFF\n"})
                                       << two;
    QTest::newRow("Keep RF On") << 0 << true << int(SwpOutcome::InitFailed)
                                << QStringList({"FREQ 100000000.0;*OPC?\n", "FREQ?\n", ":OUTP ON\n",
                                                "ROSC:SOUR INT\n"})
                                << gen1Only;
  }
  void failuresSwitchRfOff()
  {
    QFETCH(int, failure);
    QFETCH(bool, keepRfOn);
    QFETCH(int, outcome);
    QFETCH(QStringList, gen1Tail);
    QFETCH(QStringList, locals);
    CfgStr cfg;
    Bench(cfg, 59, failure == 1);
    cfg.RfOnAfterSweep = keepRfOn;
    if (failure == 0)
      FakeVisa::failOpen(kAnaRsrc);
    if (failure == 1) {
      FakeVisa::replyFor(kGen1Rsrc, "-10\n");
      for (const char *hz : {"120000000.0\n", "100000000.0\n"})
        FakeVisa::replyFor(kGen1Rsrc, hz);
      FakeVisa::replyFor(kGen2Rsrc, "7\n");
      FakeVisa::replyFor(kGen2Rsrc, "999000000.0\n");  // the LO does not take its frequency
    } else {
      Script(cfg, {"-16\n"});  // then the analyzer falls silent
    }
    QCOMPARE(int(Run(cfg).outcome), outcome);
    const QStringList toGen1 = WritesTo(1);
    QCOMPARE(toGen1.mid(toGen1.size() - gen1Tail.size()), gen1Tail);
    QCOMPARE(Lines("viGpibControlREN"), locals);
  }

  // A frequency the generator refuses ends the run at that point, naming
  // the generator; nothing is measured at the old frequency.
  void refusedFrequencyEndsRun()
  {
    CfgStr cfg;
    SwpResult result;
    const auto run = [&cfg, &result] {
      cfg = CfgStr();
      Bench(cfg, 59, true);
      cfg.FixedLo = false;
      cfg.Gen2.StopFreq = 1020.0;
      QVERIFY(CalcSwpLst(cfg));
      AllocTrc(cfg);
      Script(cfg, kThreeReadings);
      result = Run(cfg);
    };
    for (const auto &row : {qMakePair(QStringLiteral("FREQ 110000000.0;*OPC?\n"), SwpDevice::Gen1),
                            qMakePair(QStringLiteral("FREQ 1010000000.0;*OPC?\n"), SwpDevice::Gen2)}) {
      QVERIFY(FailWriteOf(row.first, run, VI_ERROR_TMO));
      run();
      QCOMPARE(int(result.outcome), int(SwpOutcome::FreqFailed));
      QCOMPARE(int(result.endDevice), int(row.second));
      QCOMPARE(cfg.Traces[0][0][0], -16.0);
      QVERIFY(std::isnan(cfg.Traces[0][0][1]));
      QCOMPARE(FakeVisa::writes().filter("CALC:MARK1:Y?").size(), 1);
    }
  }

  // Power meters that answer a word, an empty line or minus infinity have
  // given no reading: the point ends the run like any failed measurement.
  void meterReplyWithoutNumber()
  {
    for (int type : {77, 78, 80}) {
      for (const char *reply : {"OVLD\n", "\n", "-INF\n"}) {
        FakeVisa::reset();
        CfgStr cfg;
        Bench(cfg, type);
        Script(cfg, {"-16.5\n", QString::fromLatin1(reply)});
        QCOMPARE(int(Run(cfg).outcome), int(SwpOutcome::MeasureFailed));
        QCOMPARE(cfg.Traces[0][0][0], -16.5);
        QVERIFY2(std::isnan(cfg.Traces[0][0][1]), reply);
      }
    }
  }

  // An analyzer without a tracking generator is refused as the source before
  // any instrument is touched.
  void trackingGeneratorThatDoesNotExist()
  {
    CfgStr cfg;
    Bench(cfg, 34);
    cfg.Ana.TrackingGenerator = true;
    const SwpResult result = Run(cfg);
    QCOMPARE(int(result.outcome), int(SwpOutcome::PlanRefused));
    QCOMPARE(result.reason, QStringLiteral("The analyzer RCV-34 has no tracking generator. Untick Tracking "
                                           "Generator in Devices or choose an analyzer that has one."));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }
};

int main(int argc, char *argv[])
{
  QApplication app(argc, argv);
  if (!FakeVisa::load() || !FakePwu::load())
    qFatal("the fake libraries do not load");
  SetInstrumentSleep([](int) {});
  TstRunFaults faults;
  return QTest::qExec(&faults, argc, argv);
}

#include "tst_runfaults.moc"
