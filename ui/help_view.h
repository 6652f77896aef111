#pragma once

#include <QWidget>

#include "help/frm_help.h"

namespace quorlen {

// The help launcher: in sight only while a box says the browser could not be found or
// started.
class HelpView : public QWidget {
 public:
  explicit HelpView(frmHelp& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmHelp& model_;
};

}  // namespace quorlen
