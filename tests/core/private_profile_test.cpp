#include "core/private_profile.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

TEST(ProfileStore, MissingFileGivesDefaultAndIsCreatedOnWrite) {
  TempFolder dir;
  ProfileStore store;
  const std::string path = dir.File("quorlen.ini");
  EXPECT_EQ(store.GetPrivateProfileString("Settings", "bDebug", "dflt", path), "dflt");
  EXPECT_FALSE(dir.Exists("quorlen.ini"));
  ASSERT_TRUE(store.WritePrivateProfileString("Settings", "k", std::string("v"), path));
  ASSERT_TRUE(store.WritePrivateProfileString("Settings", "j", std::string("2"), path));
  EXPECT_EQ(dir.Read("quorlen.ini"), "[Settings]\r\nk=v\r\nj=2\r\n");
  ASSERT_TRUE(store.WritePrivateProfileString("Settings", "k", std::nullopt, path));
  EXPECT_EQ(dir.Read("quorlen.ini"), "[Settings]\r\nj=2\r\n");
  EXPECT_FALSE(
      store.WritePrivateProfileString("S", "k", std::string("v"), dir.File("no/such.ini")));
}

TEST(ProfileStore, SeesAChangeMadeByAnotherProgram) {
  TempFolder dir;
  dir.Write("a.ini", "[S]\r\nk=1\r\n");
  ProfileStore store;
  ASSERT_EQ(store.GetPrivateProfileString("S", "k", "", dir.File("a.ini")), "1");
  // Another size, so the change shows even on file systems with coarse time stamps.
  dir.Write("a.ini", "[S]\r\nk=22\r\n");
  std::this_thread::sleep_for(ProfileStore::kRecheckInterval * 2);
  EXPECT_EQ(store.GetPrivateProfileString("S", "k", "", dir.File("a.ini")), "22");
}

TEST(ProfileStore, ApplyWritesEveryEditInOneFile) {
  TempFolder dir;
  dir.Write("list.ini", "; my list\r\n[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=old\r\nD7=stale\r\n");
  ProfileStore store;
  ProfileEdits edits;
  edits.Set("DomainCount", "N", "2");
  edits.Set("Domains", "D0", "a.example");
  edits.Set("Domains", "D1", "b.example");
  edits.Delete("Domains", "D7");
  ASSERT_TRUE(store.Apply(dir.File("list.ini"), edits));
  EXPECT_EQ(dir.Read("list.ini"),
            "; my list\r\n[DomainCount]\r\nN=2\r\n[Domains]\r\nD0=a.example\r\nD1=b.example\r\n");
  // The cache holds the written form: a second store reading the file agrees with it.
  ProfileStore other;
  EXPECT_EQ(other.GetPrivateProfileString("Domains", "D1", "", dir.File("list.ini")),
            store.GetPrivateProfileString("Domains", "D1", "", dir.File("list.ini")));
}

TEST(ProfileStore, ReadOnlyFolderFailsQuietlyAndKeepsTheFile) {
  if (testing_support::RunningAsRoot()) GTEST_SKIP() << "root writes through permissions";
  TempFolder dir;
  dir.Write("a.ini", "[S]\r\nk=1\r\n");
  std::filesystem::permissions(
      dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  ProfileStore store;
  EXPECT_FALSE(store.WritePrivateProfileString("S", "k", std::string("2"), dir.File("a.ini")));
  EXPECT_EQ(store.GetPrivateProfileString("S", "k", "", dir.File("a.ini")), "1");
}

}  // namespace
}  // namespace quorlen
