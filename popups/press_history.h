#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quorlen {

// The popup decision's three input flags, as they stand at one moment.
struct InputFlags {
  bool mouseClicked = false;
  bool hotKeyDown = false;
  bool doubleClickOK = false;
};

// What the input monitor registered in the last seconds, each at the time it happened, so
// that the flags can be told as they stood at a moment already past: a browser announces
// some windows seconds after the page asked for them, and a page's word of a press can
// come after presses and navigations seen since. The flags at a moment follow the input
// monitor's own rules (one-shot click reset, double-click window, double-click grace)
// applied to what happened up to that moment, in the order it happened.
class PressHistory {
 public:
  // What is kept, beyond the longest time window the rules know.
  static constexpr std::int64_t kKeepMs = 10000;
  static constexpr int kDoubleClickWindowMs = 650;
  static constexpr int kDoubleClickOkMs = 2500;

  // The main window is up: the click reset and the double-click grace run from `atMs`.
  void Started(std::int64_t atMs, int clickResetMs);
  // A registered press of `key` (a button or Shift, Ctrl, Alt), with the click reset's
  // interval then.
  void Pressed(std::int64_t atMs, int key, int clickResetMs);
  // A page saw a double click.
  void DoubleClicked(std::int64_t atMs);
  // ResetClicks: click flags down, click reset and double-click grace stopped.
  void ClicksReset(std::int64_t atMs);
  // An allowed window ends the double-click grace.
  void DoubleClickStopped(std::int64_t atMs);

  // The flags at `atMs`, from what is known now. A moment older than what is kept reads
  // as the oldest moment kept.
  InputFlags FlagsAt(std::int64_t atMs) const;

 private:
  enum class Kind { kStarted, kPressed, kDoubleClicked, kClicksReset, kDoubleClickStopped };
  struct Entry {
    std::int64_t at;
    Kind kind;
    int key = 0;
    int clickResetMs = 0;
  };
  // The input monitor's state between two entries; a running timer is its next tick.
  struct State {
    bool leftClicked = false;
    bool rightClicked = false;
    bool hotKeyDown = false;
    std::int16_t leftCount = 0;
    std::int16_t rightCount = 0;
    std::optional<std::int64_t> clickReset, leftWindow, rightWindow, doubleClickOK;
  };

  void Add(Entry entry);
  static void RunTicksUpTo(State& state, std::int64_t atMs);
  static void Apply(State& state, const Entry& entry);

  // The state at baseAt_, with every entry up to it folded in; entries_ after it, in time
  // order (entries of one moment in the order they were told).
  State base_;
  std::int64_t baseAt_ = INT64_MIN;
  std::vector<Entry> entries_;
};

}  // namespace quorlen
