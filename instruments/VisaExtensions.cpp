#include "instruments/VisaExtensions.h"

#include "instruments/Visa.h"

#include <QLibrary>

namespace {

using TextFunction = const char *(*)();

QString textOf(const QString &libraryPath, const char *function) {
  if (libraryPath.isEmpty())
    return QString();
  const auto call = reinterpret_cast<TextFunction>(QLibrary::resolve(libraryPath, function));
  const char *text = call ? call() : nullptr;
  return text ? QString::fromUtf8(text) : QString();
}

}  // namespace

QString SimulatedBenchName(const QString &visaLibraryPath) { return textOf(visaLibraryPath, "solvisa_bench_name"); }

QString VisaFailureReason() { return textOf(VisaLibraryPath(), "solvisa_last_reason"); }
