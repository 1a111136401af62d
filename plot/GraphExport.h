#pragma once
// Export Graph: the plot alone (axes, traces, legend and markers, not the
// window around it) rendered by the plot library's renderer, as vectors in
// PDF and SVG and as a picture in PNG.
#include <QSizeF>
#include <QString>

class QwtPlot;

// The format a file name asks for: "pdf", "svg", "png", or empty.
QString GraphExportFormat(const QString &path);
// Renders the plot to `path` in the format of its suffix on a page (PDF,
// SVG) or picture (PNG) of `mm` millimetres at `dpi` dots per inch; false
// with *reason when the format is unknown or the file could not be written.
bool ExportGraph(QwtPlot *plot, const QString &path, const QSizeF &mm, int dpi, QString *reason);
