#pragma once
// Trace data for spreadsheets and scripts (".csv"). A few comment lines
// ("# ...") say when the traces were measured, with which instruments and
// with which sweep settings; then one header row and one row per point:
//
//   Frequency [MHz],Trace 1 Step 1,Trace 1 Step 2,Trace 2 Step 1,...
//   100.000000,-12.345,-7.350,-12.341,...
//
// Frequencies are the analyzer's (MHz, six decimals), values have three
// decimals, always with a decimal point whatever the locale. A point that
// was not measured is an empty cell. The file reads as it stands in a
// spreadsheet and with pandas.read_csv(path, comment='#').
//
// Needs no window: the headless runner writes it as the window's export does.
#include "sweep/CfgStr.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Writes the traces of cfg measured at `when`. Returns 0, or -1 with the
// reason (no trace yet, or the file could not be written; the old file then
// stays as it was).
int SaveCsvFile(const CfgStr &cfg, const QString &path, const QDateTime &when, QString *reason = nullptr);

// The text SaveCsvFile writes for a complete trace store ("\n" line ends).
QByteArray CsvFileText(const CfgStr &cfg, const QDateTime &when);
