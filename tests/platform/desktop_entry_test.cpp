#include "platform/linux/desktop_entry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "platform/linux/desktop_user.h"
#include "platform/linux/linux_desktop.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

TEST(DesktopEntry, ExecLinesBecomeArguments) {
  using Case = std::pair<std::string, std::vector<std::string>>;
  for (const auto& [exec, arguments] : std::vector<Case>{
           {"  mousepad   %F ", {"mousepad"}},
           {"env GDK_BACKEND=x11 browser --new-window %u",
            {"env", "GDK_BACKEND=x11", "browser", "--new-window"}},
           {"\"/opt/My Browser/run\" --flag %U", {"/opt/My Browser/run", "--flag"}},
           {"\"a \\\"quoted\\\" \\\\ word\" x", {"a \"quoted\" \\ word", "x"}},
           {"tool --rate=50%% %i %c %k", {"tool", "--rate=50%"}},
           {"\"\" empty", {"", "empty"}},
           {"", {}},
       }) {
    EXPECT_EQ(desktop_entry::Arguments(exec), arguments) << exec;
    // What CommandLine writes, Arguments reads back unchanged.
    EXPECT_EQ(desktop_entry::Arguments(desktop_entry::CommandLine(arguments)), arguments) << exec;
  }
}

TEST(DesktopEntry, TheExecOfTheDesktopEntryGroupOnly) {
  EXPECT_EQ(desktop_entry::ExecValue("[Desktop Entry]\nName=B\nExec=b %u\r\n"
                                     "[Desktop Action new]\nExec=b --new\n"),
            "b %u");
  EXPECT_EQ(desktop_entry::ExecValue("[Desktop Action new]\nExec=b --new\n[Desktop Entry]\n"
                                     "TryExec=b\nExec = /usr/bin/b\n"),
            "/usr/bin/b");
  EXPECT_EQ(desktop_entry::ExecValue("[Desktop Entry]\nName=No program\n"), "");
}

TEST(DesktopEntry, FoundInTheFirstDataFolderThatHasIt) {
  EXPECT_EQ(desktop_entry::ApplicationFolders("", "/home/u", ""),
            (std::vector<std::string>{"/home/u/.local/share/applications",
                                      "/usr/local/share/applications", "/usr/share/applications"}));
  EXPECT_EQ(desktop_entry::ApplicationFolders("/d", "/home/u", "/a::/b"),
            (std::vector<std::string>{"/d/applications", "/a/applications", "/b/applications"}));

  TempFolder data;
  std::filesystem::create_directories(data.File("user/applications"));
  std::filesystem::create_directories(data.File("system/applications/kde"));
  data.Write("user/applications/edit.desktop", "[Desktop Entry]\nExec=user-edit\n");
  data.Write("system/applications/edit.desktop", "[Desktop Entry]\nExec=system-edit\n");
  data.Write("system/applications/kde/konsole.desktop", "[Desktop Entry]\nExec=konsole\n");
  std::vector<std::string> folders{data.File("user/applications"),
                                   data.File("system/applications")};
  EXPECT_EQ(desktop_entry::Find("edit.desktop", folders),
            data.File("user/applications/edit.desktop"));
  EXPECT_EQ(desktop_entry::Find("kde-konsole.desktop", folders),
            data.File("system/applications/kde/konsole.desktop"));
  EXPECT_EQ(desktop_entry::Find("missing.desktop", folders), "");
  EXPECT_EQ(desktop_entry::Find("../user/applications/edit.desktop", folders), "");
}

TEST(LinuxDesktopBrowser, TheDefaultBrowserElseTheProgramForThePageType) {
  TempFolder home;
  std::filesystem::create_directories(home.File("share/applications"));
  home.Write("share/applications/rec.desktop",
             "[Desktop Entry]\nType=Application\nExec=\"/opt/rec/open\" browser %u\n");
  home.Write("share/applications/pages.desktop", "[Desktop Entry]\nExec=pages-viewer %F\n");
  std::map<std::string, std::string> answers;
  std::map<std::string, std::string> variables{{"XDG_DATA_HOME", home.File("share")},
                                               {"XDG_DATA_DIRS", home.File("none")}};
  LinuxDesktop desktop([&](const std::string& command) { return answers[command]; },
                       [&](const std::string& name) { return variables[name]; });
  const std::string page = "/tmp/it's here/temphtm.HTM";
  EXPECT_EQ(desktop.FindBrowser(page), "");

  answers["xdg-mime query filetype '/tmp/it'\\''s here/temphtm.HTM'"] = "text/html\n";
  answers["xdg-mime query default text/html"] = "pages.desktop\n";
  EXPECT_EQ(desktop.FindBrowser(page), "pages-viewer");

  answers["xdg-settings get default-web-browser"] = "rec.desktop\n";
  EXPECT_EQ(desktop.FindBrowser(page), "/opt/rec/open browser");

  answers["xdg-settings get default-web-browser"] = "uninstalled.desktop\n";
  EXPECT_EQ(desktop.FindBrowser(page), "pages-viewer");
}

TEST(LinuxDesktopText, ATextFileOpensWhereItCanBeSeen) {
  TempFolder data;
  std::filesystem::create_directories(data.File("share/applications"));
  data.Write("share/applications/vim.desktop", "[Desktop Entry]\nExec=vim %F\nTerminal=true\n");
  data.Write("share/applications/mousepad.desktop",
             "[Desktop Entry]\nExec=mousepad %U\nTerminal=false\n");
  const std::string file = "/home/u/.local/share/quorlen/readme.txt";
  struct Case {
    const char* name;
    const char* chosen;    // what xdg-mime names for text/plain
    const char* starting;  // the programs that start here, each followed by a blank
    bool listed;           // mousepad is in the desktop's list
    const char* started;   // the command that showed the file, each argument followed by '|'
  };
  for (const Case& c : std::vector<Case>{
           {"a terminal editor runs in the terminal", "vim.desktop",
            "x-terminal-emulator mousepad xdg-open ", true, "x-terminal-emulator|-e|vim|"},
           {"without a terminal, another editor of the list", "vim.desktop", "mousepad xdg-open ",
            true, "mousepad|"},
           {"then xdg-open", "vim.desktop", "xdg-open ", false, "xdg-open|"},
           {"a graphical choice is started itself", "mousepad.desktop",
            "x-terminal-emulator mousepad ", true, "mousepad|"},
           {"nothing at all", "vim.desktop", "", true, ""},
       }) {
    SCOPED_TRACE(c.name);
    data.Write("share/applications/mimeinfo.cache",
               c.listed ? "[MIME Cache]\ntext/plain=vim.desktop;mousepad.desktop;\n"
                        : "[MIME Cache]\ntext/plain=vim.desktop;\n");
    std::string started;
    LinuxDesktop desktop(
        [&](const std::string& command) {
          return command == "xdg-mime query default text/plain" ? std::string(c.chosen) + "\n"
                                                                : std::string();
        },
        [&](const std::string& name) {
          return name == "XDG_DATA_HOME" ? data.File("share") : data.File("none");
        },
        [&](const std::vector<std::string>& arguments) {
          if (std::string(c.starting).find(arguments.front() + " ") == std::string::npos) {
            return false;
          }
          for (const std::string& argument : arguments) started += argument + "|";
          return true;
        });
    EXPECT_EQ(desktop.OpenTextFile(file), *c.started != '\0');
    EXPECT_EQ(started, *c.started ? c.started + file + "|" : "");
  }
}

TEST(StartDetached, StartsWithTheArgumentsOrSaysItCannot) {
  TempFolder folder;
  const std::string script = folder.File("record");
  folder.Write("record", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.out\"\n");
  ::chmod(script.c_str(), 0755);
  ASSERT_TRUE(StartDetached({script, "http://x.example/a b?c=1", "--two"}));
  // Waits for the whole line, which the started program writes in its own time.
  const std::string expected = "http://x.example/a b?c=1|--two|";
  for (int i = 0;
       i < 1000 && !(folder.Exists("record.out") && folder.Read("record.out") == expected); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(folder.Read("record.out"), expected);

  folder.Write("plain", "not a program");
  EXPECT_FALSE(StartDetached({folder.File("plain")}));
  EXPECT_FALSE(StartDetached({folder.File("missing")}));
  EXPECT_FALSE(StartDetached({"no-such-program-anywhere-q"}));
  EXPECT_FALSE(StartDetached({}));
}

TEST(DesktopUser, RootServesTheUserItRunsFor) {
  struct Case {
    const char* name;
    uid_t effective;
    std::map<std::string, std::string> variables;
    std::map<std::string, uid_t> owners;
    uid_t user;
  };
  for (const Case& c : std::vector<Case>{
           {"an ordinary user is itself", 1000, {{"SUDO_UID", "1001"}}, {}, 1000},
           {"root alone is root", 0, {}, {}, 0},
           {"sudo", 0, {{"SUDO_UID", "1000"}, {"PKEXEC_UID", "1002"}}, {}, 1000},
           {"pkexec", 0, {{"PKEXEC_UID", "1002"}}, {}, 1002},
           {"sudo from root", 0, {{"SUDO_UID", "0"}}, {}, 0},
           {"a malformed number is no user", 0, {{"SUDO_UID", "10x"}}, {}, 0},
           {"inside a user's session",
            0,
            {{"XDG_RUNTIME_DIR", "/run/user/1003"}},
            {{"/run/user/1003", 1003}},
            1003},
           {"the X authority file",
            0,
            {{"XAUTHORITY", "/home/u/.Xauthority"}, {"XDG_RUNTIME_DIR", "/run/user/0"}},
            {{"/home/u/.Xauthority", 1004}, {"/run/user/0", 0}},
            1004},
           {"files that cannot be looked at", 0, {{"XAUTHORITY", "/gone"}}, {}, 0},
       }) {
    auto variable = [&](const char* name) {
      return c.variables.contains(name) ? c.variables.at(name) : std::string();
    };
    auto ownerOf = [&](const std::string& path) -> std::optional<uid_t> {
      if (!c.owners.contains(path)) return std::nullopt;
      return c.owners.at(path);
    };
    EXPECT_EQ(DesktopUserId(c.effective, variable, ownerOf), c.user) << c.name;
  }
}

}  // namespace
}  // namespace quorlen
