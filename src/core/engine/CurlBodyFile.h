// The file a fetch writes its body into: a new private file of the download cache, or a
// destination the caller named.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

namespace wexfold {

class CurlBodyFile {
  public:
    CurlBodyFile() = default;
    ~CurlBodyFile();
    CurlBodyFile(const CurlBodyFile&) = delete;
    CurlBodyFile& operator=(const CurlBodyFile&) = delete;

    // Creates a file with a unique name and mode 0600 in folder, making the folder (mode 0700)
    // when it is missing.
    bool CreateInCache(const std::filesystem::path& folder, std::string& error);
    // Opens destination for writing, emptying it when it exists.
    bool OpenDestination(const std::filesystem::path& destination, std::string& error);

    // Returns false once a write has failed; the reason is kept.
    bool Write(const char* data, std::size_t size);
    // Flushes and closes; false (with the reason kept) when that or an earlier write failed.
    bool Close();
    // Closes and deletes the file when this object made it, so a failed call leaves nothing.
    void Discard();

    const std::filesystem::path& Path() const { return path_; }
    const std::string& WriteError() const { return writeError_; }

  private:
    bool Adopt(int fd, std::string& error);

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    bool created_ = false;
    std::string writeError_;
};

}  // namespace wexfold
