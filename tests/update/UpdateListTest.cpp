// The update list's byte layout, checked against bytes built by hand, and the backward scan.
#include <gtest/gtest.h>

#include <string>

#include "core/update/UpdateList.h"

namespace wexfold {
namespace {

void Put(std::string& bytes, std::size_t offset, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

std::string EntryBytes(const std::string& name, std::int64_t time, std::int32_t size) {
    std::string bytes(80, '\0');
    bytes.replace(0, name.size(), name);
    Put(bytes, 64, static_cast<std::uint64_t>(time), 8);
    Put(bytes, 72, static_cast<std::uint32_t>(size), 4);
    return bytes;
}

std::string HeaderBytes(int count, std::uint32_t low, std::uint32_t high) {
    std::string bytes(88, '\0');
    bytes[68] = static_cast<char>(count);
    Put(bytes, 80, low, 4);
    Put(bytes, 84, high, 4);
    return bytes;
}

TEST(UpdateListLayoutTest, EntryFieldsSitAtTheirOffsets) {
    EXPECT_EQ(UpdateListEntry::kSize, 80u);
    std::string bytes = EntryBytes("setup.exe", 0x0102030405060708, -1500);
    bytes.replace(76, 4, "\xAA\xAA\xAA\xAA");  // not interpreted
    bytes[20] = 'z';                           // after the NUL: not part of the name
    const UpdateListEntry entry = DecodeEntry(bytes);
    EXPECT_EQ(entry.name, "setup.exe");
    EXPECT_EQ(entry.releaseTime, 0x0102030405060708);
    EXPECT_EQ(entry.size, -1500);
    EXPECT_EQ(EncodeEntry(entry), EntryBytes("setup.exe", 0x0102030405060708, -1500));
}

TEST(UpdateListLayoutTest, HeaderCountAndStampSitAtTheirOffsets) {
    EXPECT_EQ(UpdateListHeader::kSize, 88u);
    std::string bytes = HeaderBytes(-3, 0x11223344, 0x55667788);
    bytes[0] = 'x';
    bytes[70] = 'y';
    const UpdateListHeader header = DecodeHeader(bytes);
    EXPECT_EQ(header.count, -3);
    EXPECT_EQ(header.stamp, 0x5566778811223344u);
    EXPECT_EQ(EncodeHeader(header), HeaderBytes(-3, 0x11223344, 0x55667788));
}

TEST(UpdateListLayoutTest, FullNameFieldKeepsAllBytesAndIsNotPlain) {
    const std::string full(64, 'n');
    const UpdateListEntry entry = DecodeEntry(full + std::string(16, '\0'));
    EXPECT_EQ(entry.name, full);
    EXPECT_FALSE(IsPlainFileName(entry.name));
    // Writing keeps the terminating NUL inside the field.
    EXPECT_EQ(DecodeEntry(EncodeEntry(entry)).name, std::string(63, 'n'));
}

TEST(UpdateListParseTest, GroupsOldestFirstWithEntriesNearestTheHeaderFirst) {
    const std::string bytes = EntryBytes("b2", 2, 20) + EntryBytes("b1", 1, 10) +
                              HeaderBytes(2, 7, 0) + EntryBytes("c1", 3, 30) + HeaderBytes(1, 8, 9);
    const auto groups = ParseUpdateList(bytes);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].stamp, 7u);
    ASSERT_EQ(groups[0].entries.size(), 2u);
    EXPECT_EQ(groups[0].entries[0].name, "b1");
    EXPECT_EQ(groups[0].entries[1].name, "b2");
    EXPECT_EQ(groups[1].stamp, (9ull << 32) | 8);
    EXPECT_EQ(groups[1].entries[0].size, 30);
    EXPECT_EQ(WriteUpdateList(groups), bytes);
}

TEST(UpdateListParseTest, DamagedListsNeverReadPastTheirBytes) {
    // A count larger than the entries present keeps those that are whole.
    const std::string shortGroup =
        std::string(40, 'j') + EntryBytes("a", 1, 1) + HeaderBytes(127, 1, 0);
    auto groups = ParseUpdateList(shortGroup);
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].entries.size(), 1u);
    EXPECT_EQ(groups[0].entries[0].name, "a");

    // A negative count ends the scan: older groups behind it are not trusted.
    const std::string negative = HeaderBytes(1, 3, 0) + HeaderBytes(-1, 2, 0) +
                                 EntryBytes("new", 1, 1) + HeaderBytes(1, 1, 0);
    groups = ParseUpdateList(negative);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].entries[0].name, "new");

    EXPECT_TRUE(ParseUpdateList(std::string(87, '\x05')).empty());
    EXPECT_TRUE(ParseUpdateList("").empty());
}

TEST(UpdateListParseTest, WritingCutsAGroupTo127Entries) {
    UpdateGroup group;
    for (int i = 0; i < 130; ++i) group.entries.push_back({"f" + std::to_string(i), i, i});
    const std::string bytes = WriteUpdateList({group});
    EXPECT_EQ(bytes.size(), 127u * 80 + 88);
    const auto groups = ParseUpdateList(bytes);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].entries.size(), 127u);
    EXPECT_EQ(groups[0].entries.back().name, "f126");
}

TEST(UpdateListNameTest, OnlyPlainNamesArePlain) {
    for (const char* name : {"setup.exe", "a", "..hidden", "name with space.zip", "ä.bin"}) {
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    }
    for (const std::string& name :
         {std::string(), std::string("."), std::string(".."), std::string("a/b"),
          std::string("/etc"), std::string("..\\x"), std::string("a\0b", 3),
          std::string("tab\there"), std::string(64, 'x')}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    EXPECT_TRUE(IsPlainFileName(std::string(63, 'x')));
}

}  // namespace
}  // namespace wexfold
