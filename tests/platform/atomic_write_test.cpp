#include "platform/atomic_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
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
  EXPECT_TRUE(result.ok);
  EXPECT_FALSE(result.rewroteInPlace);
  EXPECT_EQ(seen, (std::vector<std::string>{"0:old\n|new text\n|hosts"}));
  EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::string>{"hosts"}));
  EXPECT_EQ(dir.Read("hosts"), "new text\n");
}

// What a start finds after a crash, and what it leaves.
TEST(AtomicWrite, StartFinishesAnInterruptedRewriteAndRemovesLeftovers) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> before;  // file, content
    bool finished;
    int removed;
    std::string hosts;
    std::set<std::string> after;
  } cases[] = {
      {"killed right after the target was truncated",
       {{"hosts", ""}, {".hosts.qlpending", "new\n"}},
       true,
       0,
       "new\n",
       {"hosts"}},
      {"killed after the target was written",
       {{"hosts", "new\n"}, {".hosts.qlpending", "new\n"}},
       true,
       0,
       "new\n",
       {"hosts"}},
      {"killed before any rename, twice",
       {{"hosts", "old\n"}, {".hosts.Ab12Cd", "new\n"}, {".hosts.XYZ789", "newer\n"}},
       false,
       2,
       "old\n",
       {"hosts"}},
      {"other programs' files stay",
       {{"hosts", "old\n"}, {".hosts.swp", "x"}, {".hostsqlf.Ab12Cd", "x"}, {"hosts.Ab12Cd", "x"}},
       false,
       0,
       "old\n",
       {"hosts", ".hosts.swp", ".hostsqlf.Ab12Cd", "hosts.Ab12Cd"}},
      {"a pending copy without a target",
       {{".hosts.qlpending", "new\n"}, {".hosts.000000", ""}},
       true,
       1,
       "new\n",
       {"hosts"}},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    for (const auto& [file, content] : c.before) dir.Write(file, content);
    RecoveryResult result = RecoverInterruptedWrite(dir.File("hosts"));
    EXPECT_EQ(result.finished, c.finished) << c.name;
    EXPECT_EQ(result.removedTemporaries, c.removed) << c.name;
    EXPECT_EQ(dir.Read("hosts"), c.hosts) << c.name;
    EXPECT_EQ(FilesIn(dir.Path()), c.after) << c.name;
  }
}

}  // namespace
}  // namespace quorlen
