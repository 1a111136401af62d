#pragma once
// The correction table (".fda"): an XML table of frequency nodes (Hz) and
// correction values (dB) for an external-attenuation correction, taken from
// the first level step of the first trace less generator 1's start level.
#include "sweep/CfgStr.h"

#include <QByteArray>
#include <QString>

// The file name without its folder, up to its first ".fda" (any case).
QString CorrTableName(const QString &path);

// Builds the table text ("\n" line ends). Unmeasured points have no
// correction and are left out of the table; a trace store without any
// measured point of trace 0, level step 0 gives no table (false, reason).
bool CorrTableText(const CfgStr &cfg, const QString &tableName, QByteArray &text, QString *reason);
