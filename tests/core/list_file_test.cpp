#include <gtest/gtest.h>

#include <fstream>

#include "core/list_and_text_files.h"
#include "core/text.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;
using namespace std::string_literals;

class ListFile : public testing::Test {
 protected:
  // Each load reads a file of its own: the store sees a file rewritten at once as unchanged.
  std::vector<std::string> Load(const std::string& bytes) {
    const std::string name = "load" + std::to_string(++loads_) + ".ini";
    dir_.Write(name, bytes);
    ListBox list;
    LoadListFromIni(list, "DomainCount", "Domains", dir_.File(name), profiles_, dialogs_);
    return list.Items();
  }

  TempFolder dir_;
  ProfileStore profiles_;
  ScriptedDialogs dialogs_;
  int loads_ = 0;
};

TEST_F(ListFile, LoadsTrimmedEntriesUpToTheCount) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"[DomainCount]\r\nN=4\r\n[Domains]\r\nD0=  b.example \r\nD1=\r\nD3=a.example\r\n",
       {"b.example", "a.example"}},
      {"[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=kept\r\nD1=stale\r\nD2=stale\r\n", {"kept"}},
      {"[Domains]\r\nD0=a\r\n", {}},
      {"[DomainCount]\r\nN=many\r\n[Domains]\r\nD0=a\r\n", {}},
      {"[DomainCount]\r\nN=40000\r\n[Domains]\r\nD0=a\r\n", {}},
      {"", {}},
  };
  for (const auto& [bytes, entries] : cases) EXPECT_EQ(Load(bytes), entries) << bytes;
  // The hourglass is shown while loading and taken away afterwards.
  EXPECT_FALSE(dialogs_.WaitCursor());
  EXPECT_EQ(dialogs_.WaitCursorChanges(), 12);
}

TEST_F(ListFile, SurvivesBinaryJunkAndHugeLines) {
  std::string junk(3 * 1024 * 1024, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 131 % 251);
  std::string bytes = "[DomainCount]\nN=2\n" + std::string(10 * 1024 * 1024, 'x') + "\n" + junk +
                      "\n[Domains]\nD0=first\nD1=sec\0ond\n"s;
  EXPECT_EQ(Load(bytes), (std::vector<std::string>{"first", "sec"}));
}

TEST_F(ListFile, SavesEveryItemAndLeavesHigherKeys) {
  dir_.Write("list.ini", "[DomainCount]\r\nN=3\r\n[Domains]\r\nD0=x\r\nD1=y\r\nD2=z\r\n");
  ListBox list;
  list.AddItem("one.example");
  list.AddItem("two.example");
  ASSERT_TRUE(SaveListToIni(list, "DomainCount", "Domains", dir_.File("list.ini"), profiles_));
  EXPECT_EQ(dir_.Read("list.ini"),
            "[DomainCount]\r\nN=2\r\n[Domains]\r\nD0=one.example\r\nD1=two.example\r\nD2=z\r\n");
  EXPECT_EQ(list.ListIndex(), 1);  // the last item written stays selected
}

TEST_F(ListFile, RoundTripsTheShippedDefaultList) {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/blocklist-sample.txt");
  ListBox list;
  for (std::string line; std::getline(in, line);)
    if (!Trim(line).empty()) list.AddItem(Trim(line));
  ASSERT_GT(list.Count(), 100);
  SaveListToIni(list, "DomainCount", "Domains", dir_.File("list.ini"), profiles_);
  ListBox back;
  ProfileStore fresh;
  LoadListFromIni(back, "DomainCount", "Domains", dir_.File("list.ini"), fresh, dialogs_);
  EXPECT_EQ(back.Items(), list.Items());
}

TEST(TextFiles, WriteAddsOneLineEndAndCopyReplacesWhole) {
  TempFolder dir;
  ASSERT_TRUE(WriteTextFile(dir.File("a"), "line"));
  EXPECT_EQ(dir.Read("a"), "line\r\n");
  EXPECT_EQ(ReadTextFile(dir.File("a")), "line\r\n");
  EXPECT_EQ(ReadTextFile(dir.File("missing")), "");
  dir.Write("b", "a much longer earlier content");
  ASSERT_TRUE(CopyFileOK(dir.File("a"), dir.File("b")));
  EXPECT_EQ(dir.Read("b"), "line\r\n");
  EXPECT_FALSE(CopyFileOK(dir.File("missing"), dir.File("c")));
  EXPECT_FALSE(dir.Exists("c"));
  EXPECT_FALSE(FileExists(dir.Path()));  // a folder is not a file
  EXPECT_FALSE(WriteTextFile(dir.File("no/folder"), "x"));
}

}  // namespace
}  // namespace quorlen
