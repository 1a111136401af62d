// The configuration loader on any file, followed by what start-up does with
// the record: the sweep plan and the instruments' resource strings.
#include "fuzz/FuzzInput.h"
#include "instruments/Visa.h"
#include "storage/CfgFile.h"
#include "sweep/SwpPlan.h"

#include <QFile>

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  static const QString dir = FuzzScratchDir();
  static int fileNo = 0;
  // A new name each time: the settings library caches what it read by name.
  const QString path = dir + QStringLiteral("/f%1.cfg").arg(++fileNo);
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
      abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
  }
  CfgStr cfg;
  QString refused;
  CfgLoad(cfg, path, &refused);
  QFile::remove(path);
  CalcSwpLst(cfg);
  // What reaches the plot's axes must be finite.
  if (!std::isfinite(cfg.Numerator * cfg.Gen1.StartFreq / cfg.Denominator) && cfg.AnaFreqs.isEmpty())
    abort();
  for (DevStr *dev : {&cfg.Gen1, &cfg.Gen2, &cfg.Ana})
    MakeRsrc(*dev);
  return 0;
}
