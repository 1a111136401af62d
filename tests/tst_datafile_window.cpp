// The main window's file, print, clipboard, manual and About entries: their
// dialogs and messages, and what the window shows after a load.
#include "app/MainWindow.h"
#include "storage/PrintSeam.h"
#include "support/PromptRecorder.h"
#include "support/TestPaths.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_symbol.h>

namespace {

QByteArray EightTraces()
{
  QByteArray text = "Repetition  Count: 8\nLevel Sweep Count: 1\nMeasurement Count: 2\n";
  for (const char *freq : {"100.000000", "200.000000"}) {
    text += freq;
    for (int t = 0; t < 8; ++t)
      text += " -" + QByteArray::number(10 + t) + ".500";
    text += '\n';
  }
  return text;
}

void Write(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray ReadAll(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The visible trace curves (the normalization curve has 3 x 3 symbols).
QList<QwtPlotCurve *> TraceCurves(MainWindow &window)
{
  QList<QwtPlotCurve *> curves;
  for (QwtPlotItem *item : window.findChild<QwtPlot *>("plt")->itemList(QwtPlotItem::Rtti_PlotCurve)) {
    auto *curve = static_cast<QwtPlotCurve *>(item);
    if (curve->isVisible() && curve->symbol() && curve->symbol()->size() == QSize(5, 5))
      curves << curve;
  }
  return curves;
}

bool Enabled(MainWindow &window, const char *button) { return window.findChild<QPushButton *>(button)->isEnabled(); }

// Answers the next file dialog with `path` and remembers what it was asked.
struct FileAnswer {
  QString caption, dir, filter;
  UserPrompt::FileHandler handler(const QString &path)
  {
    return [this, path](const QString &c, const QString &d, const QString &f) {
      caption = c;
      dir = d;
      filter = f;
      return path;
    };
  }
};

}  // namespace

class TstDataFileWindow : public QObject {
  Q_OBJECT
  QTemporaryDir home;
  QTemporaryDir dir;
  std::unique_ptr<PromptRecorder> prompts;

  void load(MainWindow &window, const QString &path)
  {
    UserPrompt::setOpenFileHandler([path](const QString &, const QString &, const QString &) { return path; });
    window.findChild<QAction *>("actionLoad_Data")->trigger();
  }

private slots:
  // The user's configuration is never touched: it goes to a temporary home.
  void initTestCase()
  {
    QVERIFY(home.isValid());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  }
  void init() { prompts.reset(new PromptRecorder); }
  void cleanup()
  {
    UserPrompt::setOpenFileHandler(nullptr);
    UserPrompt::setSaveFileHandler(nullptr);
    PrintSeam::setPrinterFactory(nullptr);
    PrintSeam::setPrinterChooser(nullptr);
    prompts.reset();
  }

  void loadShowsEightTracesInTheirColours()
  {
    MainWindow window;
    prompts->messages.clear();
    Write(dir.filePath("eight.dat"), EightTraces());
    FileAnswer answer;
    UserPrompt::setOpenFileHandler(answer.handler(dir.filePath("eight.dat")));
    window.findChild<QAction *>("actionLoad_Data")->trigger();
    QCOMPARE(answer.caption, QString("Open File"));
    QCOMPARE(answer.filter, QString("Solvane Files (*.dat);;All Files (*.*)"));
    QVERIFY(prompts->messages.isEmpty());

    const QList<QwtPlotCurve *> curves = TraceCurves(window);
    QList<QColor> colours;
    for (QwtPlotCurve *curve : curves)
      colours << curve->symbol()->brush().color();
    QCOMPARE(colours, (QList<QColor>{Qt::black, Qt::red, Qt::blue, Qt::green, Qt::yellow, Qt::cyan, Qt::black, Qt::red}));
    QCOMPARE(curves[7]->dataSize(), size_t(2));
    QCOMPARE(curves[7]->sample(1), QPointF(200.0, -17.5));
    QVERIFY(Enabled(window, "Start") && Enabled(window, "Normalize") && Enabled(window, "Del"));
    QVERIFY(!Enabled(window, "Repeat") && !Enabled(window, "Stop"));

    // Delete Last Trace removes the newest loaded trace; Abs/Rel redraws the rest.
    window.findChild<QPushButton *>("Del")->click();
    QCOMPARE(TraceCurves(window).size(), 7);
    auto *absRel = window.findChild<QSlider *>("AbsRel");
    QVERIFY(absRel->isEnabled());
    absRel->setValue(1);
    QCOMPARE(TraceCurves(window)[6]->sample(1).y(), -16.5 + 10.0);  // default start level -10 dBm
    QCOMPARE(TraceCurves(window).size(), 7);
  }

  void refusedFileChangesNothing()
  {
    MainWindow window;
    Write(dir.filePath("eight.dat"), EightTraces());
    load(window, dir.filePath("eight.dat"));
    prompts->messages.clear();
    Write(dir.filePath("bad.dat"), "Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 5\n1 2\n");
    load(window, dir.filePath("bad.dat"));
    QCOMPARE(prompts->messages.size(), 1);
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Critical);
    QCOMPARE(prompts->messages[0].title, QString("Fehler"));
    QVERIFY(prompts->messages[0].text.startsWith("LoadDatFile -1\n\n"));
    QCOMPARE(TraceCurves(window).size(), 8);

    // Saving writes the loaded traces back byte for byte.
    FileAnswer answer;
    UserPrompt::setSaveFileHandler(answer.handler(dir.filePath("back.dat")));
    window.findChild<QAction *>("actionSave_Data")->trigger();
    QCOMPARE(answer.caption, QString("Save File"));
    QCOMPARE(answer.filter, QString("Solvane Files (*.dat);;Kestrova Data (*.fda);;All Files (*.*)"));
    QCOMPARE(ReadAll(dir.filePath("back.dat")), EightTraces());

    UserPrompt::setSaveFileHandler(answer.handler(dir.filePath("norm.txt")));
    window.findChild<QAction *>("actionSave_Normalization")->trigger();
    QCOMPARE(answer.filter, QString("Files (*.*)"));
    QVERIFY(ReadAll(dir.filePath("norm.txt")).startsWith("100.000000 -0.500 "));
    QCOMPARE(prompts->messages.size(), 1);
  }

  void saveBeforeAnyTraceSaysWhy()
  {
    MainWindow window;
    prompts->messages.clear();
    FileAnswer answer;
    UserPrompt::setSaveFileHandler(answer.handler(QString()));
    window.findChild<QAction *>("actionSave_Data")->trigger();
    QVERIFY(prompts->messages.isEmpty());
    UserPrompt::setSaveFileHandler(answer.handler(dir.filePath("none.dat")));
    window.findChild<QAction *>("actionSave_Data")->trigger();
    QCOMPARE(prompts->messages.size(), 1);
    QCOMPARE(prompts->messages[0].title, QString("Fehler"));
    QCOMPARE(prompts->messages[0].text, QString("SaveDatFile -1\n\nNo trace has been measured or loaded yet."));
    QVERIFY(!QFile::exists(dir.filePath("none.dat")));
  }

  void printingAndTheClipboard()
  {
    MainWindow window;
    Write(dir.filePath("eight.dat"), EightTraces());
    load(window, dir.filePath("eight.dat"));
    prompts->messages.clear();
    const QString pdf = dir.filePath("window.pdf");
    PrintSeam::setPrinterFactory([pdf](QPrinter::PrinterMode mode) {
      auto printer = std::make_unique<QPrinter>(mode);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return printer;
    });
    PrintSeam::setPrinterChooser([](QPrinter &, QWidget *) { return false; });
    window.findChild<QAction *>("actionPrint_Graph")->trigger();
    QVERIFY(!QFile::exists(pdf));
    window.findChild<QAction *>("actionPrint_Data")->trigger();
    QVERIFY(ReadAll(pdf).startsWith("%PDF-"));
    QVERIFY(prompts->messages.isEmpty());

    window.findChild<QAction *>("actionGraph_to_Clipboard")->trigger();
    QCOMPARE(QApplication::clipboard()->pixmap().size(), window.size());
  }

  void contentsOpensTheManualBesideTheProgram()
  {
    const QString manual = QCoreApplication::applicationDirPath() + "/Solvane.pdf";
    QVERIFY2(ReadAll(manual).startsWith("%PDF-"), "the build renders docs/Manual.md to Solvane.pdf");
    MainWindow window;
    QDesktopServices::setUrlHandler("file", this, "opened");
    window.findChild<QAction *>("actionContents")->trigger();
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(manual)});
  }

  void aboutShowsTheProductTexts()
  {
    MainWindow window;
    QString title;
    QTimer::singleShot(0, [&title] {
      QWidget *about = QApplication::activeModalWidget();
      title = about ? about->windowTitle() : QString();
      if (about)
        about->close();
    });
    window.findChild<QAction *>("actionAbout")->trigger();
    QCOMPARE(title, QString("Information about Solvane64"));
  }

public slots:
  void opened(const QUrl &url) { openedUrls << url; }

private:
  QList<QUrl> openedUrls;
};

QTEST_MAIN(TstDataFileWindow)
#include "tst_datafile_window.moc"
