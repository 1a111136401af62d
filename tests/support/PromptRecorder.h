#pragma once
// Answers every message box while it lives and remembers what was shown.
#include "dialogs/UserPrompt.h"

#include <QStringList>

class PromptRecorder {
public:
  explicit PromptRecorder(QMessageBox::StandardButton answer = QMessageBox::Ok);
  ~PromptRecorder();
  PromptRecorder(const PromptRecorder &) = delete;
  PromptRecorder &operator=(const PromptRecorder &) = delete;

  // "title: text" of every message shown, or only the titles.
  QStringList shown(bool withText = true) const;

  QList<UserPrompt::Message> messages;
  QMessageBox::StandardButton answer;
};
