#pragma once
// The About dialog: the product's name, title, version and build date, links
// to the bundled manual and a support mail, the terms of use, the installed
// instrument drivers and the system facts, which the copy button puts on the
// clipboard as plain text for a support mail.
#include "dialogs/OSInfo.h"

#include <QDialog>
#include <memory>

namespace Ui {
class AboutWindow;
}
class QPushButton;

class AboutWindow : public QDialog {
  Q_OBJECT

public:
  // The facts come from the system's provider unless a test passes its own.
  AboutWindow(const QString &productName, const QString &productTitle, const QString &version,
              const QString &buildDate, const QString &appNoteId, QWidget *parent = nullptr,
              std::unique_ptr<OSInfo> info = nullptr);
  ~AboutWindow() override;

  QString SupportText() const;

public slots:
  void copy_clicked();

private:
  void FillDriverTab();
  void FillSystemTab();
  void SetLinks();

  std::unique_ptr<Ui::AboutWindow> ui;
  std::unique_ptr<OSInfo> osInfo;
  QPushButton *copyButton;
  QString productName;
  QString productTitle;
  QString version;
  QString buildDate;
  QString appNoteId;
  QList<SysSection> systemSections;
};
