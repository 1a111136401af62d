#pragma once
// Runs command table rows against the recording fake VISA.
#include "instruments/VisaDefs.h"

#include <QStringList>
#include <functional>

using TypeCall = std::function<ViStatus(int type)>;

// A command table row: for each of its types, from a reset fake with the
// replies queued ('|' between them), the call must succeed, send exactly the
// texts of sent ('|' between them) and read one reply per text holding '?'.
struct CmdRow {
  QList<int> types;
  TypeCall call;
  QString sent;
  QString replies = QString();
};

// "" when every row matches, else the first type that does not, with what it did.
QString CheckRows(const QList<CmdRow> &rows);

// Makes the occurrence-th write of text to session (any when 0) fail with
// status when run() is repeated after it; false when a dry run does not send it.
bool FailWriteOf(const QString &text, const std::function<void()> &run, ViStatus status = VI_ERROR_IO,
                 ViSession session = 0, int occurrence = 1);

// The writes to one session, in order.
QStringList WritesTo(ViSession session);
