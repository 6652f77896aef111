#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace quorlen {

// Message boxes and the file dialog for tests: records every box it was shown and
// answers from a script (OK or the style's first button when the script is empty).
class ScriptedDialogs : public Dialogs {
 public:
  struct Box {
    std::string text;
    int style;
    std::string title;
    // The box as one line, "title (style): text", so one check compares all three.
    std::string Line() const { return title + " (" + std::to_string(style) + "): " + text; }
  };

  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  void SetWaitCursor(bool wait) override;

  void AnswerNext(int answer) { answers_.push_back(answer); }
  void ChooseNext(std::optional<std::string> file) { files_.push_back(std::move(file)); }

  const std::vector<Box>& Boxes() const { return boxes_; }
  const std::vector<FileDialogRequest>& FileRequests() const { return fileRequests_; }
  bool WaitCursor() const { return waitCursor_; }
  int WaitCursorChanges() const { return waitCursorChanges_; }

  // Runs while a box is "open", so tests can act in the middle of a modal wait.
  std::function<void(const Box&)> whileOpen;

 private:
  std::vector<Box> boxes_;
  std::deque<int> answers_;
  std::vector<FileDialogRequest> fileRequests_;
  std::deque<std::optional<std::string>> files_;
  bool waitCursor_ = false;
  int waitCursorChanges_ = 0;
};

}  // namespace quorlen
