#pragma once
// Where the user manual is and how it is opened.
#include <QString>

// The manual's file: "Solvane.pdf" beside the program in the build tree, in
// share/doc/solvane/ once installed. When neither exists, the place beside
// the program, so that a caller can say what is missing.
QString ManualPath();

// Opens the manual with the desktop's PDF viewer; false when the desktop
// plainly has none (no program to open files with, or none registered for
// PDF files), so that the window can say where the manual is instead.
bool OpenManual(const QString &path);

// What the window says when no viewer could open the manual.
QString NoPdfViewerText(const QString &path);
