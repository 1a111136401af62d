#include "instruments/DevTables.h"

#include <QSet>
#include <QtTest>

namespace {

// "texts -> values" of a list, e.g. "1 -> 10, 1.5 -> 15, 2 -> 20".
QString pairs(const ChoiceList &list)
{
  QStringList out;
  for (int i = 0; i < list.count; ++i)
    out << QStringLiteral("%1 -> %2").arg(list.texts[i]).arg(list.values[i]);
  return out.join(QStringLiteral(", "));
}

}  // namespace

class DevTablesTest : public QObject {
  Q_OBJECT

private slots:
  void typeTable()
  {
    QStringList expected{"None", "RTA", "RTB", "RTC"};
    for (int i = 4; i <= 30; ++i)
      expected << QStringLiteral("GEN-%1").arg(i, 2, 10, QLatin1Char('0'));
    expected << "External";
    for (int i = 32; i <= 49; ++i)
      expected << QStringLiteral("RCV-%1").arg(i);
    for (int i = 50; i <= 68; ++i)
      expected << QStringLiteral("SPA-%1").arg(i);
    expected << "RTA" << "RTB" << "RTC" << "U37xx" << "PWM" << "PWM-74" << "PWU" << "PWM-76" << "PWM-77"
             << "PWM-78" << "PWM-79" << "PWM-80";
    QStringList actual;
    for (const char *text : DevTypeTable)
      actual << text;
    QCOMPARE(actual, expected);
  }

  void choiceLists()
  {
    QCOMPARE(pairs(InterfaceList), QStringLiteral("GPIB0 -> 0, GPIB1 -> 1, RS232 -> 2, LAN (VXI-11) -> 3, USB -> 4"));
    QCOMPARE(pairs(SerialPortList), QStringLiteral("COM1 -> 0, COM2 -> 1, COM3 -> 2, COM4 -> 3"));
    QCOMPARE(pairs(ParityList), QStringLiteral("None -> 0, Odd -> 1, Even -> 2, Mark -> 3, Space -> 4"));
    QCOMPARE(pairs(StopBitsList), QStringLiteral("1 -> 10, 1.5 -> 15, 2 -> 20"));
    QCOMPARE(pairs(FlowControlList), QStringLiteral("OFF -> 0, XON/XOFF -> 1, RTS/CTS -> 2, DTR/DSR -> 3"));
    QCOMPARE(pairs(DetectorList), QStringLiteral("Average -> 0, Peak -> 1, Quasipeak -> 2"));
    QCOMPARE(pairs(UnitList), QStringLiteral("dBuV -> 0, dBm -> 1"));
    QCOMPARE(pairs(SpeedList), QStringLiteral("Slow -> 0, Fast -> 1"));
    QCOMPARE(pairs(SweepTimeList), QStringLiteral("Auto -> 0, 1 ms -> 1, 2 ms -> 2, 5 ms -> 5, 10 ms -> 10, "
                                                  "20 ms -> 20, 50 ms -> 50, 100 ms -> 100, 200 ms -> 200, "
                                                  "500 ms -> 500, 1 s -> 1000, 2 s -> 2000, 5 s -> 5000, 10 s -> 10000"));
    QCOMPARE(BandwidthList.count, 30);
    QVERIFY(pairs(BandwidthList).startsWith("Auto -> 0, 1 Hz -> 1, 2 Hz -> 2, 3 Hz -> 3, 5 Hz -> 5, 10 Hz -> 10"));
    QVERIFY(pairs(BandwidthList).endsWith("500 kHz -> 500000, 1 MHz -> 1000000, 2 MHz -> 2000000, "
                                          "3 MHz -> 3000000, 5 MHz -> 5000000, 10 MHz -> 10000000"));
    QCOMPARE(BandwidthList.indexOf(20000), 18);
    QCOMPARE(QString(BandwidthList.texts[18]), QStringLiteral("20 kHz"));
    QCOMPARE(BandwidthList.indexOf(4), -1);
    // Only DTR/DSR has another code in VISA.
    QCOMPARE(QList<int>({FlowControlToVisa(0), FlowControlToVisa(1), FlowControlToVisa(2), FlowControlToVisa(3)}),
             QList<int>({0, 1, 2, 4}));
  }

  void connectorLists()
  {
    QCOMPARE(RfPortTexts(1).join(","), QStringLiteral("RF1 OUT,RF2 OUT,RF3 OUT"));
    QCOMPARE(RfPortTexts(2).join(","), QStringLiteral("RF1 COM,RF1 OUT,RF2 COM,RF3 COM,RF3 OUT,RF4 COM"));
    QCOMPARE(RfPortTexts(3).join(","), QStringLiteral("AUX,RF1,RF2,RF3,RF4,RF5,RF6,RF7,RF8"));
    QCOMPARE(RfPortTexts(69).join(","), QStringLiteral("RF1 IN,RF2 IN,RF4 IN"));
    QCOMPARE(RfPortTexts(70).join(","), QStringLiteral("RF1 COM,RF2 COM,RF3 COM,RF4 COM"));
    QCOMPARE(RfPortTexts(71).join(","), QStringLiteral("RF1,RF2,RF3,RF4,RF5,RF6,RF7,RF8"));
    QVERIFY(RfPortTexts(24).isEmpty() && RfPortTexts(-1).isEmpty());
  }

  void sensorModels()
  {
    QSet<int> ids;
    QSet<QString> names;
    for (const PmStr &model : PmTable) {
      QVERIFY(model.ProductId > 0 && !QString(model.Name).isEmpty());
      ids << model.ProductId;
      names << model.Name;
    }
    QVERIFY(ids.size() == 84 && names.size() == 84);
    QCOMPARE(PmTable[0].ProductId, 3);  // the analyzer's default product id
  }
};

QTEST_GUILESS_MAIN(DevTablesTest)
#include "tst_devtables.moc"
