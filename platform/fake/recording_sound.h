#pragma once

#include <string>
#include <vector>

#include "platform/sound.h"

namespace quorlen {

// Records which sound files the program asked to play.
class RecordingSound : public Sound {
 public:
  void PlayAsync(const std::string& file) override { played.push_back(file); }
  std::vector<std::string> played;
};

}  // namespace quorlen
