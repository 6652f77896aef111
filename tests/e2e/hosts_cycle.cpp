// The subject of the kill test: builds and takes out the blocking lines of a hosts file as
// the program writes it, until killed, or kills itself the n-th time a write reaches the step.
//   hosts_cycle <hosts file> <list of names> [<write step> <n>]
// --start does what the program does at start: completes a write a kill cut short and
// removes the temporary files of earlier writes.
//   hosts_cycle --start <hosts file>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "core/list_and_text_files.h"
#include "hosts/hosts_text.h"
#include "platform/atomic_write.h"

namespace {

quorlen::WriteStep dieAt;
long dieOnVisit = 0;

void KillAtStep(quorlen::WriteStep step, const std::string&) {
  if (step == dieAt && --dieOnVisit == 0) std::raise(SIGKILL);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--start") {
    auto done = quorlen::RecoverInterruptedWrite(argv[2]);
    std::cout << (done.finished ? "finished an interrupted write; " : "") << done.removedTemporaries
              << " temporary files removed\n";
    return 0;
  }
  if (argc != 3 && argc != 5) {
    std::cerr << "usage: hosts_cycle <hosts file> <names> [<write step> <n>]\n"
                 "       hosts_cycle --start <hosts file>\n";
    return 2;
  }
  if (argc == 5) {
    const std::map<std::string, quorlen::WriteStep> steps = {
        {"temporary-written", quorlen::WriteStep::kTemporaryWritten},
        {"pending-copy-made", quorlen::WriteStep::kPendingCopyMade},
        {"target-opened", quorlen::WriteStep::kTargetOpened},
        {"target-written", quorlen::WriteStep::kTargetWritten}};
    auto step = steps.find(argv[3]);
    if (step == steps.end()) return 2;
    dieAt = step->second;
    dieOnVisit = std::atol(argv[4]);
    quorlen::SetWriteStepHook(KillAtStep);
  }
  const std::string hostsFile = argv[1];
  std::vector<std::string> names;
  std::ifstream in(argv[2]);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  const std::vector<std::string> none;
  for (;;) {
    const std::string old = quorlen::ReadTextFile(hostsFile);
    const auto eol = quorlen::hosts::DetectLineEnd(old);
    auto built = quorlen::hosts::BuildHostsText({old, eol, names, none, none, nullptr, nullptr});
    quorlen::WriteTextFile(hostsFile, built.text, eol);
    const std::string blocking = quorlen::ReadTextFile(hostsFile);
    const std::string kept =
        quorlen::hosts::RemoveServerLines(blocking, eol, names, none, nullptr, nullptr);
    // Each write adds a line end: the build's and this one are dropped again, so that
    // every round comes back to exactly the user's bytes.
    quorlen::WriteTextFile(hostsFile, kept.substr(0, kept.size() - 2 * eol.size()), eol);
  }
}
