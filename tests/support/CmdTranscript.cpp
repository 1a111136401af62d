#include "CmdTranscript.h"

#include "FakeVisa.h"

namespace {

// The session of each viWrite in order, parallel to FakeVisa::writes().
QList<ViSession> WriteSessions() {
  QList<ViSession> sessions;
  for (const QString &line : FakeVisa::transcript())
    if (line.startsWith("viWrite ")) sessions << line.section(' ', 1, 1).toUInt();
  return sessions;
}

}  // namespace

Exchange Sent() {
  Exchange e;
  e.writes = FakeVisa::writes();
  for (const QString &line : FakeVisa::transcript()) e.reads += line.startsWith("viRead ") ? 1 : 0;
  return e;
}

Exchange Transcribe(const std::function<void()> &call) {
  FakeVisa::reset();
  call();
  return Sent();
}

QString CheckRows(const QList<CmdRow> &rows) {
  for (const CmdRow &row : rows) {
    ViStatus status = VI_SUCCESS;
    const Exchange e = Transcribe([&] { status = row.call(); });
    if (status != VI_SUCCESS || !(e == Exchange{row.writes, row.reads}))
      return QString("%1: status %2, %3 reads, sent %4").arg(row.name).arg(status).arg(e.reads).arg(e.writes.join("|"));
  }
  return QString();
}

bool FailWriteOf(const QString &text, const std::function<void()> &run, ViStatus status, ViSession session,
                 int occurrence) {
  FakeVisa::reset();
  run();
  const QStringList texts = FakeVisa::writes();
  const QList<ViSession> sessions = WriteSessions();
  int index = -1;
  for (int i = 0, seen = 0; i < texts.size() && index < 0; ++i) {
    if (texts[i] == text && (session == 0 || sessions[i] == session) && ++seen == occurrence) index = i;
  }
  FakeVisa::reset();
  if (index < 0) return false;
  for (int i = 0; i < index; ++i) FakeVisa::failNext("viWrite", VI_SUCCESS);
  FakeVisa::failNext("viWrite", status);
  return true;
}

QStringList WritesTo(ViSession session) {
  const QStringList texts = FakeVisa::writes();
  const QList<ViSession> sessions = WriteSessions();
  QStringList out;
  for (int i = 0; i < texts.size(); ++i)
    if (sessions[i] == session) out << texts[i];
  return out;
}
