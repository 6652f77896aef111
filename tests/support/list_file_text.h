#pragma once

#include <string>
#include <vector>

namespace quorlen::testing_support {

// The text of a list file (ad servers, allowed servers) that holds these names.
inline std::string ListFile(const std::vector<std::string>& names) {
  std::string text = "[DomainCount]\r\nN=" + std::to_string(names.size()) + "\r\n[Domains]\r\n";
  for (size_t i = 0; i < names.size(); ++i) {
    text += "D" + std::to_string(i) + "=" + names[i] + "\r\n";
  }
  return text;
}

}  // namespace quorlen::testing_support
