#include "core/logs/LogPieces.h"

#include <cstring>

namespace wexfold {
namespace {

constexpr std::size_t kPieceMax = 255;
constexpr std::size_t kChunk = 256 * 1024;

// CR LF to LF in place, as DecodeTextMode does; a CR that ends the buffer is kept. Returns the
// new size.
std::size_t DecodeInPlace(char* bytes, std::size_t size) {
    std::size_t kept = 0;
    std::size_t at = 0;
    while (at < size) {
        const void* found = std::memchr(bytes + at, '\r', size - at);
        const std::size_t cr = found ? static_cast<const char*>(found) - bytes : size;
        std::memmove(bytes + kept, bytes + at, cr - at);
        kept += cr - at;
        at = cr;
        if (at == size) break;
        if (at + 1 == size || bytes[at + 1] != '\n') bytes[kept++] = '\r';
        ++at;
    }
    return kept;
}

// The length of the piece that starts text, looking at no more than its first limit bytes: up to
// and with a line feed, or limit; 0 when text ends before either.
std::size_t PieceLength(std::string_view text, std::size_t limit) {
    const std::size_t seen = std::min(text.size(), limit);
    const void* feed = std::memchr(text.data(), '\n', seen);
    if (feed != nullptr) return static_cast<const char*>(feed) - text.data() + 1;
    return seen == limit ? limit : 0;
}

}  // namespace

void CutPieces(std::string_view text, std::string& tail, const PieceFunction& piece) {
    if (!tail.empty()) {
        const std::size_t length = PieceLength(text, kPieceMax - tail.size());
        if (length == 0) {
            tail.append(text);
            return;
        }
        tail.append(text.substr(0, length));
        piece(tail);
        tail.clear();
        text.remove_prefix(length);
    }
    while (!text.empty()) {
        const std::size_t length = PieceLength(text, kPieceMax);
        if (length == 0) {
            tail.assign(text);
            return;
        }
        piece(text.substr(0, length));
        text.remove_prefix(length);
    }
}

LogPieceReader::~LogPieceReader() {
    Close();
}

bool LogPieceReader::Open(const std::filesystem::path& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    return file_ != nullptr;
}

void LogPieceReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

void LogPieceReader::Read(const PieceFunction& piece, const std::function<void()>& progress) {
    if (file_ == nullptr) return;
    chunk_.resize(kChunk + 1);
    std::string tail;
    // A CR at a chunk's end waits for the next chunk, where an LF may follow it.
    bool heldCr = false;
    for (;;) {
        std::size_t begin = 0;
        if (heldCr) chunk_[begin++] = '\r';
        const std::size_t count = std::fread(chunk_.data() + begin, 1, kChunk, file_);
        if (count == 0) break;
        std::size_t size = begin + count;
        heldCr = chunk_[size - 1] == '\r';
        if (heldCr) --size;
        CutPieces({chunk_.data(), DecodeInPlace(chunk_.data(), size)}, tail, piece);
        if (progress) progress();
    }
    if (heldCr) CutPieces("\r", tail, piece);
    if (!tail.empty()) piece(tail);
}

}  // namespace wexfold
