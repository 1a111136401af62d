#include "CmdTranscript.h"

#include "FakeVisa.h"

#include <QPair>

namespace {

// The session and text of each viWrite, in order.
QList<QPair<ViSession, QString>> Writes() {
  const QStringList texts = FakeVisa::writes();
  QList<QPair<ViSession, QString>> out;
  for (const QString &line : FakeVisa::transcript())
    if (line.startsWith("viWrite ")) out << qMakePair(ViSession(line.section(' ', 1, 1).toUInt()), texts[out.size()]);
  return out;
}

}  // namespace

QString CheckRows(const QList<CmdRow> &rows) {
  for (const CmdRow &row : rows) {
    const QStringList want = row.sent.isEmpty() ? QStringList() : row.sent.split('|');
    for (int type : row.types) {
      FakeVisa::reset();
      for (const QString &reply : row.replies.split('|', Qt::SkipEmptyParts)) FakeVisa::reply(reply);
      const ViStatus status = row.call(type);
      const QStringList sent = FakeVisa::writes();
      const int reads = FakeVisa::transcript().filter(QRegExp("^viRead ")).size();
      if (status != VI_SUCCESS || sent != want || reads != want.filter("?").size())
        return QString("type %1: status %2, sent %3, reads %4").arg(type).arg(status).arg(sent.join('|')).arg(reads);
    }
  }
  return QString();
}

bool FailWriteOf(const QString &text, const std::function<void()> &run, ViStatus status, ViSession session,
                 int occurrence) {
  FakeVisa::reset();
  run();
  const auto writes = Writes();
  FakeVisa::reset();
  for (int i = 0, seen = 0; i < writes.size(); ++i) {
    if (writes[i].second != text || (session != 0 && writes[i].first != session) || ++seen < occurrence) continue;
    for (int j = 0; j < i; ++j) FakeVisa::failNext("viWrite", VI_SUCCESS);
    FakeVisa::failNext("viWrite", status);
    return true;
  }
  return false;
}

QStringList WritesTo(ViSession session) {
  QStringList out;
  for (const auto &write : Writes())
    if (write.first == session) out << write.second;
  return out;
}
