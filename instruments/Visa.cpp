#include "instruments/Visa.h"

#include "instruments/VisaLibrary.h"

#include <QByteArray>

#include <charconv>
#include <cmath>

namespace {

constexpr int kReplyBufferSize = 20000;
constexpr int kNumberBufferSize = 100;

bool isSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
  return c >= '0' && c <= '9';
}

// Start of the number after leading white space and an optional '+' (which
// std::from_chars does not take); '-' stays for from_chars.
const char *numberStart(const char *begin, const char *end)
{
  while (begin != end && isSpace(*begin))
    ++begin;
  if (begin != end && *begin == '+' && begin + 1 != end && *(begin + 1) != '-')
    ++begin;
  return begin;
}

// Only digits (or a decimal point) may start a number: words such as "INF"
// or "NAN" are no numbers for an instrument reply.
bool startsWithNumber(const char *begin, const char *end)
{
  const char *p = (begin != end && *begin == '-') ? begin + 1 : begin;
  return p != end && (isDigit(*p) || (*p == '.' && p + 1 != end && isDigit(*(p + 1))));
}

// The received bytes are read in the C locale whatever the user's locale.
// A reply without a leading number, or one beyond the range of a double,
// gives 0.
double leadingNumber(const QByteArray &bytes)
{
  const char *end = bytes.constData() + bytes.size();
  const char *begin = numberStart(bytes.constData(), end);
  double value = 0.0;
  if (startsWithNumber(begin, end)) {
    if (std::from_chars(begin, end, value).ec != std::errc() || !std::isfinite(value))
      value = 0.0;
  }
  return value;
}

int leadingInteger(const QByteArray &bytes)
{
  const char *end = bytes.constData() + bytes.size();
  const char *begin = numberStart(bytes.constData(), end);
  int value = 0;
  if (std::from_chars(begin, end, value).ec != std::errc())
    value = 0;
  return value;
}

// One read of at most kNumberBufferSize bytes; the bytes received, or an
// empty array when the read failed.
ViStatus readNumberBytes(ViSession session, QByteArray &bytes)
{
  QByteArray buffer(kNumberBufferSize, '\0');
  ViUInt32 received = 0;
  const ViStatus status = visa::read(session, buffer, received);
  bytes = status < 0 ? QByteArray() : buffer.left(static_cast<int>(received));
  return status;
}


// Write, then one short read; value set only when both succeeded.
template <typename T>
ViStatus queryNumber(ViSession session, const QString &cmd, T &value, T (*parse)(const QByteArray &))
{
  ViStatus status = VisaWrite(session, cmd);
  if (status < 0)
    return status;
  QByteArray bytes;
  status = readNumberBytes(session, bytes);
  if (status >= 0)
    value = parse(bytes);
  return status;
}

}  // namespace

ViStatus VisaWrite(ViSession session, const QString &cmd)
{
  return visa::write(session, cmd.toLocal8Bit());
}

ViStatus VisaQuery(ViSession session, const QString &cmd, QString &reply)
{
  ViStatus status = VisaWrite(session, cmd);
  if (status < 0)
    return status;
  QByteArray buffer(kReplyBufferSize, '\0');
  ViUInt32 received = 0;
  status = visa::read(session, buffer, received);
  if (status >= 0)
    reply = QString::fromLocal8Bit(buffer.constData(), static_cast<int>(received));
  return status;
}

ViStatus VisaQueryNum(ViSession session, const QString &cmd, double &value)
{
  return queryNumber(session, cmd, value, leadingNumber);
}

ViStatus VisaQueryInt(ViSession session, const QString &cmd, int &value)
{
  return queryNumber(session, cmd, value, leadingInteger);
}

ViStatus VisaReadNum(ViSession session, double &value)
{
  QByteArray bytes;
  const ViStatus status = readNumberBytes(session, bytes);
  value = leadingNumber(bytes);
  return status;
}

ViStatus VisaReadStb(ViSession session, ViUInt16 &stb)
{
  return visa::readStb(session, stb);
}
