#pragma once
// Numbers as the files and printouts write them: fixed notation with a
// decimal point whatever the user's locale, rounded exactly as printf("%.*f")
// rounds in the C locale (std::to_chars with a precision is defined to
// match it; exact halves of the binary value go to the even digit). An
// unmeasured value is written as "nan", never as a level. A value that
// rounds to zero is written without a sign, so that a file read back and
// written again gives the same bytes.
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

// The most decimals any file writes, and the longest text of one number:
// sign, the 309 integer digits of the largest double, point and decimals.
constexpr int kMaxFixedDecimals = 6;
constexpr int kMaxFixedChars = 1 + 309 + 1 + kMaxFixedDecimals;

// Writes the text at out (room for kMaxFixedChars) and returns its end.
inline char *WriteFixed(char *out, double value, int decimals)
{
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return out + 3;
  }
  char *end = std::to_chars(out, out + kMaxFixedChars, value, std::chars_format::fixed,
                            std::clamp(decimals, 0, kMaxFixedDecimals))
                  .ptr;
  if (*out == '-' && std::all_of(out + 1, end, [](char c) { return c == '0' || c == '.'; })) {
    std::memmove(out, out + 1, std::size_t(end - out - 1));
    --end;
  }
  return end;
}

inline void AppendFixed(std::string &line, double value, int decimals)
{
  char text[kMaxFixedChars];
  line.append(text, WriteFixed(text, value, decimals));
}

inline QString FixedText(double value, int decimals)
{
  char text[kMaxFixedChars];
  return QString::fromLatin1(text, int(WriteFixed(text, value, decimals) - text));
}
