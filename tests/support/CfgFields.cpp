#include "support/CfgFields.h"

#include "storage/CfgFile.h"

#include <QMap>
#include <QStringList>
#include <variant>

namespace {

using Field = std::variant<double *, int *, bool *>;

Field At(CfgStr &c, const QString &name) {
  const QMap<QString, Field> fields{
      {"Step", &c.StepFreq}, {"N", &c.Numerator}, {"D", &c.Denominator}, {"RF0", &c.Gen1.StartFreq},
      {"RF1", &c.Gen1.StopFreq}, {"RFCentre", &c.Gen1.CenterFreq}, {"RFSpan", &c.Gen1.SpanFreq},
      {"L0", &c.Gen1.StartLevel}, {"L1", &c.Gen1.StopLevel}, {"LStep", &c.Gen1.StepLevel}, {"LO0", &c.Gen2.StartFreq},
      {"LO1", &c.Gen2.StopFreq}, {"LOSpan", &c.Gen2.SpanFreq}, {"LOCentre", &c.Gen2.CenterFreq},
      {"LOL", &c.Gen2.StartLevel}, {"IF0", &c.Ana.StartFreq}, {"IF1", &c.Ana.StopFreq},
      {"IFCentre", &c.Ana.CenterFreq}, {"IFSpan", &c.Ana.SpanFreq},
      {"LO", &c.Gen2.Type}, {"Log", &c.LogSweep}, {"Count", &c.Count}, {"Usb", &c.UpperSideband},
      {"FixedLo", &c.FixedLo}, {"FixedIf", &c.FixedIf}, {"Levels", &c.LevelSweep}, {"Points", &c.PointCount},
      {"LevelCount", &c.LevelCount}, {"NIndex", &c.NIndex}, {"DisplayAna", &c.DisplayAna},
      {"Atten", &c.ExternalAttenuation}, {"Gen1Type", &c.Gen1.Type}, {"AnaType", &c.Ana.Type}, {"Pwu", &c.PwuIndex},
      {"Dwell", &c.Dwell}, {"X", &c.X}, {"Y", &c.Y}, {"Dx", &c.Dx}, {"Gen1Port", &c.Gen1.SerialPort},
      {"AnaPort", &c.Ana.SerialPort}, {"TraceCount", &c.TraceCount}};
  if (!fields.contains(name))
    qFatal("no setting named %s", qPrintable(name));
  return fields.value(name);
}

QString Digits(double value) { return QString::number(value, 'g', 17); }

// "first:step:last" when the values are exactly that progression, else the values.
QString Plan(const QVector<double> &values) {
  QStringList texts;
  for (double value : values)
    texts << Digits(value);
  const int n = values.size();
  const double step = n > 2 ? values[1] - values[0] : 0.0;
  for (int i = 0; i < n && n > 2; ++i)
    if (values[i] != values[0] + i * step)
      return texts.join(',');
  return n > 2 ? Digits(values[0]) + ':' + Digits(step) + ':' + Digits(values[n - 1]) : texts.join(',');
}

}  // namespace

CfgStr Defaults(const QString &settings) {
  CfgStr cfg;
  CfgDefaults(cfg);
  Set(cfg, settings);
  return cfg;
}

void Set(CfgStr &cfg, const QString &settings) {
  for (const QString &setting : settings.split(' ', Qt::SkipEmptyParts)) {
    const double value = setting.section('=', 1).toDouble();
    std::visit([value](auto *p) { *p = static_cast<std::remove_pointer_t<decltype(p)>>(value); },
               At(cfg, setting.section('=', 0, 0)));
  }
}

QString Get(CfgStr &cfg, const QString &names) {
  QStringList out;
  for (QString name : names.split(' ', Qt::SkipEmptyParts)) {
    name = name.section('=', 0, 0);
    const QMap<QString, QVector<double>> plans{{"RFs", cfg.Gen1Freqs}, {"LOs", cfg.Gen2Freqs}, {"IFs", cfg.AnaFreqs}};
    out << name + '=' +
               (plans.contains(name) ? Plan(plans[name])
                                     : Digits(std::visit([](auto *p) { return double(*p); }, At(cfg, name))));
  }
  return out.join(' ');
}
