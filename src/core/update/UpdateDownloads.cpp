#include "core/update/UpdateDownloads.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace wexfold {
namespace {

std::string_view Field(const char* text, std::size_t size) {
    return {text, strnlen(text, size)};
}

// Every byte but the unreserved characters of an address as %XX.
std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            out.append(code);
        }
    }
    return out;
}

}  // namespace

std::string ComposeUpdateRequest(const UrlParts& address) {
    std::string url = "http://";
    url.append(Field(address.hostName, sizeof address.hostName));
    url.append(Field(address.urlPath, sizeof address.urlPath));
    url.append("?user=").append(Escaped(Field(address.userName, sizeof address.userName)));
    url.append("&pass=").append(Escaped(Field(address.password, sizeof address.password)));
    url.append("&filename=").append(Escaped(Field(address.extraInfo, sizeof address.extraInfo)));
    return url;
}

UpdateSink::UpdateSink(SyncHandover& handover, const std::atomic<bool>& cancel,
                       std::function<void(const ProgressReport&)> deliver)
    : handover_(handover), cancel_(cancel), deliver_(std::move(deliver)) {}

bool UpdateSink::OnProgress(const ProgressReport& report) {
    if (cancel_.load()) return false;
    if (deliver_) handover_.Send([&] { deliver_(report); });
    return !StopRequested();
}

bool UpdateSink::StopRequested() {
    return cancel_.load() || handover_.Closed();
}

bool PrepareUpdateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    return (info.st_mode & 0777) == 0700 || ::chmod(folder.c_str(), 0700) == 0;
}

bool DownloadInto(Downloader& downloader, const std::string& url, ProgressSink& sink,
                  const std::filesystem::path& folder, const std::string& name) {
    // A fresh file made here (mkostemp never follows a link), written by the fetch and then
    // renamed over the target, which replaces the target's directory entry itself.
    const std::string pattern = (folder / ".download-XXXXXX").string();
    std::vector<char> part(pattern.begin(), pattern.end());
    part.push_back('\0');
    const int fd = ::mkostemp(part.data(), O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    const std::filesystem::path partPath = part.data();
    const FetchOutcome outcome = downloader.Fetch(url, sink, partPath);
    std::error_code error;
    const bool whole = outcome.result != FetchResult::kCallFailed && outcome.error.empty() &&
                       std::filesystem::is_regular_file(partPath, error);
    if (whole && ::rename(partPath.c_str(), (folder / name).c_str()) == 0) return true;
    // A cut or refused download would otherwise sit in the folder as if it were the file.
    std::filesystem::remove(partPath, error);
    return false;
}

}  // namespace wexfold
