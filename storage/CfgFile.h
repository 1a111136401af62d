#pragma once
// The configuration file: an INI file with every stored setting.
#include "sweep/CfgStr.h"

#include <QString>

// Reads every key (missing keys give their defaults); 0 on success.
int CfgLoad(CfgStr &cfg, const QString &path);
// Writes every key; 0 on success, -1 when the file could not be written.
int CfgSave(const CfgStr &cfg, const QString &path);
// Fills AppName, CfgDir and CfgPath from the executable and the per-user data
// folder, creating the folder path.
void CfgPaths(CfgStr &cfg);
