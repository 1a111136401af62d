// Sweep runs on the worker thread, driven through the window's buttons
// against the recording fake VISA: where a Stop takes effect, and that every
// point the run stores is drawn once and only once.
#include "app/MainWindow.h"
#include "plot/TraceCurveTable.h"
#include "support/DwellHook.h"
#include "support/FakeVisa.h"
#include "support/PromptRecorder.h"
#include "support/SmallBench.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <memory>
#include <qwt_plot_curve.h>

class MainWindowProbe {
public:
  explicit MainWindowProbe(MainWindow &window) : w(window) {}
  CfgStr &cfg() { return w.Cfg; }
  bool running() const { return w.SwpActive; }
  const QwtPlotCurve *curve(int level) { return w.Curves().curve(w.TraceIdx, level); }

private:
  MainWindow &w;
};

namespace {

const QString kGenAt = QStringLiteral("GPIB0::28::INSTR");
const QString kAnaAt = QStringLiteral("GPIB0::20::INSTR");
const QString kReading = QStringLiteral("CALC:MARK1:Y?\n");
const QStringList kEndOfRun{":OUTP OFF\n", "SYST:DISP:UPD ON\n", "INIT:CONT ON\n"};

void Bench(CfgStr &cfg, int points, int levels, double dwellS)
{
  SmallBench(cfg, points, levels, 1.0, dwellS);
  QVERIFY(CalcSwpLst(cfg));
  QCOMPARE(cfg.PointCount * cfg.LevelCount, points * levels);
}

// What the preparation reads back (levels, frequency extremes, sweep time),
// then `readings` readings that fall by 0.01 dB a point.
void Answers(const CfgStr &cfg, int readings)
{
  if (cfg.LevelSweep)
    FakeVisa::replyFor(kGenAt, QString::number(cfg.Gen1.StopLevel) + '\n');
  FakeVisa::replyFor(kGenAt, QString::number(cfg.Gen1.StartLevel) + '\n');
  for (double mhz : {cfg.Gen1.StopFreq, cfg.Gen1.StartFreq})
    FakeVisa::replyFor(kGenAt, QString::number(mhz * 1e6, 'f', 1) + '\n');
  FakeVisa::replyFor(kAnaAt, QStringLiteral("0.05\n"));
  for (int i = 0; i < readings; ++i)
    FakeVisa::replyFor(kAnaAt, QString::number(-10.0 - 0.01 * i) + '\n');
}

int Finite(const QVector<double> &row)
{
  return int(std::count_if(row.cbegin(), row.cend(), [](double v) { return std::isfinite(v); }));
}

// What follows the last reading that was asked for.
QStringList AfterLastReading()
{
  const QStringList writes = FakeVisa::writes();
  return writes.mid(writes.lastIndexOf(kReading) + 1);
}

}  // namespace

class TestRunThread : public QObject {
  Q_OBJECT

private slots:
  // The window's configuration lives in a temporary folder, never the user's.
  void initTestCase()
  {
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QVERIFY(FakeVisa::load());
    SetInstrumentSleep([](int) {});
  }

  void init()
  {
    FakeVisa::reset();
    prompts.reset(new PromptRecorder);
    window.reset(new MainWindow);
    probe.reset(new MainWindowProbe(*window));
    window->show();
  }

  void cleanup()
  {
    SetInstrumentSleep([](int) {});
    probe.reset();
    window.reset();
    prompts.reset();
  }

  // The run stops at its next exchange: a continuous pass at the next point
  // (not at the end of its level step), a silent analyzer when its read has
  // failed. The reading in progress is not stored.
  void stopAtTheNextExchange_data()
  {
    QTest::addColumn<bool>("continuous");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("message");
    QTest::newRow("continuous pass") << true << false << QString();
    QTest::newRow("silent analyzer") << false << true << QStringLiteral("Analyzer (IF): Power Measurement Error.");
  }

  void stopAtTheNextExchange()
  {
    QFETCH(bool, continuous);
    QFETCH(bool, silent);
    QFETCH(QString, message);
    Bench(probe->cfg(), 200, 1, 0.007);
    Answers(probe->cfg(), silent ? 2 : 3);
    if (silent)
      FakeVisa::timeoutFor(kAnaAt);
    window->findChild<QCheckBox *>(QStringLiteral("RunCont"))->setChecked(continuous);
    DwellHook stopAtThird(7, 3, [this] { button("Stop")->click(); });
    run("Start");
    QCOMPARE(Finite(probe->cfg().Traces[0][0]), 2);
    QCOMPARE(FakeVisa::writes().count(kReading), 3);
    // Nothing of a next point follows; a stopped pass ends the run in order.
    QVERIFY(AfterLastReading().filter(QStringLiteral("FREQ")).isEmpty());
    if (!silent)
      QCOMPARE(AfterLastReading(), kEndOfRun);
    QCOMPARE(int(probe->curve(0)->dataSize()), 2);
    QCOMPARE(messages(), message.isEmpty() ? QStringList() : QStringList{message});
  }

  // A dwell of 100 s ends when Stop is clicked: the run returns the
  // instruments to local control without storing the unsettled reading.
  void stopEndsALongDwell()
  {
    SetInstrumentSleep({});  // the program's own waits
    Bench(probe->cfg(), 3, 1, 100.0);
    Answers(probe->cfg(), 3);
    QTimer::singleShot(300, button("Stop"), &QPushButton::click);
    run("Start");
    QCOMPARE(Finite(probe->cfg().Traces[0][0]), 0);
    QVERIFY(FakeVisa::writes().count(kReading) <= 1);
    QCOMPARE(FakeVisa::writes().mid(FakeVisa::writes().size() - 3), kEndOfRun);
    QVERIFY(messages().isEmpty());
  }

  // However fast the points arrive, each curve ends equal to its stored row.
  void drawnCurveEqualsStore_data()
  {
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("continuous");
    QTest::addColumn<int>("stopAt");  // dwell at which Stop is clicked, 0 = none
    QTest::addColumn<int>("stored");
    QTest::newRow("single pass, two level steps") << 2 << false << 0 << 1200;
    QTest::newRow("continuous, stopped in the second pass") << 2 << true << 1500 << 1200;
    QTest::newRow("single pass, stopped") << 1 << false << 450 << 449;
  }

  void drawnCurveEqualsStore()
  {
    QFETCH(int, levels);
    QFETCH(bool, continuous);
    QFETCH(int, stopAt);
    QFETCH(int, stored);
    Bench(probe->cfg(), 600, levels, 0.007);
    Answers(probe->cfg(), 2 * 600 * levels);
    window->findChild<QCheckBox *>(QStringLiteral("RunCont"))->setChecked(continuous);
    DwellHook stop(7, stopAt, [this] { button("Stop")->click(); });
    run("Start");
    const CfgStr &cfg = probe->cfg();
    int finite = 0;
    for (int level = 0; level < levels; ++level) {
      const QVector<double> &row = cfg.Traces[0][level];
      QVector<QPointF> expected, drawn;
      for (int i = 0; i < row.size(); ++i) {
        if (std::isfinite(row[i]))
          expected << QPointF(cfg.AnaFreqs[i], row[i]);
      }
      for (size_t i = 0; i < probe->curve(level)->dataSize(); ++i)
        drawn << probe->curve(level)->sample(i);
      QCOMPARE(drawn, expected);
      finite += expected.size();
    }
    QCOMPARE(finite, stored);
    QVERIFY(messages().isEmpty());
  }

private:
  QPushButton *button(const char *name) { return window->findChild<QPushButton *>(QString::fromLatin1(name)); }
  void run(const char *name)
  {
    button(name)->click();
    for (QDeadlineTimer limit(60000); probe->running() && !limit.hasExpired();)
      QTest::qWait(1);
    QVERIFY(!probe->running());
  }
  QStringList messages()
  {
    QStringList lines;
    for (const UserPrompt::Message &m : prompts->messages)
      lines << m.title + QStringLiteral(": ") + m.text;
    return lines;
  }

  QTemporaryDir home;
  std::unique_ptr<PromptRecorder> prompts;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<MainWindowProbe> probe;
};

QTEST_MAIN(TestRunThread)
#include "tst_run_thread.moc"
