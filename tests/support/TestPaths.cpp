#include "TestPaths.h"

QString binDir() { return QStringLiteral(SOLVANE_BIN_DIR); }
QString sourceDir() { return QStringLiteral(SOLVANE_SOURCE_DIR); }
