#include "ui/small_windows_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

namespace {

QLabel* Text(Label& model) {
  auto* label = new QLabel;
  Bind(label, model);
  return label;
}

}  // namespace

StatsView::StatsView(frmStats& model) : QWidget(nullptr, Qt::Tool), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* frame = new QGroupBox(FromSingleByte(model.Frame1.Caption()));
  auto* grid = new QGridLayout(frame);
  auto* today = Text(model.lbltot);
  today->setToolTip(FromSingleByte(model.lbltotToolTip));
  grid->addWidget(today, 0, 0);
  grid->addWidget(Text(model.LabelToday), 0, 1);
  grid->addWidget(Text(model.lblTotBlocked), 1, 0);
  grid->addWidget(Text(model.LabelTotal), 1, 1);
  grid->addWidget(Text(model.lblTotHosts), 2, 0);
  grid->addWidget(Text(model.LabelServers), 2, 1);
  grid->addWidget(Text(model.lblDateUpdate), 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(frame);
  setMinimumSize(60, 20);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
}

void StatsView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  const Geometry& bounds = model_.window.Bounds();
  if (placed_ || bounds.left != 0 || bounds.top != 0) return;
  placed_ = true;
  // Once the window manager has framed the window its whole size is known; the panel with
  // the tray usually runs along the bottom, so the window keeps clear of it.
  QTimer::singleShot(100, this, [this] {
    QRect free = screen()->availableGeometry();
    QRect frame = frameGeometry();
    const int margin = 8;
    const int panel = 32;
    move(free.right() - frame.width() - margin, free.bottom() - frame.height() - margin - panel);
  });
}

void StatsView::closeEvent(QCloseEvent* event) {
  model_.Form_Unload();
  event->accept();
}

MessageView::MessageView(frmMSG& model) : QWidget(nullptr, Qt::Dialog), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);
  auto* message = Text(model.lblMSG);
  message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(message, 1);
  layout->addWidget(Text(model.lblStatus));
  auto* close = new QPushButton;
  Bind(close, model.cmdOK);
  layout->addWidget(close, 0, Qt::AlignRight);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
}

void MessageView::closeEvent(QCloseEvent* event) {
  model_.cmdOK_Click();
  event->accept();
}

}  // namespace quorlen
