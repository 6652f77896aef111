#pragma once

#include <QWidget>

#include "core/frm_msg.h"
#include "core/frm_stats.h"

namespace quorlen {

// The statistics window: resizable, and its caption carries both counts. It first opens
// in the corner of the screen where the tray usually is, out of the way.
class StatsView : public QWidget {
 public:
  explicit StatsView(frmStats& model);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  frmStats& model_;
  bool placed_ = false;
};

// The self-closing message window.
class MessageView : public QWidget {
 public:
  explicit MessageView(frmMSG& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmMSG& model_;
};

}  // namespace quorlen
