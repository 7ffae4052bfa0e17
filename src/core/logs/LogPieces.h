// A stored log file read as a 256-byte line buffer reads it: in pieces that end after a line
// feed or after 255 characters, with text mode decoded (CR LF is read as LF). Pieces are cut
// from the stored bytes without decoding them first: a piece's stored bytes are its text, with
// CR LF where the text ends in its LF, so the first characters, and so the line's class, are
// the same in both. Files are read in chunks of bounded size from any offset at which a piece
// begins, so neither a huge file nor a huge line is ever held in memory whole.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wexfold {

inline constexpr std::size_t kPieceMax = 255;

// The decoded text of a stored piece, appended to out.
inline void AppendPieceText(std::string& out, std::string_view stored) {
    const std::size_t size = stored.size();
    if (size >= 2 && stored[size - 1] == '\n' && stored[size - 2] == '\r') {
        out.append(stored.data(), size - 2).push_back('\n');
    } else {
        out.append(stored);
    }
}

// Cuts the stored bytes into pieces and hands each to piece, which returns false to stop.
// Returns how many bytes were used up. Unless atEnd, what is left (fewer than 256 bytes
// without a line feed) is the start of a piece that the bytes after it finish; with atEnd it
// is the last piece.
template <typename Piece>
std::size_t CutPieces(const char* bytes, std::size_t size, bool atEnd, Piece&& piece) {
    std::size_t at = 0;
    while (at < size) {
        const void* feed = std::memchr(bytes + at, '\n', size - at);
        if (feed != nullptr) {
            const std::size_t stop = static_cast<const char*>(feed) - bytes + 1;
            // Characters of the line: its stored bytes, less the CR of a final CR LF. While
            // more than a piece's worth are left, the next 255 bytes are 255 characters.
            std::size_t characters = stop - at - (stop - at >= 2 && bytes[stop - 2] == '\r');
            for (; characters > kPieceMax; characters -= kPieceMax, at += kPieceMax) {
                if (!piece(std::string_view(bytes + at, kPieceMax))) return at + kPieceMax;
            }
            const std::size_t start = at;
            at = stop;
            if (!piece(std::string_view(bytes + start, stop - start))) return at;
            continue;
        }
        // No line feed in what is left: a byte follows each full piece cut here, so its last
        // byte cannot be the CR of a CR LF.
        for (; size - at > kPieceMax; at += kPieceMax) {
            if (!piece(std::string_view(bytes + at, kPieceMax))) return at + kPieceMax;
        }
        if (atEnd) {
            piece(std::string_view(bytes + at, size - at));
            at = size;
        }
        break;
    }
    return at;
}

// A day's log as a report reads it: a file, or stored bytes held in memory.
struct LogFile {
    std::filesystem::path path;
    std::shared_ptr<const std::string> bytes;  // when set, read instead of the path
    std::uint64_t size = 0;                    // how many bytes the first reading found
};

// Reads the stored bytes [from, until) of the log (a read error or the file's end ends it
// early) and hands each piece to piece(stored, end), end being the offset just behind it,
// until piece returns false. progress (when given) is called after each chunk. Returns the
// offset at which reading ended. from must be an offset at which a piece begins.
class LogPieceReader {
  public:
    LogPieceReader() = default;
    ~LogPieceReader() { Close(); }
    LogPieceReader(const LogPieceReader&) = delete;
    LogPieceReader& operator=(const LogPieceReader&) = delete;

    template <typename Piece>
    std::uint64_t Read(const LogFile& log, std::uint64_t from, std::uint64_t until, Piece&& piece,
                       const std::function<void()>& progress = {});

  private:
    // Opens the file at from; false when it cannot be opened.
    bool Open(const std::filesystem::path& path, std::uint64_t from);
    // Reads at most size bytes into buffer; 0 at the end or on an error.
    std::size_t Fill(char* buffer, std::size_t size);
    void Close();

    static constexpr std::size_t kFirstChunk = 16 * 1024;
    static constexpr std::size_t kChunk = 256 * 1024;
    int fd_ = -1;
    std::vector<char> chunk_;
};

template <typename Piece>
std::uint64_t LogPieceReader::Read(const LogFile& log, std::uint64_t from, std::uint64_t until,
                                   Piece&& piece, const std::function<void()>& progress) {
    if (log.bytes) {
        const std::uint64_t end = std::min<std::uint64_t>(until, log.bytes->size());
        if (from >= end) return from;
        const char* start = log.bytes->data() + from;
        return from + CutPieces(start, end - from, true, [&](std::string_view stored) {
                   return piece(stored, from + (stored.data() + stored.size() - start));
               });
    }
    if (!Open(log.path, from)) return from;
    std::uint64_t offset = from;  // of chunk_[0]
    std::size_t held = 0;         // bytes at the chunk's start that wait for more
    bool stopped = false;
    // Chunks grow from a page's worth, so reading one page costs little and a whole file few
    // calls.
    for (std::size_t chunk = kFirstChunk;; chunk = std::min(chunk * 2, kChunk)) {
        if (chunk_.size() < chunk + kPieceMax + 1) chunk_.resize(chunk + kPieceMax + 1);
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(chunk, until - std::min(until, offset + held)));
        const std::size_t got = wanted == 0 ? 0 : Fill(chunk_.data() + held, wanted);
        const std::size_t size = held + got;
        const std::size_t used = CutPieces(chunk_.data(), size, got == 0, [&](std::string_view s) {
            stopped = !piece(s, offset + (s.data() + s.size() - chunk_.data()));
            return !stopped;
        });
        offset += used;
        held = size - used;
        if (stopped || got == 0) break;
        std::memmove(chunk_.data(), chunk_.data() + used, held);
        if (progress) progress();
    }
    Close();
    return offset;
}

}  // namespace wexfold
