#include "core/host_name_set.h"

#include <algorithm>

#include "core/text.h"

namespace quorlen {

HostNameSet::HostNameSet(const std::vector<std::string_view>& names) {
  std::vector<std::string> lower;
  lower.reserve(names.size());
  for (std::string_view name : names) {
    if (!name.empty()) lower.push_back(LowerCase(name));
  }
  std::sort(lower.begin(), lower.end());
  lower.erase(std::unique(lower.begin(), lower.end()), lower.end());
  std::size_t length = 0;
  for (const auto& name : lower) length += name.size() + 1;
  text_.reserve(length);
  starts_.reserve(lower.size());
  for (const auto& name : lower) {
    starts_.push_back(static_cast<std::uint32_t>(text_.size()));
    text_.append(name).push_back('\n');
  }
}

std::string_view HostNameSet::At(std::size_t index) const {
  std::size_t start = starts_[index];
  std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
  return std::string_view(text_).substr(start, end - start - 1);
}

bool HostNameSet::Contains(std::string_view host) const {
  if (host.empty() || starts_.empty()) return false;
  const std::string lower = LowerCase(host);
  std::size_t low = 0;
  std::size_t high = starts_.size();
  while (low < high) {
    std::size_t middle = low + (high - low) / 2;
    if (At(middle) < lower) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low < starts_.size() && At(low) == lower;
}

}  // namespace quorlen
