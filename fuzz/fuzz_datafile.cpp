// The data-file loader on any bytes. A file it accepts must survive the
// round trip: what the program writes from it, it reads back, and writing
// that again gives the same bytes.
#include "fuzz/FuzzInput.h"
#include "storage/DataFile.h"

#include <QBuffer>
#include <QFile>

#include <cstdlib>

namespace {

QByteArray SavedText(const CfgStr &cfg, const QString &path)
{
  if (SaveDatFile(cfg, path) != 0)
    abort();
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  static const QString path = FuzzScratchDir() + QStringLiteral("/trip.dat");
  QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  DatFileContent content;
  if (ReadDatFile(buffer, content) != 0)
    return 0;
  CfgStr cfg;
  ApplyDatFile(std::move(content), cfg);
  const QByteArray first = SavedText(cfg, path);
  CfgStr again;
  if (LoadDatFile(again, path) != 0 || SavedText(again, path) != first)
    abort();
  return 0;
}
