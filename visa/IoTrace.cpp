#include "visa/IoTrace.h"

#include "visa/StatusText.h"

#include <QTime>

void IoTrace::openFromEnvironment() {
  const QString path = qEnvironmentVariable("SOLVISA_TRACE");
  if (path.isEmpty() || file_.isOpen())
    return;
  file_.setFileName(path);
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
    qWarning("libsolvisa: cannot write the I/O trace %s", qPrintable(path));
}

QByteArray IoTrace::escaped(const QByteArray &bytes) {
  QByteArray out = "\"";
  for (char c : bytes) {
    const auto u = uchar(c);
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c == '"' || c == '\\')
      out += QByteArray("\\") + c;
    else if (u < 0x20 || u >= 0x7F)
      out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    else
      out += c;
  }
  return out + '"';
}

void IoTrace::log(const char *function, ViSession session, const QString &resource, const QByteArray &detail,
                  ViStatus status) {
  if (!file_.isOpen())
    return;
  QByteArray line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
  line += "  " + QByteArray(function).leftJustified(15);
  line += " #" + QByteArray::number(session).leftJustified(3);
  line += ' ' + resource.toLatin1().leftJustified(18);
  if (!detail.isEmpty())
    line += ' ' + detail;
  line += "  " + statusName(status) + '\n';
  std::lock_guard<std::mutex> lock(mutex_);
  file_.write(line);
  file_.flush();
}
