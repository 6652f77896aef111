#include "ui/settings_window_view.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"
#include "ui/menu_images.h"
#include "ui/settings_pages_view.h"

namespace quorlen {

namespace {

// Gap between the pages' area and the debug area below it.
constexpr int kDebugGap = 6;

// The hint under the pages: each click and double-click counts for the debug area. A
// double click is a click and then the double click, as Windows tells them: the release
// that ends the double click is part of it, not a click of its own.
class HintLabel : public QLabel {
 public:
  explicit HintLabel(Label& model) : model_(model) { Bind(this, model); }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (std::exchange(endsDoubleClick_, false)) return;
    if (rect().contains(event->pos()) && model_.onClick) model_.onClick();
  }
  void mouseDoubleClickEvent(QMouseEvent*) override {
    endsDoubleClick_ = true;
    if (model_.onDoubleClick) model_.onDoubleClick();
  }

 private:
  Label& model_;
  bool endsDoubleClick_ = false;
};

}  // namespace

SettingsWindowView::SettingsWindowView(frmMain& main) : main_(main), c_(main.Controls()) {
  setWindowIcon(ProgramIcon());
  // A window of fixed size offers no maximise button until the debug area opens.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  BuildMenus();

  body_ = new QWidget;
  pagesArea_ = new QWidget(body_);
  pagesArea_->setObjectName(QStringLiteral("pagesArea"));
  auto* column = new QVBoxLayout(pagesArea_);
  column->setContentsMargins(4, 4, 4, 2);
  column->setSpacing(0);
  column->addWidget(BuildTabStrip());
  pages_ = new QStackedWidget;
  pages_->setFrameShape(QFrame::StyledPanel);
  for (QWidget* page :
       {BuildAdBlockingPage(c_), BuildStartupPage(c_), BuildHelpPage(c_), BuildSoundsPage(c_),
        BuildOtherPage(c_), BuildStatusPage(c_), BuildAllowPage(c_), BuildLoggingPage(c_)}) {
    pages_->addWidget(page);
  }
  auto showPage = [this] {
    pages_->setCurrentIndex(c_.A.CurrentPage());
    if (auto* tab = tabs_->button(c_.A.CurrentPage())) tab->setChecked(true);
  };
  showPage();
  Watch(this, c_.A.changed, showPage);
  column->addWidget(pages_, 1);

  column->addSpacing(4);
  auto* bottom = new QHBoxLayout;
  bottom->setContentsMargins(4, 0, 4, 0);
  bottom->addWidget(new HintLabel(c_.Label4), 1);
  // The "blocking is on" picture; a click on it opens the feedback window.
  const QString blocking = QStringLiteral("Quorlen is blocking ads");
  bottom->addWidget(new PictureLink(c_.picOn, 32, blocking, blocking), 0, Qt::AlignVCenter);
  column->addLayout(bottom);
  // The bar has a row of its own: it never covers the hint while the hosts file is built.
  auto* progress = Make<QProgressBar>(c_.ProgressBar1);
  QSizePolicy keepRoom = progress->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  progress->setSizePolicy(keepRoom);
  progress->setMaximumHeight(progress->fontMetrics().height() + 4);
  column->addWidget(progress);

  debugButtons_ = BuildDebugArea();
  debugButtons_->setObjectName(QStringLiteral("debugArea"));
  debugButtons_->setParent(body_);
  debugLog_ = Make<QPlainTextEdit>(c_.txtStatus);
  debugLog_->setObjectName(QStringLiteral("debugLog"));
  debugLog_->setParent(body_);
  debugLog_->setAccessibleName(QStringLiteral("Debug log"));

  setCentralWidget(body_);
  AddPageKeys();
  ChainFocus();
  FitFixedSize();
  Bind(static_cast<QWidget*>(this), c_.window);
  ApplySizeRule();
  Watch(this, main_.WindowSize().changed, [this] {
    ApplySizeRule();
    PlaceDebugLog();
  });
  // Esc hides the window to the tray, as its close box does.
  CloseOnEscape(this);
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

  // The tray menu is the last menu of the bar. The tray icon opens one copy; the bar
  // shows the other only where the desktop has no tray.
  const std::initializer_list<MenuItem*> trayItems = {
      &c_.mnuTraySettings, &c_.mnuTrayFeedback,   &c_.mnuTrayStats,     &c_.mnuSPC1,
      &c_.mnuTrayAllow,    &c_.mnuTrayLastPop,    &c_.mnuTrayLastIEPop, &c_.mnuSPC2,
      &c_.mnuTrayBlock,    &c_.mnuTrayBlockTitle, &c_.mnuTrayPopups,    &c_.mnuSPC3,
      &c_.mnuTrayExit,     &c_.mnuTrayClose};
  trayMenu_ = new QMenu(this);
  for (MenuItem* item : trayItems) Bind(trayMenu_->addAction(QString()), *item);
  QMenu* inBar = addMenu(c_.mnuTray, trayItems);
  Bind(inBar->menuAction(), c_.mnuTray);
}

QWidget* SettingsWindowView::BuildTabStrip() {
  // Eight captions do not fit one row of the fixed width: the page tabs stand in two
  // rows, as a multi-row tab control shows them.
  auto* strip = new QWidget;
  auto* rows = new QGridLayout(strip);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  tabs_ = new QButtonGroup(strip);
  for (int page = 0; page < 8; ++page) {
    auto* tab = new QToolButton;
    tab->setText(QString::fromLatin1(SettingsWindow::kPageCaptions[page]).trimmed());
    tab->setCheckable(true);
    tab->setFocusPolicy(Qt::StrongFocus);
    tab->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tabs_->addButton(tab, page);
    rows->addWidget(tab, page / 4, page % 4);
  }
  strip->setStyleSheet(
      "QToolButton { border: 1px solid #a0a0a0; border-bottom: none; padding: 2px 4px;"
      " background: #dedede; margin-right: -1px; }"
      "QToolButton:checked { background: palette(window); font-weight: bold; }"
      "QToolButton:focus { border: 1px solid palette(highlight); border-bottom: none; }");
  QObject::connect(tabs_, &QButtonGroup::idClicked, this,
                   [this](int page) { c_.A.SetCurrentPage(page); });
  return strip;
}

QWidget* SettingsWindowView::BuildDebugArea() {
  auto* area = new QWidget;
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(4, 0, 4, 0);
  int column = 0;
  for (Button* button : {&c_.cmdClear, &c_.cmdOn, &c_.cmdOff, &c_.cmdTestDomains, &c_.cmdRemoval,
                         &c_.cmdIni, &c_.Command1, &c_.Command2}) {
    grid->addWidget(Make<QPushButton>(*button), column / 4, column % 4);
    ++column;
  }
  auto* extra = Make<QCheckBox>(c_.chkDebug);
  grid->addWidget(extra, 2, 0);
  // The last key seen: its name beside the box, its three codes on a row of their own,
  // so that a long key name never pushes the codes out of the window.
  auto keyRow = [](std::initializer_list<Label*> labels) {
    auto* row = new QHBoxLayout;
    for (Label* label : labels) {
      auto* text = Make<QLabel>(*label);
      text->setWordWrap(false);
      row->addWidget(text);
    }
    row->addStretch(1);
    return row;
  };
  grid->addLayout(keyRow({&c_.LblKeyName, &c_.lblaltkey}), 2, 1, 1, 3);
  grid->addLayout(keyRow({&c_.LabelAsciiCode, &c_.LblAsciiCode, &c_.LabelKeyboardCode,
                          &c_.LblKeybCode, &c_.LabelVirtualKeyCode, &c_.LblVKeycode}),
                  3, 0, 1, 4);
  return area;
}

void SettingsWindowView::AddPageKeys() {
  auto turn = [this](int step) {
    int page = (c_.A.CurrentPage() + step + 8) % 8;
    c_.A.SetCurrentPage(page);
    if (auto* tab = tabs_->button(page)) tab->setFocus(Qt::TabFocusReason);
  };
  for (auto [keys, step] : std::initializer_list<std::pair<QKeySequence, int>>{
           {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
           {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
           {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
           {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
           {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
    auto* shortcut = new QShortcut(keys, this);
    QObject::connect(shortcut, &QShortcut::activated, this, [turn, step = step] { turn(step); });
  }
}

void SettingsWindowView::ChainFocus() {
  // The keyboard goes through the tabs, then through the shown page from top to bottom
  // and left to right, then the debug area: the order the eye reads them in.
  std::vector<QWidget*> chain;
  for (int page = 0; page < 8; ++page) chain.push_back(tabs_->button(page));
  auto takesTab = [](QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
  };
  for (int index = 0; index < pages_->count(); ++index) {
    QWidget* page = pages_->widget(index);
    std::vector<QWidget*> controls;
    for (QWidget* child : page->findChildren<QWidget*>()) {
      if (takesTab(child)) controls.push_back(child);
    }
    std::stable_sort(controls.begin(), controls.end(), [page](QWidget* a, QWidget* b) {
      QPoint pa = a->mapTo(page, QPoint(0, 0)), pb = b->mapTo(page, QPoint(0, 0));
      // Within a few pixels the two stand on one row.
      if (std::abs(pa.y() - pb.y()) > 4) return pa.y() < pb.y();
      return pa.x() < pb.x();
    });
    chain.insert(chain.end(), controls.begin(), controls.end());
  }
  for (QWidget* child : debugButtons_->findChildren<QWidget*>()) {
    if (takesTab(child)) chain.push_back(child);
  }
  chain.push_back(debugLog_);
  for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void SettingsWindowView::FitFixedSize() {
  // Laid out once at the design's width so that the order of the controls and the room
  // the wrapped texts need are known.
  const int menuHeight = menuBar()->sizeHint().height();
  int width = std::max(SettingsWindow::kFixedWidth, pagesArea_->minimumSizeHint().width());
  int pagesHeight = 0;
  for (int index = 0; index < pages_->count(); ++index) {
    QWidget* page = pages_->widget(index);
    int pageWidth = width - 16;
    int needed = page->hasHeightForWidth() ? page->heightForWidth(pageWidth)
                                           : page->minimumSizeHint().height();
    pagesHeight = std::max(pagesHeight, needed);
  }
  pages_->setMinimumHeight(pagesHeight + 4);
  int areaHeight = pagesArea_->layout()->hasHeightForWidth()
                       ? pagesArea_->layout()->totalHeightForWidth(width)
                       : pagesArea_->minimumSizeHint().height();
  int height = std::max(SettingsWindow::kFixedHeight, menuHeight + areaHeight);
  areaHeight = height - menuHeight;
  pagesArea_->setGeometry(0, 0, width, areaHeight);
  const int buttonsHeight = debugButtons_->sizeHint().height();
  debugButtons_->setGeometry(0, areaHeight + kDebugGap, width, buttonsHeight);
  SettingsWindowSize& area = main_.WindowSize();
  area.SetFixedSize(width, height);
  area.SetLogTop(menuHeight + areaHeight + kDebugGap + buttonsHeight + 4);
  Geometry bounds = c_.window.Bounds();
  c_.window.SetBounds({bounds.left, bounds.top, width, height});
  PlaceDebugLog();
}

void SettingsWindowView::ApplySizeRule() {
  SettingsWindowSize& area = main_.WindowSize();
  if (!area.Open()) {
    setFixedSize(area.FixedWidth(), area.FixedHeight());
    return;
  }
  setMinimumSize(area.FixedWidth() / 2, area.FixedHeight() / 2);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (!windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) {
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    if (shown) show();  // new window flags hide a window until it is shown again
  }
}

void SettingsWindowView::PlaceDebugLog() {
  const int menuHeight = menuBar()->sizeHint().height();
  const Geometry& log = main_.WindowSize().LogBounds();
  if (log.width <= 0) {
    // Until the area is opened and resized, the log waits out of sight below the buttons.
    debugLog_->setGeometry(4, main_.WindowSize().FixedHeight(), SettingsWindow::kFixedWidth, 200);
    return;
  }
  debugLog_->setGeometry(log.left, log.top - menuHeight, log.width, log.height);
  HideWhatLiesOutOfSight();
}

void SettingsWindowView::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // The window model took the new size first; its Resize handler decides what follows.
  main_.WindowSize().Form_Resize();
  HideWhatLiesOutOfSight();
}

void SettingsWindowView::HideWhatLiesOutOfSight() {
  // The debug area lies below the window's fixed size until the window grows over it.
  // Out of sight it is hidden as well, so that neither Tab nor a key can reach its
  // buttons (one of them stops the web server).
  const int bottom = body_->height();
  for (QWidget* part : {debugButtons_, static_cast<QWidget*>(debugLog_)}) {
    const bool inSight = part->y() < bottom;
    if (part->isVisibleTo(body_) != inSight) part->setVisible(inSight);
  }
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
