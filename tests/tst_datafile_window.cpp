// The main window's file, print, clipboard, manual and About entries: their
// dialogs and messages, and what the window shows after a load.
#include "app/MainWindow.h"
#include "storage/PrintSeam.h"
#include "support/PromptRecorder.h"

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

void Trigger(MainWindow &window, const char *action) { window.findChild<QAction *>(action)->trigger(); }

}  // namespace

class TstDataFileWindow : public QObject {
  Q_OBJECT
  QTemporaryDir home;
  QTemporaryDir dir;
  std::unique_ptr<PromptRecorder> prompts;
  QStringList asked;  // caption and filter of the last file dialog
  QList<QUrl> openedUrls;

  UserPrompt::FileHandler answer(const QString &path)
  {
    return [this, path](const QString &caption, const QString &, const QString &filter) {
      asked = QStringList{caption, filter};
      return path;
    };
  }

  void load(MainWindow &window, const QByteArray &content)
  {
    const QString path = dir.filePath("load.dat");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    UserPrompt::setOpenFileHandler(answer(path));
    Trigger(window, "actionLoad_Data");
  }

public slots:
  void opened(const QUrl &url) { openedUrls << url; }

private slots:
  // The user's configuration is never touched: it goes to a temporary home.
  void initTestCase()
  {
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
  }
  void init() { prompts.reset(new PromptRecorder); }
  void cleanup()
  {
    UserPrompt::setOpenFileHandler(nullptr);
    UserPrompt::setSaveFileHandler(nullptr);
    PrintSeam::setPrinterChooser(nullptr);
    prompts.reset();
  }

  void loadedTracesAreASeries()
  {
    MainWindow window;
    prompts->messages.clear();
    load(window, EightTraces());
    QCOMPARE(asked, (QStringList{"Open File", "Solvane Files (*.dat);;All Files (*.*)"}));
    QVERIFY(prompts->messages.isEmpty());
    QList<QColor> colours;
    for (QwtPlotCurve *curve : TraceCurves(window))
      colours << curve->symbol()->brush().color();
    QCOMPARE(colours, (QList<QColor>{Qt::black, Qt::red, Qt::blue, Qt::green, Qt::yellow, Qt::cyan, Qt::black, Qt::red}));
    QCOMPARE(TraceCurves(window)[7]->sample(1), QPointF(200.0, -17.5));
    QVERIFY(Enabled(window, "Start") && Enabled(window, "Normalize") && Enabled(window, "Del"));
    QVERIFY(!Enabled(window, "Repeat") && !Enabled(window, "Stop"));

    // Delete Last Trace removes the newest loaded trace; Abs/Rel redraws the rest.
    window.findChild<QPushButton *>("Del")->click();
    QCOMPARE(TraceCurves(window).size(), 7);
    window.findChild<QSlider *>("AbsRel")->setValue(1);
    QCOMPARE(TraceCurves(window)[6]->sample(1).y(), -16.5 + 10.0);  // default start level -10 dBm
  }

  void refusedLoadAndSaves()
  {
    MainWindow window;
    UserPrompt::setSaveFileHandler(answer(dir.filePath("none.dat")));
    Trigger(window, "actionSave_Data");
    QCOMPARE(prompts->messages.last().title, QString("Fehler"));
    QCOMPARE(prompts->messages.last().text, QString("SaveDatFile -1\n\nNo trace has been measured or loaded yet."));
    QVERIFY(!QFile::exists(dir.filePath("none.dat")));

    load(window, EightTraces());
    prompts->messages.clear();
    load(window, "Repetition  Count: 1\nLevel Sweep Count: 1\nMeasurement Count: 5\n1 2\n");
    QCOMPARE(prompts->messages.size(), 1);
    QCOMPARE(prompts->messages[0].kind, UserPrompt::Kind::Critical);
    QCOMPARE(prompts->messages[0].title, QString("Fehler"));
    QVERIFY(prompts->messages[0].text.startsWith("LoadDatFile -1\n\n"));
    QCOMPARE(TraceCurves(window).size(), 8);

    UserPrompt::setSaveFileHandler(answer(dir.filePath("back.dat")));
    Trigger(window, "actionSave_Data");
    QCOMPARE(asked, (QStringList{"Save File", "Solvane Files (*.dat);;Kestrova Data (*.fda);;All Files (*.*)"}));
    QCOMPARE(ReadAll(dir.filePath("back.dat")), EightTraces());
    UserPrompt::setSaveFileHandler(answer(dir.filePath("norm.txt")));
    Trigger(window, "actionSave_Normalization");
    QCOMPARE(asked, (QStringList{"Save File", "Files (*.*)"}));
    QVERIFY(ReadAll(dir.filePath("norm.txt")).startsWith("100.000000 -0.500 "));
    QCOMPARE(prompts->messages.size(), 1);
  }

  void pictureManualAndAbout()
  {
    MainWindow window;
    bool asked = false;
    PrintSeam::setPrinterChooser([&asked](QPrinter &, QWidget *) { return !(asked = true); });
    Trigger(window, "actionPrint_Graph");
    QVERIFY(asked);
    Trigger(window, "actionGraph_to_Clipboard");
    QCOMPARE(QApplication::clipboard()->pixmap().size(), window.size());

    const QString manual = QCoreApplication::applicationDirPath() + "/Solvane.pdf";
    QVERIFY2(ReadAll(manual).startsWith("%PDF-"), "the build renders docs/Manual.md to Solvane.pdf");
    QDesktopServices::setUrlHandler("file", this, "opened");
    Trigger(window, "actionContents");
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(openedUrls, QList<QUrl>{QUrl::fromLocalFile(manual)});

    QString title;
    QTimer::singleShot(0, [&title] {
      QWidget *about = QApplication::activeModalWidget();
      title = about ? about->windowTitle() : QString();
      if (about)
        about->close();
    });
    Trigger(window, "actionAbout");
    QCOMPARE(title, QString("Information about Solvane64"));
  }
};

QTEST_MAIN(TstDataFileWindow)
#include "tst_datafile_window.moc"
