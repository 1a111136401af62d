#include "instruments/Simulate.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

const QString kOption = QStringLiteral("--simulate");

// The build tree keeps the libraries beside the program; an installation
// keeps them in lib/solvane/ beside bin/.
QString OwnLibraryFolder()
{
  const QString appDir = QCoreApplication::applicationDirPath();
  for (const QString &folder : {appDir, appDir + QStringLiteral("/../lib/solvane")})
    if (QFileInfo::exists(folder + QStringLiteral("/libsolvisa.so")))
      return QFileInfo(folder).canonicalFilePath();
  return QString();
}

}  // namespace

QStringList SplitSimulateOption(const QStringList &arguments, QString *benchFile)
{
  QStringList result;
  for (const QString &argument : arguments) {
    if (argument.startsWith(kOption + QLatin1Char('='))) {
      *benchFile = argument.mid(kOption.size() + 1);
      result << kOption;
    } else {
      result << argument;
    }
  }
  return result;
}

bool UseSimulatedBench(const QString &benchFile, QString *reason)
{
  const QString folder = OwnLibraryFolder();
  if (folder.isEmpty()) {
    *reason = QStringLiteral("The simulated bench needs libsolvisa.so, which is not installed with this program.");
    return false;
  }
  QString bench = QStringLiteral("default");
  if (!benchFile.isEmpty()) {
    const QFileInfo file(benchFile);
    if (!file.isFile() || !file.isReadable()) {
      *reason = QStringLiteral("The bench file %1 cannot be read.").arg(benchFile);
      return false;
    }
    // The library opens it later, whatever the current folder is then.
    bench = file.absoluteFilePath();
  }
  qputenv("SOLVANE_VISA_LIBRARY", (folder + QStringLiteral("/libsolvisa.so")).toLocal8Bit());
  qputenv("SOLVISA_BENCH", bench.toLocal8Bit());
  qputenv("VXIPNPPATH64", (folder + QStringLiteral("/vxipnp/")).toLocal8Bit());
  return true;
}
