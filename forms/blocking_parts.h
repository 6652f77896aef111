#pragma once

#include "hosts/ad_server_blocking.h"

namespace quorlen {

// What start-up asks of window-title blocking: its fragment lists.
class TitleBlocking {
 public:
  virtual ~TitleBlocking() = default;
  virtual void LoadPopupTitles() = 0;
};

// Window-title blocking is not part of this build yet: its lists are not read.
class TitleBlockingNotBuilt : public TitleBlocking {
 public:
  void LoadPopupTitles() override {}
};

}  // namespace quorlen
