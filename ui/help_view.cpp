#include "ui/help_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>

#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

HelpView::HelpView(frmHelp& model) : QWidget(nullptr, Qt::Dialog), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* grid = new QGridLayout(this);
  auto* address = Make<QLineEdit>(model.txtURL);
  address->setReadOnly(true);
  address->setAccessibleName(QStringLiteral("Address"));
  grid->addWidget(address, 0, 0, 1, 3);
  grid->addWidget(Make<QLabel>(model.Label2), 1, 0, Qt::AlignTop);
  grid->addWidget(Make<QLabel>(model.lblCommand), 1, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Make<QPushButton>(model.cmdHome));
  buttons->addWidget(Make<QPushButton>(model.cmdOK));
  grid->addLayout(buttons, 2, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
}

void HelpView::closeEvent(QCloseEvent* event) {
  model_.Unload();
  event->accept();
}

}  // namespace quorlen
