#include "ui/exclude_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/list_box_view.h"
#include "ui/menu_images.h"

namespace quorlen {

namespace {

// A label that acts as a link: a click runs the model's click handler.
class Link : public QLabel {
 public:
  explicit Link(Label& model) : model_(model) {
    Bind(this, model);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet("color: #1a4fb5; text-decoration: underline;");
  }

 protected:
  void mouseReleaseEvent(QMouseEvent*) override {
    if (model_.onClick) model_.onClick();
  }

 private:
  Label& model_;
};

}  // namespace

ExcludeView::ExcludeView(frmExclude& model) : QWidget(nullptr, Qt::Window), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);

  auto* lists = new QGridLayout;
  lists->addWidget(Make<QLabel>(model.lblAll), 0, 0);
  lists->addWidget(Make<QLabel>(model.lblExclude), 0, 2);
  lists->addWidget(MakeListView(model.lstAll), 1, 0);
  auto* moves = new QVBoxLayout;
  moves->addStretch(1);
  moves->addWidget(Make<QPushButton>(model.cmdDo));
  moves->addWidget(Make<QPushButton>(model.cmdUndo));
  moves->addStretch(1);
  lists->addLayout(moves, 1, 1);
  lists->addWidget(MakeListView(model.lstExclude), 1, 2);
  auto* find = new QHBoxLayout;
  find->addWidget(Make<QLineEdit>(model.txtFind), 1);
  find->addWidget(Make<QPushButton>(model.cmdGo));
  lists->addLayout(find, 2, 0);
  lists->setColumnStretch(0, 3);
  lists->setColumnStretch(2, 2);
  lists->setRowStretch(1, 1);
  layout->addLayout(lists, 3);

  auto* last = Make<QLabel>(model.lblLast);
  last->setStyleSheet("font-weight: bold;");
  layout->addWidget(last);

  auto* own = new QGroupBox;
  auto showFrame = [own, &model] { own->setTitle(FromSingleByte(model.fraAdd.Caption())); };
  showFrame();
  Watch(own, model.fraAdd.changed, showFrame);
  auto* ownLayout = new QGridLayout(own);
  ownLayout->addWidget(Make<QLabel>(model.lblAdd), 0, 0, 1, 3);
  ownLayout->addWidget(Make<QLabel>(model.lblServer), 1, 0);
  ownLayout->addWidget(Make<QLineEdit>(model.txtServer), 1, 1);
  ownLayout->addWidget(Make<QPushButton>(model.cmdAdd), 1, 2);
  ownLayout->addWidget(MakeListView(model.lstAdd), 2, 0, 1, 2);
  auto* del = Make<QPushButton>(model.cmdDel);
  ownLayout->addWidget(del, 2, 2, Qt::AlignTop);
  ownLayout->setColumnStretch(1, 1);
  layout->addWidget(own, 2);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new Link(model.lblPopupTitles), 1);
  auto* ok = Make<QPushButton>(model.cmdOK);
  ok->setDefault(true);
  bottom->addWidget(ok);
  bottom->addWidget(Make<QPushButton>(model.cmdCancel));
  layout->addLayout(bottom);

  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
  CloseOnEscape(this);
}

void ExcludeView::closeEvent(QCloseEvent* event) {
  // The title bar's close box is Cancel.
  if (model_.window.Visible()) model_.cmdCancel_Click();
  event->accept();
}

}  // namespace quorlen
