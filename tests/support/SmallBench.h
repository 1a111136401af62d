#pragma once
// The settings of the smallest bench a run needs: a generator (type 24) at
// GPIB0::28 sweeping from 100 MHz in `stepMHz` steps into a zero-span
// analyzer (type 59) at GPIB0::20, `levels` level steps 10 dB apart from
// -20 dBm, no LO generator. The plan is not computed.
#include "sweep/CfgStr.h"

#include <tuple>

inline void SmallBench(CfgStr &cfg, int points, int levels, double stepMHz, double dwellS)
{
  for (DevStr *dev : {&cfg.Gen1, &cfg.Gen2, &cfg.Ana})
    std::tie(dev->Interface, dev->Session) = std::tuple(0, 0u);
  std::tie(cfg.Gen1.Type, cfg.Gen1.GpibAddress, cfg.Gen2.Type, cfg.Ana.Type, cfg.Ana.GpibAddress) =
      std::tuple(24, 28, 0, 59, 20);
  cfg.Ana.TrackingGenerator = false;
  std::tie(cfg.Gen1.StartFreq, cfg.StepFreq, cfg.Gen1.StopFreq) =
      std::tuple(100.0, stepMHz, 100.0 + stepMHz * (points - 1));
  std::tie(cfg.LevelSweep, cfg.Gen1.StartLevel, cfg.Gen1.StepLevel, cfg.Gen1.StopLevel) =
      std::tuple(levels > 1, -20.0, 10.0, -20.0 + 10.0 * (levels - 1));
  std::tie(cfg.Dwell, cfg.Spx.Fast) = std::tuple(dwellS, 1);
}
