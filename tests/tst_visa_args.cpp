// libsolvisa given hostile arguments, and sessions that must not wait for
// each other: a huge read count, a huge or missing write buffer, a find
// without a list, a silent instrument beside a talkative one.
#include "instruments/VisaFunctions.h"
#include "support/TestPaths.h"

#include <QElapsedTimer>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#define VI(name) reinterpret_cast<decltype(&name)>(solvisa().resolve(#name))

namespace {

QLibrary &solvisa() {
  static QLibrary lib(binDir() + "/libsolvisa.so");
  return lib;
}

ViSession open(ViSession rm, const char *resource) {
  ViSession vi = 0;
  return VI(viOpen)(rm, resource, VI_NO_LOCK, 0, &vi) == VI_SUCCESS ? vi : 0;
}

ViStatus write(ViSession vi, const char *text) {
  ViUInt32 n = 0;
  return VI(viWrite)(vi, reinterpret_cast<ViConstBuf>(text), ViUInt32(strlen(text)), &n);
}

}  // namespace

class TstVisaArgs : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  ViSession rm = 0;
  ViSession gen = 0;
  ViSession ana = 0;

private slots:
  void initTestCase() {
    QFile bench(dir.filePath("bench.json"));
    QVERIFY(bench.open(QIODevice::WriteOnly));
    bench.write(R"({"timeoutMs": 800, "instruments": [{"resource": "GPIB0::28::INSTR", "type": 24},
                   {"resource": "GPIB0::20::INSTR", "type": 59}]})");
    bench.close();
    qputenv("SOLVISA_BENCH", bench.fileName().toLocal8Bit());
    QVERIFY(solvisa().load());
    QCOMPARE(VI(viOpenDefaultRM)(&rm), VI_SUCCESS);
    gen = open(rm, "GPIB0::28::INSTR");
    ana = open(rm, "GPIB0::20::INSTR");
    QVERIFY(gen && ana);
  }

  void aReadCountPastTwoGigabytesReadsWhatThereIs() {
    QCOMPARE(write(gen, "*IDN?\n"), VI_SUCCESS);
    char buffer[128] = {};
    ViUInt32 got = 0;
    QCOMPARE(VI(viRead)(gen, reinterpret_cast<ViBuf>(buffer), 0x80000000u, &got), VI_SUCCESS);
    QVERIFY(got > 10 && got < sizeof buffer);
    QVERIFY(QByteArray(buffer, int(got)).endsWith('\n'));
  }

  void badWriteArgumentsAreRefused_data() {
    QTest::addColumn<bool>("nullBuffer");
    QTest::addColumn<quint32>("count");
    QTest::addColumn<int>("status");
    QTest::newRow("no buffer") << true << 5u << int(VI_ERROR_USER_BUF);
    QTest::newRow("2^31 bytes") << false << 0x80000000u << int(VI_ERROR_INV_PARAMETER);
    QTest::newRow("2^32 - 1 bytes") << false << 0xFFFFFFFFu << int(VI_ERROR_INV_PARAMETER);
  }
  void badWriteArgumentsAreRefused() {
    QFETCH(bool, nullBuffer);
    QFETCH(quint32, count);
    QFETCH(int, status);
    const ViByte bytes[8] = {'*', 'R', 'S', 'T', '\n'};
    ViUInt32 written = 77;
    QCOMPARE(VI(viWrite)(gen, nullBuffer ? nullptr : bytes, count, &written), ViStatus(status));
    QCOMPARE(written, 0u);
    ViByte buffer[16];
    QCOMPARE(VI(viRead)(gen, nullptr, sizeof buffer, &written), VI_ERROR_USER_BUF);
  }

  void findWithoutAListKeepsNone() {
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    ViFindList first = 0, second = 0;
    QCOMPARE(VI(viFindRsrc)(rm, "GPIB?*", &first, &count, desc), VI_SUCCESS);
    QCOMPARE(VI(viFindRsrc)(rm, "GPIB?*", nullptr, &count, desc), VI_SUCCESS);
    QCOMPARE(VI(viFindRsrc)(rm, "GPIB?*", &second, &count, desc), VI_SUCCESS);
    QCOMPARE(second, first + 1);  // the call without a list made none
    QCOMPARE(VI(viClose)(first), VI_SUCCESS);
    QCOMPARE(VI(viClose)(second), VI_SUCCESS);
  }

  void aSilentInstrumentHoldsUpNoOtherSession() {
    // The analyzer has nothing to say: its read waits the bench's 800 ms.
    std::thread silent([this] {
      char buffer[16];
      ViUInt32 got = 0;
      VI(viRead)(ana, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got);
    });
    QThread::msleep(50);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(write(gen, "*IDN?\n"), VI_SUCCESS);
    char buffer[128];
    ViUInt32 got = 0;
    QCOMPARE(VI(viRead)(gen, reinterpret_cast<ViBuf>(buffer), sizeof buffer, &got), VI_SUCCESS);
    const qint64 waited = clock.elapsed();
    silent.join();
    QVERIFY2(waited < 400, qPrintable(QString("the generator waited %1 ms").arg(waited)));
  }
};

QTEST_GUILESS_MAIN(TstVisaArgs)
#include "tst_visa_args.moc"
