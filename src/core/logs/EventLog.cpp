#include "core/logs/EventLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <tuple>

#include "core/sites/SiteName.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

constexpr std::size_t kStampMax = 127;

bool LocalTime(std::int64_t now, std::tm& local) {
    const auto seconds = static_cast<std::time_t>(now);
    return localtime_r(&seconds, &local) != nullptr;
}

int DayKey(const std::tm& local) {
    return local.tm_year * 366 + local.tm_yday;
}

std::string Format(DateKind kind, const std::tm& local) {
    char text[kStampMax + 1];
    const char* format = kind == DateKind::kStamp ? " %H:%M:%S %m/%d 20%y " : "%m%d20%y";
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

using Date = std::tuple<int, int, int>;  // year, month, day

// The date a day file's name stands for: eight digits MMDD20YY naming a real calendar day.
bool DayOfName(const std::string& name, Date& date) {
    if (name.size() != 8 || name[4] != '2' || name[5] != '0') return false;
    for (char c : name) {
        if (c < '0' || c > '9') return false;
    }
    const auto number = [&name](std::size_t at) {
        return (name[at] - '0') * 10 + name[at + 1] - '0';
    };
    const int month = number(0);
    const int day = number(2);
    const int year = 2000 + number(6);
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
    date = {year, month, day};
    return true;
}

// Makes the folder private to the user, creating it (and the folders above it) when it is
// missing. Returns 0, or the error number that kept it from being a folder.
int MakePrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0) return 0;
    if (errno == EEXIST) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) return errno;
        if (!S_ISDIR(info.st_mode)) return ENOTDIR;
        ::chmod(folder.c_str(), 0700);  // a folder of someone else's stays as it is
        return 0;
    }
    if (errno != ENOENT) return errno;
    std::error_code ignored;
    std::filesystem::create_directories(folder.parent_path(), ignored);
    return ::mkdir(folder.c_str(), 0700) == 0 ? 0 : errno;
}

// The site's name as a key, read no further than its field.
std::string NameOf(const SiteRecord& site) {
    return {site.name, strnlen(site.name, sizeof site.name)};
}

}  // namespace

EventLog::EventLog(const Clock& clock, std::vector<SiteRecord>& sites, std::filesystem::path base)
    : clock_(clock), sites_(sites), base_(std::move(base)) {}

EventLog::~EventLog() {
    for (auto& [handle, file] : files_) {
        Write(file);
        ::close(file.fd);
    }
}

std::filesystem::path EventLog::Base() const {
    if (!base_.empty()) return base_;
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : current;
}

std::filesystem::path EventLog::LogRoot() const {
    return Base() / "log";
}

std::string EventLog::DateText(DateKind kind) {
    std::tm local{};
    if (!LocalTime(clock_.Now(), local)) return {};
    ChangeDayIfNew(local);
    return Format(kind, local);
}

void EventLog::CheckDay() {
    std::tm local{};
    if (LocalTime(clock_.Now(), local)) ChangeDayIfNew(local);
}

void EventLog::ChangeDayIfNew(const std::tm& local) {
    const int day = DayKey(local);
    if (day == openDay_) return;
    const bool first = openDay_ == -1;
    openDay_ = day;
    if (first) return;  // nothing was open on an earlier day
    for (SiteRecord& site : sites_) {
        OpenToday(site, local);
        Append(site, FormatText("* %d seconds interval time.\r\n", site.intervalSeconds));
        DeleteOldFiles(site, local);
    }
}

void EventLog::OpenToday(SiteRecord& site, const std::tm& local) {
    Close(site);
    Result opened = OpenFile(site, local);
    if (!opened) openFailures_.insert_or_assign(NameOf(site), std::move(opened));
}

Result EventLog::OpenFile(SiteRecord& site, const std::tm& local) {
    // A name that could leave the log folder never becomes part of a path.
    if (!IsSafeSiteName(site.name)) {
        return Result::Failure("'" + NameOf(site) + "' cannot name a log folder");
    }
    const std::filesystem::path root = LogRoot();
    for (const std::filesystem::path& folder : {root, root / site.name}) {
        if (const int error = MakePrivateFolder(folder)) {
            return Result::Failure("cannot make the folder " + folder.string(), error);
        }
    }
    const std::filesystem::path path = root / site.name / Format(DateKind::kTodayName, local);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return Result::Failure("cannot open " + path.string(), errno);
    ::fchmod(fd, 0600);  // a file an older version made readable by all
    const std::uint32_t handle = nextHandle_++;
    files_[handle].fd = fd;
    site.logFile = handle;
    return {};
}

void EventLog::OpenSiteLog(SiteRecord& site) {
    std::tm local{};
    if (!LocalTime(clock_.Now(), local)) return;
    ChangeDayIfNew(local);
    OpenToday(site, local);
    Append(site, FormatText("* %d seconds interval time.\r\n", site.intervalSeconds));
    DeleteOldFiles(site, local);
}

void EventLog::Append(const SiteRecord& site, std::string_view text) {
    const auto found = files_.find(site.logFile);
    if (found == files_.end()) return;
    // Stored in text mode (each LF as CR LF), whole lines at a time, so a line is never split;
    // written now or when the batch ends.
    File& file = found->second;
    if (file.pending.empty() && batches_ > 0) touched_.push_back(found->first);
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t lf = std::min(text.find('\n', from), text.size());
        file.pending.append(text, from, lf - from);
        if (lf < text.size()) file.pending.append("\r\n");
        from = lf + 1;
    }
    if (batches_ == 0) Write(file);
}

void EventLog::Write(File& file) {
    std::size_t done = 0;
    while (done < file.pending.size()) {
        const ssize_t written =
            ::write(file.fd, file.pending.data() + done, file.pending.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;  // a full disk: the lines are dropped, as a stream drops them
        done += static_cast<std::size_t>(written);
    }
    file.pending.clear();
}

EventLog::Batch::~Batch() {
    if (--log_.batches_ > 0) return;
    for (const std::uint32_t handle : log_.touched_) {
        const auto found = log_.files_.find(handle);
        if (found != log_.files_.end()) Write(found->second);
    }
    log_.touched_.clear();
}

Result EventLog::OpenResult(const SiteRecord& site) const {
    const auto found = openFailures_.find(NameOf(site));
    return found == openFailures_.end() ? Result{} : found->second;
}

void EventLog::Close(SiteRecord& site) {
    const auto found = files_.find(site.logFile);
    if (found != files_.end()) {
        Write(found->second);
        ::close(found->second.fd);
        files_.erase(found);
    }
    site.logFile = 0;
    openFailures_.erase(NameOf(site));
}

void EventLog::DeleteOldFiles(const SiteRecord& site, const std::tm& local) {
    if (site.autoDeleteLogs != 1 || !IsSafeSiteName(site.name)) return;
    const Date cutoff = local.tm_mon == 0 ? Date{local.tm_year + 1900 - 1, 12, local.tm_mday}
                                          : Date{local.tm_year + 1900, local.tm_mon, local.tm_mday};
    std::error_code error;
    std::filesystem::directory_iterator files(LogRoot() / site.name, error);
    std::vector<std::filesystem::path> old;
    for (; !error && files != std::filesystem::directory_iterator(); files.increment(error)) {
        Date date;
        std::error_code kind;
        if (DayOfName(files->path().filename().string(), date) && date <= cutoff &&
            files->is_regular_file(kind)) {
            old.push_back(files->path());
        }
    }
    for (const std::filesystem::path& path : old) std::filesystem::remove(path, error);
}

void EventLog::ExitLogging() {
    std::tm local{};
    for (SiteRecord& site : sites_) {
        Append(site, "Exit program. " + DateText(DateKind::kStamp) + "\n");
        if (LocalTime(clock_.Now(), local)) DeleteOldFiles(site, local);
    }
}

}  // namespace wexfold
