#include "webserver/cyclic_buffer.h"

#include <gtest/gtest.h>

#include "core/controls.h"
#include "platform/fake/scripted_dialogs.h"
#include "webserver/recent_blocked.h"

namespace quorlen {
namespace {

struct Counts {
  int full = 0, empty = 0, onBuf = 0;
};

class RingBuffer : public testing::Test {
 protected:
  RingBuffer() {
    told_.push_back(buffer_.BufFull.Connect([this] { ++events_.full; }));
    told_.push_back(buffer_.BufEmpty.Connect([this] { ++events_.empty; }));
    told_.push_back(buffer_.OnBuf.Connect([this] { ++events_.onBuf; }));
  }
  void Fill(int from, int to) {
    for (int i = from; i <= to; ++i) buffer_.PutItem("item " + std::to_string(i));
  }
  std::vector<std::string> Items() {
    std::vector<Variant> items;
    buffer_.GetAllItems(items);
    std::vector<std::string> texts;
    for (size_t i = 1; i < items.size(); ++i) texts.push_back(items[i].ToString());
    return texts;
  }
  // Size, count, head and tail.
  static std::tuple<int, int, int, int> State(cCyclicBuffer& buffer) {
    std::int16_t s, c, h, t;
    buffer.GetInternalProperties(s, c, h, t);
    return {s, c, h, t};
  }

  ScriptedDialogs dialogs_;
  cCyclicBuffer buffer_{&dialogs_};
  Counts events_;
  std::vector<Connection> told_;
};

// A set buffer is listed newest first, the fifty newest when it overwrites: the recently
// blocked window's tests.
TEST(RecentBlocked, ListingAnUnsetBufferCreatesOne) {
  ListBox list;
  list.AddItem("stale");
  std::unique_ptr<cCyclicBuffer> unset;
  ListRecentBlocked(list, unset);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_NE(unset, nullptr);
}

TEST_F(RingBuffer, WithoutOverwriteTheNewItemIsDropped) {
  buffer_.Create(50);
  Fill(1, 50);
  events_ = {};
  buffer_.PutItem("item 51");
  EXPECT_EQ(events_.full, 1);
  EXPECT_EQ(events_.onBuf, 0);  // a dropped item raises nothing else
  EXPECT_EQ(std::tuple(Items().front(), Items().back()), std::tuple("item 1", "item 50"));
}

TEST_F(RingBuffer, GetItemTakesTheOldestAndAnEmptyBufferGivesEmpty) {
  buffer_.Create(3);
  EXPECT_TRUE(buffer_.GetItem().IsEmpty());
  EXPECT_EQ(events_.empty, 1);
  EXPECT_EQ(State(buffer_), std::tuple(3, 0, 1, 1));
  Fill(1, 2);
  EXPECT_EQ(buffer_.GetItem().ToString(), "item 1");
  EXPECT_EQ(State(buffer_), std::tuple(3, 1, 3, 2));
  EXPECT_EQ(events_.onBuf, 2);  // threshold 1: every stored item
}

TEST_F(RingBuffer, ClearLeavesOldValuesInTheirSlots) {
  buffer_.Create(50);
  Fill(1, 10);
  buffer_.ClearBuffer();
  EXPECT_TRUE(buffer_.IsEmpty());
  auto items = Items();
  EXPECT_EQ(items.size(), 50u);
  EXPECT_TRUE(std::all_of(items.begin(), items.end(), [](auto& t) { return t.empty(); }));
  // The next item goes to slot 1 again, over the old value.
  buffer_.PutItem("new");
  EXPECT_EQ(Items().front(), "new");
}

TEST_F(RingBuffer, CopySkipsEmptyItemsAndKeepsTheSettings) {
  buffer_.Create(5);
  buffer_.setIThreshold(3);
  buffer_.PutItem("a");
  buffer_.PutItem("");
  buffer_.PutItem(0.0);
  buffer_.PutItem(2.5);
  cCyclicBuffer copy;
  copy.Copy(buffer_);
  EXPECT_EQ(State(copy), std::tuple(5, 2, 3, 1));
  EXPECT_EQ(copy.iThreshold(), 3);
  EXPECT_EQ(copy.GetItem().ToString(), "a");
  EXPECT_EQ(copy.GetItem().ToString(), "2.5");
}

TEST_F(RingBuffer, InvalidSizeIsRefusedAndChangesNothing) {
  buffer_.Create(1);
  ASSERT_EQ(dialogs_.Boxes().size(), 1u);
  const auto& box = dialogs_.Boxes()[0];
  EXPECT_EQ(std::tuple(box.text, box.title, box.style),
            std::tuple("Unable to create. Invalid buffer size.", "Error", msgbox::kExclamation));
  // Never created: full and empty at once, and nothing is stored.
  EXPECT_TRUE(buffer_.IsFull());
  EXPECT_TRUE(buffer_.IsEmpty());
  buffer_.setBOverwriteOnFull(true);
  buffer_.PutItem("x");
  EXPECT_EQ(State(buffer_), std::tuple(0, 0, 0, 0));
  buffer_.Create(4);
  Fill(1, 2);
  buffer_.Create(0);
  EXPECT_EQ(State(buffer_), std::tuple(4, 2, 3, 1));  // a refused size keeps the earlier buffer
}

// The records' own texts are read in the popup and title blocking tests.
TEST(Records, StampOnA24HourClock) { EXPECT_EQ(TimeStamp({2026, 1, 1, 23, 59, 0}), "23:59:00"); }

}  // namespace
}  // namespace quorlen
