#pragma once

#include <QWidget>

#include "popups/frm_ie_white_list.h"

namespace quorlen {

// The popup white-list editor's window.
class IEWhiteListView : public QWidget {
 public:
  explicit IEWhiteListView(frmIEWhiteList& model);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmIEWhiteList& model_;
};

}  // namespace quorlen
