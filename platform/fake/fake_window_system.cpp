#include "platform/fake/fake_window_system.h"

#include <algorithm>

namespace quorlen {

WindowId FakeWindowSystem::Add(std::string text, std::string className, WindowId parent) {
  WindowId id = nextId_++;
  windows_[id] = Record{std::move(text), std::move(className), parent};
  stacking_.push_back(id);
  return id;
}

ButtonId FakeWindowSystem::AddButton(WindowId window, std::string caption) {
  ButtonId id = nextId_++;
  buttons_[id] = FakeButton{window, std::move(caption)};
  return id;
}

void FakeWindowSystem::Remove(WindowId window) {
  for (WindowId child : ChildrenOf(window)) Remove(child);
  windows_.erase(window);
  stacking_.erase(std::remove(stacking_.begin(), stacking_.end(), window), stacking_.end());
  std::erase_if(buttons_, [window](const auto& entry) { return entry.second.window == window; });
  if (foreground_ == window) foreground_ = 0;
}

std::vector<WindowId> FakeWindowSystem::ChildrenOf(WindowId parent) const {
  std::vector<WindowId> children;
  for (WindowId id : stacking_) {
    if (windows_.at(id).parent == parent) children.push_back(id);
  }
  return children;
}

int FakeWindowSystem::CloseRequests(WindowId window) const {
  return static_cast<int>(std::count(closeRequests_.begin(), closeRequests_.end(), window));
}

WindowId FakeWindowSystem::TopDialog(WindowId parent) {
  if (!Exists(parent)) return 0;
  auto children = ChildrenOf(parent);
  return children.empty() ? 0 : children.back();
}

std::string FakeWindowSystem::WindowTitle(WindowId window) {
  ++textReads_;
  return Exists(window) ? windows_[window].text : std::string();
}

std::string FakeWindowSystem::AppId(WindowId window) {
  return Exists(window) ? windows_[window].className : std::string();
}

bool FakeWindowSystem::IsVisible(WindowId window) {
  return Exists(window) && windows_[window].visible;
}

void FakeWindowSystem::RequestClose(WindowId window) {
  if (!Exists(window)) return;
  closeRequests_.push_back(window);
  if (windows_[window].closesOnRequest) Remove(window);
}

WindowId FakeWindowSystem::FindByTitle(const std::string& title) {
  for (WindowId id : TopLevelWindows()) {
    if (windows_[id].text == title) return id;
  }
  return 0;
}

std::vector<WindowId> FakeWindowSystem::TopLevelWindows() {
  auto all = ChildrenOf(0);
  std::reverse(all.begin(), all.end());
  return all;
}

ButtonId FakeWindowSystem::FindButton(WindowId window, const std::string& caption) {
  for (const auto& [id, button] : buttons_) {
    if (button.window == window && button.caption == caption) return id;
  }
  return 0;
}

void FakeWindowSystem::Activate(WindowId window) {
  activated_.push_back(window);
  if (Exists(window)) foreground_ = window;
}

void FakeWindowSystem::PressButton(ButtonId button) {
  auto found = buttons_.find(button);
  if (found == buttons_.end()) return;
  pressed_.push_back(button);
  // A message box closes once one of its buttons was pressed.
  WindowId box = found->second.window;
  if (windows_[box].closesOnRequest) Remove(box);
}

}  // namespace quorlen
