// Renders the user manual from Markdown to a paginated A4 PDF with Qt's own
// text layout:
//   solvane_mdtopdf <input.md> <output.pdf> [picture folder]
// The first heading is the title; a contents page with the page number of
// every chapter and section follows it. Listings and inline code are set in
// a monospace font, a heading never stays alone at the foot of a page, and
// every page carries its number. Pictures are looked up in the picture
// folder (else beside the input) and fit the text width. Runs at build time
// on the offscreen platform; exits nonzero on failure so the build never
// ships a stale or empty manual.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <QTextTable>
#include <QUrl>
#include <cmath>

namespace {

const QString kBodyFont = QStringLiteral("DejaVu Sans");
const QString kMonoFont = QStringLiteral("DejaVu Sans Mono");
constexpr qreal kScreenDpi = 96.0;  // the unit of picture sizes in a text document

bool IsHeading(const QTextBlock &block) { return block.isValid() && block.blockFormat().headingLevel() > 0; }

bool IsCode(const QTextBlock &block, const QTextCharFormat &format)
{
  return format.fontFixedPitch() || block.blockFormat().hasProperty(QTextFormat::BlockCodeFence)
         || block.blockFormat().hasProperty(QTextFormat::BlockCodeLanguage);
}

// The Markdown reader marks code as fixed pitch but leaves the family to the
// platform, which on a headless build is the proportional body font.
void SetCodeInMonospace(QTextDocument &doc)
{
  // The ranges are collected first: changing a format splits and merges the
  // fragments that are being walked.
  QList<QPair<int, int>> code;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (IsCode(block, it.fragment().charFormat()))
        code.append({it.fragment().position(), it.fragment().position() + it.fragment().length()});
    }
  }
  QTextCharFormat mono;
  mono.setFontFamily(kMonoFont);
  mono.setFontFixedPitch(true);
  for (const auto &range : code) {
    QTextCursor cursor(&doc);
    cursor.setPosition(range.first);
    cursor.setPosition(range.second, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(mono);
  }
}

// Pictures wider than the text are scaled down to its width.
void FitPictures(QTextDocument &doc, qreal textWidthPx, const QString &folder)
{
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat())
        continue;
      QTextImageFormat image = fragment.charFormat().toImageFormat();
      const QSize size = QImage(folder + QLatin1Char('/') + image.name()).size();
      if (size.isEmpty() || size.width() <= textWidthPx)
        continue;
      image.setWidth(textWidthPx);
      image.setHeight(textWidthPx * size.height() / size.width());
      QTextCursor cursor(&doc);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image);
    }
  }
}

struct Entry {
  QTextBlock heading;
  int row;
};

// "Contents" and a two-column table of the chapters and sections after the
// title; the text that follows starts on a new page. Page numbers are filled
// in once the pages are known.
QList<Entry> InsertContents(QTextDocument &doc, QTextTable **table)
{
  QList<QTextBlock> headings;
  for (QTextBlock block = doc.begin().next(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level == 1 || level == 2)
      headings << block;
  }
  QTextCursor cursor(doc.begin());
  cursor.movePosition(QTextCursor::EndOfBlock);
  QTextCharFormat title;
  title.setFontFamily(kBodyFont);
  title.setFontPointSize(14);
  title.setFontWeight(QFont::Bold);
  QTextBlockFormat spaced;
  spaced.setTopMargin(24);
  spaced.setBottomMargin(8);
  cursor.insertBlock(spaced, title);
  cursor.insertText(QStringLiteral("Contents"));
  cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());

  QTextTableFormat format;
  format.setBorder(0);
  format.setCellPadding(1);
  format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
  format.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90),
                                    QTextLength(QTextLength::PercentageLength, 10)});
  *table = cursor.insertTable(headings.size(), 2, format);
  QList<Entry> entries;
  for (int row = 0; row < headings.size(); ++row) {
    const bool chapter = headings[row].blockFormat().headingLevel() == 1;
    QTextCharFormat text;
    text.setFontFamily(kBodyFont);
    text.setFontWeight(chapter ? QFont::Bold : QFont::Normal);
    QTextBlockFormat indent;
    indent.setIndent(chapter ? 0 : 1);
    QTextCursor name = (*table)->cellAt(row, 0).firstCursorPosition();
    name.setBlockFormat(indent);
    name.insertText(headings[row].text(), text);
    QTextCursor page = (*table)->cellAt(row, 1).firstCursorPosition();
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    page.setBlockFormat(right);
    page.insertText(QStringLiteral("00"), text);
    entries.append({headings[row], row});
  }
  QTextCursor after = (*table)->lastCursorPosition();
  after.movePosition(QTextCursor::NextBlock);
  QTextBlockFormat newPage;
  newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  after.mergeBlockFormat(newPage);
  return entries;
}

int PageOf(const QTextDocument &doc, qreal y) { return int(std::floor(y / doc.pageSize().height())); }

// After a change of formats the layout can leave some blocks unlaid (no
// lines, no height) until the event loop, which a build tool never runs,
// gets to them; laying out the whole document again is quick and sure.
void LayOutAgain(QTextDocument &doc)
{
  doc.markContentsDirty(0, doc.characterCount());
  doc.pageCount();
}

QRectF LaidOutRect(const QTextDocument &doc, const QTextBlock &block)
{
  return doc.documentLayout()->blockBoundingRect(block);
}

int PageOfBlock(const QTextDocument &doc, const QTextBlock &block) { return PageOf(doc, LaidOutRect(doc, block).top()); }

// A heading whose following text begins on the next page moves there too,
// together with the headings directly above it.
void KeepHeadingsWithText(QTextDocument &doc)
{
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    const QTextBlock next = block.next();
    if (!IsHeading(block) || !next.isValid())
      continue;
    const QRectF nextRect = LaidOutRect(doc, next);
    const qreal firstLine = next.layout()->lineCount() > 0 ? next.layout()->lineAt(0).height() : 0.0;
    if (PageOf(doc, nextRect.top() + firstLine) <= PageOfBlock(doc, block))
      continue;
    QTextBlock first = block;
    while (IsHeading(first.previous()))
      first = first.previous();
    QTextBlockFormat newPage;
    newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(first).mergeBlockFormat(newPage);
    LayOutAgain(doc);
  }
}

void FillPageNumbers(QTextTable *table, const QTextDocument &doc, const QList<Entry> &entries)
{
  for (const Entry &entry : entries) {
    QTextCursor cell = table->cellAt(entry.row, 1).firstCursorPosition();
    cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cell.insertText(QString::number(PageOfBlock(doc, entry.heading) + 1));
  }
}

void PaintPages(QTextDocument &doc, QPdfWriter &pdf, qreal footer)
{
  const QSizeF page = doc.pageSize();
  QPainter painter(&pdf);
  QFont numberFont(kBodyFont, 9);
  for (int i = 0; i < doc.pageCount(); ++i) {
    if (i > 0)
      pdf.newPage();
    const QRectF area(0, i * page.height(), page.width(), page.height());
    painter.save();
    painter.translate(0, -area.top());
    painter.setClipRect(area);
    // Without a clip in the context the layout draws every block and the
    // painter's clip keeps the page; the layout's own search for the first
    // visible block misses blocks moved by the page breaks above.
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
    painter.restore();
    painter.setFont(numberFont);
    painter.drawText(QRectF(0, page.height(), page.width(), footer), Qt::AlignCenter, QString::number(i + 1));
  }
}

}  // namespace

int main(int argc, char *argv[])
{
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  QTextStream err(stderr);
  if (args.size() != 3 && args.size() != 4) {
    err << "usage: solvane_mdtopdf <input.md> <output.pdf> [picture folder]\n";
    return 2;
  }
  QFile source(args[1]);
  if (!source.open(QIODevice::ReadOnly)) {
    err << "cannot read " << args[1] << ": " << source.errorString() << "\n";
    return 1;
  }
  const QString pictures = args.size() == 4 ? args[3] : QFileInfo(args[1]).absolutePath();

  QPdfWriter pdf(args[2]);
  pdf.setTitle(QStringLiteral("Solvane User Manual"));
  pdf.setCreator(QStringLiteral("Solvane"));
  pdf.setResolution(300);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(20, 20, 20, 15), QPageLayout::Millimeter);

  QTextDocument doc;
  doc.setDefaultFont(QFont(kBodyFont, 10));
  doc.documentLayout()->setPaintDevice(&pdf);
  doc.setDocumentMargin(0);
  doc.setBaseUrl(QUrl::fromLocalFile(pictures + QLatin1Char('/')));
  doc.setMarkdown(QString::fromUtf8(source.readAll()));

  const QRect body = pdf.pageLayout().paintRectPixels(pdf.resolution());
  const qreal footer = pdf.resolution() * 0.3;
  doc.setPageSize(QSizeF(body.width(), body.height() - footer));
  SetCodeInMonospace(doc);
  FitPictures(doc, body.width() * kScreenDpi / pdf.resolution(), pictures);
  QTextTable *contents = nullptr;
  const QList<Entry> entries = InsertContents(doc, &contents);
  LayOutAgain(doc);
  KeepHeadingsWithText(doc);
  FillPageNumbers(contents, doc, entries);
  LayOutAgain(doc);
  PaintPages(doc, pdf, footer);
  if (QFile(args[2]).size() == 0) {
    err << "could not write " << args[2] << "\n";
    return 1;
  }
  return 0;
}
