// The simulated bench driven directly: how the instrument models answer,
// refuse and keep state, what the devices under test give, and how bench
// files are read.
#include "bench/BenchFile.h"
#include "bench/ResourceName.h"
#include "support/TestPaths.h"

#include <QtTest>
#include <cmath>

namespace {

// A bench of one instrument of the given type at GPIB0::9, a through
// connection and no measurement noise.
struct OneInstrument {
  explicit OneInstrument(int type, const QByteArray &dut = R"({"kind": "through"})") {
    QString error;
    bench = sim::benchFromJson(R"({"noiseDb": 0, "instruments": [{"resource": "GPIB0::9::INSTR", "type": )" +
                                   QByteArray::number(type) + R"(}], "dut": )" + dut + "}",
                               &error);
    if (bench)
      instrument = bench->find("GPIB0::9::INSTR");
  }
  // Sends one message and returns what the instrument answers (taken from
  // its output queue).
  QByteArray send(const QByteArray &message) {
    instrument->receive(message);
    const QByteArray answer = instrument->outputQueue();
    instrument->outputQueue().clear();
    return answer;
  }
  std::unique_ptr<sim::Bench> bench;
  sim::Instrument *instrument = nullptr;
};

}  // namespace

class TstBench : public QObject {
  Q_OBJECT

private slots:
  void identifiesAsSimulated() {
    OneInstrument gen(24);
    QCOMPARE(gen.send("*IDN?"), QByteArray("Solvane Simulated,GEN-24,SIM000009,1.0\n"));
    OneInstrument meter(78);
    QCOMPARE(meter.send("ZV"), QByteArray("Solvane Simulated,PWM-78,SIM000009,1.0\n"));
  }

  void unknownCommandIsQueuedAsErrorAndNotAnswered() {
    OneInstrument gen(24);
    QCOMPARE(gen.send("FREX 1000000.0;*OPC?"), QByteArray());  // the rest of the message is discarded
    QCOMPARE(gen.instrument->errorQueue(), QStringList({"-113,\"Undefined header\""}));
    QCOMPARE(gen.send("*ESR?"), QByteArray("32\n"));  // command error
    QCOMPARE(gen.send("SYST:ERR?"), QByteArray("-113,\"Undefined header\"\n"));
    QCOMPARE(gen.send("SYST:ERR?"), QByteArray("0,\"No error\"\n"));
    QCOMPARE(gen.send("FREQ abc"), QByteArray());
    QCOMPARE(gen.send("FREQ"), QByteArray());
    QCOMPARE(gen.instrument->errorQueue(), QStringList({"-104,\"Data type error\"", "-109,\"Missing parameter\""}));
    QCOMPARE(gen.send("*CLS;SYST:ERR?"), QByteArray("0,\"No error\"\n"));
  }

  void generatorKeepsStateAndRefusesOutOfRange() {
    OneInstrument gen(24);
    QCOMPARE(gen.send("FREQ 1234567890.0;*OPC?"), QByteArray("1\n"));
    QCOMPARE(gen.send("POW -12.5;*OPC?"), QByteArray("1\n"));
    QCOMPARE(gen.send("FREQ?;POW?"), QByteArray("1234567890.00;-12.50\n"));
    QCOMPARE(gen.send("FREQ 50000000000.0;*OPC?"), QByteArray());
    QCOMPARE(gen.send("POW 30"), QByteArray());
    QCOMPARE(gen.instrument->errorQueue(), QStringList({"-222,\"Data out of range\"", "-222,\"Data out of range\""}));
    QCOMPARE(gen.send("FREQ?;POW?"), QByteArray("1234567890.00;-12.50\n"));
    QCOMPARE(gen.send("POW -10.0004;*OPC?;POW?"), QByteArray("1;-10.00\n"));  // 0.01 dB steps
    QCOMPARE(gen.send(":OUTP ON;:OUTP?"), QByteArray("1\n"));
    QCOMPARE(gen.send("*RST;:OUTP?;FREQ?"), QByteArray("0;1000000000.00\n"));
  }

  void generatorSpellingsByType() {
    // Each type takes its own spelling of level and output; the others are unknown.
    OneInstrument four(4);
    QCOMPARE(four.send("POW:POW -10;*OPC?"), QByteArray("1\n"));
    QCOMPARE(four.send("POW -10;*OPC?"), QByteArray());
    OneInstrument ten(10);
    QCOMPARE(ten.send("OUTP1 ON;*OPC?"), QByteArray("1\n"));
    QCOMPARE(ten.send(":OUTP ON;*OPC?"), QByteArray());
    OneInstrument second(25);
    QCOMPARE(second.send("SOUR2:FREQ 2000000.0;*OPC?;SOUR2:FREQ?"), QByteArray("1;2000000.00\n"));
    QCOMPARE(second.send("FREQ 2000000.0;*OPC?"), QByteArray());
    OneInstrument shortSet(12);
    QCOMPARE(shortSet.send("RF 5000000.0"), QByteArray());
    QCOMPARE(shortSet.send("RF?"), QByteArray("RF 5000000.0\n"));
    QCOMPARE(shortSet.send("L -7;*OPC?"), QByteArray("1\n"));
    QCOMPARE(shortSet.send("LEV:ON"), QByteArray());
    QCOMPARE(shortSet.send("L:ON"), QByteArray());  // the spelling of types 15-17 and 29
    QCOMPARE(shortSet.instrument->errorQueue(), QStringList({"-113,\"Undefined header\""}));
  }

  void unreadAnswerIsLostWithQueryInterrupted() {
    OneInstrument gen(24);
    gen.instrument->receive("FREQ?");
    QCOMPARE(gen.instrument->statusByte() & sim::kStbMessageAvailable, sim::kStbMessageAvailable);
    QCOMPARE(gen.send("POW?"), QByteArray("-30.00\n"));
    QCOMPARE(gen.instrument->errorQueue(), QStringList({"-410,\"Query INTERRUPTED\""}));
  }

  void radioTesterNamesItsSignallingAddress() {
    QString error;
    auto bench = sim::benchFromJson(
        R"({"instruments": [{"resource": "GPIB0::20::INSTR", "type": 1, "secondary": 7},
                            {"resource": "GPIB0::21::INSTR", "type": 24}]})",
        &error);
    QVERIFY2(bench, qPrintable(error));
    sim::Instrument *tester = bench->find("GPIB0::20::0::INSTR");
    QVERIFY(tester);
    QCOMPARE(bench->find("GPIB0::20::7::INSTR"), tester);
    QVERIFY(!bench->find("GPIB0::20::30::INSTR"));  // no function there
    QVERIFY(!bench->find("GPIB0::21::3::INSTR"));   // an ordinary instrument has no secondary addresses
    tester->receive("SYST:REM:ADDR:SEC? 6");
    QCOMPARE(tester->outputQueue(), QByteArray("\"\"\n"));
    tester->outputQueue().clear();
    tester->receive("SYST:REM:ADDR:SEC? 7");
    QCOMPARE(tester->outputQueue(), QByteArray("\"RF_NSig\"\n"));
  }

  void twoLetterAnalyzerReportsSweepEndInStatusByte() {
    OneInstrument ana(72);
    for (const char *message : {"CF 1000000.0;*WAI", "SI", "OPR8", "*CLS", "MLN ON"})
      ana.send(message);
    QCOMPARE(ana.instrument->statusByte() & 128, 0);  // cleared by *CLS
    ana.send("SI");
    QCOMPARE(ana.instrument->statusByte() & 128, 128);
    QVERIFY(ana.instrument->errorQueue().isEmpty());
  }

  void receiverSetBReportsWhatItTook() {
    OneInstrument rcv(35);
    QCOMPARE(rcv.send("A 23;A?"), QByteArray("20\n"));     // 10 dB steps
    QCOMPARE(rcv.send("B:I 100000H;B:I?"), QByteArray("120000\n"));
    QCOMPARE(rcv.send("DET PEAK"), QByteArray());
    QCOMPARE(rcv.send("DET P"), QByteArray());  // the short name belongs to the other receivers
    QCOMPARE(rcv.instrument->errorQueue(), QStringList({"-224,\"Illegal parameter value\""}));
  }

  void levelsInDbuvUntilTheUnitIsDbm() {
    OneInstrument rcv(34);
    const double floor = rcv.send("FR 1e+08;LE?").trimmed().toDouble();
    QVERIFY(floor > 0.0);  // noise floor in dBuV
    rcv.send("SPE 20,ON");
    QVERIFY(rcv.send("LE?").trimmed().toDouble() < -50.0);  // the same floor in dBm
  }

  void mixerProducts() {
    QString error;
    auto dut = sim::makeDut(QJsonObject{{"kind", "mixer"}, {"n", 2}, {"lossDb", 6.0}, {"slopeDbPerGHz", 0.0},
                                        {"rippleDb", 0.0}, {"upperSidebandExtraDb", 1.0}, {"loNominalDbm", 7.0},
                                        {"p1dbInDbm", 30.0}, {"loIsolationDb", 40.0}},
                            &error);
    QVERIFY(dut);
    const sim::Tone lo{1.5e9, 7.0};
    const QVector<sim::Tone> out = dut->respond({{1e9, -20.0}}, &lo);
    QCOMPARE(out.size(), 3);
    QCOMPARE(out[0].freqHz, 1.5e9);  // LO leakage
    QCOMPARE(out[0].levelDbm, -33.0);
    QCOMPARE(out[1].freqHz, 0.5e9);  // abs(2 x 1 GHz - 1.5 GHz)
    QVERIFY(std::abs(out[1].levelDbm - -26.0) < 0.01);
    QCOMPARE(out[2].freqHz, 3.5e9);
    QVERIFY(std::abs(out[2].levelDbm - -27.0) < 0.01);
    // An LO 3 dB below its nominal drive costs conversion loss; no LO, no product.
    const sim::Tone weakLo{1.5e9, 4.0};
    QVERIFY(dut->respond({{1e9, -20.0}}, &weakLo)[1].levelDbm < -27.5);
    QVERIFY(dut->respond({{1e9, -20.0}}, nullptr).isEmpty());
  }

  void compressionIsOneDbAtTheCompressionPoint() {
    QVERIFY(std::abs(sim::compressed(10.0, 10.0) - 9.0) < 0.01);
    QVERIFY(std::abs(sim::compressed(-20.0, 10.0) - -20.0) < 0.01);
    QVERIFY(sim::compressed(30.0, 10.0) < 17.0);  // saturated
  }

  void twoPortsAndMultiplier() {
    auto filter = sim::makeDut(QJsonObject{{"kind", "filter"}, {"centerHz", 1e9}, {"bandwidthHz", 1e8},
                                           {"insertionLossDb", 2.0}}, nullptr);
    QVERIFY(std::abs(filter->respond({{1e9, 0.0}}, nullptr)[0].levelDbm - -2.0) < 1e-9);
    QVERIFY(filter->respond({{1.5e9, 0.0}}, nullptr)[0].levelDbm < -40.0);
    auto cable = sim::makeDut(QJsonObject{{"kind", "cable"}}, nullptr);
    QVERIFY(cable->respond({{4e9, 0.0}}, nullptr)[0].levelDbm < cable->respond({{1e9, 0.0}}, nullptr)[0].levelDbm);
    auto multiplier = sim::makeDut(QJsonObject{{"kind", "multiplier"}, {"n", 3}}, nullptr);
    QCOMPARE(multiplier->respond({{1e9, 0.0}}, nullptr)[0].freqHz, 3e9);
  }

  void badBenchFiles_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    QTest::newRow("not json") << QByteArray("{") << "not a JSON object";
    QTest::newRow("type") << QByteArray(R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 31}]})")
                          << "GPIB0::1::INSTR: no simulated instrument of type 31";
    QTest::newRow("port") << QByteArray(R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 24, "port": "if"}]})")
                          << "GPIB0::1::INSTR: port must be \"rf\" or \"lo\"";
    QTest::newRow("twice") << QByteArray(R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 24},
                                                             {"resource": "gpib::1::instr", "type": 59}]})")
                           << "gpib::1::instr: two instruments at one address";
    QTest::newRow("dut") << QByteArray(R"({"dut": {"kind": "antenna"}})") << "unknown device kind \"antenna\"";
  }
  void badBenchFiles() {
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    QString got;
    QVERIFY(!sim::benchFromJson(json, &got));
    QVERIFY2(got.startsWith(error), qPrintable(got));
  }

  void defaultBenchMatchesTheProgramDefaults() {
    QString error;
    auto bench = sim::loadBench("default", &error);
    QVERIFY2(bench, qPrintable(error));
    QCOMPARE(bench->find("GPIB0::28::INSTR")->type(), 24);
    QCOMPARE(bench->find("GPIB0::20::INSTR")->type(), 59);
    QCOMPARE(bench->find("USB::0x1209::0x3::100028")->type(), 75);
    QVERIFY(bench->find("GPIB0::28::INSTR")->latencyMs > 0);
    QVERIFY(!sim::loadBench("/nonexistent/bench.json", &error));
    QVERIFY(error.startsWith("/nonexistent/bench.json: "));
  }

  void mixerBenchFileLoads() {
    QString error;
    auto bench = sim::loadBench(sourceDir() + "/bench/mixer-bench.json", &error);
    QVERIFY2(bench, qPrintable(error));
    QCOMPARE(bench->name, QString("mixer"));
    QCOMPARE(bench->find("GPIB0::27::INSTR")->type(), 24);
  }

  void resourceNames_data() {
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("instrument");
    QTest::addColumn<int>("secondary");
    QTest::newRow("gpib") << "GPIB0::20::INSTR" << "GPIB0::20" << -1;
    QTest::newRow("gpib board default") << "gpib::20::instr" << "GPIB0::20" << -1;
    QTest::newRow("secondary") << "GPIB1::20::7::INSTR" << "GPIB1::20" << 7;
    QTest::newRow("serial") << "ASRL2::INSTR" << "ASRL2" << -1;
    QTest::newRow("lan") << "TCPIP::192.168.0.1::INSTR" << "TCPIP0::192.168.0.1" << -1;
    QTest::newRow("usb") << "USB::0x1209::0x001A::17" << "USB0::0x1209::0x1a::17" << -1;
    QTest::newRow("garbage") << "GPIB0:20" << "" << -1;
  }
  void resourceNames() {
    QFETCH(QString, resource);
    QFETCH(QString, instrument);
    QFETCH(int, secondary);
    const sim::ResourceName name = sim::parseResourceName(resource);
    QCOMPARE(name.instrument, instrument);
    QCOMPARE(name.secondary, secondary);
    QCOMPARE(name.valid, !instrument.isEmpty());
  }
};

QTEST_GUILESS_MAIN(TstBench)
#include "tst_bench.moc"
