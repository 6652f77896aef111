#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorlen {

// A fixed set of host names, looked up as the resolver compares them: letter case does
// not matter. Tens of thousands of ad servers live in one block of text, sorted, with one
// offset each, so the set costs little more than the names themselves.
class HostNameSet {
 public:
  HostNameSet() = default;
  // Empty names and repeats count once; every name is kept in lower case.
  explicit HostNameSet(const std::vector<std::string_view>& names);

  bool Contains(std::string_view host) const;
  std::size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  // Every name in order, each followed by a line feed.
  std::string_view Text() const { return text_; }

 private:
  std::string_view At(std::size_t index) const;

  std::string text_;
  std::vector<std::uint32_t> starts_;
};

}  // namespace quorlen
