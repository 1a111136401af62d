#pragma once
// A measurement without a window: the settings of a configuration file,
// the instruments prepared, one or more sweeps on the sweep engine, the
// traces written to a data file and optionally a CSV file. Messages go to
// standard error in the window's words; the exit status says what failed.
#include <QString>
#include <cstdio>

enum RunExit {
  kExitDone = 0,
  kExitUsage = 1,      // the command line (QCommandLineParser uses 1 as well)
  kExitConfig = 2,     // configuration file missing or unusable, or no plan
  kExitPrepare = 3,    // VISA library, sensor driver, bench, or instrument preparation
  kExitMeasure = 4,    // a level setting, a measurement or an end-of-run step
  kExitFile = 5,       // an output file could not be written
  kExitStopped = 130,  // Ctrl-C: what was measured is written
};

struct RunRequest {
  QString cfgFile;
  QString datFile;
  QString csvFile;  // empty: no CSV
  int passes = 1;
  bool simulate = false;
  QString benchFile;  // with simulate; empty: the built-in bench
};

RunExit RunHeadless(const RunRequest &request, FILE *progress, bool terminal);
