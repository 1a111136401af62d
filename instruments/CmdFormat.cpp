#include "instruments/CmdFormat.h"

#include <charconv>
#include <cmath>

namespace {

// std::to_chars with a precision is specified as printf in the "C" locale,
// which QString::number is not at exact halves (it rounds them away from
// zero where printf rounds to even) nor for negative zero.
QString ToChars(double value, std::chars_format format, int precision) {
  char buffer[400];  // the longest double in fixed notation has 309 digits
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  if (r.ec != std::errc()) return QString::number(value, 'g', 17);
  return QString::fromLatin1(buffer, int(r.ptr - buffer));
}

constexpr double kHzTolerance = 1e-3;
constexpr int kMaxDigits = 17;  // enough to write any double exactly

}  // namespace

QString FmtG6(double value) { return QString::number(value, 'g', 6); }

QString FmtFixed(double value, int decimals) {
  return ToChars(value, std::chars_format::fixed, decimals);
}

QString FmtExp(double value, int decimals) {
  return ToChars(value, std::chars_format::scientific, decimals);
}

QString FmtHz(double hz) {
  for (int digits = 6; digits < kMaxDigits; ++digits) {
    const QString text = QString::number(hz, 'g', digits);
    if (std::fabs(text.toDouble() - hz) <= kHzTolerance) return text;
  }
  return QString::number(hz, 'g', kMaxDigits);
}

QString FmtOnOff(bool on) { return on ? QStringLiteral("ON") : QStringLiteral("OFF"); }
