#include "ui/ie_white_list_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

namespace {

QLabel* Text(Label& model, const char* toolTip = nullptr) {
  auto* label = new QLabel;
  Bind(label, model);
  if (toolTip) label->setToolTip(FromSingleByte(toolTip));
  return label;
}

QPushButton* Push(Button& model, const char* toolTip) {
  auto* button = new QPushButton;
  Bind(button, model);
  button->setToolTip(FromSingleByte(toolTip));
  return button;
}

}  // namespace

IEWhiteListView::IEWhiteListView(frmIEWhiteList& model)
    : QWidget(nullptr, Qt::Dialog), model_(model) {
  using M = frmIEWhiteList;
  setWindowIcon(ProgramIcon());
  auto* frame = new QGroupBox(FromSingleByte(model.Frame1.Caption()));
  auto* grid = new QGridLayout(frame);
  grid->addWidget(Text(model.Label1), 0, 0, 1, 3);
  grid->addWidget(Text(model.lblURL, M::kToolTipURLLabel), 1, 0);
  auto* entry = new QLineEdit;
  Bind(entry, model.txtTitle);
  entry->setToolTip(FromSingleByte(M::kToolTipTitle));
  grid->addWidget(entry, 1, 1);
  grid->addWidget(Push(model.cmdAdd, M::kToolTipAdd), 1, 2);
  auto* list = new QListWidget;
  Bind(list, model.lstAdd);
  list->setMinimumHeight(140);
  grid->addWidget(list, 2, 0, 1, 2);
  auto* del = Push(model.cmdDel, M::kToolTipDel);
  grid->addWidget(del, 2, 2, Qt::AlignTop);
  grid->addWidget(Text(model.Label2), 3, 0, 1, 3);
  grid->addWidget(Text(model.Label3), 4, 0, 1, 3);
  grid->addWidget(Text(model.Label4), 5, 0, 1, 3);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = Push(model.cmdOK, M::kToolTipOK);
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(Push(model.cmdCancel, M::kToolTipCancel));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(buttons);
  // Never squeezed below what its texts and the list need.
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  Bind(static_cast<QWidget*>(this), model.window);
  CloseOnEscape(this);
}

void IEWhiteListView::closeEvent(QCloseEvent* event) {
  // The close box is Cancel.
  model_.cmdCancel.Click();
  event->accept();
}

}  // namespace quorlen
