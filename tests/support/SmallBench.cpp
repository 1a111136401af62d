#include "support/SmallBench.h"

void SmallBench(CfgStr &cfg, int points, int levels, double stepMHz, double dwellS)
{
  for (DevStr *dev : {&cfg.Gen1, &cfg.Gen2, &cfg.Ana}) {
    dev->Interface = 0;
    dev->Session = 0;
  }
  cfg.Gen1.Type = 24;
  cfg.Gen1.GpibAddress = 28;
  cfg.Gen2.Type = 0;
  cfg.Ana.Type = 59;
  cfg.Ana.GpibAddress = 20;
  cfg.Ana.TrackingGenerator = false;
  cfg.Gen1.StartFreq = 100.0;
  cfg.StepFreq = stepMHz;
  cfg.Gen1.StopFreq = 100.0 + stepMHz * (points - 1);
  cfg.LevelSweep = levels > 1;
  cfg.Gen1.StartLevel = -20.0;
  cfg.Gen1.StepLevel = 10.0;
  cfg.Gen1.StopLevel = -20.0 + 10.0 * (levels - 1);
  cfg.Dwell = dwellS;
  cfg.Spx.Fast = 1;
}
