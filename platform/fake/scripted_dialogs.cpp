#include "platform/fake/scripted_dialogs.h"

namespace quorlen {

int ScriptedDialogs::MsgBox(const std::string& text, int style, const std::string& title) {
  boxes_.push_back({text, style, title});
  if (whileOpen) whileOpen(boxes_.back());
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return (style & 0x0F) == msgbox::kYesNo ? msgbox::kAnswerYes : msgbox::kAnswerOk;
}

std::optional<std::string> ScriptedDialogs::ChooseFile(const FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (files_.empty()) return std::nullopt;
  auto file = files_.front();
  files_.pop_front();
  return file;
}

void ScriptedDialogs::SetWaitCursor(bool wait) {
  if (wait != waitCursor_) ++waitCursorChanges_;
  waitCursor_ = wait;
}

}  // namespace quorlen
