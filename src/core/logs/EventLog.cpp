#include "core/logs/EventLog.h"

#include <algorithm>
#include <ctime>
#include <system_error>

#include "core/sites/SiteName.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

constexpr std::size_t kStampMax = 127;

}  // namespace

EventLog::EventLog(const Clock& clock, std::vector<SiteRecord>& sites, std::filesystem::path base)
    : clock_(clock), sites_(sites), base_(std::move(base)) {}

EventLog::~EventLog() {
    for (auto& [handle, file] : files_) std::fclose(file);
}

std::filesystem::path EventLog::Base() const {
    if (!base_.empty()) return base_;
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : current;
}

std::filesystem::path EventLog::LogRoot() const { return Base() / "log"; }

std::string EventLog::Format(DateKind kind, std::int64_t now) const {
    const auto seconds = static_cast<std::time_t>(now);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return {};
    if (kind == DateKind::kMonthAgoName) {
        // The same day of the month before; in January, December of the year before. The day
        // is kept even where that month is shorter.
        const int month = local.tm_mon == 0 ? 12 : local.tm_mon;
        const int year = local.tm_year + 1900 - (local.tm_mon == 0 ? 1 : 0);
        return FormatText("%02d%02d%04d", month, local.tm_mday, year);
    }
    char text[kStampMax + 1];
    const char* format = kind == DateKind::kStamp ? " %H:%M:%S %m/%d 20%y " : "%m%d20%y";
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

std::string EventLog::DateText(DateKind kind) {
    const std::int64_t now = clock_.Now();
    std::string text = Format(kind, now);
    const auto seconds = static_cast<std::time_t>(now);
    std::tm local{};
    if (!reopening_ && localtime_r(&seconds, &local) && local.tm_hour == 0 && local.tm_min == 0) {
        ReopenLogFiles();
    }
    return text;
}

void EventLog::OpenToday(SiteRecord& site) {
    // The name first: at midnight making it reopens every file, this site's included.
    const std::string today = DateText(DateKind::kTodayName);
    Close(site);
    // A name that could leave the log folder never becomes part of a path.
    if (!IsSafeSiteName(site.name)) return;
    const std::filesystem::path path = LogRoot() / site.name / today;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return;
    const std::uint32_t handle = nextHandle_++;
    files_[handle] = file;
    site.logFile = handle;
}

void EventLog::OpenSiteLog(SiteRecord& site, bool createFolders) {
    if (createFolders && IsSafeSiteName(site.name)) {
        std::error_code ignored;
        std::filesystem::create_directories(LogRoot() / site.name, ignored);
    }
    OpenToday(site);
    Append(site, FormatText("* %d seconds interval time.\r\n", site.intervalSeconds));
}

void EventLog::Append(const SiteRecord& site, std::string_view text) {
    const auto found = files_.find(site.logFile);
    if (found == files_.end()) return;
    // Stored in text mode (each LF as CR LF) into the stream's buffer, so a line is never
    // split; flushed now or when the batch ends.
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t lf = std::min(text.find('\n', from), text.size());
        std::fwrite(text.data() + from, 1, lf - from, found->second);
        if (lf < text.size()) std::fwrite("\r\n", 1, 2, found->second);
        from = lf + 1;
    }
    if (batches_ > 0) {
        touched_.insert(found->second);
    } else {
        std::fflush(found->second);
    }
}

EventLog::Batch::~Batch() {
    if (--log_.batches_ > 0) return;
    for (std::FILE* file : log_.touched_) std::fflush(file);
    log_.touched_.clear();
}

void EventLog::Close(SiteRecord& site) {
    const auto found = files_.find(site.logFile);
    if (found != files_.end()) {
        touched_.erase(found->second);
        std::fclose(found->second);
        files_.erase(found);
    }
    site.logFile = 0;
}

void EventLog::DeleteMonthOld(const SiteRecord& site) {
    if (site.autoDeleteLogs != 1 || !IsSafeSiteName(site.name)) return;
    std::error_code ignored;
    std::filesystem::remove(LogRoot() / site.name / DateText(DateKind::kMonthAgoName), ignored);
}

void EventLog::ReopenLogFiles() {
    if (reopening_) return;
    reopening_ = true;
    for (SiteRecord& site : sites_) {
        OpenToday(site);
        DeleteMonthOld(site);
    }
    reopening_ = false;
}

void EventLog::ExitLogging() {
    for (SiteRecord& site : sites_) {
        Append(site, "Exit program. " + DateText(DateKind::kStamp) + "\n");
        DeleteMonthOld(site);
    }
}

}  // namespace wexfold
