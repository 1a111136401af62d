#pragma once
// The --simulate start-up option of the window and the headless runner:
// every instrument is served by the simulated bench of the project's own
// VISA library, and the USB power sensor by the stand-in driver beside it.
// It sets the environment variables that the libraries read, so a user who
// sets them by hand gets the same.
#include <QString>
#include <QStringList>

// QCommandLineParser has no option with an optional value: "--simulate=FILE"
// becomes "--simulate" here and *benchFile receives FILE (empty otherwise).
QStringList SplitSimulateOption(const QStringList &arguments, QString *benchFile);

// Points SOLVANE_VISA_LIBRARY at libsolvisa, SOLVISA_BENCH at the bench
// ("default" for an empty benchFile) and VXIPNPPATH64 at the stand-in sensor
// driver, looked for beside the executable (build tree) or in the installed
// lib/solvane/. Call before the libraries are loaded. False, with the reason,
// when the library or the bench file is missing.
bool UseSimulatedBench(const QString &benchFile, QString *reason);
