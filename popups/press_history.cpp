#include "popups/press_history.h"

#include <algorithm>

#include "platform/input.h"

namespace quorlen {

namespace {
void StartIfStopped(std::optional<std::int64_t>& timer, std::int64_t atMs, int intervalMs) {
  if (!timer) timer = atMs + intervalMs;
}
}  // namespace

void PressHistory::Started(std::int64_t atMs, int clickResetMs) {
  Add({atMs, Kind::kStarted, 0, clickResetMs});
}

void PressHistory::Pressed(std::int64_t atMs, int key, int clickResetMs) {
  // Only the two buttons and the modifiers change a flag.
  bool counts = key == virtual_key::kLeftButton || key == virtual_key::kRightButton ||
                (key >= virtual_key::kShift && key <= virtual_key::kAlt);
  if (counts) Add({atMs, Kind::kPressed, key, clickResetMs});
}

void PressHistory::DoubleClicked(std::int64_t atMs) { Add({atMs, Kind::kDoubleClicked}); }

void PressHistory::ClicksReset(std::int64_t atMs) { Add({atMs, Kind::kClicksReset}); }

void PressHistory::DoubleClickStopped(std::int64_t atMs) { Add({atMs, Kind::kDoubleClickStopped}); }

void PressHistory::Add(Entry entry) {
  // Too old to change any flag still asked about.
  if (entry.at < baseAt_) return;
  auto after = std::upper_bound(entries_.begin(), entries_.end(), entry.at,
                                [](std::int64_t at, const Entry& e) { return at < e.at; });
  entries_.insert(after, entry);
  const std::int64_t keepFrom = entries_.back().at - kKeepMs;
  auto kept = entries_.begin();
  for (; kept != entries_.end() && kept->at < keepFrom; ++kept) {
    RunTicksUpTo(base_, kept->at);
    Apply(base_, *kept);
    baseAt_ = kept->at;
  }
  entries_.erase(entries_.begin(), kept);
}

void PressHistory::RunTicksUpTo(State& state, std::int64_t atMs) {
  // The ticks due by then, earliest first, as the timers would have run them.
  for (;;) {
    std::optional<std::int64_t>* next = nullptr;
    for (auto* timer :
         {&state.clickReset, &state.leftWindow, &state.rightWindow, &state.doubleClickOK}) {
      if (*timer && **timer <= atMs && (!next || **timer < **next)) next = timer;
    }
    if (!next) return;
    if (next == &state.clickReset) {
      state.leftClicked = state.rightClicked = state.hotKeyDown = false;
      state.clickReset.reset();
      state.doubleClickOK.reset();
    } else if (next == &state.leftWindow) {
      state.leftCount = 0;
      state.leftWindow.reset();
    } else if (next == &state.rightWindow) {
      state.rightCount = 0;
      state.rightWindow.reset();
    } else {
      state.doubleClickOK.reset();
    }
  }
}

void PressHistory::Apply(State& state, const Entry& entry) {
  auto click = [&](bool& clicked, std::optional<std::int64_t>& window, std::int16_t& count) {
    clicked = true;
    StartIfStopped(state.clickReset, entry.at, entry.clickResetMs);
    if (!window) {
      window = entry.at + kDoubleClickWindowMs;
      count = 1;
      return;
    }
    if (count < INT16_MAX) ++count;
    if (count >= 2) StartIfStopped(state.doubleClickOK, entry.at, kDoubleClickOkMs);
  };
  switch (entry.kind) {
    case Kind::kStarted:
      StartIfStopped(state.clickReset, entry.at, entry.clickResetMs);
      StartIfStopped(state.doubleClickOK, entry.at, kDoubleClickOkMs);
      break;
    case Kind::kPressed:
      if (entry.key == virtual_key::kLeftButton) {
        click(state.leftClicked, state.leftWindow, state.leftCount);
      } else if (entry.key == virtual_key::kRightButton) {
        click(state.rightClicked, state.rightWindow, state.rightCount);
      } else {
        state.hotKeyDown = true;
        StartIfStopped(state.clickReset, entry.at, entry.clickResetMs);
      }
      break;
    case Kind::kDoubleClicked:
      StartIfStopped(state.doubleClickOK, entry.at, kDoubleClickOkMs);
      break;
    case Kind::kClicksReset:
      state.leftClicked = state.rightClicked = false;
      state.clickReset.reset();
      state.doubleClickOK.reset();
      break;
    case Kind::kDoubleClickStopped:
      state.doubleClickOK.reset();
      break;
  }
}

InputFlags PressHistory::FlagsAt(std::int64_t atMs) const {
  State state = base_;
  for (const Entry& entry : entries_) {
    if (entry.at > atMs) break;
    RunTicksUpTo(state, entry.at);
    Apply(state, entry);
  }
  RunTicksUpTo(state, std::max(atMs, baseAt_));
  return {state.leftClicked || state.rightClicked, state.hotKeyDown,
          state.doubleClickOK.has_value()};
}

}  // namespace quorlen
