#pragma once

#include <QSoundEffect>

#include "platform/sound.h"

namespace quorlen {

// Sounds through Qt Multimedia: a new sound replaces one still playing; a file that
// cannot be played, or a machine without audio, stays silent.
class QtSound : public Sound {
 public:
  void PlayAsync(const std::string& file) override;

 private:
  QSoundEffect effect_;
};

}  // namespace quorlen
