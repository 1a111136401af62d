#pragma once
// Numbers as the files and printouts write them: fixed notation with a
// decimal point whatever the user's locale (QString::number never applies
// the locale). An unmeasured value is written as "nan", never as a level.
// A value that rounds to zero is written without a sign, so that a file
// read back and written again gives the same bytes.
#include <QString>

#include <cmath>

inline QString FixedText(double value, int decimals)
{
  if (std::isnan(value))
    return QStringLiteral("nan");
  if (std::abs(value) < 0.5 * std::pow(10.0, -decimals))
    value = 0.0;
  return QString::number(value, 'f', decimals);
}
