#include "ui/about_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"
#include "ui/settings_pages_view.h"

namespace quorlen {

AboutView::AboutView(frmAbout& model) : QWidget(nullptr, Qt::Dialog), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* frame = new QGroupBox(FromSingleByte(model.Frame1.Caption()));
  auto* grid = new QGridLayout(frame);
  // A click on the picture opens the feedback window.
  auto* picture = new PictureLink(model.Picture2, 48, QStringLiteral("Send us your feedback"));
  grid->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
  auto* version = Make<QLabel>(model.lblVersion);
  QFont bold = version->font();
  bold.setBold(true);
  version->setFont(bold);
  grid->addWidget(version, 0, 1);
  grid->addWidget(Make<QLabel>(model.lblExtra), 1, 1);
  grid->addWidget(new LinkText(model.lblURL), 2, 1);
  grid->addWidget(new LinkText(model.lblURL2), 3, 1);
  grid->addWidget(Make<QLabel>(model.Label4), 4, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(5, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = Make<QPushButton>(model.cmdOK);
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
  ok->setFocus();
  CloseOnEscape(this);
}

void AboutView::closeEvent(QCloseEvent* event) {
  model_.cmdOK_Click();
  event->accept();
}

}  // namespace quorlen
