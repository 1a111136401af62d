#include "bench/Models.h"

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

std::unique_ptr<Instrument> makeInstrument(Bench &, int, const QString &, const QJsonObject &) { return nullptr; }

}  // namespace sim
