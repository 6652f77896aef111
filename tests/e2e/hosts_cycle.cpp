// Builds and takes out the blocking lines of a hosts file over and over, the way the
// program writes it, until killed: the subject of the kill test.
//   hosts_cycle <hosts file> <list of names>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/kestro_global_fn.h"
#include "hosts/hosts_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: hosts_cycle <hosts file> <names>\n";
    return 2;
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
