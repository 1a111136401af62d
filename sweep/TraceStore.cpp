#include "sweep/TraceStore.h"

namespace {

TraceRec newRecord(const CfgStr &cfg)
{
  return TraceRec(cfg.LevelCount, QVector<double>(cfg.PointCount, kUnmeasured));
}

}  // namespace

void AllocTrc(CfgStr &cfg)
{
  cfg.Traces = QVector<TraceRec>(qMax(cfg.TraceCount, 0), newRecord(cfg));
  cfg.NormData = QVector<double>(cfg.PointCount, kUnmeasured);
  TakeSeriesFreqs(cfg);
}

void TakeSeriesFreqs(CfgStr &cfg)
{
  cfg.SeriesGen1Freqs = cfg.Gen1Freqs;
  cfg.SeriesGen2Freqs = cfg.Gen2Freqs;
  cfg.SeriesAnaFreqs = cfg.AnaFreqs;
}

void AddTrcRec(CfgStr &cfg)
{
  cfg.Traces.append(newRecord(cfg));
  cfg.TraceCount = cfg.Traces.size();
}

bool TrcFitsPlan(const CfgStr &cfg, bool normActive)
{
  if (cfg.Traces.isEmpty() || cfg.Traces.size() != cfg.TraceCount)
    return false;
  const TraceRec &newest = cfg.Traces.last();
  if (newest.size() != cfg.LevelCount)
    return false;
  for (const QVector<double> &row : newest) {
    if (row.size() != cfg.PointCount)
      return false;
  }
  if (normActive && cfg.NormData.size() != cfg.PointCount)
    return false;
  return cfg.Gen1Freqs.size() == cfg.PointCount && cfg.AnaFreqs.size() == cfg.PointCount &&
         (cfg.Gen2.Type == 0 || cfg.Gen2Freqs.size() == cfg.PointCount) && TrcMatchesPlan(cfg);
}

bool TrcMatchesPlan(const CfgStr &cfg)
{
  return cfg.SeriesGen1Freqs == cfg.Gen1Freqs && cfg.SeriesGen2Freqs == cfg.Gen2Freqs &&
         cfg.SeriesAnaFreqs == cfg.AnaFreqs;
}
