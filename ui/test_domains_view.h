#pragma once

#include <QWidget>

#include "update/frm_test_domains.h"

namespace quorlen {

// The domain tester's window, a maintenance tool: the three steps along the top, the
// servers tried and failed side by side, the progress texts and the last answer below.
class TestDomainsView : public QWidget {
 public:
  explicit TestDomainsView(frmTestDomains& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmTestDomains& model_;
};

}  // namespace quorlen
