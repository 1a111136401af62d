#include "storage/CfgFile.h"

#include "instruments/DevTables.h"
#include "storage/CfgKeys.h"
#include "storage/SafeSave.h"
#include "sweep/SwpPlan.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
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

void keepInRange(int &value, int first, int last, int fallback)
{
  if (value < first || value > last)
    value = fallback;
}

// Frequencies the plot would scale its frequency axis to when the plan is
// refused; the plot library builds ticks without end over an infinite range.
bool fallbackAxisFinite(const CfgStr &cfg)
{
  return cfg.Denominator != 0.0 && std::isfinite(cfg.Numerator * cfg.Gen1.StartFreq / cfg.Denominator)
         && std::isfinite(cfg.Numerator * cfg.Gen1.StopFreq / cfg.Denominator);
}

// Sweep settings that give neither a plan nor a finite frequency axis are
// not taken from the file: the sweep group keeps its defaults, and the
// reason the plan gives says why.
void refuseEndlessSweep(CfgStr &cfg, const CfgStr &defaults, QString *refused)
{
  CfgStr probe = cfg;
  QString why;
  if (CalcSwpLst(probe, &why) || fallbackAxisFinite(cfg))
    return;
  CfgVisitKeys([&](const QString &key, CfgConv, auto... member) {
    if (key.startsWith(QLatin1String("Sweep/")))
      CfgField(cfg, member...) = CfgField(defaults, member...);
  });
  if (refused)
    *refused = why + QStringLiteral(" The sweep settings of the file are not used; the defaults are.");
}

// A value that is no finite number takes its default, and the display and
// level values stay within what any control under the plot can show.
void keepFinite(CfgStr &cfg, const CfgStr &defaults)
{
  constexpr double kWidest = 1e9;
  CfgVisitKeys([&](const QString &key, CfgConv, auto... member) {
    auto &field = CfgField(cfg, member...);
    if constexpr (std::is_same_v<std::decay_t<decltype(field)>, double>) {
      if (!std::isfinite(field))
        field = CfgField(defaults, member...);
      if (key.startsWith(QLatin1String("Display/")))
        field = std::clamp(field, -kWidest, kWidest);
    }
  });
}

// What must hold after every load, whatever the file held.
void applyLoadRules(CfgStr &cfg, const CfgStr &defaults, QString *refused)
{
  refuseEndlessSweep(cfg, defaults, refused);
  // The dwell is waited at every point: an absurd one would freeze a sweep.
  constexpr double kMaxDwell = 100.0;
  cfg.Dwell = std::isnan(cfg.Dwell) ? 0.0 : std::clamp(cfg.Dwell, 0.0, kMaxDwell);
  keepFinite(cfg, defaults);
  cfg.NIndex = std::max(cfg.NIndex, 0);
  cfg.DisplayAna = true;
  cfg.Gen1.Session = cfg.Gen2.Session = cfg.Ana.Session = 0;
  keepTypeInRange(cfg.Gen1, kGen1FirstType, kGen1LastType, defaults.Gen1.Type);
  keepTypeInRange(cfg.Gen2, kGen2FirstType, kGen2LastType, defaults.Gen2.Type);
  keepTypeInRange(cfg.Ana, kAnaFirstType, kAnaLastType, defaults.Ana.Type);
  if (cfg.PwuIndex < 0 || cfg.PwuIndex >= kPmCount)
    cfg.PwuIndex = defaults.PwuIndex;
  // Ports COM1 to COM4; the window's place and size on any desktop. Beyond
  // these, arithmetic on the values would overflow.
  for (DevStr CfgStr::*dev : {&CfgStr::Gen1, &CfgStr::Gen2, &CfgStr::Ana})
    keepInRange((cfg.*dev).SerialPort, 0, 3, (defaults.*dev).SerialPort);
  constexpr int kFarthest = 1000000;
  keepInRange(cfg.X, -kFarthest, kFarthest, defaults.X);
  keepInRange(cfg.Y, -kFarthest, kFarthest, defaults.Y);
  keepInRange(cfg.Dx, 0, kFarthest, defaults.Dx);
  keepInRange(cfg.Dy, 0, kFarthest, defaults.Dy);
}

// Whether text holds `keys` keys, each on a line of its own, the last line
// ended: a write cut short by a full disk holds fewer.
bool holdsKeys(const QByteArray &text, int keys)
{
  int lines = 0;
  for (const QByteArray &line : text.split('\n')) {
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.isEmpty() && !trimmed.startsWith('['))
      ++lines;
  }
  return text.endsWith('\n') && lines == keys;
}

bool refuse(QString *reason, const QString &why)
{
  if (reason)
    *reason = why;
  return false;
}

// The text QSettings gives for the record. QSettings replaces a file through
// a save file whose failing last write it does not notice, and guards it
// with a lock file that a killed program leaves behind; so it writes into a
// scratch folder of its own, and the text is checked before it is used.
bool iniText(const CfgStr &cfg, const QString &path, QByteArray &text, QString *reason)
{
  QTemporaryDir scratch;
  if (!scratch.isValid())
    return refuse(reason, QStringLiteral("No temporary folder: %1").arg(scratch.errorString()));
  const QString draft = scratch.filePath(QStringLiteral("settings.cfg"));
  // Keys of the file that are not the program's stay, as they always have.
  if (QFile::copy(path, draft))
    QFile::setPermissions(draft, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  int keys = -1;
  {
    QSettings file(draft, QSettings::IniFormat);
    CfgVisitKeys([&](const QString &key, CfgConv, auto... member) {
      file.setValue(key, QVariant(CfgField(cfg, member...)));
    });
    file.sync();
    if (file.status() == QSettings::NoError)
      keys = file.allKeys().size();
  }
  QFile written(draft);
  if (written.open(QIODevice::ReadOnly))
    text = written.readAll();
  if (!holdsKeys(text, keys))
    return refuse(reason, QStringLiteral("The settings could not be put together in %1 (is that disk full?)")
                              .arg(QDir::toNativeSeparators(scratch.path())));
  return true;
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

int CfgLoad(CfgStr &cfg, const QString &path, QString *refused)
{
  const CfgStr defaults = defaultRecord();
  CfgDefaults(cfg);
  QSettings file(path, QSettings::IniFormat);
  CfgVisitKeys([&](const QString &key, CfgConv conv, auto... member) {
    read(file.value(key, QVariant(CfgField(defaults, member...))), conv, CfgField(cfg, member...));
  });
  applyLoadRules(cfg, defaults, refused);
  return file.status() == QSettings::NoError ? 0 : -1;
}

int CfgOpen(CfgStr &cfg, const QString &path, QString *reason, QString *refused)
{
  QFile probe(path);
  if (!probe.open(QIODevice::ReadOnly)) {
    if (reason)
      *reason = QStringLiteral("The configuration file %1 cannot be read (%2). The settings stay as they were.")
                    .arg(QDir::toNativeSeparators(path), probe.errorString());
    return -1;
  }
  probe.close();
  return CfgLoad(cfg, path, refused);
}

int CfgSave(const CfgStr &cfg, const QString &path, QString *reason)
{
  QByteArray text;
  if (!iniText(cfg, path, text, reason))
    return -1;
  // QSettings wrote the platform's line ends already.
  return SaveTextSafely(path, text, reason, false) ? 0 : -1;
}

QString CfgSaveErrorText(const QString &reason)
{
  return QStringLiteral("The settings could not be saved (%1). The settings file keeps what it held before.").arg(reason);
}
