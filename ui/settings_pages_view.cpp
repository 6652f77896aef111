#include "ui/settings_pages_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

namespace {

QGroupBox* Frame(Label& caption) {
  auto* box = new QGroupBox;
  auto show = [box, &caption] { box->setTitle(FromSingleByte(caption.Caption())); };
  show();
  Watch(box, caption.changed, show);
  return box;
}

// A frame whose caption is too long for one line of the page: the caption wraps inside
// the frame instead of being cut at its edge.
QGroupBox* WrappedFrame(Label& caption, QGridLayout*& grid) {
  auto* box = new QGroupBox;
  grid = new QGridLayout(box);
  auto* heading = Make<QLabel>(caption);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  grid->addWidget(heading, 0, 0, 1, 2);
  return box;
}

QLabel* Text(Label& model) { return Make<QLabel>(model); }
QPushButton* Push(Button& model) { return Make<QPushButton>(model); }

QWidget* Page(std::initializer_list<QWidget*> parts) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);
  for (QWidget* part : parts) layout->addWidget(part);
  layout->addStretch(1);
  return page;
}

// A button beside the label that explains it; the label takes the rest of the row.
void ButtonRow(QGridLayout* grid, int row, Button& button, Label& explanation) {
  grid->addWidget(Push(button), row, 0, Qt::AlignTop);
  grid->addWidget(Text(explanation), row, 1);
}

}  // namespace

Tick::Tick(CheckBox& model) : model_(model) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  auto* box = Make<QCheckBox>(model);
  caption_ = new QLabel;
  caption_->setWordWrap(true);
  row->addWidget(box, 0, Qt::AlignTop);
  row->addWidget(caption_, 1);
  auto show = [this, box] {
    box->setText({});
    QString caption = FromSingleByte(model_.Caption());
    // Read aloud and found by its caption, though the box itself shows none.
    box->setAccessibleName(caption);
    caption_->setText(caption);
    caption_->setEnabled(model_.Enabled());
  };
  show();
  Watch(this, model.changed, show);
}

void Tick::mouseReleaseEvent(QMouseEvent* event) {
  if (model_.Enabled() && caption_->geometry().contains(event->pos())) model_.Click();
}

LinkText::LinkText(Label& model) : model_(model) {
  Bind(this, model);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  setStyleSheet(
      "QLabel { color: #1a4fb5; text-decoration: underline; border: 1px solid transparent; }"
      "QLabel:focus { border: 1px dotted #1a4fb5; }");
}

void LinkText::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->pos()) && model_.onClick) model_.onClick();
}

void LinkText::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
       event->key() == Qt::Key_Space) &&
      model_.onClick) {
    model_.onClick();
    return;
  }
  QLabel::keyPressEvent(event);
}

QWidget* BuildAdBlockingPage(SettingsWindow& c) {
  auto* types = Frame(c.Frame7);
  auto* grid = new QGridLayout(types);
  grid->addWidget(new Tick(c.chkAdServers), 0, 0, 1, 2);
  grid->addWidget(new Tick(c.chkIEPops), 1, 0, 1, 2);
  ButtonRow(grid, 2, c.cmdAddSites, c.Label14);
  ButtonRow(grid, 3, c.cmdPopupTitles, c.Label15);
  grid->setColumnStretch(1, 1);
  return Page({types});
}

QWidget* BuildStartupPage(SettingsWindow& c) {
  auto* options = Frame(c.Frame8);
  auto* grid = new QGridLayout(options);
  grid->addWidget(new Tick(c.chkStartup), 0, 0, 1, 2);
  grid->addWidget(new Tick(c.chkAuto), 1, 0, 1, 2);
  ButtonRow(grid, 2, c.cmdData2, c.Label10);
  grid->setColumnStretch(1, 1);
  return Page({options});
}

QWidget* BuildHelpPage(SettingsWindow& c) {
  QGridLayout* grid = nullptr;
  auto* topics = WrappedFrame(c.Frame9, grid);
  ButtonRow(grid, 1, c.cmdHelpOnline, c.Label11);
  ButtonRow(grid, 2, c.cmdFeedback, c.Label12);
  ButtonRow(grid, 3, c.cmdHelpBlock, c.Label13);
  grid->setColumnStretch(1, 1);
  return Page({topics});
}

QWidget* BuildSoundsPage(SettingsWindow& c) {
  auto soundFrame = [](Label& frame, CheckBox& enable, TextBox& path, Button& browse,
                       Button& test) {
    auto* box = Frame(frame);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new Tick(enable), 0, 0, 1, 3);
    auto* file = Make<QLineEdit>(path);
    file->setAccessibleName(FromSingleByte(frame.Caption()));
    grid->addWidget(file, 1, 0);
    grid->addWidget(Push(browse), 1, 1);
    grid->addWidget(Push(test), 1, 2);
    grid->setColumnStretch(0, 1);
    return box;
  };
  return Page({soundFrame(c.Frame5, c.chkPopSound, c.txtPopWav, c.cmdBrowsePop, c.cmdTestPop),
               soundFrame(c.Frame4, c.chkBannerSound, c.txtBannerWav, c.cmdBrowseAd, c.cmdTestAd)});
}

QWidget* BuildOtherPage(SettingsWindow& c) {
  auto* proxy = Frame(c.Frame3);
  auto* grid = new QGridLayout(proxy);
  grid->addWidget(Text(c.Label1), 0, 0, 1, 2);
  auto* name = Make<QLineEdit>(c.txtProxyName);
  name->setAccessibleName(FromSingleByte(c.Frame3.Caption()));
  grid->addWidget(name, 1, 0);
  grid->addWidget(Push(c.cmdGuessProxy2), 1, 1);
  grid->addWidget(Text(c.Label6), 2, 0, 1, 2);
  grid->setColumnStretch(0, 1);

  auto* actions = new QWidget;
  auto* rows = new QGridLayout(actions);
  rows->setContentsMargins(0, 0, 0, 0);
  ButtonRow(rows, 0, c.cmdData, c.Label3);
  ButtonRow(rows, 1, c.cmdTestConn, c.Label7);
  ButtonRow(rows, 2, c.cmdNew, c.Label8);
  ButtonRow(rows, 3, c.cmdReset, c.Label9);
  rows->setColumnStretch(1, 1);
  return Page({proxy, actions});
}

QWidget* BuildStatusPage(SettingsWindow& c) {
  auto* messages = Frame(c.Frame6);
  auto* messageLayout = new QVBoxLayout(messages);
  // Long reports (the hosts file's, the proxy notice) scroll here instead of being cut.
  auto* status = new QPlainTextEdit;
  Bind(status, c.lblStatus);
  status->setAccessibleName(FromSingleByte(c.Frame6.Caption()));
  status->setFrameShape(QFrame::NoFrame);
  status->setBackgroundRole(QPalette::Window);
  status->setFixedHeight(status->fontMetrics().lineSpacing() * 5 + 8);
  messageLayout->addWidget(status);

  auto* stats = Frame(c.Frame2);
  auto* grid = new QGridLayout(stats);
  grid->addWidget(Text(c.lblDateUpdate), 0, 0, 1, 2);
  grid->addWidget(Text(c.Label5Servers), 1, 0);
  grid->addWidget(Text(c.lblTotHosts), 1, 1);
  grid->addWidget(Text(c.Label5ToDate), 2, 0);
  grid->addWidget(Text(c.lblTotBlocked), 2, 1);
  grid->addWidget(Text(c.Label5Today), 3, 0);
  grid->addWidget(Text(c.lbltot), 3, 1);
  grid->setColumnStretch(1, 1);

  auto* recent = Frame(c.Frame1);
  auto* recentLayout = new QVBoxLayout(recent);
  recentLayout->addWidget(Text(c.lbltype));
  recentLayout->addWidget(Text(c.lblpage));
  return Page({messages, stats, recent});
}

QWidget* BuildAllowPage(SettingsWindow& c) {
  auto* buttons = new QWidget;
  auto* column = new QVBoxLayout(buttons);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(Push(c.cmdAllow));
  column->addWidget(Push(c.cmdAllowIEPop));
  column->addWidget(Push(c.cmdAllowTitle));

  auto* links = Frame(c.Frame10);
  auto* grid = new QGridLayout(links);
  int line = 0;
  auto addLink = [&](Label& link, Label& explanation) {
    auto* icon = new QLabel;
    icon->setPixmap(MenuImage("palette").pixmap(16, 16));
    grid->addWidget(icon, line, 0, Qt::AlignTop);
    grid->addWidget(new LinkText(link), line++, 1);
    grid->addWidget(Text(explanation), line++, 1);
  };
  addLink(c.lblAllowServer, c.lblAllow1);
  addLink(c.lblLastIEPop, c.lblLastIEPop1);
  addLink(c.lblLastTitle, c.lblLastTitle1);
  grid->setColumnStretch(1, 1);
  return Page({buttons, links});
}

QWidget* BuildLoggingPage(SettingsWindow& c) {
  auto* logging = Frame(c.Frame12);
  auto* grid = new QGridLayout(logging);
  ButtonRow(grid, 0, c.cmdLog, c.Label18);
  grid->addWidget(Text(c.Label16), 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return Page({logging});
}

}  // namespace quorlen
