#include "core/sites/SiteListFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/sites/SiteName.h"
#include "core/sites/SiteRecordRepair.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads a text-mode file piece by piece and hands out whole decoded records, so that a large
// file given to import is never held in memory at once.
class RecordReader {
  public:
    explicit RecordReader(std::FILE* file) : file_(file) {}

    bool Next(SiteRecord& record) {
        while (decoded_.size() - used_ < sizeof record && Fill()) {
        }
        if (decoded_.size() - used_ < sizeof record) return false;
        std::memcpy(&record, decoded_.data() + used_, sizeof record);
        used_ += sizeof record;
        return true;
    }

  private:
    bool Fill() {
        if (ended_) return false;
        const std::size_t count = std::fread(buffer_.data() + 1, 1, kChunk, file_);
        // A CR held back from the previous piece goes in front of this one.
        std::size_t begin = 1;
        if (heldCr_) {
            buffer_[0] = '\r';
            begin = 0;
        }
        std::size_t end = count + 1;
        heldCr_ = false;
        if (count == 0) {
            ended_ = true;
        } else if (buffer_[end - 1] == '\r') {
            // The LF that may follow comes with the next piece.
            heldCr_ = true;
            --end;
        }
        decoded_.erase(0, used_);
        used_ = 0;
        decoded_ += DecodeTextMode({buffer_.data() + begin, end - begin});
        return true;
    }

    std::FILE* file_;
    std::string decoded_;
    std::size_t used_ = 0;
    std::vector<char> buffer_ = std::vector<char>(kChunk + 1);
    bool heldCr_ = false;
    bool ended_ = false;
};

int FindByName(const std::vector<SiteRecord>& list, const SiteRecord& record) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (std::strcmp(list[i].name, record.name) == 0) return static_cast<int>(i);
    }
    return -1;
}

void Import(SiteRecord& record, std::vector<SiteRecord>& list, const LoadHooks& hooks) {
    if (!IsSafeSiteName(record.name)) {
        if (hooks.refused) hooks.refused(record);
        return;
    }
    const int match = FindByName(list, record);
    if (match < 0 && list.size() >= hooks.maxSites) {
        if (hooks.full) hooks.full(record);
        return;
    }
    // Only a record that stays is loaded (its log opened, its interval line written).
    if (match < 0) {
        if (hooks.loaded) hooks.loaded(record);
        list.push_back(record);
        if (hooks.appended) hooks.appended(static_cast<int>(list.size()) - 1);
        return;
    }
    if (hooks.askReplace && hooks.askReplace(record)) {
        if (hooks.released) hooks.released(list[match]);
        if (hooks.loaded) hooks.loaded(record);
        list[match] = record;
        if (hooks.replaced) hooks.replaced(match);
    }
}

// Writes every byte to fd; 0, or the error number of the write that failed.
int WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return ENOSPC;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

// Makes the rename itself survive a crash; a folder that cannot be synced is no failure of
// the save, which is complete by then.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string SiteListPath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) return "siteurl";
    return (folder / "siteurl").string();
}

void LoadSiteList(const std::string& path, std::vector<SiteRecord>& list, const LoadHooks& hooks) {
    const bool startUp = path.empty();
    std::unique_ptr<std::FILE, FileCloser> file(
        std::fopen(startUp ? SiteListPath().c_str() : path.c_str(), "rb"));
    if (!file) return;
    RecordReader reader(file.get());
    SiteRecord record = NewSiteRecord();
    while (reader.Next(record)) {
        RepairLoadedRecord(record);
        if (startUp) {
            if (hooks.loaded) hooks.loaded(record);
            list.push_back(record);
        } else {
            Import(record, list, hooks);
        }
    }
}

Result SaveSiteList(const std::vector<SiteRecord>& list, const std::string& path) {
    const std::filesystem::path target = path.empty() ? SiteListPath() : path;
    std::string image;
    image.reserve(list.size() * sizeof(SiteRecord));
    for (SiteRecord record : list) {
        record.logFile = 0;
        image.append(reinterpret_cast<const char*>(&record), sizeof record);
    }
    const std::string stored = EncodeTextMode(image);

    // mkstemp makes the file with mode 0600: the list holds passwords.
    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Result::Failure("cannot write " + target.string(), errno);
    int error = WriteAll(fd, stored);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return Result::Failure("cannot write " + target.string(), error);
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temp.c_str());
        return Result::Failure("cannot replace " + target.string(), error);
    }
    SyncFolder(target.parent_path());
    return {};
}

}  // namespace wexfold
