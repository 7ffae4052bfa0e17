// A stored log file read as a 256-byte line buffer reads it: in pieces that end after a line
// feed or at 255 bytes, with text mode decoded (CR LF becomes LF). The file is read in chunks
// of bounded size, so neither a huge file nor a huge line is ever held in memory whole.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wexfold {

using PieceFunction = std::function<void(std::string_view piece)>;

// Hands the pieces of decoded text to piece in order. tail carries a piece that the text's end
// left unfinished into the next call; the last call is followed by piece(tail) when tail is not
// empty.
void CutPieces(std::string_view text, std::string& tail, const PieceFunction& piece);

class LogPieceReader {
  public:
    LogPieceReader() = default;
    ~LogPieceReader();
    LogPieceReader(const LogPieceReader&) = delete;
    LogPieceReader& operator=(const LogPieceReader&) = delete;

    // Opens path for reading, closing the file opened before; false when it cannot be opened.
    bool Open(const std::filesystem::path& path);

    // Hands every piece of the open file to piece, up to its end or a read error, and calls
    // progress (when given) after each chunk. The engine may be appending to the file
    // meanwhile: whatever has reached it by then is read.
    void Read(const PieceFunction& piece, const std::function<void()>& progress = {});

  private:
    void Close();

    std::FILE* file_ = nullptr;
    std::vector<char> chunk_;
};

}  // namespace wexfold
