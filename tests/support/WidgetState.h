#pragma once
// Finding a dialog's widgets by object name and stating what a user sees of
// them in one line.
#include <QComboBox>
#include <QStringList>
#include <QWidget>

template <typename T = QWidget>
T *W(QWidget &dialog, const QString &name) {
  T *widget = dialog.findChild<T *>(name);
  if (!widget)
    qFatal("no widget %s", qPrintable(name));
  return widget;
}

// Those of the widgets prefix + suffix (suffixes separated by blanks) that are
// shown by the dialog's rules (the page itself may be another tab), enabled or
// checked (buttons), e.g. "Pad Osc".
enum State { Shown, Enabled, Checked };
QString Which(QWidget &dialog, State state, const QString &prefix, const QString &suffixes);

// The values the named boxes show, e.g. "FMin=100 FMax=1000" (all digits).
QString Boxes(QWidget &dialog, const QString &names);

QStringList Entries(QWidget &dialog, const QString &comboName);
// Chooses the entry holding value, as a user picks it from the list.
void Choose(QWidget &dialog, const QString &comboName, int value);
// Clicks the main window's button; a run it starts measures on its own
// thread, so this returns once Start is enabled again (false after a minute).
bool ClickAndFinish(QWidget &window, const QString &buttonName);
