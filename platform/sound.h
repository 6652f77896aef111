#pragma once

#include <string>

namespace quorlen {

// Plays a sound file without waiting. A new sound replaces one still playing; a missing
// file or a machine without audio is silent. The result is never reported.
class Sound {
 public:
  virtual ~Sound() = default;
  virtual void PlayAsync(const std::string& file) = 0;
};

}  // namespace quorlen
