#pragma once

#include <QWidget>

#include "titles/frm_popup_titles.h"

namespace quorlen {

// The popup titles editor: the blocked fragments beside the open windows' titles.
class PopupTitlesView : public QWidget {
 public:
  explicit PopupTitlesView(frmPopupTitles& model);

 protected:
  // The close box closes without saving, as Cancel does.
  void closeEvent(QCloseEvent* event) override;

 private:
  frmPopupTitles& model_;
};

}  // namespace quorlen
