#pragma once
// Exchanges of the command sets that read a reply, and the reading of the
// replies. A reply that holds no number where the instrument should have
// sent one is a failure (kErrNoNumber), never a silent 0.
#include "instruments/VisaDefs.h"

#include <QByteArray>
#include <QString>

// Failures that the command layer finds itself, numbered from VISA's offset
// for instrument-driver errors.
constexpr ViStatus kErrNoNumber = static_cast<ViStatus>(0xBFFC0801u);
constexpr ViStatus kErrBadSetting = static_cast<ViStatus>(0xBFFC0802u);

// A query whose reply only marks completion (the "1" of *OPC?).
ViStatus CmdQuery(ViSession session, const QString &cmd);
// A query whose reply starts with a number; value unchanged on failure.
ViStatus CmdQueryNum(ViSession session, const QString &cmd, double &value);
ViStatus CmdQueryInt(ViSession session, const QString &cmd, int &value);
// One read of a reply that starts with a number (an instrument that talks
// its reading when addressed); value unchanged on failure.
ViStatus CmdReadNum(ViSession session, double &value);

// Reads a reply field by field as scanf does: word() is "%s", number() "%f"
// or "%lf", integer() "%d" (each skipping white space first), character()
// "%c" (any one character) and literal(c) a character of the format.
// A field that does not match fails and consumes nothing.
class ReplyScanner {
public:
  explicit ReplyScanner(const QString &reply);
  bool word();
  bool number(double &value);
  bool integer(int &value);
  bool character();
  bool literal(char c);
  bool atEnd();  // nothing but white space left

private:
  void skipSpace();
  QByteArray text_;
  int pos_ = 0;
};
