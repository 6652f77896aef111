#pragma once

#include <optional>
#include <string>

namespace quorlen {

// Styles and answers are the numbers of the Windows message box, so callers and tests
// speak the same language as the program's texts.
namespace msgbox {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
}  // namespace msgbox

struct FileDialogRequest {
  std::string fileName;  // proposed file, shown selected
  std::string defaultExtension;
  std::string title;
  std::string filter;  // e.g. "*.wav"
};

// Modal message boxes, the common file dialog and the hourglass pointer. A modal call
// keeps timers and sockets alive while it waits, as on Windows.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows `text` with `style` (buttons plus icon) under `title`; returns the answer.
  virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;

  // The file the user chose, or nothing when the dialog was cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;

  // Hourglass pointer on (true) or the normal pointer back (false).
  virtual void SetWaitCursor(bool wait) = 0;
};

}  // namespace quorlen
