// Every control of every window clicked on the views as a user clicks it, with what the user
// then notices. The click-through on a real desktop (tests/e2e/windows.sh) goes only one way
// into each kind of window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTest>
#include <map>
#include <set>

#include "tests/forms/program_fixture.h"
#include "ui/about_view.h"
#include "ui/exclude_view.h"
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

class ClickThrough : public testing_support::ProgramTest {
 protected:
  void SetUp() override { Launch(); }

  // A later start: the settings window hides to the tray, then the views come.
  void Launch() {
    views.clear();
    program.reset();
    dir.Write("program/quorlenhosts.ini",
              "[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=ads.example\r\n");
    frmMain& main = Running();
    settings = new SettingsWindowView(main);
    views.emplace_back(settings);
    views.emplace_back(new StatsView(main.Stats()));
    views.emplace_back(new MessageView(main.Message()));
    views.emplace_back(recent = new LastBlockedView(main.LastBlocked()));
    views.emplace_back(feedback = new FeedbackView(main.Help().Feedback()));
    views.emplace_back(about = new AboutView(main.Help().About()));
    views.emplace_back(whiteList = new IEWhiteListView(main.Popups().Editor()));
    views.emplace_back(titles = new PopupTitlesView(main.PopupTitlesEditor()));
    views.emplace_back(new ExcludeView(main.AdServerEditor()));
    watched = {&main.Controls().window,        &main.Stats().window,
               &main.Message().window,         &main.LastBlocked().window,
               &main.Help().Feedback().window, &main.Help().About().window,
               &main.Popups().Editor().window, &main.PopupTitlesEditor().window,
               &main.AdServerEditor().window};
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
    listening = Listening();
    hostsWrites = privileged.written.size();
    std::filesystem::remove(dir.File("program/quorlen.ini"));
    quits = 0;
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
                     "): " + box.text.substr(0, 30));
    }
    for (size_t i = fileDialogs; i < dialogs.FileRequests().size(); ++i) {
      seen.push_back("file dialog " + dialogs.FileRequests()[i].title);
    }
    for (const auto& file : sound.played) seen.push_back("plays " + file);
    if (shell.shortcuts.size() != shortcuts) {
      seen.push_back(shell.shortcuts.size() > shortcuts ? "makes the autostart entry"
                                                        : "removes the autostart entry");
    }
    if (Listening() != listening) {
      seen.push_back(listening ? "stops the web server" : "starts the web server");
    }
    if (privileged.written.size() != hostsWrites) seen.push_back("writes the hosts file");
    if (dir.Exists("program/quorlen.ini")) seen.push_back("saves the settings");
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

  // The menu of the menu bar with this title ("Help menu" for Help), or the tray menu.
  QMenu* Menu(const std::string& title) {
    if (title == "tray") return settings->TrayMenu();
    const QString name = QString::fromStdString(title == "Help menu" ? "Help" : title);
    for (QAction* action : settings->menuBar()->actions()) {
      if (action->text().remove('&') == name) return action->menu();
    }
    return nullptr;
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
  size_t boxes = 0, fileDialogs = 0, shortcuts = 0, hostsWrites = 0;
  bool listening = false;
};

const std::string kFeedback = "shows Kestro, Inc. Software -- Feedback";
const std::string kWhiteList =
    "shows Popup Ad site White List (Effects Internet Explorer users ONLY)";
const std::string kTitles = "shows Popup Window Blocking Using  Window Titles";
const std::string kAdServers = "shows Block or Allow all content from ad server domains.";
const std::string kSettings = "shows the settings window";

TEST_F(ClickThrough, EveryControlAndEntryDoesItsPart) {
  frmMain& main = *program;
  main.cbAdServers->PutItem(Variant("12:00:01 'ads.example'  from '' by ''"));
  // Where a control is: a page ("" below the pages, "debug area" once opened), a menu (the
  // tray menu chosen with the settings window hidden), or a small window.
  const std::map<std::string, int> pages{{"Ad Blocking", settings_page::kAdBlocking},
                                         {"Startup", settings_page::kStartup},
                                         {"Help", settings_page::kHelp},
                                         {"Sounds", settings_page::kSounds},
                                         {"Other", settings_page::kOther},
                                         {"Allow Ads", settings_page::kAllowAds},
                                         {"Logging", settings_page::kLogging},
                                         {"", -1},
                                         {"debug area", -1}};
  const std::set<std::string> menus{"tray", "File", "Options", "Uninstall Help!", "Help menu"};
  const std::map<std::string, std::pair<QWidget*, std::function<void()>>> windows{
      {"recent", {recent, [&] { main.LastBlocked().Show(); }}},
      {"About", {about, [&] { main.Help().ShowAbout(); }}},
      {"feedback", {feedback, [&] { main.Help().ShowFeedback(); }}},
      {"titles editor", {titles, [&] { main.ShowPopupTitles(); }}},
      {"white list editor", {whiteList, [&] { main.Popups().ShowWhiteListEditor(); }}}};
  const char* const banner = "Block Banner Ads (blocks the list of known ad servers)";
  const char* const reset = "box Quorlen (0): The total number of ads blocke";
  struct Row {
    std::string where;
    const char* control;
    Seen noticed;
    int nth = 0;     // of the controls of that name
    int answer = 0;  // to the box it shows
  };
  const Row rows[] = {
      {"Ad Blocking",
       banner,
       {"stops the web server", "writes the hosts file", "saves the settings"}},
      {"Ad Blocking",
       banner,
       {"starts the web server", "writes the hosts file", "saves the settings"}},
      {"Ad Blocking", "Block Ads by Ad Server Name", {kAdServers}},
      {"Ad Blocking", "Block Popups by Window Title", {kTitles}},
      {"Startup", "Start Quorlen when Windows Starts", {"removes the autostart entry"}},
      {"Startup", "Start Quorlen when Windows Starts", {"makes the autostart entry"}},
      {"Help", "Help Online", {"browses http://www.quorlen.example/help.asp"}},
      {"Help", "Feedback", {kFeedback}},
      {"Help",
       "Ad Blocking Help",
       {"box Quorlen Blocking Ads Help (64): FOR ALL BROWSERS:  Selecting t"}},
      {"Sounds", "Browse", {"file dialog Choose Sound File"}},
      {"Sounds", "Test Sound", {"plays ~/program/pop.wav"}},
      {"Sounds", "Browse...", {"file dialog Choose Sound File"}},
      {"Sounds", "Test Sound", {"plays ~/program/ad.wav"}, 1},
      {"Other", "Reset", {reset, "saves the settings"}},
      {"Allow Ads", "Allow Ads by Ad Server Name", {kAdServers}},
      {"Allow Ads", "Allow IE Popups by URL", {kWhiteList}},
      {"Allow Ads", "Allow Popups by Window Title", {kTitles}},
      {"Allow Ads", "No Ads have been blocked by 'Ad Server Name' yet.", {kAdServers}},
      {"Allow Ads", "No Internet Explorer Popups have been blocked yet.", {kWhiteList}},
      {"Allow Ads", "No Popup Windows have been closed by Window Title yet.", {kTitles}},
      {"Logging", "Logging", {"shows Quorlen - Recent Ads Blocked"}, 1},  // the first is its tab
      {"", "Quorlen is blocking ads", {kFeedback}},
      {"debug area", "QLH", {"opens ~/program/quorlenhosts.ini"}},
      {"debug area", "HF", {"opens ~/etc/hosts"}},
      {"debug area", "HB", {"opens ~/etc/hostsqlb"}},
      {"tray", "Display Program Settings...", {kSettings}},
      {"tray", "Send Feedback or Ask us a Question...", {kFeedback}},
      {"tray", "Show Small Statistics Window", {"shows Ads 0 : 1"}},  // a reset keeps one
      {"tray", "Allow specific ad servers...", {kSettings, kAdServers}},
      {"tray", "Block Specific ad servers...", {kSettings, kAdServers}},
      {"tray", "Block Specific Popup Windows by Title...", {kTitles}},
      {"tray", "CLOSE THIS MENU", {}},
      {"File", "Open blocked Hosts List", {"opens ~/program/quorlenhosts.ini"}},
      {"File", "Save Program Settings", {"saves the settings"}},
      {"Options", "Reset Number of Ads Blocked Statistics", {reset, "saves the settings"}},
      {"Uninstall Help!", "Please Tell us why first.  Thank you...", {kFeedback}},
      {"Uninstall Help!",
       "Uninstall Instructions...",
       {"box Quorlen (4): To Un-Install Quorlen: \r\n--1) "},
       0,
       msgbox::kAnswerNo},
      {"Help menu", "Send Feedback or Ask Question...", {kFeedback}},
      {"Help menu", "Online Tutorial", {"browses http://www.quorlen.example/helptut.asp"}},
      {"Help menu", "Help Online...", {"browses http://www.quorlen.example/help.asp"}},
      {"Help menu", "Readme.txt", {"opens ~/program/readme.txt"}},
      {"Help menu", "About", {"shows About Quorlen"}},
      {"recent", "Copy", {"opens ~/tmp/tempQL.txt"}},
      {"recent", "Close", {"hides Quorlen - Recent Ads Blocked"}},
      {"About", "http://www.quorlen.example/", {"browses http://www.quorlen.example/"}},
      {"About", "http://www.kestro.example/", {"browses http://www.kestro.example/"}},
      {"About", "Send us your feedback", {kFeedback}},
      {"About", "OK", {"hides About Quorlen"}},
      {"feedback", "Close", {"hides Kestro, Inc. Software -- Feedback"}},
      {"titles editor",
       "Click Here to Block or Allow Ads based on domain name not window Title",
       {"hides Popup Window Blocking Using  Window Titles", kAdServers}},
      {"white list editor", "Cancel", {"hides" + kWhiteList.substr(5)}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.where + ": " + row.control);
    const bool onPage = pages.count(row.where) != 0, inMenu = menus.count(row.where) != 0;
    OnPage(onPage ? pages.at(row.where) : -1);
    if (row.where == "debug area" && !main.WindowSize().Open()) {
      EXPECT_EQ(Find(settings, "Debug"), nullptr)
          << "the debug area is reachable before it is opened";
      for (int i = 0; i < 5; ++i) {
        Click(Find(settings,
                   "* Hold down the ALT, SHIFT, or CTRL (control) key while clicking "
                   "to temporarily allow popup windows to open."));
      }
      settings->resize(settings->width(), settings->height() + 200);
    }
    if (row.where == "tray") main.Controls().window.SetVisible(false);
    if (!onPage && !inMenu) windows.at(row.where).second();
    QApplication::processEvents();
    Forget();
    if (row.answer != 0) dialogs.AnswerNext(row.answer);
    if (inMenu) {
      QAction* entry = nullptr;
      for (QAction* action : Menu(row.where)->actions()) {
        if (!entry && action->text().remove('&').trimmed() == row.control) entry = action;
      }
      ASSERT_NE(entry, nullptr);
      entry->trigger();
    } else {
      Click(Find(onPage ? settings : windows.at(row.where).first, row.control, row.nth));
    }
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
    ASSERT_GT(list->count(), 0) << mode.toStdString();
    EXPECT_EQ(list->item(0)->text(), first);
  }
  Forget();
  QRect row = list->visualItemRect(list->item(0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(Noticed(), (Seen{"hides Quorlen - Recent Ads Blocked", kAdServers}));
}

TEST_F(ClickThrough, TheWaysOutEndTheProgramOrOnlyHideTheWindow) {
  const Seen ends{"stops the web server", "saves the settings", "ends"};
  for (const auto& [way, noticed] : std::vector<std::pair<std::string, Seen>>{
           {"the close box", {"hides the settings window"}}, {"File", ends}, {"tray", ends}}) {
    SCOPED_TRACE(way);
    Launch();
    OnPage(settings_page::kStatus);
    if (way == "the close box") {
      settings->close();
    } else {
      for (QAction* action : Menu(way)->actions()) {
        if (action->text().remove('&').startsWith("Exit Quorlen AND stop blocking")) {
          action->trigger();
        }
      }
    }
    EXPECT_EQ(Noticed(), noticed);
  }
}

}  // namespace
}  // namespace quorlen
