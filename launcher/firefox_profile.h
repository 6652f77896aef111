#pragma once

#include <string>

namespace quorlen {

// Writes the preferences Quorlen's Firefox profile needs into its "user.js", at every
// start, so that they hold whatever the profile was given since.
void WriteFirefoxPreferences(const std::string& profile);

}  // namespace quorlen
