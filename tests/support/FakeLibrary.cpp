// FakeVisa and FakePwu: the control functions of the fake libraries, looked
// up in the same library file that the program loads.
#include "FakePwu.h"
#include "FakeVisa.h"
#include "TestPaths.h"
#include "fakes/FakeControl.h"
#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"

#include <QLibrary>

namespace {

// Aborts the run when the fake cannot be used: every later check would be void.
// A QLibrary never unloads its file when it goes: the state lives on.
QFunctionPointer symbol(const QString &file, const char *name) {
  QLibrary library(file);
  const QFunctionPointer fn = library.resolve(name);
  if (!fn)
    qFatal("fake library %s, %s: %s", qPrintable(file), name, qPrintable(library.errorString()));
  return fn;
}

#define VISA(fn) reinterpret_cast<decltype(&fn)>(symbol(FakeVisa::libraryPath(), #fn))
#define PWU(fn) reinterpret_cast<decltype(&fn)>(symbol(FakePwu::folder() + "libpwudrv_64.so", #fn))

QStringList lines(const char *text) { return *text ? QString::fromUtf8(text).split('\n') : QStringList(); }

void queue(const QString &resource, const QString &text, ViStatus status = VI_SUCCESS) {
  const QByteArray bytes = text.toLocal8Bit();
  VISA(fakevisa_reply)(qPrintable(resource), bytes.constData(), static_cast<size_t>(bytes.size()), status);
}

}  // namespace

namespace FakeVisa {

QString libraryPath() { return binDir() + "/libfakevisa.so"; }
QString incompleteLibraryPath() { return binDir() + "/libfakevisa_noren.so"; }

bool load() {
  static const bool loaded = [] {
    qputenv("SOLVANE_VISA_LIBRARY", libraryPath().toLocal8Bit());
    return VisaLoad();
  }();
  reset();
  return loaded && VisaLibraryPath() == libraryPath();
}

void reset() { VISA(fakevisa_reset)(); }
void reply(const QString &text) { queue(QString(), text); }
void replyFor(const QString &resource, const QString &text) { queue(resource, text); }
void timeoutFor(const QString &resource) { queue(resource, QString(), VI_ERROR_TMO); }
void failNext(const QString &function, ViStatus status) { VISA(fakevisa_fail_next)(qPrintable(function), status); }
void failOpen(const QString &resource, ViStatus status) { VISA(fakevisa_fail_open)(qPrintable(resource), status); }
void statusByte(ViUInt16 stb) { VISA(fakevisa_stb)(stb); }
QStringList transcript() { return lines(VISA(fakevisa_transcript)()); }

QStringList writes() {
  QStringList texts;
  size_t length = 0;
  for (size_t i = 0; const char *bytes = VISA(fakevisa_write)(i, &length); ++i)
    texts << QString::fromLocal8Bit(bytes, static_cast<int>(length));
  return texts;
}

}  // namespace FakeVisa

namespace FakePwu {

QString folder() { return binDir() + "/fakepwu/"; }
QString incompleteFolder() { return binDir() + "/fakepwu-incomplete/"; }

bool load() {
  static const bool loaded = PwuLoad(folder());
  reset();
  return loaded && PwuLibraryPath() == folder() + "libpwudrv_64.so";
}

void reset() { PWU(fakepwu_reset)(); }
void reading(double watts) { PWU(fakepwu_reading)(watts, VI_SUCCESS); }
void readingFails(ViStatus status) { PWU(fakepwu_reading)(0.0, status); }
void failNext(const QString &function, ViStatus status) { PWU(fakepwu_fail_next)(qPrintable(function), status); }
void setRevision(const QString &text) { PWU(fakepwu_revision)(text.toUtf8().constData()); }
QStringList transcript() { return lines(PWU(fakepwu_transcript)()); }

}  // namespace FakePwu
