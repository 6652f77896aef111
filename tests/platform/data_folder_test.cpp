#include "platform/linux/data_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

TEST(DataFolder, ProgramFolderWhenWritableElseTheUsersFolderSeededFromTheDefaults) {
  struct Row {
    const char* name;
    bool programHoldsData;   // a staged build folder rather than /usr/bin
    bool userFolderBlocked;  // a file stands where the user's folder would be
    bool noUserHome;
    bool chosenIsProgram;
    std::string seededFrom;  // "program", "installed" or "" (nothing copied)
  };
  const std::vector<Row> rows = {
      {"a staged, writable build folder", true, false, false, true, ""},
      {"an installed program", false, false, false, false, "installed"},
      {"an installed program without a home", false, false, true, true, ""},
      {"an installed program whose data folder cannot be made", false, true, false, true, ""},
  };
  for (const Row& row : rows) {
    TempFolder dir;
    std::filesystem::create_directories(dir.File("program"));
    std::filesystem::create_directories(dir.File("share/quorlen"));
    std::filesystem::create_directories(dir.File("home"));
    dir.Write("program/quorlen", "ELF");
    ::chmod(dir.File("program/quorlen").c_str(), 0755);
    if (row.programHoldsData) dir.Write("program/1by1.jpg", "program image");
    dir.Write("share/quorlen/1by1.jpg", "installed image");
    dir.Write("share/quorlen/quorlenhosts.ini", "[DomainCount]\r\nN=1\r\n");
    if (row.userFolderBlocked) dir.Write("home/quorlen", "in the way");

    DataFolderPlaces places{dir.File("program"), dir.File("share/quorlen"),
                            row.noUserHome ? "" : dir.File("home")};
    const std::string chosen = ChooseDataFolder(places);
    EXPECT_EQ(chosen, row.chosenIsProgram ? dir.File("program") : dir.File("home/quorlen"))
        << row.name;
    if (row.seededFrom == "installed") {
      EXPECT_EQ(dir.Read("home/quorlen/1by1.jpg"), "installed image") << row.name;
      EXPECT_EQ(dir.Read("home/quorlen/quorlenhosts.ini"), "[DomainCount]\r\nN=1\r\n") << row.name;
    }
    EXPECT_FALSE(dir.Exists("program/quorlen.ini")) << row.name;
  }
}

TEST(DataFolder, SeedingKeepsTheUsersFilesAndSkipsPrograms) {
  TempFolder dir;
  std::filesystem::create_directories(dir.File("program"));
  std::filesystem::create_directories(dir.File("home/quorlen"));
  // A staged folder the user cannot write: it is itself the defaults.
  dir.Write("program/1by1.jpg", "image");
  dir.Write("program/qltitles.ini", "shipped titles");
  dir.Write("program/quorlenhosts.ini", "shipped list");
  dir.Write("program/quorlen", "ELF");
  ::chmod(dir.File("program/quorlen").c_str(), 0755);
  dir.Write("home/quorlen/quorlenhosts.ini", "the user's downloaded list");
  ::chmod(dir.File("program/qltitles.ini").c_str(), 0444);

  if (testing_support::RunningAsRoot()) {
    // Root writes anywhere; a folder without the shipped data stands for one it may not.
    std::filesystem::remove(dir.File("program/1by1.jpg"));
    std::filesystem::create_directories(dir.File("share"));
    dir.Write("share/1by1.jpg", "image");
    dir.Write("share/qltitles.ini", "shipped titles");
    ::chmod(dir.File("share/qltitles.ini").c_str(), 0444);
    dir.Write("share/quorlen", "ELF");
    ::chmod(dir.File("share/quorlen").c_str(), 0755);
    EXPECT_EQ(ChooseDataFolder({dir.File("program"), dir.File("share"), dir.File("home")}),
              dir.File("home/quorlen"));
  } else {
    ::chmod(dir.File("program").c_str(), 0555);
    EXPECT_EQ(ChooseDataFolder({dir.File("program"), "/nonexistent", dir.File("home")}),
              dir.File("home/quorlen"));
  }
  EXPECT_EQ(dir.Read("home/quorlen/1by1.jpg"), "image");
  EXPECT_EQ(dir.Read("home/quorlen/qltitles.ini"), "shipped titles");
  EXPECT_EQ(dir.Read("home/quorlen/quorlenhosts.ini"), "the user's downloaded list");
  EXPECT_FALSE(dir.Exists("home/quorlen/quorlen")) << "the executable is no data file";
  // A read-only shipped file becomes the user's to change.
  struct stat seeded {};
  ::stat(dir.File("home/quorlen/qltitles.ini").c_str(), &seeded);
  EXPECT_TRUE(seeded.st_mode & S_IWUSR);
}

}  // namespace
}  // namespace quorlen
