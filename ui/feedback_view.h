#pragma once

#include <QWidget>

#include "help/frm_feedback.h"

namespace quorlen {

// The feedback window: the comment, the optional e-mail address and the two buttons.
class FeedbackView : public QWidget {
 public:
  explicit FeedbackView(frmFeedback& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmFeedback& model_;
};

}  // namespace quorlen
