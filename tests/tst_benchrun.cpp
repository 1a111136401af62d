// What a new lab user gets with the project's own VISA library, found as the
// program finds it (no variable names the library): the reason when no
// instrument can be reached, the manual's mixer example on mixer-bench.json
// through the Devices and Sweep dialogs and the sweep engine, and Meter Zero
// on the simulated meters.
#include "app/MainWindow.h"
#include "dialogs/DevWindow.h"
#include "dialogs/SwpWindow.h"
#include "instruments/Measure.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "support/HeadlessObserver.h"
#include "support/PromptRecorder.h"
#include "support/SleepRecorder.h"
#include "support/TestPaths.h"
#include "support/WidgetState.h"
#include "sweep/SweepEngine.h"
#include "sweep/TraceStore.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Names a bench in SOLVISA_BENCH; answers come at once, so the suite stays fast.
void UseBench(QByteArray json, QTemporaryDir &dir)
{
  json.replace("\"latencyMs\": 25", "\"latencyMs\": 0");
  QVERIFY(WriteAll(dir.filePath("bench.json"), json));
  qputenv("SOLVISA_BENCH", dir.filePath("bench.json").toLocal8Bit());
}

void Edit(QWidget &dialog, const char *name, double value)
{
  auto *box = W<QDoubleSpinBox>(dialog, name);
  box->setValue(value);
  emit box->editingFinished();
}

}  // namespace

class TstBenchRun : public QObject {
  Q_OBJECT

private slots:
  // No bench and no GPIB driver: the program still loads its own library,
  // and Start says why nothing answers.
  void noInstrumentReachable()
  {
    qunsetenv("SOLVISA_BENCH");
    PromptRecorder prompts;
    MainWindow window;
    W<QPushButton>(window, "Start")->click();
    QTRY_COMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].kind, UserPrompt::Kind::Warning);
    QCOMPARE(prompts.messages[0].title, QStringLiteral("Generator1 (RF)"));
    QCOMPARE(prompts.messages[0].text,
             "Initialization Error.\n\nThe VISA library " + binDir() +
                 "/libsolvisa.so finds no GPIB0 instrument on this computer. Check that the driver of the GPIB0 "
                 "interface is installed and that the instrument is connected and on.");
  }

  // The manual's example: generator 2 from None to GEN-24 at address 27, RF
  // 100 to 1000 MHz in 10 MHz steps at -10 dBm, LO fixed at 1100 MHz and
  // +7 dBm, lower sideband, 3 dB attenuation, 0.05 s dwell.
  void manualMixerExample()
  {
    QTemporaryDir dir;
    UseBench(ReadAll(sourceDir() + "/bench/mixer-bench.json"), dir);
    QVERIFY(VisaLoad());
    PromptRecorder prompts;
    CfgStr cfg;
    cfg.Gen1.GpibAddress = 28;
    cfg.Gen1.Type = cfg.Gen2.Type = 24;
    cfg.Ana.Type = 59;
    cfg.Ana.GpibAddress = 20;
    cfg.Gen2.StartFreq = cfg.Gen2.StopFreq = 500.0;
    {
      cfg.Gen2.Type = 0;
      DevWindow devices(&cfg);  // generator 2 "None" clears its range
      Choose(devices, "G2Typ", 24);
      W<QSpinBox>(devices, "G2Pad")->setValue(27);
      W<QDialogButtonBox>(devices, "DevWindowOk")->button(QDialogButtonBox::Ok)->click();
    }
    {
      SwpWindow sweep(&cfg);
      Edit(sweep, "G1FMin", 100.0);
      Edit(sweep, "G1FMax", 1000.0);
      W<QDoubleSpinBox>(sweep, "FSte")->setValue(10.0);
      Edit(sweep, "G1LMin", -10.0);
      Edit(sweep, "G2FMin", 1100.0);
      Edit(sweep, "G2LMin", 7.0);
      W<QSlider>(sweep, "FxdLo")->setValue(1);
      W<QSlider>(sweep, "Usb")->setValue(0);
      Edit(sweep, "AnAtt", 3.0);
      QCOMPARE(W<QDoubleSpinBox>(sweep, "AnFMin")->value(), 1000.0);
      QCOMPARE(W<QDoubleSpinBox>(sweep, "AnFMax")->value(), 100.0);
      W<QDialogButtonBox>(sweep, "dlgSwpOk")->button(QDialogButtonBox::Ok)->click();
    }
    cfg.Dwell = 0.05;
    cfg.TraceCount = 1;
    AllocTrc(cfg);
    SleepRecorder sleeps;
    Headless quiet;
    QCOMPARE(int(SweepEngine(cfg, quiet).run(false).outcome), int(SwpOutcome::Completed));
    QVERIFY(prompts.messages.isEmpty());
    // The simulated mixer gives its IF only with the LO the dialogs set.
    QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(cfg.Gen2.GpibAddress).arg(cfg.Gen2.StartFreq).arg(cfg.Gen2.StartLevel)
                 .arg(cfg.FixedLo),
             QStringLiteral("27 1100 7 1"));
    QCOMPARE(cfg.PointCount, 91);
    // About 6.5 dB conversion loss, minus the 3 dB pad the attenuation stands for; the
    // simulated analyzer finds the IF only at the frequencies the dialogs planned.
    for (double level : cfg.Traces[0][0])
      QVERIFY2(level > -14.0 && level < -12.0, qPrintable(QString::number(level)));
  }

  // Each simulated meter reads its zero offset (1 nW, -60 dBm) without a
  // signal until Meter Zero removes it.
  void simulatedMeterZero()
  {
    QTemporaryDir dir;
    UseBench(R"({"noiseDb": 0, "dut": {"kind": "through"}, "instruments": [
        {"resource": "GPIB0::13::INSTR", "type": 73}, {"resource": "GPIB0::17::INSTR", "type": 77},
        {"resource": "GPIB0::18::INSTR", "type": 78},
        {"resource": "USB::0x1209::0x3::100028", "type": 75}]})",
             dir);
    QVERIFY(VisaLoad() && PwuLoad(binDir() + "/vxipnp/Win64/Bin/"));
    for (int type : {73, 77, 78, 75}) {
      PromptRecorder prompts;
      CfgStr cfg;
      cfg.SensorDriverLoaded = true;
      cfg.Ana.Type = type;
      cfg.Ana.GpibAddress = type - 60;
      cfg.Ana.Interface = type == 75 ? 4 : 0;
      cfg.Ana.ProductId = 3;
      cfg.Ana.SerialNo = 100028;
      QCOMPARE(DevOpen(cfg.Ana), VI_SUCCESS);
      double before = 0.0, after = 0.0;
      QCOMPARE(AnaMeasure(cfg.Ana.Session, type, 50e6, before, 0.0, 0.0, 1), VI_SUCCESS);
      DevWindow devices(&cfg);
      W<QPushButton>(devices, "AnAZero")->click();
      QCOMPARE(AnaMeasure(cfg.Ana.Session, type, 50e6, after, 0.0, 0.0, 1), VI_SUCCESS);
      QVERIFY2(before > -61.0 && after < -69.0,
               qPrintable(QStringLiteral("%1: %2 %3").arg(type).arg(before).arg(after)));
      DevClose(cfg.Ana);
    }
  }
};

int main(int argc, char *argv[])
{
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  qunsetenv("VXIPNPPATH64");
  qunsetenv("SOLVANE_VISA_LIBRARY");
  QApplication app(argc, argv);
  TstBenchRun suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tst_benchrun.moc"
