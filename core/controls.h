#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/signal.h"

namespace quorlen {

// The state of the program's window controls, kept apart from any widget so that every
// behaviour of a window is exercised on its model. A view repaints a control when it
// signals `changed` and forwards the user's actions to the handlers.

class Label {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  Signal<> changed;

 private:
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
};

class TextBox {
 public:
  const std::string& Text() const { return text_; }
  // Runs the change handler when the text really changes, as the program's text boxes do.
  void SetText(std::string text);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  std::function<void()> onChange;
  Signal<> changed;

 private:
  std::string text_;
  bool enabled_ = true;
};

// A check box whose value is 0 (clear) or 1 (ticked). Whenever the value really changes,
// by the user or by code, the click handler runs: the program relies on that everywhere.
class CheckBox {
 public:
  int Value() const { return value_; }
  bool Ticked() const { return value_ != 0; }
  void SetValue(int value);
  void SetTicked(bool ticked) { SetValue(ticked ? 1 : 0); }
  // The user's click: toggles the value (which runs the handler).
  void Click() { SetValue(value_ == 0 ? 1 : 0); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  std::function<void()> onClick;
  Signal<> changed;

 private:
  int value_ = 0;
  std::string caption_;
  bool enabled_ = true;
};

class Button {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  void Click() {
    if (onClick) onClick();
  }

  std::function<void()> onClick;
  Signal<> changed;

 private:
  std::string caption_;
  bool enabled_ = true;
  bool default_ = false;
};

// A list box: items, the selected index (-1 for none) and the sorted flag. A sorted list
// box sorts an added item in, case-insensitively, as the Windows list box does.
class ListBox {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const std::vector<std::string>& Items() const { return items_; }
  const std::string& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
  void AddItem(std::string item);
  void RemoveItem(int index);
  void Clear();
  int ListIndex() const { return listIndex_; }
  void SetListIndex(int index);
  // Text of the selected item; empty when nothing is selected.
  std::string Text() const;
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted) { sorted_ = sorted; }

  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  Signal<> changed;

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
  bool sorted_ = false;
};

class TabStrip {
 public:
  int CurrentPage() const { return page_; }
  void SetCurrentPage(int page);
  Signal<> changed;

 private:
  int page_ = 0;
};

class ProgressBar {
 public:
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  bool Visible() const { return visible_; }
  void SetRange(int min, int max);
  void SetValue(int value);
  void SetVisible(bool visible);
  Signal<> changed;

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  bool visible_ = false;
};

class MenuItem {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Key of the 16 x 16 image shown beside the caption; empty for none.
  const std::string& ImageKey() const { return imageKey_; }
  void SetImageKey(std::string key);
  void Click() {
    if (onClick) onClick();
  }

  std::function<void()> onClick;
  Signal<> changed;

 private:
  std::string caption_;
  std::string imageKey_;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
};

struct Geometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Geometry&) const = default;
};

// A top-level window: caption, visibility, position and size (in pixels), z-order.
class Window {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const Geometry& Bounds() const { return bounds_; }
  void SetBounds(Geometry bounds);
  bool TopMost() const { return topMost_; }
  void SetTopMost(bool topMost);
  bool Minimized() const { return minimized_; }
  void SetMinimized(bool minimized);
  // Asks the view to put the window in front of other applications.
  void BringToFront() { raiseRequested(); }
  // Shows the window in front. A hidden window is made ready by `prepare` first; an open
  // one is only brought forward, keeping what the user has in it.
  void Show(const std::function<void()>& prepare = {});

  Signal<> changed;
  Signal<> raiseRequested;

 private:
  std::string caption_;
  Geometry bounds_;
  bool visible_ = false;
  bool topMost_ = false;
  bool minimized_ = false;
};

}  // namespace quorlen
