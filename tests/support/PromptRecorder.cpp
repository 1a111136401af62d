#include "PromptRecorder.h"

PromptRecorder::PromptRecorder(QMessageBox::StandardButton answer) : answer(answer) {
  UserPrompt::setMessageHandler([this](const UserPrompt::Message &m) {
    messages.append(m);
    return this->answer;
  });
}

PromptRecorder::~PromptRecorder() { UserPrompt::setMessageHandler(nullptr); }
