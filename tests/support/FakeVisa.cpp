#include "FakeVisa.h"

#include "FakeLibrary.h"
#include "TestPaths.h"
#include "fakes/FakeControl.h"
#include "instruments/Visa.h"

#include <QByteArray>

namespace {

FakeLibrary &library()
{
  static FakeLibrary fake(FakeVisa::libraryPath());
  return fake;
}

void queue(int scope, const QByteArray &key, const QString &text, ViStatus status)
{
  const QByteArray bytes = text.toLocal8Bit();
  library().resolve<decltype(&fakevisa_reply)>("fakevisa_reply")(scope, key.constData(), bytes.constData(), static_cast<size_t>(bytes.size()), status);
}

// The text of a quoted transcript field, escapes undone.
QString unquote(const QString &line)
{
  QByteArray out;
  const QByteArray in = line.toUtf8();
  int i = in.indexOf('"') + 1;
  while (i > 0 && i < in.size() && in[i] != '"') {
    char c = in[i++];
    if (c == '\\' && i < in.size()) {
      const char e = in[i++];
      switch (e) {
      case 'n': c = '\n'; break;
      case 'r': c = '\r'; break;
      case 't': c = '\t'; break;
      case 'x': c = static_cast<char>(in.mid(i, 2).toInt(nullptr, 16)); i += 2; break;
      default: c = e;
      }
    }
    out += c;
  }
  return QString::fromLocal8Bit(out);
}

}  // namespace

namespace FakeVisa {

QString libraryPath()
{
  return binDir() + "/libfakevisa.so";
}

QString incompleteLibraryPath()
{
  return binDir() + "/libfakevisa_noren.so";
}

bool load()
{
  static const bool loaded = [] {
    qputenv("SOLVANE_VISA_LIBRARY", libraryPath().toLocal8Bit());
    return VisaLoad();
  }();
  reset();
  return loaded && VisaLibraryPath() == libraryPath();
}

void reset()
{
  library().resolve<decltype(&fakevisa_reset)>("fakevisa_reset")();
}

void reply(const QString &text)
{
  queue(FAKE_ANY_SESSION, QByteArray(), text, VI_SUCCESS);
}

void replyFor(const QString &resource, const QString &text)
{
  queue(FAKE_RESOURCE, resource.toLocal8Bit(), text, VI_SUCCESS);
}

void replyForSession(ViSession session, const QString &text)
{
  queue(FAKE_SESSION, QByteArray::number(session), text, VI_SUCCESS);
}

void timeout()
{
  queue(FAKE_ANY_SESSION, QByteArray(), QString(), VI_ERROR_TMO);
}

void timeoutFor(const QString &resource)
{
  queue(FAKE_RESOURCE, resource.toLocal8Bit(), QString(), VI_ERROR_TMO);
}

void failNext(const QString &function, ViStatus status)
{
  library().resolve<decltype(&fakevisa_fail_next)>("fakevisa_fail_next")(function.toLatin1().constData(), status);
}

void failOpen(const QString &resource, ViStatus status)
{
  library().resolve<decltype(&fakevisa_fail_open)>("fakevisa_fail_open")(resource.toLocal8Bit().constData(), status);
}

void statusByte(ViUInt16 stb)
{
  library().resolve<decltype(&fakevisa_stb)>("fakevisa_stb")(stb);
}

void setAutoOpc(bool on)
{
  library().resolve<decltype(&fakevisa_auto_opc)>("fakevisa_auto_opc")(on ? 1 : 0);
}

QStringList transcript()
{
  return FakeLibrary::lines(library().resolve<decltype(&fakevisa_transcript)>("fakevisa_transcript"));
}

QStringList writes()
{
  QStringList texts;
  for (const QString &line : transcript()) {
    if (line.startsWith("viWrite "))
      texts << unquote(line);
  }
  return texts;
}

}  // namespace FakeVisa
