// Processing a downloaded list of 30,000 ad servers into "quorlenhosts.ini", without the
// network: the updater's whole pass (its signature checked, parse, per-entry status, one
// atomic write of the list file), against a floor that only checks the signature, cuts the
// body into lines and writes the finished list file text once through the same atomic
// writer.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "core/list_and_text_files.h"
#include "platform/atomic_write.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/scripted_fetch.h"
#include "tests/support/test_site_key.h"
#include "update/data_update.h"
#include "update/download_format.h"

namespace {

using namespace quorlen;

constexpr size_t kServers = 30000;
const std::string kUrl = "http://vendor.test/zshared/domains.txt";

// 30,000 real names: the shipped list, then the public list's other names.
std::string DomainsBody() {
  std::vector<std::string> names;
  for (const char* file :
       {QUORLEN_DATA_DIR "/adservers-default.txt", QUORLEN_TEST_DATA "/blocklist-full.txt"}) {
    std::ifstream in(file);
    for (std::string line; names.size() < kServers && std::getline(in, line);) {
      if (!line.empty()) names.push_back(line);
    }
  }
  std::string body = "# active ad servers\r\n";
  for (size_t i = 0; i < names.size(); ++i) {
    body += (i % 500 == 0 ? "*" : "") + names[i] + "\r\n";
  }
  return body + "[END]";
}

std::string Folder() {
  auto folder = std::filesystem::temp_directory_path() / "quorlen-bench-download";
  std::filesystem::create_directories(folder);
  return folder.string();
}

void BM_DownloadAdServers(benchmark::State& state) {
  const std::string body = DomainsBody();
  const std::string folder = Folder();
  VirtualClock clock;
  ScriptedFetch web(clock);
  const testing_support::TestSiteKey key;
  web.Script(kUrl, {ScriptedFetch::Answer{body, "", 0, false}});
  web.Script(kUrl + ".sig", {ScriptedFetch::Answer{key.Sign(body), "", 0, false}});
  ScriptedDialogs dialogs;
  ProfileStore profiles;
  TextBox proxyBox;
  std::string proxy;
  Fetcher fetcher(web, clock, dialogs, proxyBox, proxy);
  Label status, date;
  ProgressBar bar;
  MenuItem menu;
  Button data, data2, removal;
  CheckBox automatic;
  std::string sDateUpdate = "1/1/2001";
  bool autoDownload = true, block = true;
  std::int32_t today = 0;
  const std::string list = folder + "/quorlenhosts.ini", removals = folder + "/removals.ini",
                    settings = folder + "/quorlen.ini";
  DataUpdater updater(fetcher, clock, profiles,
                      {status, date, bar, menu, data, data2, removal, automatic},
                      {sDateUpdate, autoDownload, block, today}, {list, removals, settings}, {},
                      "http://vendor.test/", key.Public());
  std::filesystem::remove(list);
  for (auto _ : state) {
    std::string error;
    benchmark::DoNotOptimize(updater.DownloadAdServers(true, error));
  }
  ProfileStore fresh;
  state.counters["N"] = std::stod(fresh.GetPrivateProfileString("DomainCount", "N", "0", list));
}
BENCHMARK(BM_DownloadAdServers)->Unit(benchmark::kMillisecond);

void BM_Floor_SplitAndWriteOnce(benchmark::State& state) {
  const std::string body = DomainsBody();
  const std::string path = Folder() + "/floor.ini";
  const testing_support::TestSiteKey key;
  const std::string signature = key.Sign(body);
  for (auto _ : state) {
    if (!key.Public().Signed(body, signature)) state.SkipWithError("not signed");
    auto list = update::ParseServerList(body, true);
    std::string text =
        "[DomainCount]\r\nN=" + std::to_string(list->entries.size()) + "\r\n[Domains]\r\n";
    for (size_t i = 0; i < list->entries.size(); ++i) {
      text += "D" + std::to_string(i) + "=" + list->entries[i].name + "\r\n";
    }
    benchmark::DoNotOptimize(WriteFileAtomically(path, text).ok);
  }
}
BENCHMARK(BM_Floor_SplitAndWriteOnce)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
