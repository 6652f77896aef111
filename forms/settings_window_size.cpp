#include "forms/settings_window_size.h"

#include <limits>

namespace quorlen {

SettingsWindowSize::SettingsWindowSize(Window& window, Label& Label4, int fixedWidth,
                                       int fixedHeight)
    : window_(window), fixedWidth_(fixedWidth), fixedHeight_(fixedHeight), logTop_(fixedHeight) {
  Label4.onClick = [this] { Label4_Click(); };
  Label4.onDoubleClick = [this] { Label4_DblClick(); };
}

void SettingsWindowSize::Count() {
  // A 16-bit count: once full it stays full, and the area stays open.
  if (clicks_ == std::numeric_limits<std::int16_t>::max()) return;
  ++clicks_;
  if (clicks_ == kClicksToOpen) changed();
}

void SettingsWindowSize::SetFixedSize(int width, int height) {
  fixedWidth_ = width;
  fixedHeight_ = height;
}

void SettingsWindowSize::SetLogTop(int top) { logTop_ = top; }

void SettingsWindowSize::Form_Resize() {
  Geometry bounds = window_.Bounds();
  if (!Open()) {
    if (bounds.width != fixedWidth_ || bounds.height != fixedHeight_) {
      window_.SetBounds({bounds.left, bounds.top, fixedWidth_, fixedHeight_});
    }
    return;
  }
  int width = bounds.width - kLogMargin;
  int height = bounds.height - logTop_;
  // A window too small for the log leaves it where it was.
  if (width < 0 || height < 0) return;
  logBounds_ = {kLogMargin / 2, logTop_, width, height};
  changed();
}

}  // namespace quorlen
