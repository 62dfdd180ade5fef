// The fixed-capacity buffer behind string and binary fields.
#include <gtest/gtest.h>

#include "settings/value_buffer.h"

namespace veltra::testing {
namespace {

using settings::ValueBuffer;

TEST(ValueBufferTest, ATextIsCutAtTheCapacityWithoutATerminator) {
    ValueBuffer buffer(4);
    buffer.SetText("abcdef");
    EXPECT_EQ(buffer.Text(), "abcd");
    buffer.SetText("ab");
    EXPECT_EQ(buffer.Text(), "ab");
    EXPECT_EQ(buffer.bytes()[2], 0);
    EXPECT_EQ(buffer.bytes()[3], 0);
}

TEST(ValueBufferTest, AReadOverwritesItsBytesAndLeavesTheRest) {
    ValueBuffer buffer(8);
    buffer.SetText("abcdefg");
    const std::uint8_t read[] = {'x', 'y'};  // no terminator, as binary data arrives
    buffer.StoreRead(read);
    EXPECT_EQ(buffer.size(), 2u);
    EXPECT_EQ(buffer.Text(), "xycdefg");
    EXPECT_EQ(buffer.Data().size(), 2u);
}

TEST(ValueBufferTest, TheSnapshotCopyOfATextStopsAtTheSizeAndTheFirstZero) {
    ValueBuffer field(8);
    field.SetText("abcdefg");
    field.set_size(3);
    ValueBuffer snapshot(8);
    snapshot.SetText("zzzzzzz");
    snapshot.CopyTextFrom(field);
    EXPECT_EQ(snapshot.Text(), "abc");
    field.set_size(8);
    field.bytes()[1] = 0;
    snapshot.CopyTextFrom(field);
    EXPECT_EQ(snapshot.Text(), "a");
}

TEST(ValueBufferTest, TheSnapshotCopyOfBinaryTakesTheBytesAndTheLength) {
    ValueBuffer field(8);
    ASSERT_TRUE(field.SetBytes(std::vector<std::uint8_t>{0, 1, 0}));
    ValueBuffer snapshot(8);
    snapshot.CopyBytesFrom(field);
    EXPECT_EQ(snapshot.size(), 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(snapshot.Data().begin(), snapshot.Data().end()),
              (std::vector<std::uint8_t>{0, 1, 0}));
    EXPECT_FALSE(field.SetBytes(std::vector<std::uint8_t>(9, 1)));
    EXPECT_EQ(field.size(), 3u);
}

}  // namespace
}  // namespace veltra::testing
