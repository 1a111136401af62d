#include "FakePwu.h"

#include "FakeLibrary.h"
#include "TestPaths.h"
#include "fakes/FakeControl.h"
#include "instruments/PwuDriver.h"

namespace {

FakeLibrary &library()
{
  static FakeLibrary fake(FakePwu::folder() + "libpwudrv_64.so");
  return fake;
}

}  // namespace

namespace FakePwu {

QString folder()
{
  return binDir() + "/fakepwu/";
}

QString incompleteFolder()
{
  return binDir() + "/fakepwu-incomplete/";
}

bool load()
{
  static const bool loaded = PwuLoad(folder());
  reset();
  return loaded && PwuLibraryPath() == folder() + "libpwudrv_64.so";
}

void reset()
{
  library().resolve<decltype(&fakepwu_reset)>("fakepwu_reset")();
}

void reading(double watts)
{
  library().resolve<decltype(&fakepwu_reading)>("fakepwu_reading")(watts, VI_SUCCESS);
}

void readingFails(ViStatus status)
{
  library().resolve<decltype(&fakepwu_reading)>("fakepwu_reading")(0.0, status);
}

void failNext(const QString &function, ViStatus status)
{
  library().resolve<decltype(&fakepwu_fail_next)>("fakepwu_fail_next")(function.toLatin1().constData(), status);
}

void setRevision(const QString &text)
{
  library().resolve<decltype(&fakepwu_revision)>("fakepwu_revision")(text.toUtf8().constData());
}

QStringList transcript()
{
  return FakeLibrary::lines(library().resolve<decltype(&fakepwu_transcript)>("fakepwu_transcript"));
}

}  // namespace FakePwu
