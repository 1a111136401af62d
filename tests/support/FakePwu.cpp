#include "FakePwu.h"

#include "FakeLibrary.h"
#include "TestPaths.h"
#include "fakes/FakeControl.h"
#include "instruments/PwuDriver.h"

namespace {

struct Controls {
  FakeLibrary library{FakePwu::folder() + "libpwudrv_64.so"};
  decltype(&fakepwu_reset) reset = library.resolve<decltype(reset)>("fakepwu_reset");
  decltype(&fakepwu_reading) reading = library.resolve<decltype(reading)>("fakepwu_reading");
  decltype(&fakepwu_fail_next) failNext = library.resolve<decltype(failNext)>("fakepwu_fail_next");
  decltype(&fakepwu_revision) revision = library.resolve<decltype(revision)>("fakepwu_revision");
  decltype(&fakepwu_transcript) transcript =
      library.resolve<decltype(transcript)>("fakepwu_transcript");
};

Controls &controls()
{
  static Controls c;
  return c;
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
  controls().reset();
}

void reading(double watts)
{
  controls().reading(watts, VI_SUCCESS);
}

void readingFails(ViStatus status)
{
  controls().reading(0.0, status);
}

void failNext(const QString &function, ViStatus status)
{
  controls().failNext(function.toLatin1().constData(), status);
}

void setRevision(const QString &text)
{
  controls().revision(text.toUtf8().constData());
}

QStringList transcript()
{
  return FakeLibrary::lines(controls().transcript);
}

}  // namespace FakePwu
