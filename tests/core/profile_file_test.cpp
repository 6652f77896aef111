#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlen {
namespace {

using namespace std::string_literals;

constexpr size_t kBuffer = 250;

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  const char* defaultValue;
  size_t buffer;
  std::string expected;
};

const std::string kSpaced = "[Settings]\r\n  MyKey  =  some value  \r\n";
const std::string kQuotes =
    "[Q]\r\na=\"quoted\"\r\nb='single'\r\nc=\"half\r\nd=\"\"\r\ne= \" spaced \" \r\nf='mixed\"\r\n";
const std::string kDuplicates = "[S]\r\nk=first\r\n[s]\r\nk=second\r\nj=x\r\n[S]\r\nk=third\r\n";

TEST(ProfileRead, ReturnsWhatWindowsReturns) {
  const ReadCase cases[] = {
      {"LowerCaseSection", kSpaced, "settings", "MyKey", "", kBuffer, "some value"},
      {"PaddedSection", kSpaced, " Settings ", "MYKEY", "", kBuffer, "some value"},
      {"PaddedKey", kSpaced, "Settings", "MyKey ", "", kBuffer, "some value"},
      {"TabsAroundValue", "[S]\r\nk=\t v \t\r\n", "S", "k", "", kBuffer, "v"},
      {"DoubleQuotes", kQuotes, "Q", "a", "", kBuffer, "quoted"},
      {"SingleQuotes", kQuotes, "Q", "b", "", kBuffer, "single"},
      {"UnmatchedQuote", kQuotes, "Q", "c", "", kBuffer, "\"half"},
      {"EmptyQuotes", kQuotes, "Q", "d", "dflt", kBuffer, ""},
      {"QuotesKeepInnerBlanks", kQuotes, "Q", "e", "", kBuffer, " spaced "},
      {"MixedQuotesStay", kQuotes, "Q", "f", "", kBuffer, "'mixed\""},
      {"EmptyValueIsNotMissing", "[S]\r\nempty=\r\n", "S", "empty", "dflt", kBuffer, ""},
      {"MissingKeyTrimsDefaultEnd", "[S]\r\n", "S", "nokey", "dflt  ", kBuffer, "dflt"},
      {"MissingSectionKeepsDefaultStart", "", "S", "k", "  dflt", kBuffer, "  dflt"},
      {"BufferOfEleven", "[S]\r\nk=0123456789\r\n", "S", "k", "", 11, "0123456789"},
      {"BufferOfTen", "[S]\r\nk=0123456789\r\n", "S", "k", "", 10, "012345678"},
      {"BufferOfOne", "[S]\r\nk=0123456789\r\n", "S", "k", "", 1, ""},
      {"DefaultCutToo", "", "S", "k", "0123456789", 5, "0123"},
      {"FirstKeyWins", kDuplicates, "S", "k", "", kBuffer, "first"},
      {"OnlyFirstSectionSearched", kDuplicates, "S", "j", "none", kBuffer, "none"},
      {"LineWithoutEquals", "[S]\r\nnoequals\r\n", "S", "noequals", "d", kBuffer, "d"},
      {"CommentLine", "[S]\r\n;k=1\r\n", "S", ";k", "d", kBuffer, "d"},
      {"KeysBeforeFirstSection", "k=1\r\n[S]\r\n", "", "k", "d", kBuffer, "d"},
      {"SpacedHeader", "[ Spaced ]\r\nk=1\r\n", "Spaced", "k", "", kBuffer, "1"},
      {"JunkAfterHeader", "[Trail] junk\r\nk=1\r\n", "Trail", "k", "", kBuffer, "1"},
      {"OpenHeaderIsNoSection", "[S]\r\n[Open\r\nk=1\r\n", "S", "k", "d", kBuffer, "d"},
      {"LfOnly", "[S]\nk=1\nj=2", "S", "j", "", kBuffer, "2"},
      {"LastLineWithoutEnd", "[S]\r\nk=last", "S", "k", "", kBuffer, "last"},
      {"SingleByteTextKept", "[S]\r\nk=caf\xE9\r\n", "S", "k", "", kBuffer, "caf\xE9"},
      {"NulEndsValue", "[S]\r\nb=x\0y\r\nc=z\r\n"s, "S", "b", "", kBuffer, "x"},
      {"LineAfterNulReadNormally", "[S]\r\nb=x\0y\r\nc=z\r\n"s, "S", "c", "", kBuffer, "z"},
      {"ByteOrderMarkSkipped", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "", kBuffer, "1"},
      {"HugeLineDoesNotDisturb", "[S]\r\n" + std::string(40000, 'x') + "\r\nk=after\r\n", "S", "k",
       "", kBuffer, "after"}};
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    ProfileFile file(c.file);
    EXPECT_EQ(file.GetString(c.section, c.key, c.defaultValue, c.buffer), c.expected);
    // The single pass over the text that large lists are read with answers the same.
    EXPECT_EQ(ScanProfileString(c.file, c.section, c.key, c.defaultValue, c.buffer), c.expected)
        << "read in a single pass";
  }
}

TEST(ProfileEnumeration, ListsNamesInFileOrder) {
  ProfileFile file("[One]\r\na=1\r\nB=2\r\n[Two]\r\n");
  EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(file.KeyNames("one"), (std::vector<std::string>{"a", "B"}));
  EXPECT_TRUE(file.KeyNames("missing").empty());
}

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;  // nullptr deletes the key
  std::string after;
};

TEST(ProfileWrite, EditsTheTextInPlace) {
  const WriteCase cases[] = {
      {"ReplaceKeepsPlaceAndSpelling", "[Settings]\r\nFirst=1\r\nmyKey = old\r\nLast=3\r\n",
       "settings", "MYKEY", "new", "[Settings]\r\nFirst=1\r\nmyKey=new\r\nLast=3\r\n"},
      {"NewKeyAfterLastKeyOfSection", "[A]\r\na=1\r\n\r\n; note\r\n[B]\r\nb=2\r\n", "A", "z", "9",
       "[A]\r\na=1\r\nz=9\r\n\r\n; note\r\n[B]\r\nb=2\r\n"},
      {"NewSectionAfterMissingLineEnd", "[A]\r\na=1", "B", "b", "new",
       "[A]\r\na=1\r\n[B]\r\nb=new\r\n"},
      {"NewKeyInEmptySection", "[A]\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
      {"EmptyFile", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"LfLinesKeptAsTheyAre", "[S]\nk=1\n# odd line\n", "S", "k", "2", "[S]\nk=2\n# odd line\n"},
      {"QuotesWrittenAsGiven", "[S]\r\n", "S", "q", "\"quoted\"", "[S]\r\nq=\"quoted\"\r\n"},
      {"DeleteKeyLine", "[S]\r\na=1\r\nb=2\r\n", "s", "A", nullptr, "[S]\r\nb=2\r\n"},
      {"DeleteMissingKeyChangesNothing", "[S]\r\na=1\r\n", "S", "x", nullptr, "[S]\r\na=1\r\n"},
      {"ReplaceOnlyFirstDuplicate", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "3",
       "[S]\r\nk=3\r\nk=2\r\n"},
      {"ByteOrderMarkSurvivesAnEdit", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "2",
       "\xEF\xBB\xBF[S]\r\nk=2\r\n"}};
  for (const WriteCase& c : cases) {
    ProfileFile file(c.before);
    if (c.value)
      file.SetValue(c.section, c.key, c.value);
    else
      file.DeleteKey(c.section, c.key);
    EXPECT_EQ(file.Serialize(), c.after) << c.name;
  }
}

TEST(ProfileWrite, DeleteSectionTakesHeaderAndKeys) {
  ProfileFile file("[A]\r\na=1\r\n[B]\r\nb=2\r\n[C]\r\nc=3\r\n");
  file.DeleteSection("b");
  EXPECT_EQ(file.Serialize(), "[A]\r\na=1\r\n[C]\r\nc=3\r\n");
  EXPECT_EQ(file.GetString("B", "b", "gone", kBuffer), "gone");
}

TEST(ProfileParse, BinaryJunkNeverBreaksTheKeysAround) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
  ProfileFile file("[S]\r\na=1\r\n" + junk + "\r\n[T]\r\nb=2\r\n");
  EXPECT_EQ(file.GetString("T", "b", "", kBuffer), "2");
  EXPECT_EQ(file.GetString("S", "a", "", kBuffer), "1");
  // Serializing gives back exactly what was read.
  EXPECT_EQ(file.Serialize(), "[S]\r\na=1\r\n" + junk + "\r\n[T]\r\nb=2\r\n");
}

}  // namespace
}  // namespace quorlen
