#include "instruments/PwuDriver.h"

#include "instruments/LibResolve.h"
#include "instruments/Measure.h"
#include "instruments/PwuDrvDefs.h"
#include "instruments/Visa.h"

#include <QByteArray>

#include <cmath>

namespace {

struct PwuTable {
  decltype(&pwudrv_init) init = nullptr;
  decltype(&pwudrv_revision_query) revisionQuery = nullptr;
  decltype(&pwudrv_close) close = nullptr;
  decltype(&pwudrv_chans_zero) chansZero = nullptr;
  decltype(&pwudrv_avg_configureAvgAuto) avgAuto = nullptr;
  decltype(&pwudrv_avg_configureAvgManual) avgManual = nullptr;
  decltype(&pwudrv_range_setAutoEnabled) rangeAuto = nullptr;
  decltype(&pwudrv_chan_setInitContinuousEnabled) initContinuous = nullptr;
  decltype(&pwudrv_chan_setCorrectionFrequency) correctionFrequency = nullptr;
  decltype(&pwudrv_meass_readMeasurement) readMeasurement = nullptr;
  decltype(&pwudrv_error_message) errorMessage = nullptr;
};

PwuTable table;
const PwuTable *loaded = nullptr;
QString loadedPath;

constexpr ViInt32 kChannel = 1;
constexpr ViInt32 kMeasureTimeoutMs = 10000;
constexpr ViStatus kNoDriver = VI_ERROR_LIBRARY_NFOUND;

#ifdef Q_OS_WIN
const char *const kDriverFile = "pwudrv_64.dll";
#else
const char *const kDriverFile = "libpwudrv_64.so";
#endif

// In the order of the driver function table; stops at the first missing one.
bool resolveAll(QLibrary &library, PwuTable &t)
{
  return ResolveEntry(library, "pwudrv_init", t.init) &&
         ResolveEntry(library, "pwudrv_revision_query", t.revisionQuery) &&
         ResolveEntry(library, "pwudrv_close", t.close) &&
         ResolveEntry(library, "pwudrv_chans_zero", t.chansZero) &&
         ResolveEntry(library, "pwudrv_avg_configureAvgAuto", t.avgAuto) &&
         ResolveEntry(library, "pwudrv_avg_configureAvgManual", t.avgManual) &&
         ResolveEntry(library, "pwudrv_range_setAutoEnabled", t.rangeAuto) &&
         ResolveEntry(library, "pwudrv_chan_setInitContinuousEnabled", t.initContinuous) &&
         ResolveEntry(library, "pwudrv_chan_setCorrectionFrequency", t.correctionFrequency) &&
         ResolveEntry(library, "pwudrv_meass_readMeasurement", t.readMeasurement) &&
         ResolveEntry(library, "pwudrv_error_message", t.errorMessage);
}

// Driver warnings (positive) count as success.
ViStatus successAsZero(ViStatus status)
{
  return status > 0 ? VI_SUCCESS : status;
}

}  // namespace

bool PwuLoad(const QString &folder)
{
  if (!loaded && LoadTable(folder + kDriverFile, resolveAll, table, loadedPath) == LibLoad::Loaded)
    loaded = &table;
  return loaded != nullptr;
}

QString PwuLibraryPath()
{
  return loadedPath;
}

ViStatus PwuOpen(DevStr &ana)
{
  if (!loaded)
    return kNoDriver;
  if (ana.Session != 0) {
    PwuClose(ana.Session);
    ana.Session = 0;
  }
  const QByteArray resource = UsbRsrc(ana.ProductId, ana.SerialNo).toLocal8Bit();
  ViSession session = VI_NULL;
  ViStatus status = loaded->init(resource.constData(), VI_FALSE, ana.Reset ? VI_TRUE : VI_FALSE, &session);
  // A failed init may leave anything in the handle; never keep it.
  ana.Session = status < 0 ? VI_NULL : session;
  if (status < 0)
    return status;
  char revision[PWUDRV_REVISION_BUFLEN] = {};
  char instrumentRevision[PWUDRV_REVISION_BUFLEN] = {};
  status = loaded->revisionQuery(session, revision, instrumentRevision);
  if (status < 0)
    return status;
  revision[PWUDRV_REVISION_BUFLEN - 1] = '\0';
  ana.Idn = "Kestrova PWUx, " + QString::fromUtf8(revision);
  return VI_SUCCESS;
}

ViStatus PwuSetup(const DevStr &ana)
{
  if (!loaded)
    return kNoDriver;
  const ViStatus status = ana.PwxxAutoAveraging != 0
                              ? loaded->avgAuto(ana.Session, kChannel, ana.PwxxResolution)
                              : loaded->avgManual(ana.Session, kChannel, ana.PwxxCount);
  if (status >= 0)
    loaded->rangeAuto(ana.Session, kChannel, VI_TRUE);
  return successAsZero(status);
}

ViStatus PwuMeasure(ViSession session, double freqHz, double dwellS, double &levelDbm)
{
  if (!loaded)
    return kNoDriver;
  ViStatus status = loaded->correctionFrequency(session, kChannel, freqHz);
  if (status < 0)
    return status;
  InstrumentSleep(DwellMs(dwellS));
  double watts = 0.0;
  status = loaded->readMeasurement(session, kChannel, kMeasureTimeoutMs, &watts);
  if (status < 0)
    return status;
  // No power (or a reading below the zero offset) has no level in dBm; it
  // must reach the user as a failed measurement, not as minus infinity.
  if (!(watts > 0.0) || !std::isfinite(watts))
    return kPwuNoReading;
  levelDbm = 10.0 * std::log10(watts * 1000.0);
  return VI_SUCCESS;
}

ViStatus PwuZero(ViSession session)
{
  if (!loaded)
    return kNoDriver;
  return successAsZero(loaded->chansZero(session));
}

ViStatus PwuClose(ViSession session)
{
  if (!loaded)
    return kNoDriver;
  return session != 0 ? successAsZero(loaded->close(session)) : VI_SUCCESS;
}
