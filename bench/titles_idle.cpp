// The program's idle cost of its two polls: the process's CPU time over a stretch of wall
// time with the title watcher ticking twice a second and the input monitor polling the
// buttons and keys every 50 ms against a real X server, then over the same stretch with
// both off, in one run. Needs DISPLAY (bench/titles-bench.sh).
//   titles_idle [seconds per phase, default 60]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/list_and_text_files.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/linux/x11_input.h"
#include "platform/linux/x11_window_system.h"
#include "platform/qt/qt_event_loop.h"
#include "popups/input_monitor.h"
#include "titles/title_watcher.h"

namespace {

using namespace quorlen;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `seconds` and returns the CPU share of one core it used.
double Share(int seconds) {
  double before = CpuSeconds();
  QTimer::singleShot(seconds * 1000, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  return (CpuSeconds() - before) / seconds * 100.0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  X11WindowSystem windows;
  if (!windows.Connected()) {
    std::fprintf(stderr, "needs an X display\n");
    return 1;
  }
  QtEventLoop loop;
  ScriptedDialogs dialogs;
  ProfileStore profiles;
  const std::string path =
      (std::filesystem::temp_directory_path() / "quorlen-idle-titles.ini").string();
  ListBox list;
  std::ifstream shipped(QUORLEN_DATA_DIR "/qltitles.txt");
  std::ifstream names(QUORLEN_TEST_DATA "/blocklist-full.txt");
  for (std::string line;
       list.Count() < 1000 && (std::getline(shipped, line) || std::getline(names, line));) {
    if (!line.empty()) list.AddItem(line);
  }
  SaveListToIni(list, "DomainCount", "Domains", path, profiles);
  std::string none;
  PopupTitles titles(profiles, dialogs, none, path, [](const std::string&) {});
  titles.LoadPopupTitles();
  CheckBox chkIEPops;
  chkIEPops.SetTicked(true);
  MenuItem mnuTrayLastPop;
  Label lblLastTitle, lblLastTitle1;
  int ticks = 0;
  TitleWatcher watcher(loop, windows, dialogs, titles,
                       {chkIEPops, mnuTrayLastPop, lblLastTitle, lblLastTitle1},
                       {[] { return false; }, [] { return false; }, [] { return false; }},
                       {[](const std::string&) {}, [] { return std::string("00:00:00"); },
                        [](const std::string&) {}, [](const std::string&) {}, [] {}});
  auto tick = watcher.Timer4().onTick;
  watcher.Timer4().onTick = [&] {
    ++ticks;
    tick();
  };

  X11InputState input;
  Label LblKeyName, LblVKeycode;
  TabStrip A;
  InputMonitor monitor(loop, input, {LblKeyName, LblVKeycode, A});
  int polls = 0;
  auto poll = monitor.Timerkeys.onTick;
  monitor.Timerkeys.onTick = [&] {
    ++polls;
    poll();
  };

  watcher.Timer4().SetEnabled(true);
  monitor.Timerkeys.SetEnabled(true);
  double on = Share(seconds);
  int ticked = ticks, polled = polls;
  watcher.Timer4().SetEnabled(false);
  monitor.Timerkeys.SetEnabled(false);
  double off = Share(seconds);
  std::filesystem::remove(path);
  std::printf("fragments %zu, %d s per phase\n", titles.Fragments().size(), seconds);
  std::printf("watcher and input poll on : %.3f %% of one core (%d ticks, %d polls)\n", on, ticked,
              polled);
  std::printf("both off                  : %.3f %% of one core\n", off);
  std::printf("cost of the two polls     : %.3f %% of one core\n", on - off);
  return 0;
}
