#include "dialogs/GraphSizeDialog.h"

#include "ui_GraphSizeDialog.h"

#include <cmath>

namespace {
GraphSizeDialog::Handler handler;

int Pixels(double mm, int dpi) { return int(std::lround(mm / 25.4 * dpi)); }
}  // namespace

GraphSizeDialog::GraphSizeDialog(const Choice &start, QWidget *parent)
    : QDialog(parent), ui(new Ui::GraphSizeDialog)
{
  ui->setupUi(this);
  ui->Wid->setValue(start.widthMm);
  ui->Hgt->setValue(start.heightMm);
  ui->Dpi->setValue(start.dpi);
  for (auto *box : {ui->Wid, ui->Hgt})
    connect(box, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &GraphSizeDialog::showPixels);
  connect(ui->Dpi, qOverload<int>(&QSpinBox::valueChanged), this, &GraphSizeDialog::showPixels);
  showPixels();
}

GraphSizeDialog::~GraphSizeDialog() = default;

GraphSizeDialog::Choice GraphSizeDialog::choice() const
{
  return {ui->Wid->value(), ui->Hgt->value(), ui->Dpi->value()};
}

void GraphSizeDialog::showPixels()
{
  const Choice c = choice();
  ui->PixLbl->setText(QStringLiteral("PNG: %1 x %2 pixels").arg(Pixels(c.widthMm, c.dpi)).arg(Pixels(c.heightMm, c.dpi)));
}

bool GraphSizeDialog::ask(QWidget *parent, Choice *choice)
{
  if (handler)
    return handler(choice);
  GraphSizeDialog dialog(*choice, parent);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  *choice = dialog.choice();
  return true;
}

void GraphSizeDialog::setHandler(Handler h) { handler = std::move(h); }
