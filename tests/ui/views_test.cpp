#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "platform/qt/qt_dialogs.h"
#include "tests/forms/program_fixture.h"
#include "ui/about_view.h"
#include "ui/exclude_view.h"
#include "ui/feedback_view.h"
#include "ui/ie_white_list_view.h"
#include "ui/last_blocked_view.h"
#include "ui/popup_titles_view.h"
#include "ui/settings_window_view.h"
#include "ui/small_windows_view.h"
#include "ui/test_domains_view.h"

namespace quorlen {
namespace {

// The views over a program running on the fakes.
class Views : public testing_support::ProgramTest {
 protected:
  SettingsWindowView& Settings() {
    StartedBefore();
    frmMain& main = Start();
    view = std::make_unique<SettingsWindowView>(main);
    main.Tray().ShowSettings();
    QApplication::processEvents();
    return *view;
  }
  static std::string Caption(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      if (!button->text().isEmpty()) return button->text().toStdString();
    }
    return widget->accessibleName().toStdString();
  }

  std::unique_ptr<SettingsWindowView> view;
};

TEST_F(Views, PagesTurnWithCtrlTabAndCtrlPageKeysBothWays) {
  SettingsWindowView& window = Settings();
  auto& A = program->Controls().A;
  A.SetCurrentPage(0);
  window.activateWindow();
  auto* stack = window.findChild<QStackedWidget*>();
  struct Press {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int page;
  };
  for (const Press& press : std::vector<Press>{
           {Qt::Key_Tab, Qt::ControlModifier, 1},
           {Qt::Key_PageDown, Qt::ControlModifier, 2},
           {Qt::Key_PageUp, Qt::ControlModifier, 1},
           {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
           {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 7},  // round the end
           {Qt::Key_Tab, Qt::ControlModifier, 0},
       }) {
    QTest::keyClick(&window, press.key, press.modifiers);
    EXPECT_EQ(A.CurrentPage(), press.page);
    EXPECT_EQ(stack->currentIndex(), press.page);
  }
}

// The status text grows at either end or is replaced; on a page not shown it waits.
TEST_F(Views, TheStatusAreaShowsEveryChangeOfItsText) {
  SettingsWindowView& window = Settings();
  auto& c = program->Controls();
  c.A.SetCurrentPage(settings_page::kStatus);
  QApplication::processEvents();
  QPlainTextEdit* status = nullptr;
  for (auto* area : window.findChildren<QPlainTextEdit*>())
    if (area->accessibleName() == "Quorlen Message Area:") status = area;
  ASSERT_NE(status, nullptr);
  c.lblStatus.SetCaption("Data for 2 blocked ad servers\r\n- a.example\r\n- b.example");
  EXPECT_EQ(status->toPlainText(), "Data for 2 blocked ad servers\n- a.example\n- b.example");
  c.lblStatus.SetCaption("Settings Saved\r\n" + c.lblStatus.Caption());
  EXPECT_EQ(status->toPlainText(),
            "Settings Saved\nData for 2 blocked ad servers\n- a.example\n- b.example");
  c.lblStatus.SetCaption(c.lblStatus.Caption() + "\r\nAd Servers are no longer blocked.");
  EXPECT_EQ(status->toPlainText(),
            "Settings Saved\nData for 2 blocked ad servers\n- a.example\n"
            "- b.example\nAd Servers are no longer blocked.");
  EXPECT_EQ(status->textCursor().position(), 0);
  c.lblStatus.SetCaption("Settings Saved");
  EXPECT_EQ(status->toPlainText(), "Settings Saved");

  c.A.SetCurrentPage(settings_page::kAllowAds);
  QApplication::processEvents();
  c.lblStatus.SetCaption("Settings Saved\r\nStopped blocking");
  c.lblStatus.SetCaption("Ad Servers are no longer blocked.");
  EXPECT_EQ(status->toPlainText(), "Settings Saved");  // laid out only once it can be seen
  c.A.SetCurrentPage(settings_page::kStatus);
  QApplication::processEvents();
  EXPECT_EQ(status->toPlainText(), "Ad Servers are no longer blocked.");

  std::string report;
  for (int line = 1; line <= 30; ++line) report += "Line " + std::to_string(line) + "\r\n";
  c.lblStatus.SetCaption(report);
  QApplication::processEvents();
  EXPECT_TRUE(status->isReadOnly());
  EXPECT_TRUE(status->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_EQ(status->toPlainText().split('\n').size(), 31);
  EXPECT_GT(status->verticalScrollBar()->maximum(), 0);
}

// Closed for good while the program runs on: nothing is drawn into the widgets that are gone.
TEST_F(Views, AViewDestroyedBeforeItsModelsIsToldNothingMore) {
  Settings();
  LastBlockedView recent(program->LastBlocked());
  view.reset();
  auto& c = program->Controls();
  c.lblStatus.SetCaption("Settings Saved");
  c.A.SetCurrentPage(settings_page::kStatus);
  c.cmdClear.SetEnabled(false);
  c.window.SetVisible(false);
  for (int click = 0; click < 5; ++click) c.Label4.onClick();
  c.mnuTrayPopups.Click();
  EXPECT_TRUE(program->WindowSize().Open());
  program->LastBlocked().lstBlocked.AddItem("still shown");
  QApplication::processEvents();
  EXPECT_EQ(recent.findChild<QListWidget*>()->count(), 1);
}

TEST_F(Views, FixedUntilTheFifthClickOnTheHintThenTheDebugLogFillsTheWindow) {
  SettingsWindowView& window = Settings();
  QLabel* hint = nullptr;
  for (auto* label : window.findChildren<QLabel*>()) {
    if (label->text().startsWith("* Hold down the ALT")) hint = label;
  }
  ASSERT_NE(hint, nullptr);
  // Through the window, as the window system delivers them: a double click comes as a
  // press, a release, the double click and a second release, and counts as two clicks.
  const QPoint at = hint->mapTo(&window, hint->rect().center());
  QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, at);
  EXPECT_EQ(program->WindowSize().Clicks(), 2);
  for (int click = 3; click <= 4; ++click) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
  }
  EXPECT_EQ(program->WindowSize().Clicks(), 4);
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  const QSize fixed = window.size();
  QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_NE(window.minimumSize(), window.maximumSize());
  window.resize(fixed.width() + 200, fixed.height() + 300);
  QApplication::processEvents();
  auto* log = window.findChild<QPlainTextEdit*>("debugLog");
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(log->width(), window.width() - SettingsWindowSize::kLogMargin);
  QPoint bottom = log->mapTo(&window, QPoint(0, log->height()));
  EXPECT_EQ(bottom.y(), window.height());
  EXPECT_GT(log->height(), 100);
  const QRect placed = log->geometry();
  window.resize(window.minimumSize());  // too small for the log: it stays where it was
  QApplication::processEvents();
  EXPECT_EQ(log->geometry(), placed);
}

// Whether the widget looks different with the keyboard's focus on it.
bool ShowsFocus(QWidget* widget) {
  widget->clearFocus();
  QApplication::processEvents();
  const QImage plain = widget->grab().toImage();
  widget->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  return widget->hasFocus() && widget->grab().toImage() != plain;
}

TEST_F(Views, TabReachesOnlyWhatIsSeenInReadingOrderAndShowsWhereTheFocusIs) {
  SettingsWindowView& window = Settings();
  window.activateWindow();
  QApplication::processEvents();
  for (int page = 0; page < 8; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    program->Controls().A.SetCurrentPage(page);
    window.findChildren<QToolButton*>().front()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> reached;
    for (int press = 0; press < 40; ++press) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focus = QApplication::focusWidget();
      ASSERT_NE(focus, nullptr);
      if (std::find(reached.begin(), reached.end(), focus) != reached.end()) break;
      reached.push_back(focus);
      const QRect place(focus->mapTo(&window, QPoint(0, 0)), focus->size());
      EXPECT_TRUE(focus->isVisible() && window.rect().contains(place))
          << Caption(focus) << " has the focus out of sight";
    }
    // The focus goes round: from the last tab on, the page's controls are read in order.
    auto lastTab = std::find_if(reached.rbegin(), reached.rend(),
                                [](QWidget* w) { return qobject_cast<QToolButton*>(w); });
    ASSERT_NE(lastTab, reached.rend());
    std::rotate(reached.begin(), lastTab.base(), reached.end());
    std::vector<std::string> order;
    for (QWidget* control : reached) {
      if (qobject_cast<QToolButton*>(control)) continue;  // the tabs: one look for all
      EXPECT_TRUE(ShowsFocus(control)) << Caption(control) << " hides its focus";
      order.push_back(Caption(control));
    }
    if (page != settings_page::kSounds) continue;
    order.resize(std::min<size_t>(order.size(), 8));
    EXPECT_EQ(order, (std::vector<std::string>{
                         "When Popup Ads Blocked, play sound:", "Popup Ad Blocked Sound:", "Browse",
                         "Test Sound", "When Ads Blocked, play sound:", "Banner Ad Blocked Sound:",
                         "Browse...", "Test Sound"}));
  }
}

TEST_F(Views, EscClosesEveryWindowAsCancelOrCloseWould) {
  SettingsWindowView& settings = Settings();
  frmMain& main = *program;
  IEWhiteListView whiteList(main.Popups().Editor());
  PopupTitlesView titles(main.PopupTitlesEditor());
  FeedbackView feedback(main.Help().Feedback());
  AboutView about(main.Help().About());
  frmExclude& servers = main.AdServerEditor();
  ExcludeView serversView(servers);
  frmTestDomains& tester = main.DomainTester();
  TestDomainsView testerView(tester);
  struct Case {
    const char* name;
    QWidget* view;
    std::function<void()> open;
    const Window& model;
  };
  for (const Case& c : std::vector<Case>{
           {"settings", &settings, [&] { main.Tray().ShowSettings(); }, main.Controls().window},
           {"white list", &whiteList, [&] { main.Popups().ShowWhiteListEditor(); },
            main.Popups().Editor().window},
           {"titles", &titles, [&] { main.ShowPopupTitles(); }, main.PopupTitlesEditor().window},
           {"ad servers", &serversView, [&] { servers.Show(); }, servers.window},
           {"domain tester", &testerView, [&] { tester.Show(); }, tester.window},
           {"about", &about, [&] { main.Help().ShowAbout(); }, main.Help().About().window},
           {"feedback", &feedback, [&] { main.Help().ShowFeedback(); },
            main.Help().Feedback().window},
       }) {
    SCOPED_TRACE(c.name);
    c.open();
    QApplication::processEvents();
    ASSERT_TRUE(c.view->isVisible());
    c.view->activateWindow();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : c.view,
                    Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(c.model.Visible());
    EXPECT_FALSE(c.view->isVisible());
  }
  EXPECT_FALSE(main.Unloaded()) << "Esc hides the settings window; the program goes on";
}

TEST_F(Views, EditorsOpenOverTheSettingsWindowAndBoxesOverTheWindowThatAsks) {
  SettingsWindowView& settings = Settings();
  settings.move(300, 120);
  QApplication::processEvents();
  IEWhiteListView whiteList(program->Popups().Editor());
  PopupTitlesView titles(program->PopupTitlesEditor());
  for (QWidget* editor : {static_cast<QWidget*>(&whiteList), static_cast<QWidget*>(&titles)}) {
    if (editor == &whiteList) program->Popups().ShowWhiteListEditor();
    if (editor == &titles) program->ShowPopupTitles();
    QApplication::processEvents();
    const QPoint off = editor->frameGeometry().center() - settings.frameGeometry().center();
    // The frame, unknown before the window is shown, and rounding: a few pixels.
    EXPECT_LE(off.manhattanLength(), 4) << editor->windowTitle().toStdString();
  }
  // Moved by the user, closed and opened again: where the user left it.
  whiteList.move(40, 30);
  QApplication::processEvents();
  program->Popups().Editor().cmdCancel.Click();
  program->Popups().ShowWhiteListEditor();
  QApplication::processEvents();
  EXPECT_EQ(whiteList.pos(), QPoint(40, 30));

  FeedbackView feedback(program->Help().Feedback());
  program->Help().ShowFeedback();
  feedback.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), &feedback);
  QtDialogs boxes;
  QWidget* owner = nullptr;
  QPoint boxCentre;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    owner = box->parentWidget();
    boxCentre = box->frameGeometry().center();
    box->accept();
  });
  boxes.MsgBox("Please enter a comment or question, then click Send Comment.  Thank you.", 0,
               "Quorlen");
  EXPECT_EQ(owner, &feedback);
  EXPECT_LE((boxCentre - feedback.frameGeometry().center()).manhattanLength(), 10);
}

TEST_F(Views, TheStatisticsWindowKeepsTheSizeTheUserGaveIt) {
  frmStats stats;
  StatsView window(stats);
  stats.Show();
  QApplication::processEvents();
  window.resize(320, 210);
  QApplication::processEvents();
  for (int ad = 1; ad <= 3; ++ad) {
    stats.setToday(ad);
    stats.setLifeTime(100 + ad);
    stats.SetTopMost(true);
  }
  QApplication::processEvents();
  EXPECT_EQ(window.size(), QSize(320, 210));
  EXPECT_EQ(window.windowTitle(), "Ads 3 : 103");
}

TEST_F(Views, AMinimisedSettingsWindowComesBackFromTheTray) {
  SettingsWindowView& window = Settings();
  for (const bool menu : {true, false}) {
    window.showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(program->Controls().window.Minimized());
    if (menu) program->Controls().mnuTraySettings.Click();
    if (!menu) program->Tray().OnTrayMessage(tray_message::kLeftButtonUp);
    QApplication::processEvents();
    EXPECT_FALSE(window.isMinimized()) << (menu ? "from the menu" : "by a click on the icon");
    EXPECT_TRUE(window.isVisible());
  }
}

}  // namespace
}  // namespace quorlen
