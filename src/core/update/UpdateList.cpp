#include "core/update/UpdateList.h"

#include <algorithm>
#include <cstring>

namespace wexfold {
namespace {

void PutLittle(std::string& out, std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint64_t GetLittle(std::string_view in, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    }
    return value;
}

constexpr std::size_t kMaxEntries = 127;

}  // namespace

std::string EncodeEntry(const UpdateListEntry& entry) {
    std::string out(UpdateListEntry::kSize, '\0');
    const std::size_t length = std::min(entry.name.size(), UpdateListEntry::kNameSize - 1);
    std::memcpy(out.data(), entry.name.data(), length);
    PutLittle(out, UpdateListEntry::kTimeOffset, static_cast<std::uint64_t>(entry.releaseTime), 8);
    PutLittle(out, UpdateListEntry::kSizeOffset, static_cast<std::uint32_t>(entry.size), 4);
    return out;
}

UpdateListEntry DecodeEntry(std::string_view bytes) {
    UpdateListEntry entry;
    const std::string_view field = bytes.substr(0, UpdateListEntry::kNameSize);
    entry.name = std::string(field.substr(0, std::min(field.find('\0'), field.size())));
    entry.releaseTime =
        static_cast<std::int64_t>(GetLittle(bytes, UpdateListEntry::kTimeOffset, 8));
    entry.size = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(GetLittle(bytes, UpdateListEntry::kSizeOffset, 4)));
    return entry;
}

std::string EncodeHeader(const UpdateListHeader& header) {
    std::string out(UpdateListHeader::kSize, '\0');
    out[UpdateListHeader::kCountOffset] = static_cast<char>(header.count);
    PutLittle(out, UpdateListHeader::kStampOffset, header.stamp, 8);
    return out;
}

UpdateListHeader DecodeHeader(std::string_view bytes) {
    UpdateListHeader header;
    header.count = static_cast<std::int8_t>(bytes[UpdateListHeader::kCountOffset]);
    header.stamp = GetLittle(bytes, UpdateListHeader::kStampOffset, 8);
    return header;
}

bool UpdateListScanner::NextHeader(UpdateListHeader& header) {
    if (data_.size() - consumed_ < UpdateListHeader::kSize) return false;
    consumed_ += UpdateListHeader::kSize;
    header = DecodeHeader(data_.substr(data_.size() - consumed_, UpdateListHeader::kSize));
    return header.count >= 0;
}

bool UpdateListScanner::NextEntry(UpdateListEntry& entry) {
    if (data_.size() - consumed_ < UpdateListEntry::kSize) return false;
    consumed_ += UpdateListEntry::kSize;
    entry = DecodeEntry(data_.substr(data_.size() - consumed_, UpdateListEntry::kSize));
    return true;
}

std::vector<UpdateGroup> ParseUpdateList(std::string_view data) {
    std::vector<UpdateGroup> groups;
    UpdateListScanner scanner(data);
    UpdateListHeader header;
    while (scanner.NextHeader(header)) {
        UpdateGroup group;
        group.stamp = header.stamp;
        UpdateListEntry entry;
        for (int i = 0; i < header.count; ++i) {
            if (scanner.NextEntry(entry)) group.entries.push_back(std::move(entry));
        }
        groups.push_back(std::move(group));
    }
    std::reverse(groups.begin(), groups.end());
    return groups;
}

std::string WriteUpdateList(const std::vector<UpdateGroup>& groups) {
    std::string out;
    for (const UpdateGroup& group : groups) {
        const std::size_t count = std::min(group.entries.size(), kMaxEntries);
        // The first entry stands next to the header, so they are written last to first.
        for (std::size_t i = count; i-- > 0;) out += EncodeEntry(group.entries[i]);
        out += EncodeHeader({static_cast<std::int8_t>(count), group.stamp});
    }
    return out;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() >= UpdateListEntry::kNameSize) return false;
    if (name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
    });
}

}  // namespace wexfold
