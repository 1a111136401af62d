#include "dialogs/DialogLook.h"

#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QLocale>

void ApplyDialogLook(QDialog *dialog)
{
  dialog->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
  dialog->setWindowIcon(QIcon(QStringLiteral(":/Vexa_common/src/qt5/images/ks.icns")));
  QFile common(QStringLiteral(":/Vexa_common/src/qt5/style/Common.qss"));
  if (common.open(QIODevice::ReadOnly)) {
    const QString own = dialog->styleSheet();
    // A sheet replaced before the dialog is first shown keeps its parsed
    // rules cached; clearing it first makes the new one take effect.
    dialog->setStyleSheet(QString());
    dialog->setStyleSheet(QString::fromUtf8(common.readAll()) + QLatin1Char('\n') + own);
  }
  dialog->setFixedSize(dialog->size());
}
