#include "ui/settings_window_view.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTabBar>
#include <QToolButton>
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
  caption.changed.Connect(show);
  return box;
}

template <typename Widget, typename Model>
Widget* Make(Model& model) {
  auto* widget = new Widget;
  Bind(widget, model);
  return widget;
}

QLabel* Text(Label& model) { return Make<QLabel>(model); }
QPushButton* Push(Button& model) { return Make<QPushButton>(model); }
// A check box whose caption wraps, as the design's multi-line check boxes do: clicking
// the caption ticks the box like clicking the box itself.
class Tick : public QWidget {
 public:
  explicit Tick(CheckBox& model) : model_(model) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* box = Make<QCheckBox>(model);
    caption_ = new QLabel;
    caption_->setWordWrap(true);
    row->addWidget(box, 0, Qt::AlignTop);
    row->addWidget(caption_, 1);
    auto show = [this, box] {
      box->setText({});
      caption_->setText(FromSingleByte(model_.Caption()));
      caption_->setEnabled(model_.Enabled());
    };
    show();
    model.changed.Connect(show);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (model_.Enabled() && caption_->geometry().contains(event->pos())) model_.Click();
  }

 private:
  CheckBox& model_;
  QLabel* caption_ = nullptr;
};

QWidget* Page(std::initializer_list<QWidget*> parts) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  // Tight margins: the pages share the fixed height with the two rows of tabs.
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);
  for (QWidget* part : parts) layout->addWidget(part);
  layout->addStretch(1);
  return page;
}

}  // namespace

SettingsWindowView::SettingsWindowView(frmMain& main) : main_(main), c_(main.Controls()) {
  setWindowIcon(ProgramIcon());
  BuildMenus();

  auto* body = new QWidget;
  auto* tabs = new QTabWidget(body);
  tabs->addTab(BuildAdBlockingPage(), SettingsWindow::kPageCaptions[0]);
  tabs->addTab(BuildStartupPage(), SettingsWindow::kPageCaptions[1]);
  tabs->addTab(BuildHelpPage(), SettingsWindow::kPageCaptions[2]);
  tabs->addTab(BuildSoundsPage(), SettingsWindow::kPageCaptions[3]);
  tabs->addTab(BuildOtherPage(), SettingsWindow::kPageCaptions[4]);
  tabs->addTab(BuildStatusPage(), SettingsWindow::kPageCaptions[5]);
  tabs->addTab(BuildAllowPage(), SettingsWindow::kPageCaptions[6]);
  tabs->addTab(BuildLoggingPage(), SettingsWindow::kPageCaptions[7]);
  Bind(tabs, c_.A);
  // Eight captions do not fit one row of the fixed width: the page tabs stand in two
  // rows, as a multi-row tab control shows them, and the widget's own bar is hidden.
  tabs->tabBar()->hide();
  auto* strip = new QWidget(body);
  auto* rows = new QGridLayout(strip);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  auto* group = new QButtonGroup(strip);
  for (int page = 0; page < 8; ++page) {
    auto* tab = new QToolButton;
    tab->setText(QString::fromLatin1(SettingsWindow::kPageCaptions[page]).trimmed());
    tab->setCheckable(true);
    tab->setAutoRaise(false);
    tab->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    group->addButton(tab, page);
    rows->addWidget(tab, page / 4, page % 4);
  }
  strip->setStyleSheet(
      "QToolButton { border: 1px solid #a0a0a0; border-bottom: none; padding: 2px 4px;"
      " background: #dedede; margin-right: -1px; }"
      "QToolButton:checked { background: palette(window); }");
  auto showPage = [group, this] {
    if (auto* tab = group->button(c_.A.CurrentPage())) tab->setChecked(true);
  };
  showPage();
  c_.A.changed.Connect(showPage);
  QObject::connect(group, &QButtonGroup::idClicked, this,
                   [this](int page) { c_.A.SetCurrentPage(page); });

  const int width = SettingsWindow::kFixedWidth;
  const int height = SettingsWindow::kFixedHeight - menuBar()->sizeHint().height();
  const int stripHeight = strip->sizeHint().height();
  strip->setGeometry(4, 4, width - 8, stripHeight);
  tabs->setGeometry(4, 4 + stripHeight, width - 8, height - 46 - stripHeight);
  auto* hint = Text(c_.Label4);
  hint->setParent(body);
  hint->setGeometry(8, height - 40, width - 16, 30);
  auto* progress = Make<QProgressBar>(c_.ProgressBar1);
  progress->setParent(body);
  // Over the hint: the bar only shows while the hosts file is being built.
  progress->setGeometry(8, height - 34, width - 16, 16);
  // The debug area lies beyond the fixed size: it is there, but out of sight.
  QWidget* debug = BuildDebugArea();
  debug->setParent(body);
  debug->setGeometry(width + 8, 4, 420, height - 8);

  setCentralWidget(body);
  Bind(static_cast<QWidget*>(this), c_.window);
  setFixedSize(SettingsWindow::kFixedWidth, SettingsWindow::kFixedHeight);
}

void SettingsWindowView::BuildMenus() {
  auto addMenu = [this](MenuItem& title, std::initializer_list<MenuItem*> items) {
    QMenu* menu = menuBar()->addMenu(FromSingleByte(title.Caption()));
    for (MenuItem* item : items) Bind(menu->addAction(QString()), *item);
    return menu;
  };
  addMenu(c_.mnuFile, {&c_.mnuFileOpen, &c_.mnuFileSave, &c_.mnuFileExit});
  addMenu(c_.mnuOptions, {&c_.mnuUpdate, &c_.mnuVersion, &c_.mnuTest, &c_.mnuSettingsReset});
  addMenu(c_.mnuUninstall, {&c_.mnuUninstallFeedback, &c_.mnuUninstallUninstall});
  addMenu(c_.mnuHelp, {&c_.mnuHelpFeedback, &c_.mnuHelpTut, &c_.mnuHelpWeb, &c_.mnuHelpReadMe,
                       &c_.mnuHelpAbout});

  // The tray menu is the last, captionless menu of the bar; it is only ever opened from
  // the tray icon, so the bar does not show it.
  trayMenu_ = new QMenu(this);
  for (MenuItem* item :
       {&c_.mnuTraySettings, &c_.mnuTrayFeedback, &c_.mnuTrayStats, &c_.mnuSPC1, &c_.mnuTrayAllow,
        &c_.mnuTrayLastPop, &c_.mnuTrayLastIEPop, &c_.mnuSPC2, &c_.mnuTrayBlock,
        &c_.mnuTrayBlockTitle, &c_.mnuTrayPopups, &c_.mnuSPC3, &c_.mnuTrayExit,
        &c_.mnuTrayClose}) {
    Bind(trayMenu_->addAction(QString()), *item);
  }
}

QWidget* SettingsWindowView::BuildAdBlockingPage() {
  auto* types = Frame(c_.Frame7);
  auto* grid = new QGridLayout(types);
  grid->addWidget(new Tick(c_.chkAdServers), 0, 0, 1, 2);
  grid->addWidget(new Tick(c_.chkIEPops), 1, 0, 1, 2);
  grid->addWidget(Push(c_.cmdAddSites), 2, 0);
  grid->addWidget(Text(c_.Label14), 2, 1);
  grid->addWidget(Push(c_.cmdPopupTitles), 3, 0);
  grid->addWidget(Text(c_.Label15), 3, 1);
  grid->setColumnStretch(1, 1);
  return Page({types});
}

QWidget* SettingsWindowView::BuildStartupPage() {
  auto* options = Frame(c_.Frame8);
  auto* grid = new QGridLayout(options);
  grid->addWidget(new Tick(c_.chkStartup), 0, 0, 1, 2);
  grid->addWidget(new Tick(c_.chkAuto), 1, 0, 1, 2);
  grid->addWidget(Push(c_.cmdData2), 2, 0);
  grid->addWidget(Text(c_.Label10), 2, 1);
  grid->setColumnStretch(1, 1);
  return Page({options});
}

QWidget* SettingsWindowView::BuildHelpPage() {
  auto* topics = Frame(c_.Frame9);
  auto* grid = new QGridLayout(topics);
  grid->addWidget(Push(c_.cmdHelpOnline), 0, 0);
  grid->addWidget(Text(c_.Label11), 0, 1);
  grid->addWidget(Push(c_.cmdFeedback), 1, 0);
  grid->addWidget(Text(c_.Label12), 1, 1);
  grid->addWidget(Push(c_.cmdHelpBlock), 2, 0);
  grid->addWidget(Text(c_.Label13), 2, 1);
  grid->setColumnStretch(1, 1);
  return Page({topics});
}

QWidget* SettingsWindowView::BuildSoundsPage() {
  auto soundFrame = [](Label& frame, CheckBox& enable, TextBox& path, Button& browse,
                       Button& test) {
    auto* box = Frame(frame);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new Tick(enable), 0, 0, 1, 3);
    grid->addWidget(Make<QLineEdit>(path), 1, 0);
    grid->addWidget(Push(browse), 1, 1);
    grid->addWidget(Push(test), 1, 2);
    grid->setColumnStretch(0, 1);
    return box;
  };
  return Page({soundFrame(c_.Frame5, c_.chkPopSound, c_.txtPopWav, c_.cmdBrowsePop, c_.cmdTestPop),
               soundFrame(c_.Frame4, c_.chkBannerSound, c_.txtBannerWav, c_.cmdBrowseAd,
                          c_.cmdTestAd)});
}

QWidget* SettingsWindowView::BuildOtherPage() {
  auto* proxy = Frame(c_.Frame3);
  auto* grid = new QGridLayout(proxy);
  grid->addWidget(Text(c_.Label1), 0, 0, 1, 2);
  grid->addWidget(Make<QLineEdit>(c_.txtProxyName), 1, 0);
  grid->addWidget(Push(c_.cmdGuessProxy2), 1, 1);
  grid->addWidget(Text(c_.Label6), 2, 0, 1, 2);
  grid->setColumnStretch(0, 1);

  auto* actions = new QWidget;
  auto* rows = new QGridLayout(actions);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->addWidget(Push(c_.cmdData), 0, 0);
  rows->addWidget(Text(c_.Label3), 0, 1);
  rows->addWidget(Push(c_.cmdTestConn), 1, 0);
  rows->addWidget(Text(c_.Label7), 1, 1);
  rows->addWidget(Push(c_.cmdNew), 2, 0);
  rows->addWidget(Text(c_.Label8), 2, 1);
  rows->addWidget(Push(c_.cmdReset), 3, 0);
  rows->addWidget(Text(c_.Label9), 3, 1);
  rows->setColumnStretch(1, 1);
  return Page({proxy, actions});
}

QWidget* SettingsWindowView::BuildStatusPage() {
  auto* messages = Frame(c_.Frame6);
  auto* messageLayout = new QVBoxLayout(messages);
  auto* status = Text(c_.lblStatus);
  status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  status->setMinimumHeight(90);
  messageLayout->addWidget(status);

  auto* stats = Frame(c_.Frame2);
  auto* grid = new QGridLayout(stats);
  grid->addWidget(Text(c_.lblDateUpdate), 0, 0, 1, 2);
  grid->addWidget(Text(c_.Label5Servers), 1, 0);
  grid->addWidget(Text(c_.lblTotHosts), 1, 1);
  grid->addWidget(Text(c_.Label5ToDate), 2, 0);
  grid->addWidget(Text(c_.lblTotBlocked), 2, 1);
  grid->addWidget(Text(c_.Label5Today), 3, 0);
  grid->addWidget(Text(c_.lbltot), 3, 1);
  grid->setColumnStretch(1, 1);

  auto* recent = Frame(c_.Frame1);
  auto* recentLayout = new QVBoxLayout(recent);
  recentLayout->addWidget(Text(c_.lbltype));
  recentLayout->addWidget(Text(c_.lblpage));
  return Page({messages, stats, recent});
}

QWidget* SettingsWindowView::BuildAllowPage() {
  auto* buttons = new QWidget;
  auto* row = new QVBoxLayout(buttons);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(Push(c_.cmdAllow));
  row->addWidget(Push(c_.cmdAllowIEPop));
  row->addWidget(Push(c_.cmdAllowTitle));

  auto* links = Frame(c_.Frame10);
  auto* grid = new QGridLayout(links);
  int line = 0;
  auto addLink = [&](const char* picture, Label& link, Label& explanation) {
    auto* icon = new QLabel;
    icon->setPixmap(MenuImage(picture).pixmap(16, 16));
    grid->addWidget(icon, line, 0, Qt::AlignTop);
    grid->addWidget(new LinkLabel(link), line++, 1);
    grid->addWidget(Text(explanation), line++, 1);
  };
  addLink("palette", c_.lblAllowServer, c_.lblAllow1);
  addLink("palette", c_.lblLastIEPop, c_.lblLastIEPop1);
  addLink("palette", c_.lblLastTitle, c_.lblLastTitle1);
  grid->setColumnStretch(1, 1);
  return Page({buttons, links});
}

QWidget* SettingsWindowView::BuildLoggingPage() {
  auto* logging = Frame(c_.Frame12);
  auto* grid = new QGridLayout(logging);
  grid->addWidget(Push(c_.cmdLog), 0, 0);
  grid->addWidget(Text(c_.Label18), 0, 1);
  grid->addWidget(Text(c_.Label16), 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return Page({logging});
}

QWidget* SettingsWindowView::BuildDebugArea() {
  auto* area = new QWidget;
  auto* grid = new QGridLayout(area);
  grid->addWidget(Make<QPlainTextEdit>(c_.txtStatus), 0, 0, 1, 5);
  grid->addWidget(Push(c_.cmdClear), 1, 0);
  grid->addWidget(new Tick(c_.chkDebug), 1, 1);
  grid->addWidget(Push(c_.cmdOn), 1, 2);
  grid->addWidget(Push(c_.cmdOff), 1, 3);
  grid->addWidget(Push(c_.cmdTestDomains), 1, 4);
  grid->addWidget(Push(c_.cmdRemoval), 2, 0);
  grid->addWidget(Push(c_.cmdIni), 2, 1);
  grid->addWidget(Push(c_.Command1), 2, 2);
  grid->addWidget(Push(c_.Command2), 2, 3);
  auto* keys = new QGridLayout;
  keys->addWidget(Text(c_.LblKeyName), 0, 0);
  keys->addWidget(Text(c_.lblaltkey), 0, 1);
  keys->addWidget(Text(c_.LabelAsciiCode), 1, 0);
  keys->addWidget(Text(c_.LblAsciiCode), 1, 1);
  keys->addWidget(Text(c_.LabelKeyboardCode), 2, 0);
  keys->addWidget(Text(c_.LblKeybCode), 2, 1);
  keys->addWidget(Text(c_.LabelVirtualKeyCode), 3, 0);
  keys->addWidget(Text(c_.LblVKeycode), 3, 1);
  grid->addLayout(keys, 3, 0, 1, 5);
  return area;
}

void SettingsWindowView::closeEvent(QCloseEvent* event) {
  // The close box only hides the window to the tray; the program's own unload goes on.
  if (main_.Unloaded() || main_.Unload(unload_mode::kCloseBox)) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace quorlen
