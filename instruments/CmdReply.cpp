#include "instruments/CmdReply.h"

#include "instruments/Visa.h"
#include "instruments/VisaLibrary.h"

#include <cctype>
#include <charconv>

ViStatus CmdQuery(ViSession session, const QString &cmd) {
  QString reply;
  return VisaQuery(session, cmd, reply);
}

namespace {

template <typename T>
ViStatus QueryValue(ViSession session, const QString &cmd, T &value, bool (ReplyScanner::*read)(T &)) {
  QString reply;
  const ViStatus status = VisaQuery(session, cmd, reply);
  if (status != VI_SUCCESS) return status;
  ReplyScanner scan(reply);
  return (scan.*read)(value) ? VI_SUCCESS : kErrNoNumber;
}

}  // namespace

ViStatus CmdQueryNum(ViSession session, const QString &cmd, double &value) {
  return QueryValue(session, cmd, value, &ReplyScanner::number);
}

ViStatus CmdQueryInt(ViSession session, const QString &cmd, int &value) {
  return QueryValue(session, cmd, value, &ReplyScanner::integer);
}

ViStatus CmdReadNum(ViSession session, double &value) {
  constexpr int kNumberBufferSize = 100;
  QByteArray buffer(kNumberBufferSize, '\0');
  ViUInt32 received = 0;
  const ViStatus status = visa::read(session, buffer, received);
  if (status < VI_SUCCESS) return status;
  ReplyScanner scan(QString::fromLatin1(buffer.left(int(received))));
  return scan.number(value) ? status : kErrNoNumber;
}

ReplyScanner::ReplyScanner(const QString &reply) : text_(reply.toLatin1()) {}

void ReplyScanner::skipSpace() {
  while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
}

bool ReplyScanner::word() {
  skipSpace();
  const int start = pos_;
  while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  return pos_ > start;
}

template <typename T>
static bool ParseAt(const QByteArray &text, int &pos, T &value) {
  int at = pos;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at < text.size() && text[at] == '+') ++at;  // from_chars takes no plus sign
  const char *begin = text.constData() + at;
  const char *end = text.constData() + text.size();
  // Only digits may start a number: no "inf", "nan" or hexadecimal.
  const char *first = (begin < end && *begin == '-') ? begin + 1 : begin;
  const bool startsWithDigit =
      first < end && (std::isdigit(static_cast<unsigned char>(*first)) ||
                      (*first == '.' && first + 1 < end &&
                       std::isdigit(static_cast<unsigned char>(first[1]))));
  if (!startsWithDigit) return false;
  T parsed{};
  const std::from_chars_result r = std::from_chars(begin, end, parsed);
  if (r.ec != std::errc()) return false;
  value = parsed;
  pos = int(r.ptr - text.constData());
  return true;
}

bool ReplyScanner::number(double &value) { return ParseAt(text_, pos_, value); }

bool ReplyScanner::integer(int &value) { return ParseAt(text_, pos_, value); }

bool ReplyScanner::character() {
  if (pos_ >= text_.size()) return false;
  ++pos_;
  return true;
}

bool ReplyScanner::literal(char c) {
  if (pos_ >= text_.size() || text_[pos_] != c) return false;
  ++pos_;
  return true;
}

bool ReplyScanner::atEnd() {
  skipSpace();
  return pos_ >= text_.size();
}
