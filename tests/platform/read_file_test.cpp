#include "platform/read_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

// Files beyond the first 16 KB read come back whole in the list file tests (tests/core).
TEST(ReadWholeFile, AnEmptyFileIsReadAndWhatCannotBeReadGivesNothing) {
  TempFolder folder;
  folder.Write("empty", "");
  EXPECT_EQ(ReadWholeFile(folder.File("empty")), std::optional<std::string>(""));
  EXPECT_FALSE(ReadWholeFile(folder.File("missing")).has_value());
  EXPECT_FALSE(ReadWholeFile(folder.Path()).has_value());  // a folder opens, but is no file
}

}  // namespace
}  // namespace quorlen
