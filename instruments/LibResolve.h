#pragma once
// Looking up one entry point of a library loaded at run time into a typed
// function pointer. Chained with &&, a table is resolved in order and stops at
// the first missing function.
#include <QLibrary>

template <typename Fn>
bool ResolveEntry(QLibrary &library, const char *name, Fn &entry)
{
  entry = reinterpret_cast<Fn>(library.resolve(name));
  return entry != nullptr;
}
