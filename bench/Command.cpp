#include "bench/Command.h"

#include <QList>
#include <cmath>
#include <cstdlib>

namespace sim {

const char *errorText(int code) {
  switch (code) {
  case kNoError: return "No error";
  case kSyntaxError: return "Syntax error";
  case kDataTypeError: return "Data type error";
  case kParameterNotAllowed: return "Parameter not allowed";
  case kMissingParameter: return "Missing parameter";
  case kUndefinedHeader: return "Undefined header";
  case kIllegalParameterValue: return "Illegal parameter value";
  case kDataOutOfRange: return "Data out of range";
  case kQueryInterrupted: return "Query INTERRUPTED";
  default: return "Device-specific error";
  }
}

Command Command::parse(const QByteArray &unit) {
  const QByteArray trimmed = unit.trimmed();
  int split = 0;
  while (split < trimmed.size() && !QChar::isSpace(uchar(trimmed[split])))
    ++split;
  return Command{trimmed.left(split).toUpper(), trimmed.mid(split).trimmed()};
}

namespace {

struct Suffix {
  const char *name;
  double multiplier;
};
constexpr Suffix kSuffixes[] = {{"GHZ", 1e9}, {"MHZ", 1e6}, {"KHZ", 1e3}, {"HZ", 1.0},
                                 {"DBM", 1.0}, {"DB", 1.0},  {"MS", 1e-3}, {"S", 1.0}};

double multiplierOf(const QByteArray &suffix) {
  for (const Suffix &s : kSuffixes)
    if (suffix == s.name)
      return s.multiplier;
  return 1.0;
}

}  // namespace

bool parseNumber(const QByteArray &text, double &value, const QList<QByteArray> &suffixes) {
  const QByteArray t = text.trimmed();
  // Only the characters of a decimal number; strtod alone would accept
  // "inf", hexadecimal and the locale's decimal separator.
  int end = 0;
  while (end < t.size() && (QChar::isDigit(uchar(t[end])) || QByteArray("+-.eE").contains(t[end])))
    ++end;
  if (end == 0)
    return false;
  const QByteArray number = t.left(end);
  bool ok = false;
  const double parsed = number.toDouble(&ok);  // QByteArray::toDouble uses the C locale
  if (!ok || !std::isfinite(parsed))
    return false;
  const QByteArray suffix = t.mid(end).trimmed().toUpper();
  if (!suffix.isEmpty() && !suffixes.contains(suffix))
    return false;
  value = parsed * multiplierOf(suffix);
  return true;
}

QByteArray formatNumber(double value, int decimals) { return QByteArray::number(value, 'f', decimals); }

QByteArray formatScientific(double value) { return QByteArray::number(value, 'E', 6); }

}  // namespace sim
