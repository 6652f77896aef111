#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace quorlen {

// A desktop for tests: windows are plain records a test creates, stacks and removes. A
// close request or a button press is recorded; a window whose `closesOnRequest` is set
// goes away at once, with its children, as an application that obeys its close box.
class FakeWindowSystem : public WindowSystem {
 public:
  struct Record {
    std::string text;
    std::string className;
    WindowId parent = 0;
    bool visible = true;
    bool closesOnRequest = true;
  };

  // A new window on top of its siblings; a top-level one when `parent` is 0.
  WindowId Add(std::string text, std::string className = "window", WindowId parent = 0);
  ButtonId AddButton(WindowId window, std::string caption);
  Record& Get(WindowId window) { return windows_.at(window); }
  bool Exists(WindowId window) const { return windows_.count(window) != 0; }
  void Remove(WindowId window);
  void SetForeground(WindowId window) { foreground_ = window; }

  int CloseRequests(WindowId window) const;
  int TotalCloseRequests() const { return static_cast<int>(closeRequests_.size()); }
  const std::vector<ButtonId>& Pressed() const { return pressed_; }
  const std::vector<WindowId>& Activated() const { return activated_; }
  // How many windows the last calls asked about by title; the tick's cost in round trips.
  int TextReads() const { return textReads_; }

  WindowId ActiveWindow() override { return foreground_; }
  WindowId TopDialog(WindowId parent) override;
  std::string WindowTitle(WindowId window) override;
  std::string AppId(WindowId window) override;
  bool IsVisible(WindowId window) override;
  void RequestClose(WindowId window) override;
  WindowId FindByTitle(const std::string& title) override;
  std::vector<WindowId> TopLevelWindows() override;
  ButtonId FindButton(WindowId window, const std::string& caption) override;
  void Activate(WindowId window) override;
  void PressButton(ButtonId button) override;
  bool SeesWindows() override { return seesWindows; }

  // False stands for a desktop that shows the program no windows (GNOME on Wayland).
  bool seesWindows = true;

 private:
  struct FakeButton {
    WindowId window;
    std::string caption;
  };
  // Children of `parent`, bottom first, as they were created.
  std::vector<WindowId> ChildrenOf(WindowId parent) const;

  std::map<WindowId, Record> windows_;
  std::vector<WindowId> stacking_;  // every window, bottom first
  std::map<ButtonId, FakeButton> buttons_;
  std::vector<WindowId> closeRequests_;
  std::vector<ButtonId> pressed_;
  std::vector<WindowId> activated_;
  WindowId foreground_ = 0;
  WindowId nextId_ = 0x100;
  int textReads_ = 0;
};

}  // namespace quorlen
