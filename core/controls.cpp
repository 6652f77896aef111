#include "core/controls.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace quorlen {

namespace {

// Assigns and reports whether the value really changed.
template <typename T>
bool Assign(T& member, T value) {
  if (member == value) return false;
  member = std::move(value);
  return true;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

void Label::SetCaption(std::string caption) {
  if (Assign(caption_, std::move(caption))) changed();
}
void Label::SetEnabled(bool enabled) {
  if (Assign(enabled_, enabled)) changed();
}
void Label::SetVisible(bool visible) {
  if (Assign(visible_, visible)) changed();
}

void TextBox::SetText(std::string text) {
  if (!Assign(text_, std::move(text))) return;
  changed();
  if (onChange) onChange();
}
void TextBox::SetEnabled(bool enabled) {
  if (Assign(enabled_, enabled)) changed();
}

void CheckBox::SetValue(int value) {
  if (!Assign(value_, value)) return;
  changed();
  if (onClick) onClick();
}
void CheckBox::SetCaption(std::string caption) {
  if (Assign(caption_, std::move(caption))) changed();
}
void CheckBox::SetEnabled(bool enabled) {
  if (Assign(enabled_, enabled)) changed();
}

void Button::SetCaption(std::string caption) {
  if (Assign(caption_, std::move(caption))) changed();
}
void Button::SetEnabled(bool enabled) {
  if (Assign(enabled_, enabled)) changed();
}
void Button::SetDefault(bool isDefault) {
  if (Assign(default_, isDefault)) changed();
}

void ListBox::AddItem(std::string item) {
  if (sorted_) {
    auto at = std::upper_bound(items_.begin(), items_.end(), item, LessIgnoringCase);
    items_.insert(at, std::move(item));
  } else {
    items_.push_back(std::move(item));
  }
  changed();
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (listIndex_ >= Count()) listIndex_ = -1;
  changed();
}

void ListBox::Clear() {
  items_.clear();
  listIndex_ = -1;
  changed();
}

void ListBox::SetListIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  if (!Assign(listIndex_, index)) return;
  changed();
  if (onClick) onClick();
}

std::string ListBox::Text() const {
  if (listIndex_ < 0 || listIndex_ >= Count()) return {};
  return items_[static_cast<size_t>(listIndex_)];
}

void TabStrip::SetCurrentPage(int page) {
  if (Assign(page_, page)) changed();
}

void ProgressBar::SetRange(int min, int max) {
  if (min_ == min && max_ == max) return;
  min_ = min;
  max_ = max;
  value_ = std::clamp(value_, min_, std::max(min_, max_));
  changed();
}
void ProgressBar::SetValue(int value) {
  if (Assign(value_, std::clamp(value, min_, std::max(min_, max_)))) changed();
}
void ProgressBar::SetVisible(bool visible) {
  if (Assign(visible_, visible)) changed();
}

void MenuItem::SetCaption(std::string caption) {
  if (Assign(caption_, std::move(caption))) changed();
}
void MenuItem::SetEnabled(bool enabled) {
  if (Assign(enabled_, enabled)) changed();
}
void MenuItem::SetChecked(bool checked) {
  if (Assign(checked_, checked)) changed();
}
void MenuItem::SetVisible(bool visible) {
  if (Assign(visible_, visible)) changed();
}
void MenuItem::SetImageKey(std::string key) {
  if (Assign(imageKey_, std::move(key))) changed();
}

void Window::SetCaption(std::string caption) {
  if (Assign(caption_, std::move(caption))) changed();
}
void Window::SetVisible(bool visible) {
  if (Assign(visible_, visible)) changed();
}
void Window::SetBounds(Geometry bounds) {
  if (Assign(bounds_, bounds)) changed();
}
void Window::SetTopMost(bool topMost) {
  if (Assign(topMost_, topMost)) changed();
}
void Window::SetMinimized(bool minimized) {
  if (Assign(minimized_, minimized)) changed();
}
void Window::Show(const std::function<void()>& prepare) {
  if (!visible_) {
    if (prepare) prepare();
    SetVisible(true);
  }
  BringToFront();
}

}  // namespace quorlen
