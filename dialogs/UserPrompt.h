#pragma once
// Every message box and file dialog of the program goes through here, so
// that tests can answer them instead of a person (a test never waits on a
// modal box). Without a handler installed the real Qt dialogs are shown.
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace UserPrompt {

enum class Kind { Information, Warning, Critical, Question };

struct Message {
  Kind kind;
  QString title;
  QString text;
};

// Shows a modal message box and returns the button pressed.
QMessageBox::StandardButton message(QWidget *parent, Kind kind, const QString &title,
                                    const QString &text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
inline void information(QWidget *p, const QString &title, const QString &text) { message(p, Kind::Information, title, text); }
inline void warning(QWidget *p, const QString &title, const QString &text) { message(p, Kind::Warning, title, text); }
inline void critical(QWidget *p, const QString &title, const QString &text) { message(p, Kind::Critical, title, text); }

// An information box with a "Copy Path" button that puts `copyText` on the
// clipboard. A test handler presses it by answering QMessageBox::Apply.
void informationWithCopy(QWidget *parent, const QString &title, const QString &text, const QString &copyText);

// File dialogs: an empty result means cancelled.
QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);

// Test seam: handlers that answer instead of the dialogs. Pass nullptr to
// return to the real dialogs.
using MessageHandler = std::function<QMessageBox::StandardButton(const Message &)>;
using FileHandler = std::function<QString(const QString &caption, const QString &dir, const QString &filter)>;
void setMessageHandler(MessageHandler handler);
void setOpenFileHandler(FileHandler handler);
void setSaveFileHandler(FileHandler handler);

}  // namespace UserPrompt
