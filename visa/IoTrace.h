#pragma once
// The I/O trace of SOLVISA_TRACE: one line per VISA call, appended to the
// named file, so that a person can follow every exchange with the bench:
//   20:41:07.123  viWrite         #3  GPIB0::28::INSTR  > "FREQ 100000000.0;*OPC?\n"  VI_SUCCESS
#include "instruments/VisaDefs.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <mutex>

class IoTrace {
public:
  // Opens the file named by SOLVISA_TRACE, if any.
  void openFromEnvironment();
  bool enabled() const { return file_.isOpen(); }
  // detail: what was sent (">"), received ("<") or set, already formatted.
  void log(const char *function, ViSession session, const QString &resource, const QByteArray &detail,
           ViStatus status);

  static QByteArray sent(const QByteArray &bytes) { return "> " + escaped(bytes); }
  static QByteArray received(const QByteArray &bytes) { return "< " + escaped(bytes); }
  // Quoted, with control and non-ASCII bytes escaped (\n, \r, \t, \xNN).
  static QByteArray escaped(const QByteArray &bytes);

private:
  std::mutex mutex_;  // sessions on several threads write lines
  QFile file_;
};
