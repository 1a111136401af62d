#include "plot/GraphExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <qwt_plot.h>
#include <qwt_plot_renderer.h>

QString GraphExportFormat(const QString &path)
{
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("pdf") || suffix == QLatin1String("svg") || suffix == QLatin1String("png")
             ? suffix
             : QString();
}

bool ExportGraph(QwtPlot *plot, const QString &path, const QSizeF &mm, int dpi, QString *reason)
{
  const QString format = GraphExportFormat(path);
  if (format.isEmpty()) {
    *reason = QStringLiteral("The graph can be exported as PDF, SVG or PNG; the file name must end in .pdf, "
                             ".svg or .png.");
    return false;
  }
  if (mm.width() <= 0 || mm.height() <= 0 || dpi <= 0) {
    *reason = QStringLiteral("The size and the resolution of the graph must be greater than 0.");
    return false;
  }
  // The renderer reports nothing; an old file must not pass for the new one.
  QFile::remove(path);
  QwtPlotRenderer renderer;
  renderer.setDiscardFlag(QwtPlotRenderer::DiscardCanvasFrame);
  renderer.renderDocument(plot, path, format, mm, dpi);
  if (QFileInfo(path).size() > 0)
    return true;
  *reason = QStringLiteral("The file %1 could not be written.").arg(QDir::toNativeSeparators(path));
  return false;
}
