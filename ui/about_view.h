#pragma once

#include <QWidget>

#include "help/frm_about.h"

namespace quorlen {

// The About window: picture, version, system, the two sites as links and OK.
class AboutView : public QWidget {
 public:
  explicit AboutView(frmAbout& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmAbout& model_;
};

}  // namespace quorlen
