#pragma once
// Enable and visibility rules of the dialogs apply to groups of widgets (a
// field with its label and unit).
#include <QWidget>
#include <initializer_list>

inline void SetEnabled(std::initializer_list<QWidget *> widgets, bool enabled)
{
  for (QWidget *widget : widgets)
    widget->setEnabled(enabled);
}

inline void SetVisible(std::initializer_list<QWidget *> widgets, bool visible)
{
  for (QWidget *widget : widgets)
    widget->setVisible(visible);
}
