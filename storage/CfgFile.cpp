#include "storage/CfgFile.h"

#include "instruments/DevTables.h"
#include "storage/CfgKeys.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

DevStr deviceDefaults(int devNo, int type, int gpibAddress)
{
  DevStr dev;
  dev.DevNo = devNo;
  dev.Type = type;
  dev.GpibAddress = gpibAddress;
  dev.SerialPort = devNo;  // COM2, COM3, COM4
  dev.SerialNo = 100028;
  dev.IpAddress = QStringLiteral("192.168.0.1");
  dev.VisaResourceString = QStringLiteral("TCPIP::192.168.0.1::INSTR");
  return dev;
}

CfgStr defaultRecord()
{
  CfgStr cfg;  // the record's own initialisers hold the shared defaults
  cfg.Gen1 = deviceDefaults(1, 24, 28);
  cfg.Gen1.StartFreq = 100.0;
  cfg.Gen1.StopFreq = 1000.0;
  cfg.Gen1.CenterFreq = 550.0;
  cfg.Gen1.SpanFreq = 900.0;
  cfg.Gen1.StartLevel = -10.0;
  cfg.Gen1.StepLevel = 10.0;

  cfg.Gen2 = deviceDefaults(2, 0, 27);
  cfg.Gen2.StartFreq = 1000.0;
  cfg.Gen2.StopFreq = 3000.0;
  cfg.Gen2.CenterFreq = 2000.0;
  cfg.Gen2.SpanFreq = 2000.0;

  cfg.Ana = deviceDefaults(3, 59, 20);
  cfg.Ana.StartFreq = 100.0;
  cfg.Ana.StopFreq = 1000.0;
  cfg.Ana.ProductId = PmTable[0].ProductId;
  // LAN instruments announce themselves as model, unit and serial number.
  cfg.Ana.IpAddress = QStringLiteral("SPA59-1-100028");
  return cfg;
}

// A number that does not fit an int reads as 0, like any other text that is
// not an int, instead of wrapping around to some arbitrary value.
void read(const QVariant &value, CfgConv conv, int &field)
{
  if (conv == CfgConv::IntAsBool) {
    field = value.toBool() ? 1 : 0;
    return;
  }
  bool ok = false;
  const qlonglong wide = value.toLongLong(&ok);
  const bool fits = ok && wide >= std::numeric_limits<int>::min() && wide <= std::numeric_limits<int>::max();
  field = fits ? int(wide) : 0;
}
void read(const QVariant &value, CfgConv, double &field) { field = value.toDouble(); }
void read(const QVariant &value, CfgConv, bool &field) { field = value.toBool(); }
void read(const QVariant &value, CfgConv, QString &field) { field = value.toString(); }

void keepTypeInRange(DevStr &dev, int first, int last, int fallback)
{
  if (dev.Type < first || dev.Type > last)
    dev.Type = fallback;
}

// What must hold after every load, whatever the file held.
void applyLoadRules(CfgStr &cfg, const CfgStr &defaults)
{
  cfg.NIndex = std::max(cfg.NIndex, 0);
  cfg.DisplayAna = true;
  cfg.Gen1.Session = cfg.Gen2.Session = cfg.Ana.Session = 0;
  keepTypeInRange(cfg.Gen1, kGen1FirstType, kGen1LastType, defaults.Gen1.Type);
  keepTypeInRange(cfg.Gen2, kGen2FirstType, kGen2LastType, defaults.Gen2.Type);
  keepTypeInRange(cfg.Ana, kAnaFirstType, kAnaLastType, defaults.Ana.Type);
  if (cfg.PwuIndex < 0 || cfg.PwuIndex >= kPmCount)
    cfg.PwuIndex = defaults.PwuIndex;
  // The dwell is waited at every point: an absurd one would freeze a sweep.
  constexpr double kMaxDwell = 100.0;
  cfg.Dwell = std::isnan(cfg.Dwell) ? 0.0 : std::clamp(cfg.Dwell, 0.0, kMaxDwell);
}

}  // namespace

void CfgDefaults(CfgStr &cfg)
{
  const CfgStr defaults = defaultRecord();
  CfgVisitKeys([&](const QString &, CfgConv, auto... member) {
    CfgField(cfg, member...) = CfgField(defaults, member...);
  });
  for (DevStr CfgStr::*dev : {&CfgStr::Gen1, &CfgStr::Gen2, &CfgStr::Ana}) {
    (cfg.*dev).DevNo = (defaults.*dev).DevNo;
    (cfg.*dev).Session = 0;
  }
}

int CfgLoad(CfgStr &cfg, const QString &path)
{
  const CfgStr defaults = defaultRecord();
  CfgDefaults(cfg);
  QSettings file(path, QSettings::IniFormat);
  CfgVisitKeys([&](const QString &key, CfgConv conv, auto... member) {
    read(file.value(key, QVariant(CfgField(defaults, member...))), conv, CfgField(cfg, member...));
  });
  applyLoadRules(cfg, defaults);
  return file.status() == QSettings::NoError ? 0 : -1;
}

int CfgOpen(CfgStr &cfg, const QString &path, QString *reason)
{
  QFile probe(path);
  if (!probe.open(QIODevice::ReadOnly)) {
    if (reason)
      *reason = QStringLiteral("The configuration file %1 cannot be read (%2). The settings stay as they were.")
                    .arg(QDir::toNativeSeparators(path), probe.errorString());
    return -1;
  }
  probe.close();
  return CfgLoad(cfg, path);
}

int CfgSave(const CfgStr &cfg, const QString &path)
{
  QSettings file(path, QSettings::IniFormat);
  CfgVisitKeys([&](const QString &key, CfgConv, auto... member) {
    file.setValue(key, QVariant(CfgField(cfg, member...)));
  });
  file.sync();
  return file.status() == QSettings::NoError ? 0 : -1;
}

QString CfgSaveErrorText(const QString &path)
{
  return QStringLiteral("The settings could not be written to %1. Check that the folder exists and is writable.")
      .arg(QDir::toNativeSeparators(path));
}
