#include "storage/PrintSeam.h"

#include <QPrintDialog>

namespace PrintSeam {
namespace {
PrinterFactory factory;
PrinterChooser chooser;
}  // namespace

std::unique_ptr<QPrinter> makePrinter(QPrinter::PrinterMode mode)
{
  return factory ? factory(mode) : std::make_unique<QPrinter>(mode);
}

bool choosePrinter(QPrinter &printer, QWidget *parent)
{
  if (chooser)
    return chooser(printer, parent);
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

void setPrinterFactory(PrinterFactory f) { factory = std::move(f); }
void setPrinterChooser(PrinterChooser c) { chooser = std::move(c); }

}  // namespace PrintSeam
