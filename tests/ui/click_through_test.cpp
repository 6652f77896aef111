// Every control of the settings window, its menus, the tray menu and the small windows,
// clicked on the views as a user clicks it, with what the user then notices: a window that
// comes up or goes, a page or file opened, a box, a file dialog, a sound, the autostart
// entry, the end of the program. The click-through on a real desktop (tests/e2e/windows.sh)
// goes only one way into each kind of window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTest>

#include "tests/forms/program_fixture.h"
#include "ui/about_view.h"
#include "ui/feedback_view.h"
#include "ui/ie_white_list_view.h"
#include "ui/last_blocked_view.h"
#include "ui/popup_titles_view.h"
#include "ui/settings_window_view.h"
#include "ui/small_windows_view.h"

namespace quorlen {
namespace {

using Seen = std::vector<std::string>;

// The `nth` shown control of the window that shows this text, or that a screen reader
// reads by this name, or (a picture) that tells it on the pointer's hover.
QWidget* Find(QWidget* window, const QString& caption, int nth = 0) {
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    QString text =
        widget->accessibleName().isEmpty() ? widget->toolTip() : widget->accessibleName();
    if (auto* button = qobject_cast<QAbstractButton*>(widget);
        button && !button->text().isEmpty()) {
      text = button->text();
    } else if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
      text = label->text();
    }
    if (text.remove('&').trimmed() == caption && nth-- == 0) return widget;
  }
  return nullptr;
}

QAction* Entry(QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions()) {
    if (action->text().remove('&').trimmed() == caption) return action;
  }
  return nullptr;
}

class ClickThrough : public testing_support::ProgramTest {
 protected:
  void SetUp() override { Launch(); }

  // A later start: the settings window hides to the tray, then the views come.
  void Launch() {
    views.clear();
    program.reset();
    StartedBefore();
    frmMain& main = Start();
    main.openAdServerEditor = [this] { ++adServerEditors; };
    clock.Advance(2500);
    settings = new SettingsWindowView(main);
    views.emplace_back(settings);
    views.emplace_back(new StatsView(main.Stats()));
    views.emplace_back(new MessageView(main.Message()));
    views.emplace_back(recent = new LastBlockedView(main.LastBlocked()));
    views.emplace_back(feedback = new FeedbackView(main.Help().Feedback()));
    views.emplace_back(about = new AboutView(main.Help().About()));
    views.emplace_back(whiteList = new IEWhiteListView(main.Popups().Editor()));
    views.emplace_back(titles = new PopupTitlesView(main.PopupTitlesEditor()));
    watched = {&main.Controls().window,        &main.Stats().window,
               &main.Message().window,         &main.LastBlocked().window,
               &main.Help().Feedback().window, &main.Help().About().window,
               &main.Popups().Editor().window, &main.PopupTitlesEditor().window};
    Forget();
  }

  // Takes what the fakes noted so far as the state before the next click.
  void Forget() {
    shown.clear();
    for (Window* window : watched) shown.push_back(window->Visible());
    desktop.opened.clear();
    desktop.browsed.clear();
    boxes = dialogs.Boxes().size();
    fileDialogs = dialogs.FileRequests().size();
    sound.played.clear();
    shortcuts = shell.shortcuts.size();
    recording.calls.clear();
    std::filesystem::remove(dir.File("program/quorlen.ini"));
    adServerEditors = quits = 0;
  }

  // Every window but the settings window closed, the settings window shown on `page`.
  void OnPage(int page) {
    for (Window* window : watched) window->SetVisible(false);
    program->Tray().ShowSettings();
    if (page >= 0) program->Controls().A.SetCurrentPage(page);
    QApplication::processEvents();
    Forget();
  }

  // What the user noticed since Forget(), with the test's folder written "~".
  Seen Noticed() {
    QApplication::processEvents();
    Seen seen;
    for (size_t i = 0; i < watched.size(); ++i) {
      if (watched[i]->Visible() == shown[i]) continue;
      std::string name = i == 0 ? "the settings window" : watched[i]->Caption();
      seen.push_back((watched[i]->Visible() ? "shows " : "hides ") + name);
    }
    for (const auto& file : desktop.opened) seen.push_back("opens " + file);
    for (const auto& [browser, address] : desktop.browsed) seen.push_back("browses " + address);
    for (size_t i = boxes; i < dialogs.Boxes().size(); ++i) {
      const auto& box = dialogs.Boxes()[i];
      seen.push_back("box " + box.title + " (" + std::to_string(box.style) +
                     "): " + box.text.substr(0, 40));
    }
    for (size_t i = fileDialogs; i < dialogs.FileRequests().size(); ++i) {
      seen.push_back("file dialog " + dialogs.FileRequests()[i].title);
    }
    for (const auto& file : sound.played) seen.push_back("plays " + file);
    if (shell.shortcuts.size() != shortcuts) {
      seen.push_back(shell.shortcuts.size() > shortcuts ? "makes the autostart entry"
                                                        : "removes the autostart entry");
    }
    for (const auto& call : recording.calls) seen.push_back("blocking: " + call);
    if (dir.Exists("program/quorlen.ini")) seen.push_back("saves the settings");
    if (adServerEditors > 0) seen.push_back("ad-server editor");
    if (quits > 0) seen.push_back("ends");
    for (std::string& line : seen) {
      for (size_t at; (at = line.find(dir.Path())) != std::string::npos;) {
        line.replace(at, dir.Path().size(), "~");
      }
    }
    return seen;
  }

  static void Click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  }

  std::vector<std::unique_ptr<QWidget>> views;
  SettingsWindowView* settings = nullptr;
  LastBlockedView* recent = nullptr;
  FeedbackView* feedback = nullptr;
  AboutView* about = nullptr;
  IEWhiteListView* whiteList = nullptr;
  PopupTitlesView* titles = nullptr;
  std::vector<Window*> watched;
  std::vector<bool> shown;
  size_t boxes = 0, fileDialogs = 0, shortcuts = 0;
  int adServerEditors = 0;
};

const std::string kFeedback = "shows Kestro, Inc. Software -- Feedback";
const std::string kWhiteList =
    "shows Popup Ad site White List (Effects Internet Explorer users ONLY)";
const std::string kTitles = "shows Popup Window Blocking Using  Window Titles";

TEST_F(ClickThrough, EveryControlOfThePagesDoesItsPart) {
  struct Row {
    int page;  // -1: below the pages, or the debug area once opened
    const char* control;
    int nth;
    Seen noticed;
  };
  using namespace settings_page;
  const Row rows[] = {
      {kAdBlocking,
       "Block Banner Ads (blocks the list of known ad servers)",
       0,
       {"blocking: chkAdServers_Click"}},
      {kAdBlocking, "Block Ads by Ad Server Name", 0, {"ad-server editor"}},
      {kAdBlocking, "Block Popups by Window Title", 0, {kTitles}},
      {kStartup, "Start Quorlen when Windows Starts", 0, {"removes the autostart entry"}},
      {kStartup, "Start Quorlen when Windows Starts", 0, {"makes the autostart entry"}},
      {kHelp, "Help Online", 0, {"browses http://www.quorlen.example/help.asp"}},
      {kHelp, "Feedback", 0, {kFeedback}},
      {kHelp,
       "Ad Blocking Help",
       0,
       {"box Quorlen Blocking Ads Help (64): FOR ALL BROWSERS:  Selecting the 'Block "}},
      {kSounds, "Browse", 0, {"file dialog Choose Sound File"}},
      {kSounds, "Test Sound", 0, {"plays ~/program/pop.wav"}},
      {kSounds, "Browse...", 0, {"file dialog Choose Sound File"}},
      {kSounds, "Test Sound", 1, {"plays ~/program/ad.wav"}},
      {kOther,
       "Reset",
       0,
       {"box Quorlen (0): The total number of ads blocked has been", "saves the settings"}},
      {kAllowAds, "Allow Ads by Ad Server Name", 0, {"ad-server editor"}},
      {kAllowAds, "Allow IE Popups by URL", 0, {kWhiteList}},
      {kAllowAds, "Allow Popups by Window Title", 0, {kTitles}},
      {kAllowAds, "No Ads have been blocked by 'Ad Server Name' yet.", 0, {"ad-server editor"}},
      {kAllowAds, "No Internet Explorer Popups have been blocked yet.", 0, {kWhiteList}},
      {kAllowAds, "No Popup Windows have been closed by Window Title yet.", 0, {kTitles}},
      {kLogging, "Logging", 1, {"shows Quorlen - Recent Ads Blocked"}},  // after its tab
      {-1, "Quorlen is blocking ads", 0, {kFeedback}},
      {-1, "QLH", 0, {"opens ~/program/quorlenhosts.ini"}},
      {-1, "HF", 0, {"opens ~/etc/hosts"}},
      {-1, "HB", 0, {"opens ~/etc/hostsqlb"}},
  };
  bool debugAreaOpen = false;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control);
    OnPage(row.page);
    if (row.page < 0 && !debugAreaOpen) {
      QWidget* debug = Find(settings, "Debug");
      ASSERT_NE(debug, nullptr);
      EXPECT_GE(debug->mapTo(settings, QPoint(0, 0)).y(), settings->height())
          << "the debug area is in sight before it is opened";
      for (int i = 0; i < 5; ++i) {
        Click(Find(settings,
                   "* Hold down the ALT, SHIFT, or CTRL (control) key while clicking "
                   "to temporarily allow popup windows to open."));
      }
      settings->resize(settings->width(), settings->height() + 200);
      debugAreaOpen = true;
      OnPage(row.page);
    }
    Click(Find(settings, row.control, row.nth));
    EXPECT_EQ(Noticed(), row.noticed);
  }
}

TEST_F(ClickThrough, EveryEntryOfTheMenuBarAndTheTrayMenuDoesItsPart) {
  struct Row {
    const char* menu;  // "" for the tray menu, chosen while the settings window is hidden
    const char* entry;
    Seen noticed;
    int answer = 0;
  };
  const std::string settingsShown = "shows the settings window";
  const Row rows[] = {
      {"", "Display Program Settings...", {settingsShown}},
      {"", "Send Feedback or Ask us a Question...", {kFeedback}},
      {"", "Show Small Statistics Window", {"shows Ads 0 : 0"}},
      {"", "Allow specific ad servers...", {settingsShown, "ad-server editor"}},
      {"", "Block Specific ad servers...", {settingsShown, "ad-server editor"}},
      {"", "Block Specific Popup Windows by Title...", {kTitles}},
      {"", "CLOSE THIS MENU", {}},
      {"File", "Open blocked Hosts List", {"opens ~/program/quorlenhosts.ini"}},
      {"File", "Save Program Settings", {"saves the settings"}},
      {"Options",
       "Reset Number of Ads Blocked Statistics",
       {"box Quorlen (0): The total number of ads blocked has been", "saves the settings"}},
      {"Uninstall Help!", "Please Tell us why first.  Thank you...", {kFeedback}},
      {"Uninstall Help!",
       "Uninstall Instructions...",
       {"box Quorlen (4): To Un-Install Quorlen: \r\n--1) Click YES "},
       msgbox::kAnswerNo},
      {"Help", "Send Feedback or Ask Question...", {kFeedback}},
      {"Help", "Online Tutorial", {"browses http://www.quorlen.example/helptut.asp"}},
      {"Help", "Help Online...", {"browses http://www.quorlen.example/help.asp"}},
      {"Help", "Readme.txt", {"opens ~/program/readme.txt"}},
      {"Help", "About", {"shows About Quorlen"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    OnPage(-1);
    QMenu* menu = settings->TrayMenu();
    if (*row.menu == '\0') {
      program->Controls().window.SetVisible(false);
      Forget();
    } else {
      for (QAction* title : settings->menuBar()->actions()) {
        if (title->text().remove('&') == row.menu) menu = title->menu();
      }
    }
    QAction* entry = Entry(menu, row.entry);
    ASSERT_NE(entry, nullptr);
    if (row.answer != 0) dialogs.AnswerNext(row.answer);
    entry->trigger();
    EXPECT_EQ(Noticed(), row.noticed);
  }
}

TEST_F(ClickThrough, TheWaysOutEndTheProgramOrOnlyHideTheWindow) {
  struct Row {
    const char* way;
    std::function<void()> take;
    Seen noticed;
  };
  const Row rows[] = {
      {"the close box", [this] { settings->close(); }, {"hides the settings window"}},
      {"File > Exit",
       [this] {
         QMenu* file = settings->menuBar()->actions().front()->menu();
         Entry(file, "Exit Quorlen AND stop blocking Ads")->trigger();
       },
       {"blocking: StopWebServer", "blocking: StopWebServer", "saves the settings", "ends"}},
      {"the tray menu's Exit",
       [this] { Entry(settings->TrayMenu(), "Exit Quorlen AND stop blocking ads")->trigger(); },
       {"blocking: StopWebServer", "blocking: StopWebServer", "saves the settings", "ends"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.way);
    Launch();
    OnPage(settings_page::kStatus);
    row.take();
    EXPECT_EQ(Noticed(), row.noticed);
  }
}

TEST_F(ClickThrough, TheSmallWindowsControlsDoTheirParts) {
  frmMain& main = *program;
  main.cbAdServers->PutItem(Variant("12:00:01 'ads.example'  from '' by ''"));
  struct Row {
    const char* name;
    std::function<void()> open;
    QWidget* window;
    const char* control;
    Seen noticed;
  };
  const Row rows[] = {
      {"recent: Copy",
       [&] { main.LastBlocked().Show(); },
       recent,
       "Copy",
       {"opens ~/tmp/tempQL.txt"}},
      {"recent: Close",
       [&] { main.LastBlocked().Show(); },
       recent,
       "Close",
       {"hides Quorlen - Recent Ads Blocked"}},
      {"About: the vendor",
       [&] { main.Help().ShowAbout(); },
       about,
       "http://www.quorlen.example/",
       {"browses http://www.quorlen.example/"}},
      {"About: the maker",
       [&] { main.Help().ShowAbout(); },
       about,
       "http://www.kestro.example/",
       {"browses http://www.kestro.example/"}},
      {"About: the picture",
       [&] { main.Help().ShowAbout(); },
       about,
       "Send us your feedback",
       {kFeedback}},
      {"About: OK", [&] { main.Help().ShowAbout(); }, about, "OK", {"hides About Quorlen"}},
      {"feedback: Close",
       [&] { main.Help().ShowFeedback(); },
       feedback,
       "Close",
       {"hides Kestro, Inc. Software -- Feedback"}},
      {"titles editor: the link on",
       [&] { main.ShowPopupTitles(); },
       titles,
       "Click Here to Block or Allow Ads based on domain name not window Title",
       {"hides Popup Window Blocking Using  Window Titles", "ad-server editor"}},
      {"white list editor: Cancel",
       [&] { main.Popups().ShowWhiteListEditor(); },
       whiteList,
       "Cancel",
       {"hides Popup Ad site White List (Effects Internet Explorer users ONLY)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    OnPage(-1);
    row.open();
    QApplication::processEvents();
    Forget();
    Click(Find(row.window, row.control));
    EXPECT_EQ(Noticed(), row.noticed);
  }

  // Each mode of the recently blocked window, and the double click that hands the server
  // to the ad-server editor.
  OnPage(-1);
  main.LastBlocked().Show();
  QApplication::processEvents();
  auto* list = recent->findChild<QListWidget*>();
  ASSERT_NE(list, nullptr);
  for (const auto& [mode, first] : std::vector<std::pair<QString, QString>>{
           {"Internet Explorer Popups", "No Ads Blocked by Unsolicited Internet Explorer Popups."},
           {"Window Titles", "No Ads Blocked by Window Title yet during this Quorlen session."},
           {"Blocked Hosts (Ad Servers)", "12:00:01 'ads.example'  from '' by ''"}}) {
    Click(Find(recent, mode));
    QApplication::processEvents();
    ASSERT_GT(list->count(), 0) << mode.toStdString();
    EXPECT_EQ(list->item(0)->text(), first);
  }
  Forget();
  QRect row = list->visualItemRect(list->item(0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(Noticed(), (Seen{"hides Quorlen - Recent Ads Blocked", "ad-server editor"}));
}

}  // namespace
}  // namespace quorlen
