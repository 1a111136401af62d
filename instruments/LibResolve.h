#pragma once
// Loading a library at run time into a table of typed function pointers.
#include <QLibrary>
#include <QString>

template <typename Fn>
bool ResolveEntry(QLibrary &library, const char *name, Fn &entry)
{
  entry = reinterpret_cast<Fn>(library.resolve(name));
  return entry != nullptr;
}

enum class LibLoad { Missing, Incomplete, Loaded };

// Loads file and fills table with resolveAll (which chains ResolveEntry with
// && so that it stops at the first missing function). A loaded library stays
// loaded until the process ends (QLibrary's destructor does not unload it);
// an incomplete one is unloaded and the table is left untouched.
template <typename Table>
LibLoad LoadTable(const QString &file, bool (*resolveAll)(QLibrary &, Table &), Table &table,
                  QString &loadedPath)
{
  QLibrary library(file);
  if (!library.load())
    return LibLoad::Missing;
  Table found;
  if (!resolveAll(library, found)) {
    library.unload();
    return LibLoad::Incomplete;
  }
  table = found;
  loadedPath = library.fileName();
  return LibLoad::Loaded;
}
