#include "support/WidgetState.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QDoubleSpinBox>
#include <QTest>

QString Which(QWidget &dialog, State state, const QString &prefix, const QString &suffixes) {
  QStringList out;
  for (const QString &suffix : suffixes.split(' ')) {
    QWidget *widget = W(dialog, prefix + suffix);
    const bool checked = state == Checked && W<QAbstractButton>(dialog, prefix + suffix)->isChecked();
    if (state == Shown ? !widget->isHidden() : state == Enabled ? widget->isEnabled() : checked)
      out << suffix;
  }
  return out.join(' ');
}

QString Boxes(QWidget &dialog, const QString &names) {
  QStringList out;
  for (const QString &name : names.split(' '))
    out << name + '=' + QString::number(W<QDoubleSpinBox>(dialog, name)->value(), 'g', 17);
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
