#include "ui/popup_titles_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

PopupTitlesView::PopupTitlesView(frmPopupTitles& model)
    : QWidget(nullptr, Qt::Window), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* frame = new QGroupBox(FromSingleByte(model.frm1.Caption()));
  auto* grid = new QGridLayout(frame);
  grid->addWidget(Make<QListWidget>(model.lstAdd), 0, 0, 1, 3);
  auto* del = Make<QPushButton>(model.cmdDel);
  grid->addWidget(del, 1, 0);
  grid->addWidget(Make<QLabel>(model.Label5), 2, 0, 1, 3);
  grid->addWidget(Make<QLabel>(model.Label3), 3, 0);
  grid->addWidget(Make<QLineEdit>(model.txtTitle), 3, 1);
  grid->addWidget(Make<QPushButton>(model.cmdAdd), 3, 2);
  grid->addWidget(Make<QLabel>(model.Label1), 4, 0, 1, 3);
  grid->addWidget(Make<QListWidget>(model.lstCurrent), 5, 0, 1, 3);
  grid->addWidget(Make<QPushButton>(model.cmdRefresh), 6, 0, 1, 2, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new LinkLabel(model.lblPopupTitles), 1);
  auto* ok = Make<QPushButton>(model.cmdOK);
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(Make<QPushButton>(model.cmdCancel));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame, 1);
  layout->addLayout(buttons);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
  CloseOnEscape(this);
}

void PopupTitlesView::closeEvent(QCloseEvent* event) {
  if (model_.Loaded()) model_.Unload();
  event->accept();
}

}  // namespace quorlen
