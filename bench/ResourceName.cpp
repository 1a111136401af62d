#include "bench/ResourceName.h"

#include <QRegularExpression>

namespace sim {

namespace {

QString board(const QString &digits) { return digits.isEmpty() ? QStringLiteral("0") : digits; }

QString canonicalNumber(const QString &text) {
  bool ok = false;
  const qulonglong value = text.toULongLong(&ok, 0);  // 0x prefix or decimal
  return ok ? QStringLiteral("0x") + QString::number(value, 16) : text.toUpper();
}

}  // namespace

ResourceName parseResourceName(const QString &resource) {
  static const QRegularExpression gpib(QStringLiteral("^GPIB(\\d*)::(\\d+)(?:::(\\d+))?(?:::INSTR)?$"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression asrl(QStringLiteral("^ASRL(\\d+)(?:::(\\d+))?(?:::INSTR)?$"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression tcpip(
      QStringLiteral("^TCPIP(\\d*)::([^:]+)(?:::INST0)?(?:::INSTR)?$"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression usb(
      QStringLiteral("^USB(\\d*)::([0-9A-FX]+)::([0-9A-FX]+)::([^:]+)(?:::\\d+)?(?:::INSTR)?$"),
      QRegularExpression::CaseInsensitiveOption);
  ResourceName name;
  const QString text = resource.trimmed();
  QRegularExpressionMatch m;
  if ((m = gpib.match(text)).hasMatch()) {
    name.instrument = "GPIB" + board(m.captured(1)) + "::" + QString::number(m.captured(2).toInt());
    if (!m.captured(3).isEmpty())
      name.secondary = m.captured(3).toInt();
  } else if ((m = asrl.match(text)).hasMatch()) {
    name.instrument = "ASRL" + QString::number(m.captured(1).toInt());
    if (!m.captured(2).isEmpty())
      name.secondary = m.captured(2).toInt();
  } else if ((m = tcpip.match(text)).hasMatch()) {
    name.instrument = "TCPIP" + board(m.captured(1)) + "::" + m.captured(2).toUpper();
  } else if ((m = usb.match(text)).hasMatch()) {
    name.instrument = "USB" + board(m.captured(1)) + "::" + canonicalNumber(m.captured(2)) +
                      "::" + canonicalNumber(m.captured(3)) + "::" + m.captured(4).toUpper();
  } else {
    return name;
  }
  name.valid = true;
  return name;
}

}  // namespace sim
