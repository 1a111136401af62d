#include "dialogs/OSInfo.h"

const QString kNoFact = QStringLiteral("---");
