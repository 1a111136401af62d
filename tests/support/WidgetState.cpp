#include "support/WidgetState.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QTest>

QString Which(QWidget &dialog, State state, const QString &prefix, const QString &suffixes) {
  QStringList out;
  for (const QString &suffix : suffixes.split(' ')) {
    QWidget *widget = W(dialog, prefix + suffix);
    if (state == Shown ? !widget->isHidden() : widget->isEnabled())
      out << suffix;
  }
  return out.join(' ');
}

QStringList Entries(QWidget &dialog, const QString &comboName) {
  QStringList texts;
  auto *cb = W<QComboBox>(dialog, comboName);
  for (int row = 0; row < cb->count(); ++row)
    texts << cb->itemText(row);
  return texts;
}

void Choose(QWidget &dialog, const QString &comboName, int value) {
  auto *cb = W<QComboBox>(dialog, comboName);
  const int row = cb->findData(value);
  if (row < 0)
    qFatal("%s offers no value %d", qPrintable(comboName), value);
  cb->setCurrentIndex(row);
}

bool ClickAndFinish(QWidget &window, const QString &buttonName) {
  auto *start = W<QAbstractButton>(window, QStringLiteral("Start"));
  W<QAbstractButton>(window, buttonName)->click();
  for (QDeadlineTimer limit(60000); !start->isEnabled() && !limit.hasExpired();)
    QTest::qWait(1);
  return start->isEnabled();
}
