#include "platform/read_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

std::string RealList() {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/blocklist-full.txt", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The first read takes up to 16 KB, a larger file is read on: every size on either side of
// those steps comes back whole, up to a real 1 MB list; what cannot be read gives nothing.
TEST(ReadWholeFile, EverySizeComesBackWhole) {
  TempFolder folder;
  const std::string list = RealList();
  ASSERT_GT(list.size(), 1000000u);
  for (size_t size : {size_t{0}, size_t{1}, size_t{16383}, size_t{16384}, size_t{16385},
                      size_t{32768}, size_t{32769}, list.size()}) {
    const std::string bytes = list.substr(0, size);
    folder.Write("file", bytes);
    const std::optional<std::string> read = ReadWholeFile(folder.File("file"));
    ASSERT_TRUE(read.has_value()) << size;
    EXPECT_EQ(read->size(), size);
    EXPECT_TRUE(*read == bytes) << size;
  }
  EXPECT_FALSE(ReadWholeFile(folder.File("missing")).has_value());
  EXPECT_FALSE(ReadWholeFile(folder.Path()).has_value());  // a folder opens, but is no file
}

}  // namespace
}  // namespace quorlen
