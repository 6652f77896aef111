// Turns a plain list of names, one a line, into the program's list-file format, the way
// the program itself saves a list: used by the build to make the shipped default lists.
#include <fstream>
#include <iostream>
#include <string>

#include "core/controls.h"
#include "core/list_and_text_files.h"
#include "core/private_profile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_list_file <names.txt> <list.ini>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << argv[1] << "\n";
    return 1;
  }
  quorlen::ListBox list;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) list.AddItem(line);
  }
  std::remove(argv[2]);
  quorlen::ProfileStore profiles;
  quorlen::SaveListToIni(list, "DomainCount", "Domains", argv[2], profiles);
  if (!quorlen::FileExists(argv[2])) {
    std::cerr << "cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
