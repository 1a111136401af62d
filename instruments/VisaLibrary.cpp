#include "instruments/VisaLibrary.h"

#include "instruments/LibResolve.h"
#include "instruments/Visa.h"
#include "instruments/VisaFunctions.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLibrary>
#include <QString>

#ifdef Q_OS_WIN
#include <QFileInfo>
#endif

namespace {

struct VisaTable {
  decltype(&viOpenDefaultRM) openDefaultRM = nullptr;
  decltype(&viFindRsrc) findRsrc = nullptr;
  decltype(&viFindNext) findNext = nullptr;
  decltype(&viStatusDesc) statusDesc = nullptr;
  decltype(&viOpen) open = nullptr;
  decltype(&viWrite) write = nullptr;
  decltype(&viRead) read = nullptr;
  decltype(&viQueryf) queryf = nullptr;
  decltype(&viPrintf) printf = nullptr;
  decltype(&viScanf) scanf = nullptr;
  decltype(&viReadToFile) readToFile = nullptr;
  decltype(&viClear) clear = nullptr;
  decltype(&viClose) close = nullptr;
  decltype(&viSetAttribute) setAttribute = nullptr;
  decltype(&viGetAttribute) getAttribute = nullptr;
  decltype(&viSetBuf) setBuf = nullptr;
  decltype(&viReadSTB) readStb = nullptr;
  decltype(&viGpibControlREN) gpibControlRen = nullptr;
};

VisaTable table;
const VisaTable *loaded = nullptr;
QString loadedPath;

// In the order of the VISA function table; stops at the first missing one.
bool resolveAll(QLibrary &library, VisaTable &t)
{
  return ResolveEntry(library, "viOpenDefaultRM", t.openDefaultRM) &&
         ResolveEntry(library, "viFindRsrc", t.findRsrc) && ResolveEntry(library, "viFindNext", t.findNext) &&
         ResolveEntry(library, "viStatusDesc", t.statusDesc) && ResolveEntry(library, "viOpen", t.open) &&
         ResolveEntry(library, "viWrite", t.write) && ResolveEntry(library, "viRead", t.read) &&
         ResolveEntry(library, "viQueryf", t.queryf) && ResolveEntry(library, "viPrintf", t.printf) &&
         ResolveEntry(library, "viScanf", t.scanf) && ResolveEntry(library, "viReadToFile", t.readToFile) &&
         ResolveEntry(library, "viClear", t.clear) && ResolveEntry(library, "viClose", t.close) &&
         ResolveEntry(library, "viSetAttribute", t.setAttribute) &&
         ResolveEntry(library, "viGetAttribute", t.getAttribute) && ResolveEntry(library, "viSetBuf", t.setBuf) &&
         ResolveEntry(library, "viReadSTB", t.readStb) &&
         ResolveEntry(library, "viGpibControlREN", t.gpibControlRen);
}

constexpr ViStatus kNoLibrary = VI_ERROR_LIBRARY_NFOUND;

}  // namespace

QStringList VisaCandidates()
{
#ifdef Q_OS_WIN
  for (const char *file : {"C:/Windows/system32/visa64.dll", "C:/Windows/system32/KsVisa64.dll"}) {
    const QFileInfo info(file);
    if (info.exists() && info.isFile())
      return {info.completeBaseName()};
  }
  return {};
#else
  QStringList candidates;
  const QString chosen = qEnvironmentVariable("SOLVANE_VISA_LIBRARY");
  if (!chosen.isEmpty())
    candidates << chosen;
  candidates << "libvisa.so";
  if (QCoreApplication::instance()) {
    const QString appDir = QCoreApplication::applicationDirPath();
    candidates << appDir + "/libsolvisa.so" << appDir + "/../lib/solvane/libsolvisa.so";
  }
  return candidates;
#endif
}

bool VisaLoadFrom(const QStringList &candidates)
{
  if (loaded)
    return true;
  for (const QString &candidate : candidates) {
    const LibLoad result = LoadTable(candidate, resolveAll, table, loadedPath);
    if (result == LibLoad::Loaded)
      loaded = &table;
    if (result != LibLoad::Missing)
      break;
  }
  return loaded != nullptr;
}

bool VisaLoad()
{
  return VisaLoadFrom(VisaCandidates());
}

QString VisaLibraryPath()
{
  return loadedPath;
}

namespace visa {

ViStatus openDefaultRM(ViSession &rm)
{
  return loaded ? loaded->openDefaultRM(&rm) : kNoLibrary;
}

ViStatus open(ViSession rm, const QString &resource, ViUInt32 timeoutMs, ViSession &session)
{
  if (!loaded)
    return kNoLibrary;
  const QByteArray name = resource.toLocal8Bit();
  return loaded->open(rm, name.constData(), VI_NO_LOCK, timeoutMs, &session);
}

ViStatus write(ViSession session, const QByteArray &bytes)
{
  if (!loaded)
    return kNoLibrary;
  ViUInt32 written = 0;
  return loaded->write(session, reinterpret_cast<ViConstBuf>(bytes.constData()),
                       static_cast<ViUInt32>(bytes.size()), &written);
}

ViStatus read(ViSession session, QByteArray &buffer, ViUInt32 &received)
{
  received = 0;
  if (!loaded)
    return kNoLibrary;
  return loaded->read(session, reinterpret_cast<ViBuf>(buffer.data()),
                      static_cast<ViUInt32>(buffer.size()), &received);
}

ViStatus close(ViObject object)
{
  return loaded ? loaded->close(object) : kNoLibrary;
}

ViStatus setAttribute(ViObject object, ViAttr attribute, ViAttrState value)
{
  return loaded ? loaded->setAttribute(object, attribute, value) : kNoLibrary;
}

ViStatus findCount(ViSession rm, const QString &expression, ViUInt32 &count)
{
  count = 0;
  if (!loaded)
    return kNoLibrary;
  const QByteArray expr = expression.toLocal8Bit();
  ViFindList list = VI_NULL;
  ViChar first[VI_FIND_BUFLEN] = {};
  const ViStatus status = loaded->findRsrc(rm, expr.constData(), &list, &count, first);
  if (status >= VI_SUCCESS && list != VI_NULL)
    loaded->close(list);
  return status;
}

ViStatus resourceManagerOf(ViSession session, ViSession &rm)
{
  return loaded ? loaded->getAttribute(session, VI_ATTR_RM_SESSION, &rm) : kNoLibrary;
}

ViStatus setBuf(ViSession session, ViUInt16 mask, ViUInt32 size)
{
  return loaded ? loaded->setBuf(session, mask, size) : kNoLibrary;
}

ViStatus readStb(ViSession session, ViUInt16 &stb)
{
  return loaded ? loaded->readStb(session, &stb) : kNoLibrary;
}

ViStatus gpibControlRen(ViSession session, ViUInt16 mode)
{
  return loaded ? loaded->gpibControlRen(session, mode) : kNoLibrary;
}

}  // namespace visa
