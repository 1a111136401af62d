#pragma once
// The configuration file: an INI file with every stored setting.
#include "sweep/CfgStr.h"

#include <QString>

// Sets every stored field to its default (each instrument has its own) and
// DevNo to 1, 2 and 3. Sessions become 0 without being closed; the run-time
// members (plan, traces, paths) are left alone.
void CfgDefaults(CfgStr &cfg);

// Reads every key; a missing file or key gives the default. Afterwards no
// session is open, DisplayAna is true and NIndex is not negative; values that
// no part of the program could use safely (a type outside the instrument's
// range, a sensor row outside the model table, a dwell outside 0 to 100 s)
// are replaced by the default or the nearest bound; a value that is no
// finite number takes its default. Sweep settings that give neither a sweep
// plan nor a finite frequency axis (denominator 0, an infinite or
// overflowing factor or frequency) are not taken: the sweep keys keep their
// defaults and *refused says why. Returns 0, or -1 when the file exists but
// cannot be read (the record then holds the defaults).
int CfgLoad(CfgStr &cfg, const QString &path, QString *refused = nullptr);
// Loads a file the user chose. A file that is missing or cannot be read is
// refused before anything is loaded: the record stays as it was, the result
// is -1 and *reason says why. *refused as for CfgLoad.
int CfgOpen(CfgStr &cfg, const QString &path, QString *reason = nullptr, QString *refused = nullptr);
// Writes every key; 0 on success, -1 with the reason when the file could not
// be written completely, in which case the old file stays as it was.
int CfgSave(const CfgStr &cfg, const QString &path, QString *reason = nullptr);
// What to tell the user when CfgSave returned -1 with reason (which names
// the file).
QString CfgSaveErrorText(const QString &reason);

// Fills AppName, CfgDir and CfgPath from the executable and the per-user data
// folder, creating the folder path; false when it cannot be created.
bool CfgPaths(CfgStr &cfg);
// The configuration folder for a data folder: the maker's folder "Kestrova"
// goes above the application's own folder ("/" or "\" separate components).
QString CfgMakerDir(const QString &dataFolder);

// File dialog captions and filters of Open and Save as.
constexpr const char *kCfgOpenCaption = "Open File";
constexpr const char *kCfgOpenFilter = "Config File (*.cfg);;All Files (*.*)";
constexpr const char *kCfgSaveAsCaption = "Save Cfg File as..";
constexpr const char *kCfgSaveAsFilter = "Config File (*.cfg)";
