// The bench-file loader on any text.
#include "bench/BenchFile.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  FuzzScratchDir();
  QString error;
  const auto bench = sim::benchFromJson(QByteArray(reinterpret_cast<const char *>(data), int(size)), &error);
  if (bench)
    bench->outputTones();
  return 0;
}
