#include "CurlSink.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace wexfold::testing {

bool CurlSink::OnProgress(const ProgressReport& report) {
    Recorded recorded{report.statusCode, report.progress, report.progressMax, report.serviceText};
    const bool go = !answer || answer(recorded);
    std::lock_guard lock(mutex_);
    if (aborted_) ++afterAbort_;
    reports_.push_back(std::move(recorded));
    if (!go) aborted_ = true;
    return go;
}

std::vector<Recorded> CurlSink::Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
}

std::vector<std::uint32_t> CurlSink::Codes() const {
    std::vector<std::uint32_t> codes;
    for (const auto& report : Reports()) codes.push_back(report.code);
    return codes;
}

int CurlSink::Count(std::uint32_t code) const {
    const auto codes = Codes();
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

std::uint32_t CurlSink::HighestCode() const {
    const auto codes = Codes();
    return codes.empty() ? 0 : *std::max_element(codes.begin(), codes.end());
}

int CurlSink::ReportsAfterAbort() const {
    std::lock_guard lock(mutex_);
    return afterAbort_;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

}  // namespace wexfold::testing
