#include "PromptRecorder.h"

PromptRecorder::PromptRecorder(QMessageBox::StandardButton answer) : answer(answer) {
  UserPrompt::setMessageHandler([this](const UserPrompt::Message &m) {
    messages.append(m);
    return this->answer;
  });
}

PromptRecorder::~PromptRecorder() { UserPrompt::setMessageHandler(nullptr); }

QStringList PromptRecorder::shown(bool withText) const {
  QStringList lines;
  for (const UserPrompt::Message &m : messages)
    lines << (withText ? m.title + QStringLiteral(": ") + m.text : m.title);
  return lines;
}
