#include "ui/last_blocked_view.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

LastBlockedView::LastBlockedView(frmLastBlocked& model)
    : QWidget(nullptr, Qt::Window), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Make<QLabel>(model.Label1));
  auto* modes = new QHBoxLayout;
  for (Button* mode : {&model.cmdByAdServer, &model.cmdIEPopups, &model.cmdTitles}) {
    auto* button = Make<QPushButton>(*mode);
    // The current mode is the default button: shown in bold.
    auto bold = [button, mode] {
      QFont font = button->font();
      font.setBold(mode->Default());
      button->setFont(font);
    };
    bold();
    Watch(button, mode->changed, bold);
    modes->addWidget(button);
  }
  layout->addLayout(modes);
  auto* list = new QListWidget;
  Bind(list, model.lstBlocked);
  list->setToolTip(FromSingleByte(model.lstBlockedToolTip));
  list->setAccessibleName(QStringLiteral("Recently blocked"));
  auto handOver = [list, &model] {
    if (list->currentRow() < 0) return;
    model.lstBlocked.SetListIndex(list->currentRow());
    if (model.lstBlocked.onDoubleClick) model.lstBlocked.onDoubleClick();
  };
  QObject::connect(list, &QListWidget::itemDoubleClicked, list, handOver);
  // Enter on a line does what a double click does, for the keyboard.
  for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* enter = new QShortcut(QKeySequence(key), list, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(enter, &QShortcut::activated, list, handOver);
  }
  layout->addWidget(list, 1);
  layout->addWidget(Make<QLabel>(model.Label2));
  auto* actions = new QHBoxLayout;
  auto* copy = Make<QPushButton>(model.cmdCopy);
  copy->setToolTip(FromSingleByte(model.cmdCopyToolTip));
  actions->addWidget(copy);
  actions->addStretch(1);
  actions->addWidget(Make<QPushButton>(model.cmdCancel));
  layout->addLayout(actions);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
}

void LastBlockedView::closeEvent(QCloseEvent* event) {
  model_.Unload();
  event->accept();
}

}  // namespace quorlen
