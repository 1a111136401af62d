#pragma once
// Where the printouts get their printer: the default printer and the print
// dialog, or, in tests, a PDF file and a scripted answer (a test never waits
// on the modal print dialog or feeds a real printer).
#include <QPrinter>

#include <functional>
#include <memory>

class QWidget;

namespace PrintSeam {

// A printer in the given resolution mode (the default printer).
std::unique_ptr<QPrinter> makePrinter(QPrinter::PrinterMode mode);
// Lets the user choose and set up the printer; false when cancelled.
bool choosePrinter(QPrinter &printer, QWidget *parent);

using PrinterFactory = std::function<std::unique_ptr<QPrinter>(QPrinter::PrinterMode)>;
using PrinterChooser = std::function<bool(QPrinter &, QWidget *parent)>;
// Pass nullptr to return to the real printer and dialog.
void setPrinterFactory(PrinterFactory factory);
void setPrinterChooser(PrinterChooser chooser);

}  // namespace PrintSeam
