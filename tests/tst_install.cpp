// cmake --install into a temporary prefix: the installed layout, a valid
// desktop entry, and the installed programs finding their libraries, sensor
// driver and bench relative to themselves, started from another folder.
#include "bench/BenchFile.h"
#include "support/TestPaths.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TstInstall : public QObject {
  Q_OBJECT
  QTemporaryDir prefix;
  QTemporaryDir home;

  QString installed(const QString &file) const { return prefix.filePath(file); }

  // Started from "/" with none of the variables that point at the build.
  void start(QProcess &process, const QString &program, const QStringList &arguments)
  {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "SOLVANE_VISA_LIBRARY", "SOLVISA_BENCH", "VXIPNPPATH64"})
      env.remove(name);
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.filePath("share"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory("/");
    process.start(installed(program), arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(program));
  }

private slots:
  void initTestCase()
  {
    QProcess install;
    install.start("cmake", {"--install", binDir() + "/..", "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError());
  }

  void layoutAndDesktopEntry()
  {
    for (const char *file : {"bin/Solvane64", "bin/solvane-run", "lib/solvane/libsolvisa.so",
                             "lib/solvane/vxipnp/Win64/Bin/libpwudrv_64.so", "share/doc/solvane/Solvane.pdf",
                             "share/solvane/mixer-bench.json", "share/icons/hicolor/48x48/apps/solvane.png",
                             "share/icons/hicolor/128x128/apps/solvane.png", "share/icons/hicolor/256x256/apps/solvane.png"})
      QVERIFY2(QFileInfo(installed(file)).isFile(), file);
    QCOMPARE(QFileInfo(installed("bin/solvane")).symLinkTarget(), installed("bin/Solvane64"));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
      QSKIP("desktop-file-validate is not installed (scripts/setup installs desktop-file-utils)");
    QProcess validate;
    validate.start(validator, {installed("share/applications/solvane.desktop")});
    QVERIFY(validate.waitForFinished());
    QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);
  }

  // The window starts on the simulated bench with the installed libsolvisa
  // and sensor driver, and keeps the settings folder of Solvane64 when
  // started through the "solvane" link.
  void windowStartsOnTheSimulatedBench()
  {
    QProcess version;
    start(version, "bin/solvane", {"--version"});
    QVERIFY(version.waitForFinished());
    QCOMPARE(version.readAllStandardOutput(), QByteArray("Solvane64 5.3.0\n"));

    QProcess window;
    start(window, "bin/solvane", {"--simulate"});
    const QString maps = QString("/proc/%1/maps").arg(window.processId());
    auto mapped = [&maps](const QString &library) {
      QFile file(maps);
      return file.open(QIODevice::ReadOnly) && file.readAll().contains(library.toLocal8Bit());
    };
    QTRY_VERIFY_WITH_TIMEOUT(mapped(installed("lib/solvane/vxipnp/Win64/Bin/libpwudrv_64.so")), 20000);
    QVERIFY(mapped(installed("lib/solvane/libsolvisa.so")));
    QVERIFY(QFileInfo(home.filePath("share/Kestrova/Solvane64")).isDir());
    QVERIFY(!QFileInfo::exists(home.filePath("share/Kestrova/solvane")));
    QCOMPARE(window.state(), QProcess::Running);
    window.kill();
    window.waitForFinished();
  }

  void runnerMeasuresOnTheSimulatedBench()
  {
    QJsonObject json = QJsonDocument::fromJson(sim::defaultBenchJson()).object();
    json["latencyMs"] = 0;
    QFile bench(home.filePath("bench.json"));
    QVERIFY(bench.open(QIODevice::WriteOnly));
    bench.write(QJsonDocument(json).toJson());
    bench.close();
    QProcess run;
    start(run, "bin/solvane-run",
          {"--config", sourceDir() + "/tests/fixtures/cfg_defaults.cfg", "--out", home.filePath("a.dat"),
           "--simulate=" + bench.fileName()});
    QVERIFY(run.waitForFinished(60000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError());
    QVERIFY(QFileInfo(home.filePath("a.dat")).size() > 0);
  }
};

QTEST_GUILESS_MAIN(TstInstall)
#include "tst_install.moc"
