#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "platform/input.h"

namespace quorlen {

// The listener that every page and frame of a joined browser runs in a world of its own,
// out of the page's reach: a function of one argument, the function that carries a report
// to the program. It tells of the user's presses (never of events the page's script makes,
// nor of a held key's repeats) and of a link the user opens in a tab or window of its own
// with the middle button, Ctrl or Shift. It listens on the window, ahead of the page's
// own handlers, so a press is told before the window request it causes.
extern const QString kPageInputListener;

// One report of the listener.
struct PageReport {
  std::optional<PageInput> input;
  // The user opens a link in a new tab or window: that window is the user's own request.
  bool userTab = false;
  // The page asked for a window; or the ask numbered `ask` opened none (it loaded into a
  // frame or window already there).
  bool windowAsked = false;
  bool windowReused = false;
  int ask = 0;
  // How long before `nowMs` the page saw it, at most kOldestReportMs.
  int msAgo = 0;
};

inline constexpr int kOldestReportMs = 60000;

// What a report says, told at `nowMs` (milliseconds since 1970); nothing for a text that
// is no report of the listener's.
PageReport ParsePageReport(const QString& text, qint64 nowMs);

}  // namespace quorlen
