#pragma once
// Numbers in instrument commands. Every format writes a decimal point
// whatever the user's locale: a desktop with a decimal comma must never send
// "1000,0" to an instrument.
#include <QString>

// Six significant digits in the style of %g, as QString::number(v, 'g', 6)
// writes it: "1e+09", "1.23457e+09", "-10", "0.001".
QString FmtG6(double value);

// The printf formats of the command texts, exactly as printf writes them in
// the C locale: FmtFixed(v, 1) is "%0.1lf", FmtFixed(v, 6) is "%lf",
// FmtExp(v, 6) is "%0.6e".
QString FmtFixed(double value, int decimals);
QString FmtExp(double value, int decimals);

// A frequency to tune to, in the %g style with six significant digits when
// they hold the frequency to a millihertz, and with as many more as it needs
// otherwise: 1e9 stays "1e+09", 1234567890 becomes "1.23456789e+09" instead
// of a frequency 2.11 kHz away.
QString FmtHz(double hz);

// "ON" or "OFF".
QString FmtOnOff(bool on);
