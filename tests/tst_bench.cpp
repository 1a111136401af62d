// The simulated bench driven directly: how the instrument models answer,
// refuse and keep state, what the devices under test give, and how bench
// files are read.
#include "bench/BenchFile.h"
#include "bench/ResourceName.h"
#include "support/TestPaths.h"

#include <QtTest>
#include <cmath>
#include <utility>

namespace {

// A bench of one instrument of the given type at GPIB0::9, a through
// connection and no measurement noise.
struct OneInstrument {
  explicit OneInstrument(int type) {
    QString error;
    bench = sim::benchFromJson(R"({"noiseDb": 0, "dut": {"kind": "through"}, "instruments": [
        {"resource": "GPIB0::9::INSTR", "type": )" + QByteArray::number(type) + "}]}", &error);
    instrument = bench->find("GPIB0::9::INSTR");
  }
  // Sends one message and takes what the instrument answers from its output queue.
  QByteArray send(const QByteArray &message) {
    instrument->receive(message);
    return std::exchange(instrument->outputQueue(), QByteArray());
  }
  std::unique_ptr<sim::Bench> bench;
  sim::Instrument *instrument = nullptr;
};

bool near(double a, double b) { return std::abs(a - b) < 0.01; }

}  // namespace

class TstBench : public QObject {
  Q_OBJECT

private slots:
  // Each exchange is "message => answer" (no answer: nothing to read); the
  // error queue is compared at the end.
  void conversations_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("exchanges");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("power meter identifies") << 78 << QStringList{"ZV => Solvane Simulated,PWM-78,SIM000009,1.0"}
                                            << QStringList();
    QTest::newRow("unknown header, no answer, the rest discarded")
        << 24
        << QStringList{"FREX 1000000.0;*OPC? => ", "*ESR? => 32", "SYST:ERR? => -113,\"Undefined header\"",
                       "SYST:ERR? => 0,\"No error\"", "FREQ abc => ", "FREQ => ",
                       "FREQ 1000O0000.0;*OPC? => ", "FREQ 100000000.0,*OPC? => "}
        << QStringList{"-104,\"Data type error\"", "-109,\"Missing parameter\"", "-104,\"Data type error\"",
                       "-104,\"Data type error\""};
    QTest::newRow("*CLS empties the queue") << 24 << QStringList{"FREQ abc => ", "*CLS;SYST:ERR? => 0,\"No error\""}
                                            << QStringList();
    QTest::newRow("generator keeps state and refuses out of range")
        << 24
        << QStringList{"FREQ 1234567890.0;*OPC? => 1", "POW -12.5;*OPC? => 1", "FREQ?;POW? => 1234567890.00;-12.50",
                       "FREQ 50000000000.0;*OPC? => ", "POW 30 => ", "FREQ?;POW? => 1234567890.00;-12.50",
                       "POW -10.0004;*OPC?;POW? => 1;-10.00",  // 0.01 dB steps
                       ":OUTP ON;:OUTP? => 1", "*RST;:OUTP?;FREQ? => 0;1000000000.00"}
        << QStringList{"-222,\"Data out of range\"", "-222,\"Data out of range\""};
    // Each type takes its own spelling (the program's, proven end to end in
    // tst_solvisa); the others are unknown.
    QTest::newRow("type 4 level") << 4 << QStringList{"POW:POW -10;*OPC? => 1", "POW -10;*OPC? => "}
                                  << QStringList{"-113,\"Undefined header\""};
    QTest::newRow("short commands")  // "L:ON" is the spelling of types 15-17 and 29
        << 12 << QStringList{"RF 5000000.0 => ", "RF? => RF 5000000.0", "L -7;*OPC? => 1", "LEV:ON => ", "L:ON => "}
        << QStringList{"-113,\"Undefined header\""};
    QTest::newRow("receiver set B reports what it took")  // "DET P" belongs to the other receivers
        << 35 << QStringList{"A 23;A? => 20", "B:I 100000H;B:I? => 120000", "DET PEAK => ", "DET P => "}
        << QStringList{"-224,\"Illegal parameter value\""};
  }
  void conversations() {
    QFETCH(int, type);
    QFETCH(QStringList, exchanges);
    QFETCH(QStringList, errors);
    OneInstrument one(type);
    for (const QString &exchange : exchanges) {
      const QByteArray answer = exchange.section(" => ", 1).toLatin1();
      QCOMPARE(one.send(exchange.section(" => ", 0, 0).toLatin1()), answer.isEmpty() ? answer : answer + '\n');
    }
    QCOMPARE(one.instrument->errorQueue(), errors);
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
    auto bench = sim::benchFromJson(R"({"instruments": [{"resource": "GPIB0::20::INSTR", "type": 1, "secondary": 7},
                                                        {"resource": "GPIB0::21::INSTR", "type": 24}]})", &error);
    QVERIFY2(bench, qPrintable(error));
    sim::Instrument *tester = bench->find("GPIB0::20::0::INSTR");
    QVERIFY(tester);
    QCOMPARE(bench->find("GPIB0::20::7::INSTR"), tester);
    QVERIFY(!bench->find("GPIB0::20::30::INSTR"));  // no function there
    QVERIFY(!bench->find("GPIB0::21::3::INSTR"));   // an ordinary instrument has no secondary addresses
    tester->receive("SYST:REM:ADDR:SEC? 6;SYST:REM:ADDR:SEC? 7");
    QCOMPARE(tester->outputQueue(), QByteArray("\"\";\"RF_NSig\"\n"));
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

  void levelsInDbuvUntilTheUnitIsDbm() {
    OneInstrument rcv(34);
    QVERIFY(rcv.send("FR 1e+08;LE?").trimmed().toDouble() > 0.0);  // noise floor in dBuV
    rcv.send("SPE 20,ON");
    QVERIFY(rcv.send("LE?").trimmed().toDouble() < -50.0);  // the same floor in dBm
  }

  void devicesUnderTest() {
    QString error;
    auto mixer = sim::makeDut(QJsonObject{{"kind", "mixer"}, {"n", 2}, {"lossDb", 6.0}, {"slopeDbPerGHz", 0.0},
                                          {"rippleDb", 0.0}, {"upperSidebandExtraDb", 1.0}, {"loNominalDbm", 7.0},
                                          {"p1dbInDbm", 30.0}, {"loIsolationDb", 40.0}}, &error);
    QVERIFY2(mixer, qPrintable(error));
    const sim::Tone lo{1.5e9, 7.0}, weakLo{1.5e9, 4.0};
    const QVector<sim::Tone> out = mixer->respond({{1e9, -20.0}}, &lo);
    QCOMPARE(out.size(), 3);
    QVERIFY(out[0].freqHz == 1.5e9 && out[0].levelDbm == -33.0);     // LO leakage
    QVERIFY(out[1].freqHz == 0.5e9 && near(out[1].levelDbm, -26.0));  // abs(2 x 1 GHz - 1.5 GHz)
    QVERIFY(out[2].freqHz == 3.5e9 && near(out[2].levelDbm, -27.0));
    // An LO 3 dB below its nominal drive costs conversion loss; no LO, no product.
    QVERIFY(mixer->respond({{1e9, -20.0}}, &weakLo)[1].levelDbm < -27.5);
    QVERIFY(mixer->respond({{1e9, -20.0}}, nullptr).isEmpty());

    QVERIFY(near(sim::compressed(10.0, 10.0), 9.0) && near(sim::compressed(-20.0, 10.0), -20.0));
    QVERIFY(sim::compressed(30.0, 10.0) < 17.0);  // saturated

    // The filter's skirts and the cable's slope show in tst_solvisa's sweeps.
    auto filter = sim::makeDut(QJsonObject{{"kind", "filter"}, {"centerHz", 1e9}, {"insertionLossDb", 2.0}}, &error);
    QVERIFY(near(filter->respond({{1e9, 0.0}}, nullptr)[0].levelDbm, -2.0));
    auto multiplier = sim::makeDut(QJsonObject{{"kind", "multiplier"}, {"n", 3}}, &error);
    QCOMPARE(multiplier->respond({{1e9, 0.0}}, nullptr)[0].freqHz, 3e9);
  }

  void badBenchFiles() {
    const QPair<QByteArray, QString> rows[] = {
        {"{", "not a JSON object"},
        {R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 31}]})",
         "GPIB0::1::INSTR: no simulated instrument of type 31"},
        {R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 24, "port": "if"}]})",
         "GPIB0::1::INSTR: port must be \"rf\" or \"lo\""},
        {R"({"instruments": [{"resource": "GPIB0::1::INSTR", "type": 24}, {"resource": "gpib::1::instr", "type": 59}]})",
         "gpib::1::instr: two instruments at one address"},
        {R"({"dut": {"kind": "antenna"}})", "unknown device kind \"antenna\""}};
    for (const auto &row : rows) {
      QString got;
      QVERIFY(!sim::benchFromJson(row.first, &got));
      QVERIFY2(got.startsWith(row.second), qPrintable(got));
    }
  }

  void benchFiles() {
    QString error;
    auto bench = sim::loadBench("default", &error);  // matches the program's default settings
    QVERIFY2(bench, qPrintable(error));
    QCOMPARE(bench->find("GPIB0::28::INSTR")->type(), 24);
    QCOMPARE(bench->find("GPIB0::20::INSTR")->type(), 59);
    QCOMPARE(bench->find("USB::0x1209::0x3::100028")->type(), 75);
    QVERIFY(bench->find("GPIB0::28::INSTR")->latencyMs > 0);
    bench = sim::loadBench(sourceDir() + "/bench/mixer-bench.json", &error);
    QVERIFY2(bench, qPrintable(error));
    QCOMPARE(bench->name, QString("mixer"));
    QCOMPARE(bench->find("GPIB0::27::INSTR")->type(), 24);
    QVERIFY(!sim::loadBench("/nonexistent/bench.json", &error));
    QVERIFY(error.startsWith("/nonexistent/bench.json: "));
  }

  void resourceNames() {
    const struct { const char *resource, *instrument; int secondary; } rows[] = {
        {"GPIB0::20::INSTR", "GPIB0::20", -1}, {"gpib::20::instr", "GPIB0::20", -1},  // board 0 by default
        {"GPIB1::20::7::INSTR", "GPIB1::20", 7}, {"ASRL2::INSTR", "ASRL2", -1},
        {"TCPIP::192.168.0.1::INSTR", "TCPIP0::192.168.0.1", -1},
        {"USB::0x1209::0x001A::17", "USB0::0x1209::0x1a::17", -1},
        {"GPIB0:20", "", -1}};
    for (const auto &row : rows) {
      const sim::ResourceName name = sim::parseResourceName(row.resource);
      QCOMPARE(QString("%1 %2 %3").arg(name.instrument).arg(name.secondary).arg(name.valid),
               QString("%1 %2 %3").arg(row.instrument).arg(row.secondary).arg(*row.instrument != 0));
    }
  }
};

QTEST_GUILESS_MAIN(TstBench)
#include "tst_bench.moc"
