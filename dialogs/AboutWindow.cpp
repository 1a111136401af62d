#include "dialogs/AboutWindow.h"

#include "dialogs/DialogLook.h"
#include "dialogs/LinuxOSInfo.h"
#include "dialogs/UserPrompt.h"
#include "storage/Manual.h"
#include "ui_AboutWindow.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {

QLabel *Heading(const QString &title)
{
  return new QLabel(QStringLiteral("<span style=\" font-weight:600;color: rgb(0, 142, 214);\">") + title.toHtmlEscaped()
                    + QStringLiteral("</span>"));
}

QString Link(const QUrl &target, const QString &text)
{
  return QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toString(QUrl::FullyEncoded).toHtmlEscaped(), text);
}

// The manual also holds the terms of use.
QUrl ManualUrl()
{
  return QUrl::fromLocalFile(ManualPath());
}

}  // namespace

AboutWindow::AboutWindow(const QString &productName, const QString &productTitle, const QString &version,
                         const QString &buildDate, const QString &appNoteId, QWidget *parent,
                         std::unique_ptr<OSInfo> info)
    : QDialog(parent),
      ui(new Ui::AboutWindow),
      osInfo(info ? std::move(info) : std::make_unique<LinuxOSInfo>()),
      productName(productName),
      productTitle(productTitle),
      version(version),
      buildDate(buildDate),
      appNoteId(appNoteId),
      systemSections(osInfo->systemInformation())
{
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  copyButton = new QPushButton(QStringLiteral("copy support information to clipboard"));
  connect(copyButton, &QPushButton::clicked, this, &AboutWindow::copy_clicked);
  FillDriverTab();
  FillSystemTab();
  ui->NameLbl->setText(productName);
  ui->TitleLbl->setText(productTitle);
  ui->VersionLbl->setText(QStringLiteral("Version ") + version + QStringLiteral(" 64 bit (") + buildDate
                          + QLatin1Char(')'));
  SetLinks();
  setWindowTitle(QStringLiteral("Information about ") + productName);
  ApplyDialogLook(this);
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::FillDriverTab()
{
  const QList<DriverSection> sections = osInfo->driverInformation();
  if (sections.isEmpty()) {
    ui->Tabs->removeTab(ui->Tabs->indexOf(ui->DriverTab));
    return;
  }
  auto *layout = new QVBoxLayout(ui->DriverPage);
  layout->setContentsMargins(20, 10, 20, 10);
  for (const DriverSection &section : sections) {
    layout->addWidget(Heading(section.title));
    for (const QString &entry : section.entries)
      layout->addWidget(new QLabel(entry));
  }
  layout->addStretch();
}

void AboutWindow::FillSystemTab()
{
  auto *grid = new QGridLayout(ui->SystemPage);
  grid->setContentsMargins(20, 10, 20, 10);
  int row = 0;
  for (const SysSection &section : systemSections) {
    grid->addWidget(Heading(section.title), row++, 0, 1, 2);
    for (const auto &entry : section.entries) {
      grid->addWidget(new QLabel(entry.first), row, 0);
      grid->addWidget(new QLabel(entry.second), row++, 1);
    }
    grid->setRowMinimumHeight(row++, 10);
  }
  grid->addWidget(copyButton, row, 0, 1, 2);
}

void AboutWindow::SetLinks()
{
  ui->ProductPageLbl->setText(Link(ManualUrl(), QStringLiteral("Product page")));
  ui->TermsLbl->setText(Link(ManualUrl(), QStringLiteral("Terms of use (in the user manual)")));
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("subject"), appNoteId);
  query.addQueryItem(QStringLiteral("body"), QStringLiteral("<put your message here>\n\n") + QString(40, QLatin1Char('-'))
                                                  + QLatin1Char('\n') + SupportText());
  QUrl mail(QStringLiteral("mailto:"));
  mail.setQuery(query);
  ui->SupportMailLbl->setText(Link(mail, QStringLiteral("Support mail")));
}

QString AboutWindow::SupportText() const
{
  QString text = QStringLiteral("*** Global Setup ***\nProduct: %1\nVersion: %2\nDate: %3\n\n")
                     .arg(productName, version, buildDate);
  for (const SysSection &section : systemSections) {
    text += QStringLiteral("*** ") + section.title + QStringLiteral(" ***\n");
    for (const auto &entry : section.entries)
      text += entry.first + QStringLiteral(": ") + entry.second + QLatin1Char('\n');
    text += QLatin1Char('\n');
  }
  return text;
}

void AboutWindow::copy_clicked()
{
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(SupportText());
  UserPrompt::information(this, windowTitle(),
                          QStringLiteral("Support information copied to clipboard.\nUse <CTRL+V> to paste the "
                                         "information in your mail program or text editor."));
}
