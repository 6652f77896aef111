#include "platform/atomic_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(AtomicWrite, TemporaryNamesAreOnlyThoseOfTheTarget) {
  EXPECT_TRUE(IsTemporaryNameOf(".hosts.Ab12Cd", "hosts"));
  EXPECT_TRUE(IsTemporaryNameOf(".quorlen.ini.zzzzzz", "quorlen.ini"));
  // Five or seven characters, not a letter or digit, another file's, the pending copy.
  for (const char* file : {".hosts.Ab12C", ".hosts.Ab12Cde", ".hosts.Ab-2Cd", ".hostsqlb.Ab12Cd",
                           "hosts.Ab12Cd.", ".hosts.qlpending", ".hosts"}) {
    EXPECT_FALSE(IsTemporaryNameOf(file, "hosts")) << file;
  }
}

// Where the writer stands at each instant: the target still holds the old text while the
// complete new text waits in the temporary file, and nothing of the write stays behind.
TEST(AtomicWrite, TargetStaysWholeUntilTheCompleteCopyReplacesIt) {
  static TempFolder dir;
  static std::vector<std::string> seen;
  dir.Write("hosts", "old\n");
  SetWriteStepHook([](WriteStep step, const std::string& path) {
    std::string temporary;
    for (const auto& name : FilesIn(dir.Path()))
      if (IsTemporaryNameOf(name, "hosts")) temporary = dir.Read(name);
    seen.push_back(std::to_string(static_cast<int>(step)) + ":" + dir.Read("hosts") + "|" +
                   temporary + "|" + (path == dir.File("hosts") ? "hosts" : path));
  });
  AtomicWriteResult result = WriteFileAtomically(dir.File("hosts"), "new text\n");
  SetWriteStepHook(nullptr);
  EXPECT_EQ(std::pair(result.ok, result.rewroteInPlace), std::pair(true, false));
  EXPECT_EQ(seen, (std::vector<std::string>{"0:old\n|new text\n|hosts"}));
  EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::string>{"hosts"}));
  EXPECT_EQ(dir.Read("hosts"), "new text\n");
}

// What a start finds after a crash, and what it leaves: the folder's files before, as
// name=content, and after, by name in sorted order.
TEST(AtomicWrite, StartFinishesAnInterruptedRewriteAndRemovesLeftovers) {
  struct Case {
    const char *name, *before;
    bool finished;
    int removed;
    const char *hosts, *after;
  } cases[] = {
      {"killed right after the target was truncated", "hosts= .hosts.qlpending=new", true, 0, "new",
       "hosts"},
      {"killed after the target was written", "hosts=new .hosts.qlpending=new", true, 0, "new",
       "hosts"},
      {"killed before any rename, twice", "hosts=old .hosts.Ab12Cd=new .hosts.XYZ789=newer", false,
       2, "old", "hosts"},
      {"other programs' files stay", "hosts=old .hosts.swp=x .hostsqlf.Ab12Cd=x hosts.Ab12Cd=x",
       false, 0, "old", ".hosts.swp .hostsqlf.Ab12Cd hosts hosts.Ab12Cd"},
      {"a pending copy without a target", ".hosts.qlpending=new .hosts.000000=", true, 1, "new",
       "hosts"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    std::istringstream before(c.before);
    for (std::string file; before >> file;) {
      dir.Write(file.substr(0, file.find('=')), file.substr(file.find('=') + 1));
    }
    RecoveryResult result = RecoverInterruptedWrite(dir.File("hosts"));
    EXPECT_EQ(std::tuple(result.finished, result.removedTemporaries, dir.Read("hosts")),
              std::tuple(c.finished, c.removed, c.hosts));
    std::string after;
    for (const std::string& name : FilesIn(dir.Path())) after += (after.empty() ? "" : " ") + name;
    EXPECT_EQ(after, c.after);
  }
}

}  // namespace
}  // namespace quorlen
