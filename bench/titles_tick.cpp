// One tick of the title watcher with 1,000 fragments against a real X server, beside its
// two floors in the same run: the same tick with no fragments (the X round trips alone)
// and the same tick on an in-memory desktop (the matching alone). Needs DISPLAY with a
// window manager and an ordinary window in the foreground (bench/titles-bench.sh).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "core/list_and_text_files.h"
#include "platform/fake/fake_window_system.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "platform/linux/x11_window_system.h"
#include "titles/title_watcher.h"

namespace {

using namespace quorlen;

// The shipped fragments, then real ad-server names up to `count`: real strings of the
// lengths users type.
std::vector<std::string> Fragments(size_t count) {
  std::vector<std::string> fragments;
  for (const char* file :
       {QUORLEN_DATA_DIR "/qltitles.txt", QUORLEN_TEST_DATA "/blocklist-full.txt"}) {
    std::ifstream in(file);
    for (std::string line; fragments.size() < count && std::getline(in, line);) {
      if (!line.empty()) fragments.push_back(line);
    }
  }
  return fragments;
}

// A watcher over `windows` with `count` fragments, ready to tick.
struct Watcher {
  Watcher(WindowSystem& windows, size_t count) {
    ListBox list;
    for (auto& fragment : Fragments(count)) list.AddItem(fragment);
    std::filesystem::remove(path);
    SaveListToIni(list, "DomainCount", "Domains", path, profiles);
    titles.LoadPopupTitles();
    chkIEPops.SetTicked(true);
    watcher = std::make_unique<TitleWatcher>(
        clock, windows, dialogs, titles,
        TitleWatcherControls{chkIEPops, mnuTrayLastPop, lblLastTitle, lblLastTitle1},
        PopupStateReader{[] { return false; }, [] { return false; }, [] { return false; }},
        TitleWatcherHooks{[](const std::string&) {}, [] { return std::string("00:00:00"); },
                          [](const std::string&) {}, [](const std::string&) {}, [] {}});
  }
  ~Watcher() { std::filesystem::remove(path); }

  std::string path = (std::filesystem::temp_directory_path() / "quorlen-bench-titles.ini").string();
  std::string none;
  VirtualClock clock;
  ScriptedDialogs dialogs;
  ProfileStore profiles;
  PopupTitles titles{profiles, dialogs, none, path, [](const std::string&) {}};
  CheckBox chkIEPops;
  MenuItem mnuTrayLastPop;
  Label lblLastTitle, lblLastTitle1;
  std::unique_ptr<TitleWatcher> watcher;
};

X11WindowSystem& Desktop() {
  static X11WindowSystem windows;
  return windows;
}

void TickOnX11(benchmark::State& state) {
  X11WindowSystem& windows = Desktop();
  if (!windows.Connected() || windows.ActiveWindow() == 0) {
    state.SkipWithError("needs an X display with an active window");
    return;
  }
  Watcher watcher(windows, static_cast<size_t>(state.range(0)));
  for (auto _ : state) watcher.watcher->Timer4_Timer();
  state.SetLabel(windows.WindowTitle(windows.ActiveWindow()));
}
BENCHMARK(TickOnX11)->Arg(1000)->Arg(0)->Unit(benchmark::kMicrosecond);

void TickInMemory(benchmark::State& state) {
  FakeWindowSystem desk;
  WindowId window = desk.Add("user@debian: ~/src/quorlen - Terminal", "XTerm");
  desk.Add("", "VT100", window);
  desk.SetForeground(window);
  Watcher watcher(desk, static_cast<size_t>(state.range(0)));
  for (auto _ : state) watcher.watcher->Timer4_Timer();
}
BENCHMARK(TickInMemory)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
