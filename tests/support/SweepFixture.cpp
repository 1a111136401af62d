#include "support/SweepFixture.h"

#include "instruments/Visa.h"
#include "support/FakeVisa.h"
#include "sweep/SwpPlan.h"
#include "sweep/TraceStore.h"

namespace SweepFixture {

const QString kGen1Rsrc = QStringLiteral("GPIB0::28::INSTR");
const QString kGen2Rsrc = QStringLiteral("GPIB0::29::INSTR");
const QString kAnaRsrc = QStringLiteral("GPIB0::20::INSTR");

namespace {

void Gpib(DevStr &dev, int type, int address)
{
  dev.Type = type;
  dev.Interface = 0;
  dev.GpibAddress = address;
  dev.Session = 0;
}

QString Hz(double mhz) { return QString::number(mhz * 1e6, 'f', 1) + QLatin1Char('\n'); }

void ScriptGenerator(const QString &rsrc, const DevStr &gen, bool levelSweep)
{
  if (levelSweep)
    FakeVisa::replyFor(rsrc, QString::number(gen.StopLevel) + QLatin1Char('\n'));
  FakeVisa::replyFor(rsrc, QString::number(gen.StartLevel) + QLatin1Char('\n'));
  FakeVisa::replyFor(rsrc, Hz(gen.StopFreq));
  FakeVisa::replyFor(rsrc, Hz(gen.StartFreq));
}

}  // namespace

void Settings(CfgStr &cfg, int points)
{
  Gpib(cfg.Gen1, kGenType, 28);
  Gpib(cfg.Gen2, 0, 29);
  Gpib(cfg.Ana, kAnaType, 20);
  cfg.Gen1.StartFreq = 100.0;
  cfg.Gen1.StopFreq = 100.0 + 10.0 * (points - 1);
  cfg.Gen1.StartLevel = -10.0;
  cfg.Gen1.StopLevel = -10.0;
  cfg.Gen1.StepLevel = 10.0;
  cfg.StepFreq = 10.0;
  cfg.Spx.Fast = 1;
  CalcSwpLst(cfg);
  cfg.TraceCount = 1;
  AllocTrc(cfg);
}

void WithLo(CfgStr &cfg, bool fixedLo)
{
  Gpib(cfg.Gen2, kGenType, 29);
  cfg.Gen2.StartFreq = 1000.0;
  cfg.Gen2.StopFreq = 1000.0 + (cfg.Gen1.StopFreq - cfg.Gen1.StartFreq);
  cfg.Gen2.StartLevel = 7.0;
  cfg.Gen2.StopLevel = 7.0;
  cfg.FixedLo = fixedLo;
  CalcSwpLst(cfg);
  AllocTrc(cfg);
}

void ScriptPrep(const CfgStr &cfg, double sweepTimeS)
{
  if (!cfg.Ana.TrackingGenerator)
    ScriptGenerator(kGen1Rsrc, cfg.Gen1, cfg.LevelSweep);
  if (cfg.Gen2.Type != 0)
    ScriptGenerator(kGen2Rsrc, cfg.Gen2, cfg.LevelSweep);
  FakeVisa::replyFor(kAnaRsrc, QString::number(sweepTimeS) + QLatin1Char('\n'));
}

void ScriptReadings(double dbm, int count)
{
  for (int i = 0; i < count; ++i)
    FakeVisa::replyFor(kAnaRsrc, QString::number(dbm) + QLatin1Char('\n'));
}

QStringList RunWrites()
{
  const QStringList writes = FakeVisa::writes();
  int start = writes.size();
  for (int i = writes.size() - 1; i >= 0; --i) {
    if (writes.at(i).startsWith(QLatin1String("SWE:TIME?"))) {
      start = i + 1;
      break;
    }
  }
  return writes.mid(start);
}

QStringList WritesTo(ViSession session)
{
  const QString prefix = QStringLiteral("viWrite %1 ").arg(session);
  QStringList lines;
  for (const QString &line : FakeVisa::transcript()) {
    if (line.startsWith(prefix))
      lines << line.mid(prefix.size());
  }
  return lines;
}

}  // namespace SweepFixture
