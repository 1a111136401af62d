#pragma once
// Whether the program talks to the simulated bench rather than to real
// instruments, so that the window can say so: simulated values must never
// pass for measurements. The project's libsolvisa answers
// solvisa_bench_name() with the name of the bench it serves ("default" or
// the bench file); a real VISA library has no such function.
#include <QLibrary>
#include <QString>

// The name of the simulated bench behind the VISA library at visaLibraryPath,
// or an empty string when the library serves no simulated bench.
inline QString SimulatedBenchName(const QString &visaLibraryPath) {
  if (visaLibraryPath.isEmpty())
    return QString();
  using NameFunction = const char *(*)();
  const auto name = reinterpret_cast<NameFunction>(QLibrary::resolve(visaLibraryPath, "solvisa_bench_name"));
  const char *text = name ? name() : nullptr;
  return text ? QString::fromUtf8(text) : QString();
}
