#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorlen::helper {

// The one kind of hosts-file change the helper makes: blocking or unblocking names on this
// machine. Every line of the form "127.0.0.1 " + one host name and every blank line are
// set aside in both texts; what is left must be the same lines in the same order. So
// nobody can send a name to another address, change or drop a line of the user's own, or
// slip a second name onto a blocking line.
//
// A line ends at LF; one CR before the LF belongs to the line end, so a Windows-made
// file and its rewrite compare equal. A host name is one word of printable characters,
// at most kLongestHostName of them: a blank, a tab, a CR inside the line or any other
// control character makes the line the user's own. A line is also the user's own when
// the name is one the machine itself needs (hosts::ProtectedNames of the current text and
// `machineNames`), so it can never be taken out.
//
// Two more limits keep a change to what blocking needs:
// - a name that one of the user's own lines maps (as "10.0.0.5 intranet.example") is
//   never newly sent to 127.0.0.1, so no request can shadow the user's own address;
// - the new text holds at most kMaxBlockingLines blocking lines and as many blank lines
//   (or as many as the current file has, should it hold more), so no request can make
//   every name lookup of the machine slow.
struct ChangeVerdict {
  bool accepted = false;
  std::string reason;  // why not, with the first line that differs
};

// Both lists full: 32,767 entries each.
inline constexpr std::size_t kMaxBlockingLines = 65534;
// The longest name the domain name system has.
inline constexpr std::size_t kLongestHostName = 253;

ChangeVerdict JudgeBlockingChange(std::string_view current, std::string_view proposed,
                                  const std::vector<std::string>& machineNames = {});

// The most bytes a text the rule can accept over a hosts file of `currentSize` bytes has:
// the current text, the most blocking lines of the longest names and the most blank lines.
std::size_t LargestAcceptedText(std::size_t currentSize);

// The hosts text with every blocking line taken out that the user's saved file did not
// have; every other line stays as it is. For a file the user edited by hand while
// blocking was on.
std::string WithoutAddedBlockingLines(std::string_view hosts, std::string_view saved,
                                      const std::vector<std::string>& machineNames = {});

}  // namespace quorlen::helper
