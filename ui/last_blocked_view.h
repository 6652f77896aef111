#pragma once

#include <QWidget>

#include "forms/frm_last_blocked.h"

namespace quorlen {

// The recently blocked window: the three mode buttons over the list, which grows with the
// window, and Copy and Close below it.
class LastBlockedView : public QWidget {
 public:
  explicit LastBlockedView(frmLastBlocked& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmLastBlocked& model_;
};

}  // namespace quorlen
