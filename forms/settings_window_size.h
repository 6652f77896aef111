#pragma once

#include <cstdint>

#include "core/controls.h"
#include "core/signal.h"

namespace quorlen {

// The settings window's fixed size and the debug area beyond it. The window keeps its
// size until `Label4` has been clicked or double-clicked five times in this run; from
// then on the user may resize it and the debug log fills the room below the pages.
class SettingsWindowSize {
 public:
  static constexpr int kClicksToOpen = 5;
  // The debug log keeps 200 twips of the window's width free, half on each side.
  static constexpr int kLogMargin = 13;

  SettingsWindowSize(Window& window, Label& Label4, int fixedWidth, int fixedHeight);

  void Label4_Click() { Count(); }
  void Label4_DblClick() { Count(); }
  // The window's Resize event, after its bounds took the new size.
  void Form_Resize();

  // True once resizing is free.
  bool Open() const { return clicks_ >= kClicksToOpen; }
  int Clicks() const { return clicks_; }
  int FixedWidth() const { return fixedWidth_; }
  int FixedHeight() const { return fixedHeight_; }
  // A larger font needs more room than the design's size: the view sets what it needs.
  void SetFixedSize(int width, int height);
  // Where the debug log starts, below the pages and the debug buttons.
  void SetLogTop(int top);
  // The debug log's place in the window once the area is open.
  const Geometry& LogBounds() const { return logBounds_; }

  // The area opened or the debug log moved.
  Signal<> changed;

 private:
  void Count();

  Window& window_;
  std::int16_t clicks_ = 0;
  int fixedWidth_;
  int fixedHeight_;
  int logTop_;
  Geometry logBounds_;
};

}  // namespace quorlen
