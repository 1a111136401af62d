#pragma once
// The trace data file (".dat"): three count lines, then one line per point
// with the analyzer frequency (MHz, six decimals) and every value of the
// point (three decimals), trace by trace and, inside each trace, level step
// by level step. An unmeasured value is written and read as "nan".
//
// Both operations return 0 or -1; on -1 the reason says what went wrong in
// words the user can act on.
#include "sweep/CfgStr.h"

#include <QByteArray>
#include <QString>

// Writes the data file, or the correction table when the file name contains
// ".fda" in any case. Nothing is written before a trace exists; the old file
// stays as it was unless the new one was written completely.
int SaveDatFile(const CfgStr &cfg, const QString &path, QString *reason = nullptr);

// Reads a data file into the trace store. A file that cannot be held safely
// (counts outside 1 and the limits of SwpLimits.h, missing or extra values,
// text that is no number, binary data, overlong lines) is refused and cfg is
// left untouched. On success: TraceCount, LevelCount, PointCount, AnaFreqs
// and Traces come from the file; NormData is reset to unmeasured values;
// Gen1Freqs and Gen2Freqs take the file's frequencies, since the file carries
// no others, so every reader of them stays within PointCount until the next
// Start recomputes the sweep plan; ColourIdx is the colour of the last trace
// (trace t has colour t modulo kTraceColours).
int LoadDatFile(CfgStr &cfg, const QString &path, QString *reason = nullptr);

// The text SaveDatFile writes for a complete trace store ("\n" line ends).
QByteArray DatFileText(const CfgStr &cfg);
