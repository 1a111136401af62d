#pragma once
// The trace data file (".dat"): three count lines, then one line per point
// with the analyzer frequency (MHz, six decimals) and every value of the
// point (three decimals), trace by trace and, inside each trace, level step
// by level step. An unmeasured value is written and read as "nan".
//
// The operations return 0 or -1 (kFileCancelled when a FileJob asked them
// to stop); on -1 the reason says what went wrong in words the user can act
// on. They run on any thread and need no window.
#include "storage/FileJob.h"
#include "sweep/CfgStr.h"

#include <QString>

class QIODevice;

// Writes the data file, or the correction table when the file name contains
// ".fda" in any case. Nothing is written before a trace exists; the old file
// stays as it was unless the new one was written completely. The data file
// is written line by line, never held whole.
int SaveDatFile(const CfgStr &cfg, const QString &path, QString *reason = nullptr, FileJob *job = nullptr);

// What a data file holds, read but not yet in a settings record.
struct DatFileContent {
  int traces = 0;
  int levels = 0;
  int points = 0;
  QVector<double> freqs;
  QVector<TraceRec> store;  // store[t][l][i], as CfgStr::Traces
};

// Reads a data file. A file that cannot be held safely (counts outside 1 and
// the limits of SwpLimits.h, missing or extra values, text that is no
// number, binary data, lines longer than any the save writes) is refused.
int ReadDatFile(QIODevice &device, DatFileContent &content, QString *reason = nullptr, FileJob *job = nullptr);
int ReadDatFile(const QString &path, DatFileContent &content, QString *reason = nullptr, FileJob *job = nullptr);

// Puts what was read into the record: TraceCount, LevelCount, PointCount,
// AnaFreqs and Traces come from the file; NormData is reset to unmeasured
// values; Gen1Freqs and Gen2Freqs take the file's frequencies, since the
// file carries no others, so every reader of them stays within PointCount
// until the next Start recomputes the sweep plan; ColourIdx is the colour of
// the last trace (trace t has colour t modulo kTraceColours).
void ApplyDatFile(DatFileContent &&content, CfgStr &cfg);

// ReadDatFile and ApplyDatFile; a refused file leaves cfg untouched.
int LoadDatFile(CfgStr &cfg, const QString &path, QString *reason = nullptr);
