#include "core/engine/CurlBodyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace wexfold {
namespace {

std::string Reason(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

// Makes folder with mode 0700; its missing parents get the ordinary mode.
bool MakeFolder(const std::filesystem::path& folder, std::string& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) return true;
    if (folder.has_parent_path())
        std::filesystem::create_directories(folder.parent_path(), ignored);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = Reason("cannot create the cache folder", folder, errno);
        return false;
    }
    return true;
}

}  // namespace

CurlBodyFile::~CurlBodyFile() {
    if (file_ != nullptr) std::fclose(file_);
}

bool CurlBodyFile::CreateInCache(const std::filesystem::path& folder, std::string& error) {
    if (!MakeFolder(folder, error)) return false;
    const std::string pattern = (folder / "fetch-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = Reason("cannot create a file in", folder, errno);
        return false;
    }
    path_ = name.data();
    created_ = true;
    return Adopt(fd, error);
}

bool CurlBodyFile::OpenDestination(const std::filesystem::path& destination, std::string& error) {
    path_ = destination;
    int fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created_ = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = ::open(destination.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        error = Reason("cannot create", destination, errno);
        return false;
    }
    return Adopt(fd, error);
}

bool CurlBodyFile::Adopt(int fd, std::string& error) {
    file_ = ::fdopen(fd, "wb");
    if (file_ != nullptr) return true;
    error = Reason("cannot open", path_, errno);
    ::close(fd);
    Discard();
    return false;
}

bool CurlBodyFile::Write(const char* data, std::size_t size) {
    if (!writeError_.empty() || file_ == nullptr) return false;
    if (std::fwrite(data, 1, size, file_) == size) return true;
    writeError_ = Reason("cannot write", path_, errno);
    return false;
}

bool CurlBodyFile::Close() {
    if (file_ == nullptr) return writeError_.empty();
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if ((!flushed || !closed) && writeError_.empty()) {
        writeError_ = Reason("cannot write", path_, flushed ? errno : flushError);
    }
    return writeError_.empty();
}

void CurlBodyFile::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (created_) ::unlink(path_.c_str());
    created_ = false;
}

}  // namespace wexfold
