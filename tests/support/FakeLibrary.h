#pragma once
// Shared plumbing of FakeVisa and FakePwu: reaching the control functions of
// a fake library loaded from the same file as the program loads it.
#include <QLibrary>
#include <QStringList>

#include <cstddef>

class FakeLibrary {
 public:
  explicit FakeLibrary(const QString &path);

  // The control function name; aborts the test run when it is missing, since
  // every later assertion would be meaningless.
  template <typename Fn>
  Fn resolve(const char *name)
  {
    return reinterpret_cast<Fn>(symbol(name));
  }

  // Reads a transcript through its size_t fn(char *, size_t) control call.
  static QStringList lines(size_t (*copy)(char *, size_t));

 private:
  QFunctionPointer symbol(const char *name);
  QLibrary library_;
};
