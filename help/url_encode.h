#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quorlen {

// The text made safe for the query of the feedback address, by the program's own table:
// each CR LF pair becomes the two letters "DA", then up to the first "?" the characters
// % , blank / ~ : $ & become %25 %2C %20 %2F %7E %3A %24 %26. The first "?" and all that
// follows it stay as they are, and so does every other character. `afterEachCharacter`
// runs once per character (the program lets pending events run there).
std::string URLEncode(std::string_view text, const std::function<void()>& afterEachCharacter = {});

}  // namespace quorlen
