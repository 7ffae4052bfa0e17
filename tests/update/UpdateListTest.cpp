// The update list's byte layout, against bytes built by hand, and its backward scan.
#include <gtest/gtest.h>

#include "core/update/UpdateList.h"

namespace wexfold {
namespace {

std::string Bytes(std::size_t size,
                  std::initializer_list<std::pair<std::size_t, std::string>> parts) {
    std::string bytes(size, '\0');
    for (const auto& [offset, part] : parts) bytes.replace(offset, part.size(), part);
    return bytes;
}

std::string Entry(const std::string& name, char time, char size) {
    return Bytes(80, {{0, name}, {64, {time}}, {72, {size}}});
}

std::string Header(char count, char stamp) {
    return Bytes(88, {{68, {count}}, {80, {stamp}}});
}

TEST(UpdateListTest, FieldsSitAtTheirOffsetsLittleEndian) {
    std::string entry = Bytes(80, {{0, "setup.exe"},
                                   {20, "z"},
                                   {64, "\x08\x07\x06\x05\x04\x03\x02\x01"},
                                   {72, "\x24\xFA\xFF\xFF"},
                                   {76, "\xAA\xAA\xAA\xAA"}});
    const UpdateListEntry decoded = DecodeEntry(entry);
    EXPECT_EQ(decoded.name, "setup.exe");  // what follows the NUL is not the name's
    EXPECT_EQ(decoded.releaseTime, 0x0102030405060708);
    EXPECT_EQ(decoded.size, -1500);
    entry[20] = '\0';
    entry.replace(76, 4, 4, '\0');  // bytes not interpreted are written as 0
    EXPECT_EQ(EncodeEntry(decoded), entry);

    const std::string header = Bytes(88, {{68, "\xFD"}, {80, "\x44\x33\x22\x11\x88\x77\x66\x55"}});
    EXPECT_EQ(DecodeHeader('x' + header.substr(1)).count, -3);
    EXPECT_EQ(DecodeHeader(header).stamp, 0x5566778811223344u);
    EXPECT_EQ(EncodeHeader(DecodeHeader(header)), header);
}

TEST(UpdateListTest, GroupsAreReadBackwardAndNeverPastTheirBytes) {
    const std::string list =
        Entry("b2", 2, 20) + Entry("b1", 1, 10) + Header(2, 7) + Entry("c1", 3, 30) + Header(1, 8);
    const auto groups = ParseUpdateList(list);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].stamp, 7u);
    EXPECT_EQ(groups[0].entries[0].name + groups[0].entries[1].name, "b1b2");
    EXPECT_EQ(WriteUpdateList(groups), list);

    // A count past the data keeps the whole entries; a negative one ends the scan.
    const auto cut = ParseUpdateList(std::string(40, 'j') + Entry("a", 1, 1) + Header(127, 1));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].entries.size(), 1u);
    const auto negative =
        ParseUpdateList(Header(1, 3) + Header(-1, 2) + Entry("new", 1, 1) + Header(1, 1));
    ASSERT_EQ(negative.size(), 1u);
    EXPECT_EQ(negative[0].entries.at(0).name, "new");
    EXPECT_TRUE(ParseUpdateList(std::string(87, '\x05')).empty());
}

}  // namespace
}  // namespace wexfold
