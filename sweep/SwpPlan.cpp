#include "sweep/SwpPlan.h"

#include "sweep/SwpLimits.h"

#include <cmath>

namespace {

// Everything one run of the plan writes, built aside so that a refused plan
// leaves the record untouched.
struct Plan {
  int pointCount = 0;
  int levelCount = 1;
  QVector<double> gen1, gen2, ana;
  double anaStart = 0.0, anaStop = 0.0;
  double gen2Stop = 0.0, gen2Span = 0.0, gen2Center = 0.0;
};

bool refuse(QString *reason, const QString &text)
{
  if (reason)
    *reason = text;
  return false;
}

QString number(double value) { return QString::number(value, 'g', 12); }

// Whole steps from start to stop, plus one. Not finite when the inputs are not.
double stepCount(double start, double stop, double step)
{
  return std::trunc(std::fabs((stop - start) / step)) + 1;
}

const QString kNotFinite = QStringLiteral(
    "The sweep settings give frequencies or levels that are not finite numbers. "
    "Check the frequencies, the steps and the factor N/D.");

bool planLevels(const CfgStr &cfg, Plan &plan, QString *reason)
{
  if (!cfg.LevelSweep) {
    plan.levelCount = 1;
    return true;
  }
  const DevStr &g1 = cfg.Gen1;
  if (g1.StepLevel == 0.0)
    return refuse(reason, QStringLiteral("The level step is 0 dB: a level sweep needs a step."));
  const double levels = stepCount(g1.StartLevel, g1.StopLevel, g1.StepLevel);
  if (!std::isfinite(levels))
    return refuse(reason, kNotFinite);
  if (levels > kMaxLevels)
    return refuse(reason, QStringLiteral("The level sweep would have %1 level steps; at most %2 are possible. "
                                         "Use a larger level step.")
                              .arg(number(levels))
                              .arg(kMaxLevels));
  plan.levelCount = int(levels);
  return true;
}

bool sweptLo(const CfgStr &cfg) { return cfg.Gen2.Type != 0 && !cfg.FixedLo && !cfg.FixedIf; }

bool planPointCount(const CfgStr &cfg, Plan &plan, QString *reason)
{
  const QString tooMany = QStringLiteral("The sweep would have %1 frequency points; at most %2 are possible. ");
  if (cfg.LogSweep != 0) {
    if (cfg.Count < 2)
      return refuse(reason, QStringLiteral("A logarithmic sweep needs at least 2 points; the point count is %1.")
                                .arg(cfg.Count));
    if (cfg.Count > kMaxPoints)
      return refuse(reason, tooMany.arg(cfg.Count).arg(kMaxPoints) + QStringLiteral("Use fewer points."));
    if (!(cfg.Gen1.StartFreq > 0.0 && cfg.Gen1.StopFreq > 0.0))
      return refuse(reason, QStringLiteral("A logarithmic sweep needs RF start and stop frequencies above 0 MHz "
                                           "(they are %1 MHz and %2 MHz).")
                                .arg(number(cfg.Gen1.StartFreq), number(cfg.Gen1.StopFreq)));
    if (sweptLo(cfg) && !(cfg.Gen2.StartFreq > 0.0 && cfg.Gen2.StopFreq > 0.0))
      return refuse(reason, QStringLiteral("A logarithmic sweep needs LO start and stop frequencies above 0 MHz "
                                           "(they are %1 MHz and %2 MHz).")
                                .arg(number(cfg.Gen2.StartFreq), number(cfg.Gen2.StopFreq)));
    plan.pointCount = cfg.Count;
    return true;
  }
  if (cfg.StepFreq == 0.0)
    return refuse(reason, QStringLiteral("The frequency step is 0 MHz: a linear sweep needs a step."));
  const double points = stepCount(cfg.Gen1.StartFreq, cfg.Gen1.StopFreq, cfg.StepFreq);
  if (!std::isfinite(points))
    return refuse(reason, kNotFinite);
  if (points > kMaxPoints)
    return refuse(reason, tooMany.arg(number(points)).arg(kMaxPoints) + QStringLiteral("Use a larger step."));
  plan.pointCount = int(points);
  return true;
}

// RF (and, for a swept LO, LO) frequency of point i, linear or logarithmic.
struct Stepper {
  bool log;
  double start, step;  // step is a decade exponent when logarithmic
  double at(int i) const { return log ? std::pow(10.0, i * step) * start : i * step + start; }
};

Stepper stepper(const CfgStr &cfg, const DevStr &dev, int pointCount)
{
  if (cfg.LogSweep == 0)
    return {false, dev.StartFreq, cfg.StepFreq};
  return {true, dev.StartFreq, (std::log10(dev.StopFreq) - std::log10(dev.StartFreq)) / (pointCount - 1)};
}

void planFrequencies(const CfgStr &cfg, Plan &plan)
{
  const double s = cfg.UpperSideband != 0 ? 1.0 : -1.0;
  const double n = cfg.Numerator, d = cfg.Denominator;
  // In this order (sign, times N, over D), so that results match to the last bit.
  const auto scaled = [=](double f) { return s * f * n / d; };
  const DevStr &g1 = cfg.Gen1, &g2 = cfg.Gen2;
  const int count = plan.pointCount;
  plan.gen1.resize(count);
  plan.gen2.resize(count);
  plan.ana.resize(count);
  plan.anaStart = cfg.Ana.StartFreq;
  plan.anaStop = cfg.Ana.StopFreq;
  plan.gen2Stop = g2.StopFreq;
  plan.gen2Span = g2.SpanFreq;
  plan.gen2Center = g2.CenterFreq;

  const Stepper rf = stepper(cfg, g1, count);
  for (int i = 0; i < count; ++i)
    plan.gen1[i] = rf.at(i);

  if (g2.Type == 0) {
    plan.anaStart = std::fabs(scaled(g1.StartFreq));
    plan.anaStop = std::fabs(scaled(g1.StopFreq));
    for (int i = 0; i < count; ++i)
      plan.ana[i] = std::fabs(scaled(plan.gen1[i]));
  } else if (cfg.FixedLo) {
    // A fixed LO stays at its start: the preparation proves its stop too, and
    // a stop left from another mode (0 after "None") is no LO frequency.
    plan.gen2Stop = g2.StartFreq;
    plan.gen2Span = 0.0;
    plan.gen2Center = g2.StartFreq;
    plan.anaStart = std::fabs(scaled(g1.StartFreq) + g2.StartFreq);
    plan.anaStop = std::fabs(scaled(g1.StopFreq) + g2.StartFreq);
    for (int i = 0; i < count; ++i) {
      plan.gen2[i] = g2.StartFreq;
      plan.ana[i] = std::fabs(scaled(plan.gen1[i]) + plan.gen2[i]);
    }
  } else if (cfg.FixedIf) {
    const double fixedIf = cfg.Ana.StartFreq;
    plan.gen2Stop = std::fabs(fixedIf - scaled(g1.StopFreq));
    plan.gen2Span = std::fabs(plan.gen2Stop - g2.StartFreq);
    plan.gen2Center = (plan.gen2Stop + g2.StartFreq) * 0.5;
    for (int i = 0; i < count; ++i) {
      plan.ana[i] = fixedIf;
      plan.gen2[i] = std::fabs(plan.ana[i] - scaled(plan.gen1[i]));
    }
  } else {
    const Stepper lo = stepper(cfg, g2, count);
    plan.anaStart = std::fabs(scaled(g1.StartFreq) + g2.StartFreq);
    plan.anaStop = std::fabs(scaled(g1.StopFreq) + g2.StopFreq);
    for (int i = 0; i < count; ++i) {
      plan.gen2[i] = std::fabs(lo.at(i));
      plan.ana[i] = std::fabs(scaled(plan.gen1[i]) + plan.gen2[i]);
    }
  }
}

bool allFinite(const QVector<double> &values)
{
  for (double v : values)
    if (!std::isfinite(v))
      return false;
  return true;
}

bool isFinite(const Plan &plan)
{
  return std::isfinite(plan.anaStart) && std::isfinite(plan.anaStop) && std::isfinite(plan.gen2Stop) &&
         std::isfinite(plan.gen2Span) && std::isfinite(plan.gen2Center) && allFinite(plan.gen1) &&
         allFinite(plan.gen2) && allFinite(plan.ana);
}

}  // namespace

bool CalcSwpLst(CfgStr &cfg, QString *reason)
{
  if (cfg.Denominator == 0.0)
    return refuse(reason, QStringLiteral("The denominator D of the factor N/D is 0; it must not be 0."));
  Plan plan;
  // The counts are checked before anything is allocated.
  if (!planLevels(cfg, plan, reason) || !planPointCount(cfg, plan, reason))
    return false;
  planFrequencies(cfg, plan);
  if (!isFinite(plan))
    return refuse(reason, kNotFinite);

  cfg.PointCount = plan.pointCount;
  cfg.LevelCount = plan.levelCount;
  cfg.Gen1Freqs = std::move(plan.gen1);
  cfg.Gen2Freqs = std::move(plan.gen2);
  cfg.AnaFreqs = std::move(plan.ana);
  cfg.Ana.StartFreq = plan.anaStart;
  cfg.Ana.StopFreq = plan.anaStop;
  cfg.Gen2.StopFreq = plan.gen2Stop;
  cfg.Gen2.SpanFreq = plan.gen2Span;
  cfg.Gen2.CenterFreq = plan.gen2Center;
  return true;
}
