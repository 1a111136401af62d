// USBTMC framing against a fake USB pipe: the bulk headers of a message and
// of a read request, END as EOM, replies split over transfers, broken or
// oversized replies, the status byte and device clear as class requests.
#include "visa/UsbtmcTransport.h"

#include <QtTest>

namespace {

using Bytes = QByteArray;
using Transfers = QList<Bytes>;

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
    if (in.isEmpty())
      return kUsbTimeout;
    const Bytes next = in.takeFirst();
    const int n = std::min(size, int(next.size()));
    memcpy(data, next.constData(), size_t(n));
    return n;
  }
  int classRequest(bool, uint8_t request, uint16_t value, unsigned char *data, uint16_t length, int) override {
    requests << QString("%1 %2").arg(request).arg(value);
    const Bytes next = answers.isEmpty() ? Bytes() : answers.takeFirst();
    const int n = std::min(int(length), int(next.size()));
    memcpy(data, next.constData(), size_t(n));
    return n;
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

class TstUsbtmc : public QObject {
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

QTEST_GUILESS_MAIN(TstUsbtmc)
#include "tst_usbtmc.moc"
