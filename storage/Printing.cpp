#include "storage/Printing.h"

#include "storage/NumText.h"
#include "storage/PrintSeam.h"
#include "storage/TraceText.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>

QString PrintDataText(const CfgStr &cfg)
{
  QString text = QStringLiteral("Repetition  Count: ") + QString::number(cfg.TraceCount) + QStringLiteral("\r\n")
                 + QStringLiteral("Level Sweep Count: ") + QString::number(cfg.LevelCount) + QStringLiteral("\r\n")
                 + QStringLiteral("Measurement Count: ") + QString::number(cfg.PointCount) + QStringLiteral("\r\n");
  if (!TracesComplete(cfg, nullptr))
    return text;
  for (int i = 0; i < cfg.PointCount; ++i)
    text += PointLine(cfg, i, 2, [](double v) { return QLatin1Char(' ') + FixedText(v, 3); })
            + QStringLiteral(" \r\n");
  return text;
}

bool PrintText(const QString &text, QPrinter &printer)
{
  QPainter painter;
  if (!painter.begin(&printer))
    return false;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const int width = page.width();
  const int height = page.height();
  int y = 0;
  for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
    const int lineHeight = painter.boundingRect(QRect(0, 0, width, height), Qt::TextWordWrap, line).height();
    if (y > 0 && y + lineHeight > height) {
      printer.newPage();
      y = 0;
    }
    painter.drawText(QRect(0, y, width, height - y), Qt::TextWordWrap, line);
    y += lineHeight;
  }
  return painter.end();
}

namespace {

// Without any printer Qt falls back to a PDF printer that has no file to
// write; printing to it fails without a word.
bool NoPrinter(const QPrinter &printer)
{
  return printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
}

// Proposes a PDF file in the print dialog when there is no printer.
void OfferPdf(QPrinter &printer, const QString &folder, const QString &name)
{
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(name));
}

}  // namespace

bool PrintData(const CfgStr &cfg, QWidget *parent)
{
  const std::unique_ptr<QPrinter> printer = PrintSeam::makePrinter(QPrinter::ScreenResolution);
  if (NoPrinter(*printer)) {
    OfferPdf(*printer, cfg.CfgDir, QStringLiteral("Solvane Data.pdf"));
    if (!PrintSeam::choosePrinter(*printer, parent))
      return true;
  }
  return PrintText(PrintDataText(cfg), *printer);
}

bool PrintGraph(QWidget *window, const QString &pdfFolder)
{
  const QPixmap picture = window->grab();
  const std::unique_ptr<QPrinter> printer = PrintSeam::makePrinter(QPrinter::HighResolution);
  if (NoPrinter(*printer))
    OfferPdf(*printer, pdfFolder, QStringLiteral("Solvane Graph.pdf"));
  if (!PrintSeam::choosePrinter(*printer, window))
    return true;
  QPainter painter;
  if (!painter.begin(printer.get()))
    return false;
  const QRect viewport = painter.viewport();
  QSize size = picture.size();
  size.scale(viewport.size(), Qt::KeepAspectRatio);
  painter.setViewport(viewport.x(), viewport.y(), size.width(), size.height());
  painter.setWindow(picture.rect());
  painter.drawPixmap(0, 0, picture);
  return painter.end();
}

void CopyGraph(QWidget *window)
{
  QGuiApplication::clipboard()->setPixmap(window->grab(), QClipboard::Clipboard);
}
