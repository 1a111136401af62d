#pragma once
#include <QString>

// Where the build put the program and its run-time libraries, and the source
// tree (for fixtures).
QString binDir();
QString sourceDir();
