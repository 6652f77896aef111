#pragma once

#include <QWidget>

#include "hosts/frm_exclude.h"

namespace quorlen {

// The ad-server list editor's window: the default list on the left, the allowed servers
// on the right, the user's own servers below. It mirrors frmExclude and forwards clicks.
class ExcludeView : public QWidget {
 public:
  explicit ExcludeView(frmExclude& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmExclude& model_;
};

}  // namespace quorlen
