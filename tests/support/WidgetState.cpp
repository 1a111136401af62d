#include "support/WidgetState.h"

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
