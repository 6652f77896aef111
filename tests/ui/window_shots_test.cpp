// Every window of the program drawn as the user sees it at the scale (QT_SCALE_FACTOR) and
// the font (QUORLEN_SHOT_FONT_POINTS) of this run, checked for cut or overlapping texts,
// and saved as a picture into $QUORLEN_SHOT_FOLDER when it is set, for a person to look at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <functional>

#include "tests/forms/program_fixture.h"
#include "ui/about_view.h"
#include "ui/exclude_view.h"
#include "ui/feedback_view.h"
#include "ui/help_view.h"
#include "ui/ie_white_list_view.h"
#include "ui/last_blocked_view.h"
#include "ui/popup_titles_view.h"
#include "ui/settings_window_view.h"
#include "ui/small_windows_view.h"
#include "ui/test_domains_view.h"

namespace quorlen {
namespace {

// What a user would see cut off in `root` as laid out now: a control that reaches past
// the edge of `root`, a wrapped text shorter than its lines need, a one-line text or a
// button narrower than its caption, and two controls that overlap. One line each.
// Controls within `skip` (kept out of sight on purpose) are not looked at.
std::vector<std::string> ClippedControls(QWidget* root,
                                         const std::vector<const QWidget*>& skip = {}) {
  std::vector<std::string> problems;
  auto name = [](QWidget* w) {
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (text.isEmpty()) text = w->accessibleName();
    return std::string(w->metaObject()->className()) + " \"" + text.left(40).toStdString() + "\"";
  };
  std::vector<std::pair<QWidget*, QRect>> leaves;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || w->width() == 0) continue;
    if (std::any_of(skip.begin(), skip.end(), [w](const QWidget* hidden) {
          return hidden == w || hidden->isAncestorOf(w);
        })) {
      continue;
    }
    QRect area(w->mapTo(root, QPoint(0, 0)), w->size());
    if (!root->rect().contains(area)) problems.push_back(name(w) + " reaches past the window");
    auto* label = qobject_cast<QLabel*>(w);
    if (label && !label->text().isEmpty() && label->pixmap().isNull()) {
      if (label->wordWrap() && label->heightForWidth(label->width()) > label->height() + 1) {
        problems.push_back(name(w) + " is cut at the bottom");
      } else if (!label->wordWrap() && label->sizeHint().width() > label->width() + 1) {
        problems.push_back(name(w) + " is cut at the side");
      }
    }
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (button && !button->text().isEmpty() &&
        button->minimumSizeHint().width() > button->width() + 1) {
      problems.push_back(name(w) + " is narrower than its caption");
    }
    if (label || button || qobject_cast<QLineEdit*>(w)) leaves.emplace_back(w, area);
  }
  for (size_t i = 0; i < leaves.size(); ++i) {
    for (size_t j = i + 1; j < leaves.size(); ++j) {
      if (leaves[i].first->isAncestorOf(leaves[j].first) ||
          leaves[j].first->isAncestorOf(leaves[i].first)) {
        continue;
      }
      if (leaves[i].second.intersects(leaves[j].second)) {
        problems.push_back(name(leaves[i].first) + " overlaps " + name(leaves[j].first));
      }
    }
  }
  return problems;
}

class WindowShots : public testing_support::ProgramTest {
 protected:
  // A window grows to its texts once its layout has run: a busy machine is given time for
  // it. The controls in `skip` are out of sight on purpose.
  void Look(QWidget* window, const std::string& name,
            const std::vector<const QWidget*>& skip = {}) {
    ASSERT_TRUE(window->isVisible()) << name << " is not shown";
    (void)QTest::qWaitFor([&] { return ClippedControls(window, skip).empty(); }, 3000);
    for (const auto& problem : ClippedControls(window, skip))
      ADD_FAILURE() << name << ": " << problem;
    const QString folder = qEnvironmentVariable("QUORLEN_SHOT_FOLDER");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    const QString file = folder + "/" + QString::fromStdString(name) + ".png";
    EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
    ++saved;
  }

  int saved = 0;
};

TEST_F(WindowShots, EveryWindowIsWholeAtThisScaleAndFont) {
  if (const int points = qEnvironmentVariableIntValue("QUORLEN_SHOT_FONT_POINTS"); points > 0) {
    QFont font = QApplication::font();
    font.setPointSize(points);
    QApplication::setFont(font);
  }
  StartedBefore();
  frmMain& main = Start();
  auto& c = main.Controls();

  SettingsWindowView settings(main);
  main.Tray().ShowSettings();
  const char* pages[] = {"ad-blocking", "startup", "help",      "sounds",
                         "other",       "status",  "allow-ads", "logging"};
  // Until it is opened the debug area lies below the window's fixed size.
  const std::vector<const QWidget*> debugArea{settings.findChild<QWidget*>("debugArea"),
                                              settings.findChild<QWidget*>("debugLog")};
  ASSERT_TRUE(debugArea[0] && debugArea[1]);
  EXPECT_GE(settings.width(), SettingsWindow::kFixedWidth);
  for (int page = 0; page < 8; ++page) {
    c.A.SetCurrentPage(page);
    Look(&settings, "settings-" + std::to_string(page) + "-" + pages[page], debugArea);
  }
  for (int click = 0; click < 5; ++click) c.Label4.onClick();
  settings.resize(settings.width() + 100, settings.height() + 260);
  main.DebugLog("The debug log fills the space the window was given.");
  Look(&settings, "settings-debug-area");

  LastBlockedView recent(main.LastBlocked());
  main.cbAdServers->PutItem(
      Variant("12:00:01 'ads.example'  from ' http://news.example/' by ' Mozilla/5.0'"));
  main.LastBlocked().Show();
  const std::pair<Button*, const char*> modes[] = {{&main.LastBlocked().cmdByAdServer, "servers"},
                                                   {&main.LastBlocked().cmdIEPopups, "popups"},
                                                   {&main.LastBlocked().cmdTitles, "titles"}};
  for (const auto& [button, name] : modes) {
    button->Click();
    Look(&recent, std::string("recent-") + name);
  }

  HelpView help(main.Help().Help());
  main.Help().Help().txtURL.SetText("http://www.quorlen.example/help.asp");
  main.Help().Help().window.SetVisible(true);
  Look(&help, "help");
  FeedbackView feedback(main.Help().Feedback());
  main.Help().ShowFeedback();
  Look(&feedback, "feedback");
  AboutView about(main.Help().About());
  main.Help().ShowAbout();
  Look(&about, "about");

  StatsView stats(main.Stats());
  main.Stats().Show();
  Look(&stats, "statistics");
  MessageView message(main.Message());
  main.Message().Show("Quorlen - No Ads Being Blocked",
                      "Quorlen is not blocking any ads!\r\n\r\nYou have both ad blocking options "
                      "un-checked.\r\n\r\nTo change this and start blocking ads, display the "
                      "Quorlen settings window and choose the 'Ad Blocking' tab.  ");
  Look(&message, "message");

  ExcludeView adServersView(main.AdServerEditor());
  main.LastBlocked().cmdByAdServer.Click();
  main.LastBlocked().lstBlocked.SetListIndex(0);
  main.LastBlocked().lstBlocked.onDoubleClick();  // the editor opens on that server
  Look(&adServersView, "editor-ad-servers");
  IEWhiteListView whiteList(main.Popups().Editor());
  main.Popups().ShowWhiteListEditor();
  Look(&whiteList, "editor-white-list");
  PopupTitlesView titles(main.PopupTitlesEditor());
  main.ShowPopupTitles();
  Look(&titles, "editor-titles");

  frmTestDomains& tester = main.DomainTester();
  TestDomainsView testerView(tester);
  tester.Show();
  Look(&testerView, "domain-tester");

  if (!qEnvironmentVariableIsEmpty("QUORLEN_SHOT_FOLDER")) {
    EXPECT_EQ(saved, 21);
  }
}

}  // namespace
}  // namespace quorlen
