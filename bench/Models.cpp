#include "bench/Models.h"

#include "bench/Generators.h"
#include "bench/PowerMeters.h"
#include "bench/RadioTesters.h"
#include "bench/ResourceName.h"

#include <QRegularExpression>
#include <algorithm>

namespace sim {

QString modelName(int type) {
  static const char *const kTesters[] = {"RTA", "RTB", "RTC"};
  if (type >= 1 && type <= 3)
    return kTesters[type - 1];
  if (type >= 69 && type <= 71)
    return kTesters[type - 69];
  if (type >= 4 && type <= 30)
    return QStringLiteral("GEN-%1").arg(type, 2, 10, QLatin1Char('0'));
  if (type >= 32 && type <= 49)
    return QStringLiteral("RCV-%1").arg(type);
  if (type >= 50 && type <= 68)
    return QStringLiteral("SPA-%1").arg(type);
  if (type == 72)
    return QStringLiteral("U37xx");
  if (type == 73)
    return QStringLiteral("PWM");
  if (type == 75)
    return QStringLiteral("PWU");
  return QStringLiteral("PWM-%1").arg(type);
}

namespace {

bool in(int type, std::initializer_list<int> types) { return std::find(types.begin(), types.end(), type) != types.end(); }

// "SIM" and the digits of the address, e.g. SIM000028 for GPIB0::28::INSTR.
QString serialFor(const QString &resource, const QJsonObject &options) {
  const QString given = options.value(QLatin1String("serial")).toString();
  if (!given.isEmpty())
    return given;
  const QString instrument = parseResourceName(resource).instrument;
  QString digits = instrument.section(QStringLiteral("::"), -1);
  digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
  return QStringLiteral("SIM") + digits.rightJustified(6, QLatin1Char('0')).right(6);
}

}  // namespace

std::unique_ptr<Instrument> makeInstrument(Bench &bench, int type, const QString &resource,
                                           const QJsonObject &options) {
  const Instrument::Identity id{modelName(type), serialFor(resource, options)};
  if (type >= 1 && type <= 3)
    return std::make_unique<TesterSource>(bench, type, id, options);
  if (type >= 69 && type <= 71)
    return std::make_unique<TesterAnalyzer>(bench, type, id, options);
  if (in(type, {12, 13, 14, 15, 16, 17, 29}))
    return std::make_unique<ShortCommandGenerator>(bench, type, id, options);
  if (type >= 4 && type <= 30)
    return std::make_unique<ScpiGenerator>(bench, type, id, options);
  if (type == 32 || type == 37)
    return std::make_unique<ReceiverSetA>(bench, type, id);
  if (in(type, {34, 35, 38, 39, 41, 43, 44, 45}))
    return std::make_unique<ReceiverSetB>(bench, type, id);
  if (type >= 33 && type <= 68)
    return std::make_unique<ScpiAnalyzer>(bench, type, id);
  if (type == 72)
    return std::make_unique<TwoLetterAnalyzer>(bench, type, id);
  if (type == 73 || type == 74)
    return std::make_unique<ScpiPowerMeter>(bench, type, id);
  if (type == 75)
    return std::make_unique<UsbPowerSensor>(bench, type, id);
  if (type == 76)
    return std::make_unique<ReflectionPowerMeter>(bench, type, id);
  if (type == 77)
    return std::make_unique<FrefPowerMeter>(bench, type, id);
  if (type >= 78 && type <= 80)
    return std::make_unique<OptionPowerMeter>(bench, type, id);
  return nullptr;  // 0 "None", 31 "External" and unknown indices
}

}  // namespace sim
