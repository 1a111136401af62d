#pragma once
// Runs instrument commands against the recording fake VISA and tells what
// they sent: the texts written and how many replies were read.
#include "instruments/VisaDefs.h"

#include <QStringList>
#include <functional>

struct Exchange {
  QStringList writes;
  int reads = 0;
  bool operator==(const Exchange &o) const { return writes == o.writes && reads == o.reads; }
};

// A command table row: the call, what it must send, and the reads it makes.
struct CmdRow {
  QString name;
  std::function<ViStatus()> call;
  QStringList writes;
  int reads;
};

// Runs every row from a reset fake; returns the first row that returned a
// failure or sent something else, with what it sent, or "" when all match.
QString CheckRows(const QList<CmdRow> &rows);

// Resets the fake (scripted replies included), runs call and returns what it
// sent.
Exchange Transcribe(const std::function<void()> &call);
// What was sent since the last reset.
Exchange Sent();

// Makes the write of text to session (any session when 0), its occurrence-th
// one, fail with status when the calls of a dry run of run() are repeated
// after it. False when the dry run did not send text.
bool FailWriteOf(const QString &text, const std::function<void()> &run, ViStatus status = VI_ERROR_IO,
                 ViSession session = 0, int occurrence = 1);

// The writes to one session, in order.
QStringList WritesTo(ViSession session);
