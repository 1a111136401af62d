#pragma once
// Where the user manual (Solvane.pdf) is: beside the program in the build
// tree, in share/doc/solvane/ once installed. When neither exists, the
// place beside the program, so that a caller can say what is missing.
#include <QString>

QString ManualFile();
