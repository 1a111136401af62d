#include "instruments/DevTables.h"

#include <QSet>
#include <QtTest>

namespace {

QStringList texts(const ChoiceList &list)
{
  QStringList out;
  for (int i = 0; i < list.count; ++i)
    out << list.texts[i];
  return out;
}

QList<int> values(const ChoiceList &list)
{
  QList<int> out;
  for (int i = 0; i < list.count; ++i)
    out << list.values[i];
  return out;
}

// "20 kHz" -> 20000, "2 s" -> 2000 (in the given base unit), "Auto" -> 0.
int parseQuantity(const QString &text, const QMap<QString, int> &units)
{
  if (text == QLatin1String("Auto"))
    return 0;
  const QStringList parts = text.split(QLatin1Char(' '));
  return parts.value(0).toInt() * units.value(parts.value(1), -1);
}

}  // namespace

class DevTablesTest : public QObject {
  Q_OBJECT

private slots:
  void typeTable()
  {
    QCOMPARE(QString(DevTypeTable[0]), QStringLiteral("None"));
    QCOMPARE(QString(DevTypeTable[31]), QStringLiteral("External"));
    QCOMPARE(QString(DevTypeTable[72]), QStringLiteral("U37xx"));
    const QStringList testers{"RTA", "RTB", "RTC"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(QString(DevTypeTable[1 + i]), testers[i]);
      QCOMPARE(QString(DevTypeTable[69 + i]), testers[i]);
    }
    const QStringList meters{"PWM", "PWM-74", "PWU", "PWM-76", "PWM-77", "PWM-78", "PWM-79", "PWM-80"};
    for (int i = 0; i < meters.size(); ++i)
      QCOMPARE(QString(DevTypeTable[73 + i]), meters[i]);
    // Generators, receivers and analyzers carry their own index in the name.
    const struct { int first, last; const char *prefix; } families[] = {
        {4, 30, "GEN-"}, {32, 49, "RCV-"}, {50, 68, "SPA-"}};
    for (const auto &family : families)
      for (int i = family.first; i <= family.last; ++i)
        QCOMPARE(QString(DevTypeTable[i]), family.prefix + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    QCOMPARE(kGen1FirstType, 1);
    QCOMPARE(kGen2LastType, 31);
    QCOMPARE(kAnaFirstType, 32);
    QCOMPARE(kAnaLastType, kDevTypeCount - 1);
  }

  void connectionLists()
  {
    QCOMPARE(texts(InterfaceList), (QStringList{"GPIB0", "GPIB1", "RS232", "LAN (VXI-11)", "USB"}));
    QCOMPARE(values(InterfaceList), (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(texts(SerialPortList), (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    QCOMPARE(values(SerialPortList), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(values(BaudrateList), (QList<int>{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}));
    for (int i = 0; i < BaudrateList.count; ++i)
      QCOMPARE(QString(BaudrateList.texts[i]), QString::number(BaudrateList.values[i]));
    QCOMPARE(texts(ParityList), (QStringList{"None", "Odd", "Even", "Mark", "Space"}));
    QCOMPARE(values(ParityList), (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(texts(StopBitsList), (QStringList{"1", "1.5", "2"}));
    QCOMPARE(values(StopBitsList), (QList<int>{10, 15, 20}));
    QCOMPARE(texts(FlowControlList), (QStringList{"OFF", "XON/XOFF", "RTS/CTS", "DTR/DSR"}));
    QCOMPARE(values(FlowControlList), (QList<int>{0, 1, 2, 3}));
  }

  void flowControlReachesVisa()
  {
    QCOMPARE(QString(FlowControlList.texts[FlowControlList.indexOf(3)]), QStringLiteral("DTR/DSR"));
    QCOMPARE(FlowControlToVisa(0), 0);
    QCOMPARE(FlowControlToVisa(1), 1);
    QCOMPARE(FlowControlToVisa(2), 2);
    QCOMPARE(FlowControlToVisa(3), 4);
  }

  void analyzerLists()
  {
    QCOMPARE(texts(DetectorList), (QStringList{"Average", "Peak", "Quasipeak"}));
    QCOMPARE(values(DetectorList), (QList<int>{0, 1, 2}));
    QCOMPARE(texts(UnitList), (QStringList{"dBuV", "dBm"}));
    QCOMPARE(values(UnitList), (QList<int>{0, 1}));
    QCOMPARE(texts(SpeedList), (QStringList{"Slow", "Fast"}));
    QCOMPARE(values(SpeedList), (QList<int>{0, 1}));

    QCOMPARE(BandwidthList.count, 30);
    QCOMPARE(QString(BandwidthList.texts[29]), QStringLiteral("10 MHz"));
    QCOMPARE(BandwidthList.values[BandwidthList.indexOf(20000)], 20000);
    QCOMPARE(QString(BandwidthList.texts[BandwidthList.indexOf(20000)]), QStringLiteral("20 kHz"));
    const QMap<QString, int> hertz{{"Hz", 1}, {"kHz", 1000}, {"MHz", 1000000}};
    for (int i = 0; i < BandwidthList.count; ++i)
      QCOMPARE(parseQuantity(BandwidthList.texts[i], hertz), BandwidthList.values[i]);

    QCOMPARE(SweepTimeList.count, 14);
    QCOMPARE(QString(SweepTimeList.texts[13]), QStringLiteral("10 s"));
    const QMap<QString, int> millis{{"ms", 1}, {"s", 1000}};
    for (int i = 0; i < SweepTimeList.count; ++i)
      QCOMPARE(parseQuantity(SweepTimeList.texts[i], millis), SweepTimeList.values[i]);
  }

  void indexOfUnknownValue()
  {
    QCOMPARE(BandwidthList.indexOf(0), 0);
    QCOMPARE(BandwidthList.indexOf(4), -1);
    QCOMPARE(StopBitsList.indexOf(1), -1);
  }

  void connectorLists()
  {
    QCOMPARE(RfPortTexts(1), (QStringList{"RF1 OUT", "RF2 OUT", "RF3 OUT"}));
    QCOMPARE(RfPortTexts(2), (QStringList{"RF1 COM", "RF1 OUT", "RF2 COM", "RF3 COM", "RF3 OUT", "RF4 COM"}));
    QCOMPARE(RfPortTexts(3), (QStringList{"AUX", "RF1", "RF2", "RF3", "RF4", "RF5", "RF6", "RF7", "RF8"}));
    QCOMPARE(RfPortTexts(69), (QStringList{"RF1 IN", "RF2 IN", "RF4 IN"}));
    QCOMPARE(RfPortTexts(70), (QStringList{"RF1 COM", "RF2 COM", "RF3 COM", "RF4 COM"}));
    QCOMPARE(RfPortTexts(71), (QStringList{"RF1", "RF2", "RF3", "RF4", "RF5", "RF6", "RF7", "RF8"}));
    QVERIFY(RfPortTexts(0).isEmpty());
    QVERIFY(RfPortTexts(24).isEmpty());
    QVERIFY(RfPortTexts(-1).isEmpty());
  }

  void sensorModels()
  {
    QSet<int> ids;
    QSet<QString> names;
    int ascending = 0;
    for (int i = 0; i < kPmCount; ++i) {
      QVERIFY(PmTable[i].ProductId > 0);
      QVERIFY(!QString(PmTable[i].Name).isEmpty());
      ids << PmTable[i].ProductId;
      names << PmTable[i].Name;
      if (i > 0 && PmTable[i].ProductId > PmTable[i - 1].ProductId)
        ++ascending;
    }
    QCOMPARE(kPmCount, 84);
    QCOMPARE(ids.size(), kPmCount);
    QCOMPARE(names.size(), kPmCount);
    QVERIFY(ascending > kPmCount * 9 / 10);
    QCOMPARE(PmTable[0].ProductId, 3);  // the analyzer's default product id is the first row's
  }
};

QTEST_GUILESS_MAIN(DevTablesTest)
#include "tst_devtables.moc"
