// Renders a Markdown file to a paginated A4 PDF with Qt's own text layout:
//   solvane_mdtopdf <input.md> <output.pdf>
// Runs at build time on the offscreen platform; exits nonzero on failure so
// the build never ships a stale or empty manual.
#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>

int main(int argc, char *argv[])
{
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  QTextStream err(stderr);
  if (args.size() != 3) {
    err << "usage: solvane_mdtopdf <input.md> <output.pdf>\n";
    return 2;
  }
  QFile source(args[1]);
  if (!source.open(QIODevice::ReadOnly)) {
    err << "cannot read " << args[1] << ": " << source.errorString() << "\n";
    return 1;
  }
  QTextDocument document;
  QFont font(QStringLiteral("DejaVu Sans"), 10);
  document.setDefaultFont(font);
  document.setMarkdown(QString::fromUtf8(source.readAll()));

  QPdfWriter pdf(args[2]);
  pdf.setTitle(QStringLiteral("Solvane User Manual"));
  pdf.setCreator(QStringLiteral("Solvane"));
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
  document.print(&pdf);
  if (QFile(args[2]).size() == 0) {
    err << "could not write " << args[2] << "\n";
    return 1;
  }
  return 0;
}
