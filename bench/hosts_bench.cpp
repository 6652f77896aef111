// Building and taking out the hosts-file lines at real list sizes over a 3 MB hosts file:
// the program's engine, the literal step-by-step algorithm it reproduces (at the sizes that
// finish), and as the floor a plain awk pass that only prefixes every listed name. Then the
// helper's judgement of the largest build, against a floor that only splits both texts
// into lines.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "hosts/hosts_text.h"
#include "hosts/hosts_text_literal.h"
#include "privhelper/blocking_change.h"

namespace {

using namespace quorlen;

std::vector<std::string> ReadNames(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

// The shipped default list, then real names from the larger list, then made-up ones.
const std::vector<std::string>& AllNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all =
        ReadNames(std::string(QUORLEN_DATA_DIR) + "/adservers-default.txt");
    for (auto& name : ReadNames(std::string(QUORLEN_TEST_DATA) + "/blocklist-full.txt"))
      all.push_back(name);
    for (int i = 0; all.size() < 70000; ++i)
      all.push_back("ad" + std::to_string(i) + ".bench.example");
    return all;
  }();
  return names;
}

// A user's own 3 MB hosts file: comments, local names and other blockers' entries.
const std::string& ThreeMegabyteHosts() {
  static const std::string text = [] {
    std::string hosts = "127.0.0.1 localhost\n::1 localhost ip6-localhost\n";
    const auto& names = AllNames();
    for (size_t i = 0; hosts.size() < 3 * 1024 * 1024; ++i) {
      const std::string& name = names[(i * 7919) % names.size()];
      hosts += (i % 5 == 0) ? "# " + name + " was here\n" : "0.0.0.0 " + name + "\n";
    }
    return hosts;
  }();
  return text;
}

void Split(size_t listed, std::vector<std::string>& defaults, std::vector<std::string>& user) {
  const auto& names = AllNames();
  const size_t half = (listed + 1) / 2;
  defaults.assign(names.begin(), names.begin() + static_cast<long>(half));
  user.assign(names.begin() + 32767, names.begin() + 32767 + static_cast<long>(listed - half));
}

void BM_Build(benchmark::State& state) {
  std::vector<std::string> defaults, user;
  Split(static_cast<size_t>(state.range(0)), defaults, user);
  const std::vector<std::string> exclusions = {AllNames()[3], AllNames()[40000]};
  const std::string& old = ThreeMegabyteHosts();
  for (auto _ : state) {
    auto result = hosts::BuildHostsText({old, "\n", defaults, user, exclusions, nullptr, nullptr});
    benchmark::DoNotOptimize(result.text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Build)->Arg(1000)->Arg(10000)->Arg(65534)->Unit(benchmark::kMillisecond);

// The usual start-up case: the file already holds every listed line.
void BM_BuildAgain(benchmark::State& state) {
  std::vector<std::string> defaults, user;
  Split(static_cast<size_t>(state.range(0)), defaults, user);
  const std::string built =
      hosts::BuildHostsText({ThreeMegabyteHosts(), "\n", defaults, user, {}, nullptr, nullptr})
          .text +
      "\n";
  for (auto _ : state) {
    auto result = hosts::BuildHostsText({built, "\n", defaults, user, {}, nullptr, nullptr});
    benchmark::DoNotOptimize(result.text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildAgain)->Arg(65534)->Unit(benchmark::kMillisecond);

// As the program builds: with the names the machine and the user's own lines keep, which
// are gathered from the hosts text at every build.
void BM_BuildKeepingOwnNames(benchmark::State& state) {
  std::vector<std::string> defaults, user;
  Split(static_cast<size_t>(state.range(0)), defaults, user);
  const std::string& old = ThreeMegabyteHosts();
  for (auto _ : state) {
    const hosts::ProtectedNames keep(old, {"devbox"});
    auto result = hosts::BuildHostsText({old, "\n", defaults, user, {}, nullptr, nullptr, &keep});
    benchmark::DoNotOptimize(result.text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildKeepingOwnNames)->Arg(65534)->Unit(benchmark::kMillisecond);

void BM_BuildLiteral(benchmark::State& state) {
  std::vector<std::string> defaults, user;
  Split(static_cast<size_t>(state.range(0)), defaults, user);
  const std::vector<std::string> exclusions = {AllNames()[3], AllNames()[40000]};
  const std::string& old = ThreeMegabyteHosts();
  for (auto _ : state) {
    auto result = hosts::literal::BuildHostsText(old, "\n", defaults, user, exclusions);
    benchmark::DoNotOptimize(result.text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Quadratic: 65,534 servers would take minutes.
BENCHMARK(BM_BuildLiteral)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Remove(benchmark::State& state) {
  std::vector<std::string> defaults, user;
  Split(static_cast<size_t>(state.range(0)), defaults, user);
  const std::string built =
      hosts::BuildHostsText({ThreeMegabyteHosts(), "\n", defaults, user, {}, nullptr, nullptr})
          .text;
  for (auto _ : state) {
    auto kept = hosts::RemoveServerLines(built, "\n", defaults, user, nullptr, nullptr);
    benchmark::DoNotOptimize(kept.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Remove)->Arg(65534)->Unit(benchmark::kMillisecond);

// The floor: awk prefixing every name of the same list, file in and file out.
void BM_AwkFloor(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path();
  const std::string list = (dir / "quorlen-bench-names.txt").string();
  const std::string out = (dir / "quorlen-bench-awk.txt").string();
  {
    std::ofstream names(list);
    const auto& all = AllNames();
    for (long i = 0; i < state.range(0); ++i) names << all[static_cast<size_t>(i)] << '\n';
  }
  const std::string command = "awk '{print \"127.0.0.1 \" $0}' " + list + " > " + out;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("awk failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AwkFloor)->Arg(65534)->UseRealTime()->Unit(benchmark::kMillisecond);

// Both full lists built over the 3 MB file: what the helper judges at every start.
const std::string& LargestBuild() {
  static const std::string text = [] {
    std::vector<std::string> defaults, user;
    Split(65534, defaults, user);
    const hosts::ProtectedNames keep(ThreeMegabyteHosts(), {"devbox"});
    return hosts::BuildHostsText(
               {ThreeMegabyteHosts(), "\n", defaults, user, {}, nullptr, nullptr, &keep})
               .text +
           "\n";
  }();
  return text;
}

void BM_Judge(benchmark::State& state) {
  for (auto _ : state) {
    auto verdict = helper::JudgeBlockingChange(ThreeMegabyteHosts(), LargestBuild(), {"devbox"});
    if (!verdict.accepted) state.SkipWithError(verdict.reason.c_str());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<long>(ThreeMegabyteHosts().size() + LargestBuild().size()));
}
BENCHMARK(BM_Judge)->Unit(benchmark::kMillisecond);

void BM_JudgeLineFloor(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t lines = 0;
    for (const std::string* text : {&ThreeMegabyteHosts(), &LargestBuild()}) {
      for (std::size_t at = 0; (at = text->find('\n', at)) != std::string::npos; ++at) ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<long>(ThreeMegabyteHosts().size() + LargestBuild().size()));
}
BENCHMARK(BM_JudgeLineFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
