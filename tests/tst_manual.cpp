// The built manual: its contents page names every chapter and section with
// the page it starts on, no heading stands alone at the foot of a page,
// listings are in a monospace font, and the pictures of the window are in it.
#include "support/TestPaths.h"

#include <QtTest>

namespace {

QString Run(const QString &program, const QStringList &args)
{
  QProcess process;
  process.start(program, args);
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class TestManual : public QObject {
  Q_OBJECT

  QString pdf = binDir() + QStringLiteral("/Solvane.pdf");
  QStringList pages;  // the text of each page, lines as laid out

private slots:
  void initTestCase()
  {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QSKIP("pdftotext (Debian package poppler-utils) is missing; scripts/setup installs it");
    pages = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).split('\f');
    pages.removeLast();
    QVERIFY(pages.size() > 5);
  }

  void contentsPageGivesWhereEachHeadingStarts()
  {
    const QRegularExpression entry(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)? \\S.*?)\\s{2,}(\\d+)$"));
    QStringList checked;
    for (const QString &line : pages[0].split('\n')) {
      const QRegularExpressionMatch m = entry.match(line);
      if (!m.hasMatch())
        continue;
      const QString heading = m.captured(1);
      const int page = m.captured(2).toInt();
      QVERIFY2(page >= 2 && page <= pages.size(), qPrintable(line));
      QStringList lines = pages[page - 1].split('\n');
      for (QString &l : lines)
        l = l.trimmed();
      lines.removeAll(QString());
      const int at = lines.indexOf(heading);
      QVERIFY2(at >= 0, qPrintable(heading + " is not on page " + m.captured(2)));
      // The last line is the page number; the one above it must not be a heading.
      QVERIFY2(at < lines.size() - 2, qPrintable(heading + " stands alone at the foot of its page"));
      checked << heading;
    }
    QVERIFY(pages[0].contains(QLatin1String("Contents")));
    for (const char *heading : {"1 Before you start", "4.3 Markers", "6.5 Export Graph", "9 Terms of use"})
      QVERIFY2(checked.contains(QLatin1String(heading)), heading);
  }

  void listingsInMonospaceAndPicturesOfTheWindow()
  {
    QVERIFY(Run(QStringLiteral("pdffonts"), {pdf}).contains(QLatin1String("DejaVuSansMono")));
    const QStringList images = Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(images.size() >= 2 + 2, qPrintable(images.join('\n')));  // two header lines, two pictures
  }
};

QTEST_GUILESS_MAIN(TestManual)
#include "tst_manual.moc"
