#pragma once
// Reading a fuzz input piece by piece; an exhausted input gives zeros and
// empty pieces, so every input is a complete program of operations.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>

#include <cstddef>
#include <cstdint>

class FuzzInput {
public:
  FuzzInput(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  bool empty() const { return pos_ >= size_; }
  uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
  uint32_t u32()
  {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = (value << 8) | byte();
    return value;
  }
  // The next `length` bytes (fewer at the end).
  QByteArray bytes(size_t length)
  {
    const size_t take = length < size_ - pos_ ? length : size_ - pos_;
    const QByteArray piece(reinterpret_cast<const char *>(data_ + pos_), int(empty() ? 0 : take));
    pos_ += empty() ? 0 : take;
    return piece;
  }
  // Bytes up to the next line feed (not included) or the end.
  QByteArray line()
  {
    size_t end = pos_;
    while (end < size_ && data_[end] != '\n')
      ++end;
    const QByteArray piece = bytes(end - pos_);
    byte();
    return piece;
  }
  QByteArray rest() { return bytes(size_ - pos_); }

private:
  const uint8_t *data_;
  size_t size_;
  size_t pos_ = 0;
};

// Qt's file and settings classes expect an application object. Scratch
// files go to memory where the system offers it, so that the syncs of the
// saves cost nothing.
inline QString FuzzScratchDir()
{
  static int argc = 1;
  static char name[] = "fuzz";
  static char *argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  const QString dir = base + QStringLiteral("/solvane-fuzz-%1").arg(QCoreApplication::applicationPid());
  QDir().mkpath(dir);
  return dir;
}
