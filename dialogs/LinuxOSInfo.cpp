#include "dialogs/LinuxOSInfo.h"

#include "instruments/PwuDriver.h"
#include "instruments/Visa.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QTextStream>

#include <grp.h>
#include <qwt_global.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <gnu/libc-version.h>
#endif

namespace {

QString OrNoFact(const QString &text) { return text.trimmed().isEmpty() ? kNoFact : text.trimmed(); }

// "1.2 (/usr/lib/libx.so.1.2)" for a library file, "---" without one.
QString LibraryFact(const QString &path)
{
  if (path.isEmpty() || !QFileInfo::exists(path))
    return kNoFact;
  return LinuxOSInfo::LibraryVersion(path) + QStringLiteral(" (") + path + QLatin1Char(')');
}

QString FindSystemLibrary(const QString &pattern)
{
  for (const char *folder : {"/usr/local/lib", "/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib"}) {
    const QFileInfoList found = QDir(QString::fromLatin1(folder)).entryInfoList({pattern}, QDir::Files);
    if (!found.isEmpty())
      return found.first().absoluteFilePath();
  }
  return QString();
}

// The installer's log folder, or the oldest files a new system writes.
QString InstallDate()
{
  for (const char *witness : {"/var/log/installer", "/etc/machine-id", "/"}) {
    const QDateTime born = QFileInfo(QString::fromLatin1(witness)).birthTime();
    if (born.isValid())
      return QLocale::c().toString(born, QStringLiteral("ddd MMM d hh:mm:ss yyyy"));
  }
  return kNoFact;
}

// The superuser, or a member of a group that may become it.
QString AdminRights()
{
  if (geteuid() == 0)
    return QStringLiteral("Yes");
  QVector<gid_t> groups(qMax(0, getgroups(0, nullptr)));
  groups.resize(qMax(0, getgroups(groups.size(), groups.data())));
  for (gid_t gid : groups) {
    const group *entry = getgrgid(gid);
    if (entry && QByteArrayList{"sudo", "wheel", "admin"}.contains(entry->gr_name))
      return QStringLiteral("Yes");
  }
  return QStringLiteral("No");
}

QString CLibraryVersion()
{
#ifdef __GLIBC__
  return QString::fromLatin1(gnu_get_libc_version());
#else
  return kNoFact;
#endif
}

QStringList DriverFiles(const QStringList &folders, const QStringList &patterns)
{
  QStringList drivers;
  for (const QString &folder : folders) {
    if (folder.isEmpty())
      continue;
    for (const QFileInfo &file : QDir(folder).entryInfoList(patterns, QDir::Files, QDir::Name))
      drivers << file.fileName() + QStringLiteral(" (Version ") + LinuxOSInfo::LibraryVersion(file.filePath())
                     + QLatin1Char(')');
  }
  return drivers;
}

}  // namespace

LinuxOSInfo::Places LinuxOSInfo::SystemPlaces()
{
  const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  const QString ivi = env.value(QStringLiteral("IVIROOTDIR64"));
  return {QStringLiteral("/etc/os-release"), env.value(QStringLiteral("VXIPNPPATH64")) + QStringLiteral("Win64/Bin"),
          ivi.isEmpty() ? QString() : ivi + QStringLiteral("/Bin"),
          {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/lib/udev/rules.d")}};
}

LinuxOSInfo::LinuxOSInfo(Places places) : places(std::move(places)) {}

QString LinuxOSInfo::LibraryVersion(const QString &path)
{
  const QString name = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
  const int at = name.indexOf(QLatin1String(".so."));
  return at < 0 ? kNoFact : name.mid(at + 4);
}

QString LinuxOSInfo::osName() const
{
  QFile file(places.osRelease);
  if (places.osRelease.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
    return kNoFact;
  QString name;
  QTextStream in(&file);
  while (!in.atEnd()) {
    const QString line = in.readLine();
    const QString value = line.section(QLatin1Char('='), 1).remove(QLatin1Char('"'));
    if (line.startsWith(QLatin1String("PRETTY_NAME=")))
      return OrNoFact(value);
    if (line.startsWith(QLatin1String("NAME=")))
      name = value;
  }
  return OrNoFact(name);
}

QString LinuxOSInfo::country() const
{
  const QLocale locale = QLocale::system();
  return locale.country() == QLocale::AnyCountry ? kNoFact : QLocale::countryToString(locale.country());
}

QString LinuxOSInfo::language() const
{
  const QLocale locale = QLocale::system();
  return locale.language() == QLocale::AnyLanguage ? kNoFact : QLocale::languageToString(locale.language());
}

QString LinuxOSInfo::localeId() const
{
  const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (!env.value(QString::fromLatin1(variable)).isEmpty())
      return env.value(QString::fromLatin1(variable));
  return kNoFact;
}

QString LinuxOSInfo::visaInfo() const { return LibraryFact(VisaLibraryPath()); }

QString LinuxOSInfo::sensorControlInfo() const { return LibraryFact(PwuLibraryPath()); }

QList<SysSection> LinuxOSInfo::systemInformation() const
{
  return {
      {QStringLiteral("Operating System"),
       {{QString(), osName()}, {QStringLiteral("Installed"), InstallDate()}, {QStringLiteral("Admin rights"), AdminRights()}}},
      {QStringLiteral("Language Settings"),
       {{QStringLiteral("Country"), country()}, {QStringLiteral("Language"), language()}, {QStringLiteral("Local ID"), localeId()}}},
      {QStringLiteral("Library versions"),
       {{QStringLiteral("Qt runtime"), QString::fromLatin1(qVersion())},
        {QStringLiteral("Plot library"), QStringLiteral(QWT_VERSION_STR)},
        {QStringLiteral("C library"), CLibraryVersion()},
        {QStringLiteral("Infodesk"), QStringLiteral("2.1.0.1")}}},
      {QStringLiteral("Remote Control"),
       {{QStringLiteral("IEEE driver"), LibraryFact(FindSystemLibrary(QStringLiteral("libgpib.so*")))},
        {QStringLiteral("VISA"), visaInfo()},
        {QStringLiteral("KSIB"), kNoFact}}},
      {QStringLiteral("KS USB Drivers"),
       {{QStringLiteral("Vorn Control"), kNoFact}, {QStringLiteral("PWM Control2"), sensorControlInfo()}}},
  };
}

QList<DriverSection> LinuxOSInfo::driverInformation() const
{
  const QStringList libraries{QStringLiteral("*.so"), QStringLiteral("*.so.*")};
  auto section = [](const QString &title, QStringList found, const QString &none) {
    return DriverSection{title, found.isEmpty() ? QStringList{none} : found};
  };
  return {
      section(QStringLiteral("Installed Kestrova VXI PnP drivers"), DriverFiles({places.vxi}, libraries),
              QStringLiteral("No VXI driver found")),
      section(QStringLiteral("Installed Kestrova IVI drivers"), DriverFiles({places.ivi}, libraries),
              QStringLiteral("No IVI driver found")),
      section(QStringLiteral("Installed Kestrova USB drivers"),
              DriverFiles(places.udev, {QStringLiteral("*kestrova*.rules")}), QStringLiteral("No USB driver found")),
  };
}
