#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlen::helper {

// The one kind of hosts-file change the helper makes for any local user: blocking or
// unblocking names on this machine. Every line of the form "127.0.0.1 " + one host name
// and every blank line are set aside in both texts; what is left must be the same lines
// in the same order. So nobody can send a name to another address, change or drop a line
// of the user's own, or slip a second name onto a blocking line.
//
// A line ends at LF; one CR before the LF belongs to the line end, so a Windows-made
// file and its rewrite compare equal. A host name is one word of printable characters:
// a blank, a tab, a CR inside the line or any other control character makes the line the
// user's own. A line is also the user's own when the name is one the machine itself needs
// (hosts::ProtectedNames of the current text and `machineNames`), so it can never be
// taken out.
struct ChangeVerdict {
  bool accepted = false;
  std::string reason;  // why not, with the first line that differs
};

ChangeVerdict JudgeBlockingChange(std::string_view current, std::string_view proposed,
                                  const std::vector<std::string>& machineNames = {});

// The hosts text with every blocking line taken out that the user's saved file did not
// have; every other line stays as it is. For a file the user edited by hand while
// blocking was on.
std::string WithoutAddedBlockingLines(std::string_view hosts, std::string_view saved,
                                      const std::vector<std::string>& machineNames = {});

}  // namespace quorlen::helper
