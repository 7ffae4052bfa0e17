#include "core/engine/CurlTransfer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <limits>

#include "core/engine/CurlAddress.h"

namespace wexfold {
namespace {

// Further body reports are spaced at least this far apart; the engine hands each report to
// the UI thread, so one per received block would be far too many.
constexpr auto kBodyReportSpacing = std::chrono::milliseconds(250);

std::uint32_t Clamp(std::uint64_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

std::string AddressText(const struct curl_sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address->family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&address->addr);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    } else if (address->family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&address->addr);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool HasName(const std::string& line, std::size_t colon, const char* name) {
    std::size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i >= colon || std::tolower(static_cast<unsigned char>(line[i])) != name[i]) {
            return false;
        }
    }
    return i == colon;
}

}  // namespace

CurlTransfer::CurlTransfer(CURL* easy, ProgressSink& sink, CurlBodyFile& body, Settings settings)
    : easy_(easy), sink_(sink), body_(body), settings_(settings) {}

bool CurlTransfer::Install() {
    return curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnWrite) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &CurlTransfer::OnPrereq) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_OPENSOCKETFUNCTION, &CurlTransfer::OnOpenSocket) ==
               CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_OPENSOCKETDATA, this) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnTransferInfo) ==
               CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this) == CURLE_OK &&
           curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
}

bool CurlTransfer::ReportFindingResource(const std::string& host) {
    return Report(kStatusFindingResource, 0, host);
}

void CurlTransfer::ReportFinished() {
    const std::string url = CurrentUrl();
    if (!bodyStarted_) {
        bodyStarted_ = true;
        if (!Report(kStatusBeginDownload, 0, url)) return;
    } else if (bodyBytes_ != reportedBytes_) {
        // The bytes since the last spaced report, so that every byte is counted for the speed.
        if (!Report(kStatusDownloading, bodyBytes_, url)) return;
    }
    if (!Report(kStatusEndDownload, bodyBytes_, url)) return;
    Report(kStatusCacheFile, 0, body_.Path().string());
}

bool CurlTransfer::Report(std::uint32_t code, std::uint64_t progress, const std::string& text) {
    if (aborted_) return false;
    const bool bodyReport =
        code == kStatusBeginDownload || code == kStatusDownloading || code == kStatusEndDownload;
    const ProgressReport report{Clamp(progress), bodyReport ? Clamp(ExpectedSize()) : 0u, code,
                                text.c_str()};
    if (code > kStatusConnecting) answered_ = true;
    if (bodyReport) reportedBytes_ = progress;
    if (!sink_.OnProgress(report)) aborted_ = true;
    return !aborted_;
}

std::uint64_t CurlTransfer::ExpectedSize() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
        length < 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(length);
}

std::string CurlTransfer::CurrentUrl() const {
    char* url = nullptr;
    if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
        return {};
    }
    return url;
}

void CurlTransfer::HeaderLine(const std::string& line) {
    if (settings_.ftp) {
        // The server's greeting: it has answered, and the first command is about to go out.
        if (!requestSent_) {
            requestSent_ = true;
            Report(kStatusSendingRequest, 0, {});
        }
        return;
    }
    if (bodyStarted_) return;  // trailers of a chunked body
    if (line.rfind("HTTP/", 0) == 0) {
        const std::size_t space = line.find(' ');
        status_ = space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
        location_.clear();
        contentType_.clear();
        return;
    }
    const std::string text = Trimmed(line);
    if (text.empty()) {
        EndOfHeaders();
        return;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return;
    if (HasName(text, colon, "location")) location_ = Trimmed(text.substr(colon + 1));
    if (HasName(text, colon, "content-type")) contentType_ = Trimmed(text.substr(colon + 1));
}

void CurlTransfer::EndOfHeaders() {
    if (status_ >= 100 && status_ < 200) return;  // an interim response; the real one follows
    long followed = 0;
    curl_easy_getinfo(easy_, CURLINFO_REDIRECT_COUNT, &followed);
    const bool redirect = status_ >= 300 && status_ < 400 && status_ != 304 && !location_.empty();
    if (redirect && followed < settings_.maxRedirects) {
        const std::string from = CurrentUrl();
        const std::string target = ResolveLocation(from, location_);
        if (!target.empty()) {
            requestSent_ = false;
            if (!Report(kStatusRedirecting, 0, target)) return;
            const std::string host = HostOfAddress(target);
            if (!host.empty() && host != HostOfAddress(from)) {
                Report(kStatusFindingResource, 0, host);
            }
            return;
        }
    }
    if (!contentType_.empty()) Report(kStatusMimeType, 0, contentType_);
}

size_t CurlTransfer::OnWrite(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const size_t length = size * count;
    if (transfer.aborted_) return 0;
    const std::uint64_t limit = transfer.settings_.maxBodyBytes;
    if (limit != 0 && transfer.bodyBytes_ + length > limit) {
        transfer.bodyTooLarge_ = true;
        return 0;
    }
    if (!transfer.body_.Write(data, length)) return 0;
    transfer.bodyBytes_ += length;

    const auto now = std::chrono::steady_clock::now();
    if (!transfer.bodyStarted_) {
        transfer.bodyStarted_ = true;
        transfer.lastBodyReport_ = now;
        transfer.Report(kStatusBeginDownload, transfer.bodyBytes_, transfer.CurrentUrl());
    } else if (now - transfer.lastBodyReport_ >= kBodyReportSpacing) {
        transfer.lastBodyReport_ = now;
        transfer.Report(kStatusDownloading, transfer.bodyBytes_, transfer.CurrentUrl());
    }
    return transfer.aborted_ ? 0 : length;
}

size_t CurlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const size_t length = size * count;
    if (transfer.aborted_) return 0;
    transfer.HeaderLine(std::string(data, length));
    return transfer.aborted_ ? 0 : length;
}

int CurlTransfer::OnPrereq(void* self, char*, char*, int, int) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    if (!transfer.aborted_ && !transfer.requestSent_) {
        transfer.requestSent_ = true;
        transfer.Report(kStatusSendingRequest, 0, {});
    }
    return transfer.aborted_ ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
}

curl_socket_t CurlTransfer::OnOpenSocket(void* self, curlsocktype purpose,
                                         struct curl_sockaddr* address) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    if (transfer.aborted_) return CURL_SOCKET_BAD;
    if (purpose == CURLSOCKTYPE_IPCXN && !transfer.requestSent_ &&
        !transfer.Report(kStatusConnecting, 0, AddressText(address))) {
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int CurlTransfer::OnTransferInfo(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    if (!transfer.aborted_ && transfer.sink_.StopRequested()) transfer.aborted_ = true;
    return transfer.aborted_ ? 1 : 0;
}

}  // namespace wexfold
