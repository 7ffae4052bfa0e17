// The update list ("update.txt"): binary, little-endian, a sequence of groups, oldest first.
// Each group is its entries followed by its header, so the file ends with the newest header;
// reading backward from a header, the entry nearest to it comes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wexfold {

// One published file, 80 bytes: name (64, NUL-terminated), release time (i64 seconds since
// 1970 UTC), size (i32 bytes), 4 bytes not interpreted.
struct UpdateListEntry {
    static constexpr std::size_t kSize = 80;
    static constexpr std::size_t kNameSize = 64;
    static constexpr std::size_t kTimeOffset = 64;
    static constexpr std::size_t kSizeOffset = 72;

    std::string name;  // a name that filled all 64 bytes without a NUL keeps all 64
    std::int64_t releaseTime = 0;
    std::int32_t size = 0;
};

// The end of a group, 88 bytes: 68 not interpreted, the signed 8-bit entry count, 11 not
// interpreted, the release stamp (two 32-bit words, compared for equality only).
struct UpdateListHeader {
    static constexpr std::size_t kSize = 88;
    static constexpr std::size_t kCountOffset = 68;
    static constexpr std::size_t kStampOffset = 80;

    std::int8_t count = 0;
    std::uint64_t stamp = 0;  // the two words as one little-endian 64-bit value
};

// A group as a whole; entries in list order (the one nearest the header first).
struct UpdateGroup {
    std::vector<UpdateListEntry> entries;
    std::uint64_t stamp = 0;
};

// The byte forms; bytes not interpreted are written as 0. Decode reads exactly kSize bytes.
std::string EncodeEntry(const UpdateListEntry& entry);
UpdateListEntry DecodeEntry(std::string_view bytes);
std::string EncodeHeader(const UpdateListHeader& header);
UpdateListHeader DecodeHeader(std::string_view bytes);

// Walks a list backward from its end, never reading outside data.
class UpdateListScanner {
  public:
    explicit UpdateListScanner(std::string_view data) : data_(data) {}

    // Reads the next older header. False when no whole header is left, or when its count is
    // negative (the list is damaged from there on).
    bool NextHeader(UpdateListHeader& header);
    // Reads the next entry of the current group; false when no whole entry is left before it
    // (the entry is skipped).
    bool NextEntry(UpdateListEntry& entry);

  private:
    std::string_view data_;
    std::size_t consumed_ = 0;
};

// Every group of a list, oldest first. A group whose entries run past the start of the data
// keeps the entries that could be read.
std::vector<UpdateGroup> ParseUpdateList(std::string_view data);

// The list bytes of groups given oldest first. An entry name is cut to 63 characters and a
// group to its first 127 entries.
std::string WriteUpdateList(const std::vector<UpdateGroup>& groups);

// True for a name the update folder may hold: 1 to 63 characters, not "." or "..", no '/',
// '\', NUL or other control character.
bool IsPlainFileName(std::string_view name);

}  // namespace wexfold
