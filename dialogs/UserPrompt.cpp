#include "dialogs/UserPrompt.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>

namespace UserPrompt {
namespace {
MessageHandler messageHandler;
FileHandler openHandler;
FileHandler saveHandler;

QMessageBox::Icon iconOf(Kind kind)
{
  switch (kind) {
  case Kind::Information: return QMessageBox::Information;
  case Kind::Warning: return QMessageBox::Warning;
  case Kind::Critical: return QMessageBox::Critical;
  case Kind::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

QMessageBox::StandardButton message(QWidget *parent, Kind kind, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton)
{
  if (messageHandler)
    return messageHandler({kind, title, text});
  QMessageBox box(iconOf(kind), title, text, buttons, parent);
  box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void informationWithCopy(QWidget *parent, const QString &title, const QString &text, const QString &copyText)
{
  bool copy = false;
  if (messageHandler) {
    copy = messageHandler({Kind::Information, title, text}) == QMessageBox::Apply;
  } else {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    const QPushButton *copyButton = box.addButton(QStringLiteral("Copy Path"), QMessageBox::ActionRole);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
    copy = box.clickedButton() == copyButton;
  }
  if (copy)
    QGuiApplication::clipboard()->setText(copyText);
}

QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
  if (openHandler)
    return openHandler(caption, dir, filter);
  return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
  if (saveHandler)
    return saveHandler(caption, dir, filter);
  return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

void setMessageHandler(MessageHandler handler) { messageHandler = std::move(handler); }
void setOpenFileHandler(FileHandler handler) { openHandler = std::move(handler); }
void setSaveFileHandler(FileHandler handler) { saveHandler = std::move(handler); }

}  // namespace UserPrompt
