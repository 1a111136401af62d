#pragma once
// The printouts and the clipboard picture: the trace values as text on the
// default printer, and a picture of the main window on a chosen printer or
// on the clipboard. Printers come from PrintSeam.
#include "sweep/CfgStr.h"

#include <QString>

class QPainter;
class QPixmap;
class QPrinter;
class QWidget;

// The three count lines, then one line per point: the frequency with two
// decimals and every value with three, each followed by a space ("\r\n"
// line ends). Before the first trace exists only the count lines.
QString PrintDataText(const CfgStr &cfg);

// Prints the text line by line, wrapping long lines and going on to a new
// page whenever one is full. False when the printer cannot be started.
bool PrintText(const QString &text, QPrinter &printer);

// Print Data: the text of PrintDataText on the default printer, no dialog.
// On a machine without a printer the print dialog offers a PDF file in the
// configuration folder instead; cancelling it prints nothing (true).
bool PrintData(const CfgStr &cfg, QWidget *parent = nullptr);

// Print Graph: asks for a printer and prints the window's picture, as large
// as the page allows with its aspect kept; without a printer the dialog
// offers a PDF file in `pdfFolder`. Returns false only when the chosen
// printer cannot be started; a cancelled dialog prints nothing.
bool PrintGraph(QWidget *window, const QString &pdfFolder = QString());

// Graph to Clipboard: the window's picture on the system clipboard.
void CopyGraph(QWidget *window);
