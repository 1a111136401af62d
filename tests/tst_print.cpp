// Print Data and Print Graph, printed into PDF files and read back with
// pdftotext.
#include "storage/PrintSeam.h"
#include "storage/Printing.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

CfgStr OneTrace(int points) {
  CfgStr cfg;
  cfg.TraceCount = 1;
  cfg.LevelCount = 1;
  cfg.PointCount = points;
  cfg.Traces = {TraceRec(1, QVector<double>(points))};
  for (int i = 0; i < points; ++i) {
    cfg.AnaFreqs.append(100.0 + i * 2.5);
    cfg.Traces[0][0][i] = -10.0 - i / 1000.0;
  }
  return cfg;
}

}  // namespace

class TstPrint : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString pdf;
  QList<QPrinter::PrinterMode> modes;  // of the printers made

  // The text of the PDF, one string per page.
  QStringList PdfPages() {
    QProcess process;
    process.start("pdftotext", {"-layout", pdf, "-"});
    process.waitForFinished(30000);
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split('\f');
    pages.removeLast();  // after the last page's form feed
    return pages;
  }

private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
      QSKIP("pdftotext (Debian package poppler-utils) is missing; scripts/setup installs it");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    PrintSeam::setPrinterFactory([this](QPrinter::PrinterMode mode) {
      modes << mode;
      auto printer = std::make_unique<QPrinter>(mode);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return printer;
    });
  }

  void init() {
    static int n = 0;
    pdf = dir.filePath(QString("print%1.pdf").arg(++n));
    modes.clear();
  }

  void printDataOfOneTraceOneLevelThreePoints() {
    QCOMPARE(PrintDataText(OneTrace(3)),
             QString("Repetition  Count: 1\r\nLevel Sweep Count: 1\r\nMeasurement Count: 3\r\n"
                     "100.00 -10.000 \r\n102.50 -10.001 \r\n105.00 -10.002 \r\n"));
    CfgStr none;
    none.PointCount = 91;
    QCOMPARE(PrintDataText(none), QString("Repetition  Count: 0\r\nLevel Sweep Count: 0\r\nMeasurement Count: 91\r\n"));

    QVERIFY(PrintData(OneTrace(3)));
    QCOMPARE(modes, QList<QPrinter::PrinterMode>{QPrinter::ScreenResolution});
    const QStringList pages = PdfPages();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].split('\n', Qt::SkipEmptyParts).replaceInStrings(QRegularExpression("^\\s+|\\s+$"), ""),
             (QStringList{"Repetition Count: 1", "Level Sweep Count: 1", "Measurement Count: 3", "100.00 -10.000",
                          "102.50 -10.001", "105.00 -10.002"}));
  }

  void fiveHundredPointsGoOnSeveralPages() {
    QVERIFY(PrintData(OneTrace(500)));
    const QStringList pages = PdfPages();
    qInfo("500 points printed on %d pages", int(pages.size()));
    QVERIFY(pages.size() > 1);
    const QStringList words = pages.join('\n').split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const int first = words.indexOf("100.00");
    QVERIFY(first > 0);
    for (int i = 0; i < 500; ++i) {
      QCOMPARE(words.value(first + 2 * i), QString::number(100.0 + i * 2.5, 'f', 2));
      QCOMPARE(words.value(first + 2 * i + 1), QString::number(-10.0 - i / 1000.0, 'f', 3));
    }
    QCOMPARE(words.size(), first + 1000);
  }

  void printGraphItsCancelledDialogAndAFailingPrinter() {
    QLabel window("graph");
    window.resize(400, 300);
    PrintSeam::setPrinterChooser([](QPrinter &, QWidget *) { return false; });
    QVERIFY(PrintGraph(&window));
    QVERIFY(!QFile::exists(pdf));

    QWidget *parentSeen = nullptr;
    PrintSeam::setPrinterChooser([&parentSeen](QPrinter &, QWidget *parent) {
      parentSeen = parent;
      return true;
    });
    QVERIFY(PrintGraph(&window));
    QCOMPARE(parentSeen, &window);
    QCOMPARE(modes, (QList<QPrinter::PrinterMode>{QPrinter::HighResolution, QPrinter::HighResolution}));
    QCOMPARE(PdfPages().size(), 1);

    pdf = dir.path();  // a folder: the printer cannot start, and that is reported
    QVERIFY(!PrintGraph(&window));
    PrintSeam::setPrinterChooser(nullptr);
    QVERIFY(!PrintData(OneTrace(3)));
  }
};

QTEST_MAIN(TstPrint)
#include "tst_print.moc"
