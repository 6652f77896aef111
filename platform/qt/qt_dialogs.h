#pragma once

#include "platform/dialogs.h"

namespace quorlen {

// Modal message boxes and the file dialog with Qt widgets. Their nested event loop keeps
// timers and sockets running while the user reads.
class QtDialogs : public Dialogs {
 public:
  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  void SetWaitCursor(bool wait) override;

 private:
  int waitDepth_ = 0;
};

}  // namespace quorlen
