#include "visa/Resource.h"

#include <QRegularExpression>

namespace {

constexpr ViUInt16 kHislipPort = 4880;

ViUInt16 boardOf(const QString &digits) { return digits.isEmpty() ? 0 : ViUInt16(digits.toUInt()); }

bool parseNumber(const QString &text, ViUInt16 &out) {
  bool ok = false;
  const uint value = text.toUInt(&ok, 0);  // 0x prefix or decimal
  out = ViUInt16(value);
  return ok && value <= 0xFFFF;
}

bool parseTcpip(const QRegularExpressionMatch &m, Resource &r) {
  r.interfaceType = VI_INTF_TCPIP;
  r.board = boardOf(m.captured(1));
  const QStringList parts = m.captured(2).split("::");
  r.host = parts[0];
  if (r.host.isEmpty())
    return false;
  // "::INSTR" may be left out.
  const bool classGiven = parts.size() > 1 && (parts.last().toUpper() == "INSTR" || parts.last().toUpper() == "SOCKET");
  const QString last = classGiven ? parts.last().toUpper() : QString("INSTR");
  const QStringList middle = parts.mid(1, classGiven ? parts.size() - 2 : -1);
  if (last == "SOCKET") {
    r.resourceClass = "SOCKET";
    return middle.size() == 1 && parseNumber(middle[0], r.port) && r.port > 0;
  }
  r.resourceClass = "INSTR";
  if (middle.size() > 1)
    return false;
  r.device = middle.isEmpty() ? QString("inst0") : middle[0];
  if (r.isHislip()) {
    const QStringList named = r.device.split(',');
    r.device = named[0];
    r.port = kHislipPort;
    if (named.size() > 2 || (named.size() == 2 && !parseNumber(named[1], r.port)))
      return false;
  }
  return !r.device.isEmpty();
}

}  // namespace

Resource parseResource(const QString &text) {
  static const QRegularExpression tcpip("^TCPIP(\\d*)::(.+)$", QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression asrl("^ASRL(\\d*|/[^:]+)(?:::(\\d+))?(?:::INSTR)?$",
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression gpib("^GPIB(\\d*)::(\\d+)(?:::(\\d+))?(?:::INSTR)?$",
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression usb("^USB(\\d*)::(\\w+)::(\\w+)::([^:]+)(?:::(\\d+))?(?:::INSTR)?$",
                                      QRegularExpression::CaseInsensitiveOption);
  Resource r;
  const QString s = text.trimmed();
  QRegularExpressionMatch m;
  if ((m = tcpip.match(s)).hasMatch()) {
    r.valid = parseTcpip(m, r);
  } else if ((m = asrl.match(s)).hasMatch()) {
    r.interfaceType = VI_INTF_ASRL;
    r.resourceClass = "INSTR";
    if (m.captured(1).startsWith('/'))
      r.serialDevice = m.captured(1);
    else
      r.board = boardOf(m.captured(1));
    r.secondary = m.captured(2).isEmpty() ? -1 : m.captured(2).toInt();
    r.valid = true;
  } else if ((m = gpib.match(s)).hasMatch()) {
    r.interfaceType = VI_INTF_GPIB;
    r.resourceClass = "INSTR";
    r.board = boardOf(m.captured(1));
    r.primary = m.captured(2).toInt();
    r.secondary = m.captured(3).isEmpty() ? -1 : m.captured(3).toInt();
    r.valid = r.primary <= 30 && r.secondary <= 30;
  } else if ((m = usb.match(s)).hasMatch()) {
    r.interfaceType = VI_INTF_USB;
    r.resourceClass = "INSTR";
    r.board = boardOf(m.captured(1));
    r.serialNumber = m.captured(4);
    r.usbInterface = m.captured(5).isEmpty() ? -1 : m.captured(5).toInt();
    r.valid = parseNumber(m.captured(2), r.vendorId) && parseNumber(m.captured(3), r.productId);
  }
  return r;
}

QString Resource::canonical() const {
  const QString b = QString::number(board);
  switch (interfaceType) {
  case VI_INTF_TCPIP:
    if (resourceClass == "SOCKET")
      return "TCPIP" + b + "::" + host + "::" + QString::number(port) + "::SOCKET";
    return "TCPIP" + b + "::" + host + "::" + device + "::INSTR";
  case VI_INTF_ASRL:
    return "ASRL" + (serialDevice.isEmpty() ? b : serialDevice) + "::INSTR";
  case VI_INTF_GPIB:
    return "GPIB" + b + "::" + QString::number(primary) +
           (secondary >= 0 ? "::" + QString::number(secondary) : QString()) + "::INSTR";
  case VI_INTF_USB:
    return QString("USB%1::0x%2::0x%3::%4%5::INSTR")
        .arg(b)
        .arg(vendorId, 4, 16, QChar('0'))
        .arg(productId, 4, 16, QChar('0'))
        .arg(serialNumber)
        .arg(usbInterface >= 0 ? "::" + QString::number(usbInterface) : QString());
  default:
    return QString();
  }
}
