#pragma once
// One program message unit: a header and its data, parsed the way an
// instrument's input parser sees them.
#include <QByteArray>
#include <QList>

namespace sim {

// Error codes of the SCPI error queue that the models use.
enum ErrorCode {
  kNoError = 0,
  kSyntaxError = -102,
  kDataTypeError = -104,
  kParameterNotAllowed = -108,
  kMissingParameter = -109,
  kUndefinedHeader = -113,
  kIllegalParameterValue = -224,
  kDataOutOfRange = -222,
  kQueryInterrupted = -410,
};
const char *errorText(int code);

struct Command {
  QByteArray header;  // upper case
  QByteArray data;    // everything after the header separator, trimmed
  static Command parse(const QByteArray &unit);
  bool hasData() const { return !data.isEmpty(); }
};

// Number parsing and formatting independent of the process locale. A number
// may carry one of the allowed suffixes (case-insensitive); the multipliers
// of frequency suffixes are applied.
bool parseNumber(const QByteArray &text, double &value, const QList<QByteArray> &suffixes = {});
QByteArray formatNumber(double value, int decimals);
QByteArray formatScientific(double value);

}  // namespace sim
