// Opening the ad-server list editor with 32,767 default, 5,000 allowed and 5,000 own
// servers, from its list files to a painted window: the model and its list views,
// against a floor (reading the same three list files and painting an empty window of the
// same size) and a peer that puts one widget item per name into three list widgets.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <filesystem>
#include <fstream>

#include "core/list_and_text_files.h"
#include "core/text.h"
#include "hosts/frm_exclude.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "ui/exclude_view.h"

namespace {

using namespace quorlen;

struct Files {
  std::string folder = (std::filesystem::temp_directory_path() / "quorlen-bench-editor").string();
  std::string defaults = folder + "/quorlenhosts.ini";
  std::string allowed = folder + "/quorlenhostsexc.ini";
  std::string own = folder + "/userhosts.ini";
};

const Files& TheFiles() {
  static const Files files = [] {
    Files f;
    std::filesystem::create_directories(f.folder);
    auto read = [](const char* path) {
      std::vector<std::string> names;
      std::ifstream in(path);
      for (std::string line; std::getline(in, line);) {
        if (!line.empty()) names.push_back(line);
      }
      return names;
    };
    auto write = [](const std::string& path, const std::vector<std::string>& names, size_t from,
                    size_t count) {
      std::string text = "[DomainCount]\r\nN=" + std::to_string(count) + "\r\n[Domains]\r\n";
      for (size_t i = 0; i < count; ++i) {
        text += "D" + std::to_string(i) + "=" + names[from + i] + "\r\n";
      }
      std::ofstream(path, std::ios::binary) << text;
    };
    auto shipped = read(QUORLEN_DATA_DIR "/adservers-default.txt");
    auto published = read(QUORLEN_TEST_DATA "/blocklist-full.txt");
    write(f.defaults, shipped, 0, 32767);
    write(f.allowed, shipped, 10000, 5000);
    write(f.own, published, 30000, 5000);
    return f;
  }();
  return files;
}

std::vector<std::string> ReadNames(ProfileStore& profiles, const std::string& path) {
  auto file = profiles.Open(path);
  int n = ToInt16(file->GetString("DomainCount", "N", "", 250)).value_or(0);
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i)
    names.push_back(Trim(file->GetString("Domains", "D" + std::to_string(i), "", 250)));
  return names;
}

void BM_OpenEditorToPaintedWindow(benchmark::State& state) {
  const Files& f = TheFiles();
  VirtualClock clock;
  ScriptedDialogs dialogs;
  for (auto _ : state) {
    ProfileStore profiles;  // the files are parsed as at the first opening
    frmExclude editor(profiles, dialogs, clock, {f.defaults, f.allowed, f.own}, {});
    ExcludeView view(editor);
    editor.Show();
    QApplication::processEvents();
    QPixmap painted = view.grab();
    benchmark::DoNotOptimize(painted.cacheKey());
    state.counters["names"] =
        editor.lstAll.Count() + editor.lstExclude.Count() + editor.lstAdd.Count();
  }
}
BENCHMARK(BM_OpenEditorToPaintedWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Floor_ReadListsAndPaintEmptyWindow(benchmark::State& state) {
  const Files& f = TheFiles();
  for (auto _ : state) {
    ProfileStore profiles;
    size_t names = 0;
    for (const std::string* path : {&f.defaults, &f.allowed, &f.own})
      names += ReadNames(profiles, *path).size();
    QWidget window;
    window.resize(700, 540);
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.grab().cacheKey());
    state.counters["names"] = static_cast<double>(names);
  }
}
BENCHMARK(BM_Floor_ReadListsAndPaintEmptyWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Peer_OneWidgetItemPerName(benchmark::State& state) {
  const Files& f = TheFiles();
  for (auto _ : state) {
    ProfileStore profiles;
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    for (const std::string* path : {&f.defaults, &f.allowed, &f.own}) {
      auto* list = new QListWidget;
      for (const std::string& name : ReadNames(profiles, *path))
        list->addItem(QString::fromLatin1(name));
      row->addWidget(list);
    }
    window.resize(700, 540);
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.grab().cacheKey());
  }
}
BENCHMARK(BM_Peer_OneWidgetItemPerName)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
