// The VISA layer below the instruments. Loading of the two run-time
// libraries: the VISA search order, a missing or incomplete library, an
// instrument layer that fails cleanly without one, and at start-up the fallback
// of the analyzer from the USB power sensor to the power meter. USBTMC framing
// against a fake USB pipe: the bulk headers of a message and of a read request,
// END as EOM, replies split over transfers, broken or oversized replies, the
// status byte and device clear as class requests.
#include "support/FakePwu.h"
#include "support/FakeVisa.h"
#include "support/TestPaths.h"
#include "instruments/LibStartup.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"
#include "instruments/VisaLibrary.h"
#include "visa/UsbtmcTransport.h"

#include <QtTest>

namespace {

// What start-up found, as "VISA sensor-driver analyzer-type changed", each flag 0 or 1.
QString found(const LibStartup &libs) {
  return QString("%1 %2 %3 %4").arg(libs.VisaLoaded).arg(libs.SensorDriverLoaded).arg(libs.AnaType)
      .arg(libs.AnaTypeChanged);
}

using Bytes = QByteArray;
using Transfers = QList<Bytes>;

// Copies the next of transfers into data, cut to size; nothing when none is left.
int handOut(Transfers &transfers, unsigned char *data, int size) {
  const Bytes next = transfers.isEmpty() ? Bytes() : transfers.takeFirst();
  const int n = std::min(size, int(next.size()));
  memcpy(data, next.constData(), size_t(n));
  return n;
}

class FakePipe : public UsbPipe {
public:
  Transfers out;             // bulk-out transfers, in order
  Transfers in;              // bulk-in transfers to hand out; none left: timeout
  QList<QString> requests;   // class requests as "request value"
  Transfers answers;         // their data

  int bulkOut(const unsigned char *data, int size, int) override {
    out << Bytes(reinterpret_cast<const char *>(data), size);
    return size;
  }
  int bulkIn(unsigned char *data, int size, int) override {
    return in.isEmpty() ? kUsbTimeout : handOut(in, data, size);
  }
  int classRequest(bool, uint8_t request, uint16_t value, unsigned char *data, uint16_t length, int) override {
    requests << QString("%1 %2").arg(request).arg(value);
    return handOut(answers, data, length);
  }
};

// A bulk-in reply: header for tag, payload, EOM as asked.
Bytes reply(uint8_t tag, const Bytes &payload, bool eom, int claimed = -1) {
  const int size = claimed < 0 ? int(payload.size()) : claimed;
  Bytes header = Bytes::fromHex("02") + char(tag) + char(~tag) + '\0';
  for (int i = 0; i < 4; ++i)
    header += char((size >> (8 * i)) & 0xFF);
  header += char(eom ? 1 : 0) + Bytes(3, '\0');
  return header + payload;
}

}  // namespace

class TstVisaLayer : public QObject {
  Q_OBJECT

  FakePipe *pipe = nullptr;  // owned by usb
  std::unique_ptr<UsbtmcTransport> usb;
  IoSettings io;

private slots:
  void init() {
    pipe = new FakePipe;
    usb = std::make_unique<UsbtmcTransport>(std::unique_ptr<UsbPipe>(pipe));
    io = IoSettings();
  }

  void searchOrderAndDriverFolder() {
    qputenv("SOLVANE_VISA_LIBRARY", "/opt/lab/libmyvisa.so");
    const QString appDir = QCoreApplication::applicationDirPath();
    QCOMPARE(VisaCandidates(), QStringList({"/opt/lab/libmyvisa.so", "libvisa.so", appDir + "/libsolvisa.so",
                                            appDir + "/../lib/solvane/libsolvisa.so"}));
    qunsetenv("SOLVANE_VISA_LIBRARY");
    QCOMPARE(VisaCandidates().first(), QString("libvisa.so"));

    qunsetenv("VXIPNPPATH64");
    QCOMPARE(VxiFolder(), QString("Win64/Bin/"));
    qputenv("VXIPNPPATH64", "/opt/vxipnp/");  // without the separator in startupSensorFallback
    QCOMPARE(VxiFolder(), QString("/opt/vxipnp/Win64/Bin/"));
  }

  // Runs before any library is loaded in this process. A library that lacks
  // one entry point is refused, and no later candidate is taken in its place.
  void withoutLibraryEverythingFails() {
    QVERIFY(!VisaLoadFrom({binDir() + "/no-such-visa.so"}));
    QVERIFY(!VisaLoadFrom({FakeVisa::incompleteLibraryPath(), FakeVisa::libraryPath()}));
    QCOMPARE(VisaLibraryPath(), QString());
    FakeVisa::reset();  // the fake is reachable by the test, not by the program
    DevStr dev;
    dev.Type = 24;
    dev.Reset = true;
    dev.QueryIdn = true;
    dev.Idn = "old";
    QCOMPARE(DevOpen(dev), VI_ERROR_LIBRARY_NFOUND);
    QCOMPARE(dev.Session, 0u);
    QCOMPARE(dev.Idn, QString("old"));
    dev.Type = 1;
    QCOMPARE(DevOpen(dev), VI_ERROR_LIBRARY_NFOUND);
    dev.Session = 3;
    QString reply = "old";
    double value = 1.0;
    ViUInt16 stb = 1;
    const QList<ViStatus> statuses = {DevLocal(dev), DevClose(dev), VisaWrite(3, "*RST\n"),
                                      VisaQuery(3, "*IDN?\n", reply), VisaReadNum(3, value), VisaReadStb(3, stb)};
    QCOMPARE(statuses, QVector<ViStatus>(6, VI_ERROR_LIBRARY_NFOUND).toList());
    QCOMPARE(reply, QString("old"));
    QCOMPARE(FakeVisa::transcript(), QStringList());
  }

  void missingCandidatesAreSkipped() {
    QVERIFY(VisaLoadFrom({binDir() + "/no-such-visa.so", FakeVisa::libraryPath()}));
    QCOMPARE(VisaLibraryPath(), FakeVisa::libraryPath());
    // The table is filled once and stays.
    QVERIFY(VisaLoadFrom({FakeVisa::incompleteLibraryPath()}));
    QCOMPARE(VisaLibraryPath(), FakeVisa::libraryPath());
    FakeVisa::reset();
    QCOMPARE(VisaWrite(1, "*CLS\n"), VI_SUCCESS);
    QCOMPARE(FakeVisa::transcript(), QStringList({"viWrite 1 \"*CLS\\n\""}));
  }

  void startupSensorFallback() {
    const QTemporaryDir vxi;
    qputenv("VXIPNPPATH64", vxi.path().toLocal8Bit());
    const LibStartup libs = LoadLibs(75);
    QCOMPARE(found(libs), QString("1 0 73 1"));
    QCOMPARE(libs.VxiPath, vxi.path() + "/Win64/Bin/");
    QCOMPARE(found(LoadLibs(40)), QString("1 0 40 0"));

    QVERIFY(QDir().mkpath(vxi.path() + "/Win64/Bin"));
    QVERIFY(QFile::link(FakePwu::folder() + "libpwudrv_64.so", vxi.path() + "/Win64/Bin/libpwudrv_64.so"));
    QCOMPARE(found(LoadLibs(75)), QString("1 1 75 0"));
    QCOMPARE(PwuLibraryPath(), vxi.path() + "/Win64/Bin/libpwudrv_64.so");
  }

  void aMessageGoesOutFramedAndPadded() {
    size_t written = 0;
    QCOMPARE(usb->write(reinterpret_cast<const ViByte *>("*IDN?\n"), 6, io, written), VI_SUCCESS);
    io.sendEnd = false;
    QCOMPARE(usb->write(reinterpret_cast<const ViByte *>("FREQ"), 4, io, written), VI_SUCCESS);
    QCOMPARE(pipe->out[0].toHex(' '), Bytes("01 01 fe 00 06 00 00 00 01 00 00 00 2a 49 44 4e 3f 0a 00 00"));
    QCOMPARE(pipe->out[1].toHex(' '), Bytes("01 02 fd 00 04 00 00 00 00 00 00 00 46 52 45 51"));
  }

  void readsFollowTheReplies_data() {
    QTest::addColumn<Transfers>("replies");
    QTest::addColumn<ViStatus>("status");
    QTest::addColumn<Bytes>("received");
    QTest::newRow("one reply with EOM") << Transfers{reply(1, "1.5E+06\n", true)} << VI_SUCCESS << Bytes("1.5E+06\n");
    QTest::newRow("two transfers") << Transfers{reply(1, "1.5", false), reply(2, "E+06\n", true)} << VI_SUCCESS
                                   << Bytes("1.5E+06\n");
    QTest::newRow("buffer full") << Transfers{reply(1, Bytes(16, 'x'), false)} << VI_SUCCESS_MAX_CNT << Bytes(16, 'x');
    QTest::newRow("another tag") << Transfers{reply(9, "0\n", true)} << VI_ERROR_IO << Bytes();
    QTest::newRow("more than asked for") << Transfers{reply(1, "0\n", true, 4096)} << VI_ERROR_IO << Bytes();
    QTest::newRow("header cut short") << Transfers{Bytes::fromHex("0201fe00")} << VI_ERROR_IO << Bytes();
    QTest::newRow("no reply") << Transfers{} << VI_ERROR_TMO << Bytes();
  }
  void readsFollowTheReplies() {
    QFETCH(Transfers, replies);
    QFETCH(ViStatus, status);
    QFETCH(Bytes, received);
    pipe->in = replies;
    io.termCharEnabled = true;
    ViByte buffer[16];
    size_t got = 0;
    QCOMPARE(usb->read(buffer, sizeof buffer, io, got), status);
    QCOMPARE(Bytes(reinterpret_cast<const char *>(buffer), int(got)), received);
    // The request asks for what fits, with the termination character.
    QCOMPARE(pipe->out[0].toHex(' '), Bytes("02 01 fe 00 10 00 00 00 02 0a 00 00"));
  }

  void statusByteAndClearAreClassRequests() {
    pipe->answers = {Bytes::fromHex("010250"), Bytes::fromHex("01"), Bytes::fromHex("0200"), Bytes::fromHex("0100")};
    ViUInt16 stb = 0;
    QCOMPARE(usb->readStb(stb, io), VI_SUCCESS);
    QCOMPARE(stb, ViUInt16(0x50));
    QCOMPARE(usb->clear(io), VI_SUCCESS);
    // READ_STATUS_BYTE with tag 2; INITIATE_CLEAR, then CHECK_CLEAR_STATUS until no longer pending.
    QCOMPARE(pipe->requests, QStringList({"128 2", "5 0", "6 0", "6 0"}));
  }
};

QTEST_GUILESS_MAIN(TstVisaLayer)
#include "tst_visalayer.moc"
