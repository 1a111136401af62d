#include "FakeLibrary.h"

#include <QByteArray>

FakeLibrary::FakeLibrary(const QString &path) : library_(path)
{
  if (!library_.load())
    qFatal("cannot load the fake library %s: %s", qPrintable(path), qPrintable(library_.errorString()));
}

QFunctionPointer FakeLibrary::symbol(const char *name)
{
  const QFunctionPointer fn = library_.resolve(name);
  if (!fn)
    qFatal("the fake library %s lacks %s", qPrintable(library_.fileName()), name);
  return fn;
}

QStringList FakeLibrary::lines(size_t (*copy)(char *, size_t))
{
  QByteArray text(static_cast<int>(copy(nullptr, 0)) + 1, '\0');
  copy(text.data(), static_cast<size_t>(text.size()));
  text.chop(1);
  if (text.isEmpty())
    return {};
  return QString::fromUtf8(text).split('\n');
}
