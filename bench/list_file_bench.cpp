// Loading and saving a full 32,767-entry list file through the profile engine, against a
// reader that opens and scans the file once per key, as an uncached profile reader does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/list_and_text_files.h"
#include "platform/dialogs.h"

namespace {

using namespace quorlen;

class NoDialogs : public Dialogs {
 public:
  int MsgBox(const std::string&, int, const std::string&) override { return msgbox::kAnswerOk; }
  std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return {}; }
  void SetWaitCursor(bool) override {}
};

std::vector<std::string> RealNames(size_t count) {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/blocklist-full.txt");
  std::vector<std::string> names;
  for (std::string line; names.size() < count && std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

std::string ListPath() {
  return (std::filesystem::temp_directory_path() / "quorlen-bench-list.ini").string();
}

void WriteList(size_t count) {
  ListBox list;
  for (auto& name : RealNames(count)) list.AddItem(name);
  std::filesystem::remove(ListPath());
  ProfileStore profiles;
  SaveListToIni(list, "DomainCount", "Domains", ListPath(), profiles);
}

void BM_LoadList(benchmark::State& state) {
  WriteList(static_cast<size_t>(state.range(0)));
  NoDialogs dialogs;
  for (auto _ : state) {
    ProfileStore profiles;  // a fresh store: the file is read and parsed once per load
    ListBox list;
    LoadListFromIni(list, "DomainCount", "Domains", ListPath(), profiles, dialogs);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadList)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_SaveList(benchmark::State& state) {
  ListBox list;
  for (auto& name : RealNames(static_cast<size_t>(state.range(0)))) list.AddItem(name);
  for (auto _ : state) {
    std::filesystem::remove(ListPath());
    ProfileStore profiles;
    SaveListToIni(list, "DomainCount", "Domains", ListPath(), profiles);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveList)->Arg(32767)->Unit(benchmark::kMillisecond);

// The peer: every key costs opening the file and scanning it from the top.
std::string ReadKeyUncached(const std::string& path, const std::string& key) {
  std::ifstream in(path, std::ios::binary);
  const std::string prefix = key + "=";
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      line.erase(0, prefix.size());
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
  }
  return {};
}

void BM_LoadListOneReadPerKey(benchmark::State& state) {
  WriteList(32767);
  const int keys = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ListBox list;
    for (int i = 0; i < keys; ++i)
      list.AddItem(ReadKeyUncached(ListPath(), "D" + std::to_string(i)));
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetItemsProcessed(state.iterations() * keys);
}
// The full list takes minutes this way; its first keys show the per-key cost.
BENCHMARK(BM_LoadListOneReadPerKey)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
