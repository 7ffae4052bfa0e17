#include "core/engine/CurlTransfer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <limits>
#include <mutex>

#include "core/engine/CurlAddress.h"

namespace wexfold {
namespace {

// Further body reports are spaced at least this far apart; the engine hands each report to
// the UI thread, so one per received block would be far too many.
constexpr auto kBodyReportSpacing = std::chrono::milliseconds(250);

constexpr const char* kProtocols = "http,https,ftp";

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

std::string_view Trimmed(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool HasName(std::string_view line, std::size_t colon, const char* name) {
    std::size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i >= colon || std::tolower(static_cast<unsigned char>(line[i])) != name[i]) {
            return false;
        }
    }
    return i == colon;
}

}  // namespace

bool InitCurl() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] {
        result = curl_global_init(CURL_GLOBAL_DEFAULT);
        // Transfers run with CURLOPT_NOSIGNAL, so a write to a socket the peer has closed must
        // not kill the process: SIGPIPE is ignored unless the program chose its own handling.
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            std::signal(SIGPIPE, SIG_IGN);
        }
    });
    return result == CURLE_OK;
}

CurlTransfer::CurlTransfer(const CurlAddress& address, const CurlLimits& limits, ProgressSink& sink,
                           CurlBodyFile* body)
    : address_(address), limits_(limits), sink_(sink), body_(body) {}

CurlTransfer::~CurlTransfer() {
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
}

bool CurlTransfer::Setup(const std::string& user, const std::string& password, bool pollStop) {
    ftp_ = address_.scheme == "ftp";
    easy_ = curl_easy_init();
    if (easy_ == nullptr) return false;
    const auto set = [this](CURLoption option, auto value) {
        return curl_easy_setopt(easy_, option, value) == CURLE_OK;
    };
    bool ok =
        set(CURLOPT_URL, address_.url.c_str()) && set(CURLOPT_PROTOCOLS_STR, kProtocols) &&
        set(CURLOPT_REDIR_PROTOCOLS_STR, kProtocols) && set(CURLOPT_NOSIGNAL, 1L) &&
        set(CURLOPT_ERRORBUFFER, errorBuffer_) && set(CURLOPT_FOLLOWLOCATION, 1L) &&
        set(CURLOPT_MAXREDIRS, limits_.maxRedirects) &&
        set(CURLOPT_CONNECTTIMEOUT, limits_.connectTimeoutSeconds) &&
        set(CURLOPT_LOW_SPEED_LIMIT, 1L) && set(CURLOPT_LOW_SPEED_TIME, limits_.stallSeconds) &&
        set(CURLOPT_TIMEOUT, limits_.transferSeconds) &&
        set(CURLOPT_USERAGENT, "Wexfold/" WEXFOLD_VERSION) &&
        // A check measures the site as it is now: no connection, name or session is kept
        // from an earlier one, and a stop never waits for a name lookup to finish.
        set(CURLOPT_FRESH_CONNECT, 1L) && set(CURLOPT_FORBID_REUSE, 1L) &&
        set(CURLOPT_DNS_CACHE_TIMEOUT, 0L) && set(CURLOPT_QUICK_EXIT, 1L) &&
        set(CURLOPT_WRITEFUNCTION, &CurlTransfer::OnWrite) && set(CURLOPT_WRITEDATA, this) &&
        set(CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader) && set(CURLOPT_HEADERDATA, this) &&
        set(CURLOPT_OPENSOCKETFUNCTION, &CurlTransfer::OnOpenSocket) &&
        set(CURLOPT_OPENSOCKETDATA, this);
    if (ok && pollStop) {
        ok = set(CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnTransferInfo) &&
             set(CURLOPT_XFERINFODATA, this) && set(CURLOPT_NOPROGRESS, 0L);
    }
    if (ok && ftp_) ok = set(CURLOPT_SERVER_RESPONSE_TIMEOUT, limits_.stallSeconds);
    if (ok && !limits_.caFile.empty()) ok = set(CURLOPT_CAINFO, limits_.caFile.c_str());
    if (ok && !user.empty()) {
        ok = set(CURLOPT_USERNAME, user.c_str()) && set(CURLOPT_PASSWORD, password.c_str());
    }
    return ok;
}

bool CurlTransfer::ReportFindingResource() {
    return Report(kStatusFindingResource, 0, address_.host.c_str());
}

FetchOutcome CurlTransfer::End(CURLcode code) {
    FetchOutcome outcome;
    const bool written = body_ == nullptr || body_->Close();
    // Failures of the call itself: no memory, or an address libcurl refused before anything
    // was sent (a refused redirect target is the server's answer and ends the fetch normally).
    const bool addressRefused = code == CURLE_URL_MALFORMAT || code == CURLE_UNSUPPORTED_PROTOCOL;
    if (code == CURLE_OUT_OF_MEMORY || code == CURLE_FAILED_INIT ||
        (addressRefused && !answered_ && !ServerSentUnreadableAnswer(code))) {
        if (body_ != nullptr) body_->Discard();
        outcome.error = Describe(code);
        return outcome;
    }
    // Bytes that are not HTTP or FTP are still the server's answer.
    if (!answered_ && ServerSentUnreadableAnswer(code)) ReportAnswer();

    outcome.result = FetchResult::kFinished;
    if (body_ != nullptr) outcome.file = body_->Path();
    outcome.bodyBytes = bodyBytes_;
    const auto seconds = [this](CURLINFO info) {
        curl_off_t micros = 0;
        return curl_easy_getinfo(easy_, info, &micros) == CURLE_OK && micros > 0 ? micros / 1e6
                                                                                 : -1.0;
    };
    outcome.timings.nameLookup = seconds(CURLINFO_NAMELOOKUP_TIME_T);
    outcome.timings.connect = seconds(CURLINFO_CONNECT_TIME_T);
    outcome.timings.tls = seconds(CURLINFO_APPCONNECT_TIME_T);
    outcome.timings.firstByte = answered_ ? seconds(CURLINFO_STARTTRANSFER_TIME_T) : -1.0;
    outcome.timings.total = seconds(CURLINFO_TOTAL_TIME_T);
    if (aborted_) {
        outcome.error = "aborted";
    } else if (bodyTooLarge_) {
        outcome.error =
            "the body is larger than " + std::to_string(limits_.maxBodyBytes) + " bytes";
    } else if (!written) {
        outcome.error = body_->WriteError();
    } else if (code != CURLE_OK) {
        outcome.error = Describe(code);
    } else {
        long status = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
        if (!ftp_ && status >= 400) outcome.error = "HTTP status " + std::to_string(status);
        if (!bodyStarted_) {
            bodyStarted_ = true;
            if (!Report(kStatusBeginDownload, 0, CurrentUrl())) return outcome;
        } else if (bodyBytes_ != reportedBytes_) {
            // The bytes since the last spaced report, so that every byte counts for the speed.
            if (!Report(kStatusDownloading, bodyBytes_, CurrentUrl())) return outcome;
        }
        if (Report(kStatusEndDownload, bodyBytes_, CurrentUrl()) && body_ != nullptr) {
            Report(kStatusCacheFile, 0, body_->Path().c_str());
        }
    }
    return outcome;
}

bool CurlTransfer::ServerSentUnreadableAnswer(CURLcode code) const {
    // libcurl refuses a reply that is neither HTTP nor FTP with one of these two codes; for
    // HTTP the second one also stands for a refused address, before any request went out.
    if (code == CURLE_WEIRD_SERVER_REPLY) return true;
    long requestBytes = 0;
    return code == CURLE_UNSUPPORTED_PROTOCOL &&
           curl_easy_getinfo(easy_, CURLINFO_REQUEST_SIZE, &requestBytes) == CURLE_OK &&
           requestBytes > 0;
}

std::string CurlTransfer::Describe(CURLcode code) const {
    if (!socketError_.empty()) return socketError_;
    return errorBuffer_[0] != '\0' ? std::string(errorBuffer_) : curl_easy_strerror(code);
}

bool CurlTransfer::Report(std::uint32_t code, std::uint64_t progress, const char* text) {
    if (aborted_) return false;
    const bool bodyReport =
        code == kStatusBeginDownload || code == kStatusDownloading || code == kStatusEndDownload;
    const ProgressReport report{Clamp(progress), bodyReport ? Clamp(ExpectedSize()) : 0u, code,
                                text};
    if (code > kStatusConnecting) answered_ = true;
    if (bodyReport) reportedBytes_ = progress;
    if (!sink_.OnProgress(report)) aborted_ = true;
    return !aborted_;
}

// The first byte of the server's answer to the current request has arrived.
void CurlTransfer::ReportAnswer() {
    answerSeen_ = true;
    Report(kStatusSendingRequest, 0, "");
}

std::uint64_t CurlTransfer::ExpectedSize() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
        length < 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(length);
}

const char* CurlTransfer::CurrentUrl() const {
    char* url = nullptr;
    if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
        return "";
    }
    return url;
}

void CurlTransfer::HeaderLine(std::string_view line) {
    if (ftp_) {
        // Every line is a reply of the server; the first is its greeting.
        if (!answerSeen_) ReportAnswer();
        return;
    }
    if (bodyStarted_) return;  // trailers of a chunked body
    if (line.substr(0, 5) == "HTTP/") {
        if (!answerSeen_) ReportAnswer();
        if (aborted_) return;
        const std::size_t space = line.find(' ');
        status_ = 0;
        if (space != std::string_view::npos) {
            std::from_chars(line.data() + space + 1, line.data() + line.size(), status_);
        }
        location_.clear();
        contentType_.clear();
        return;
    }
    const std::string_view text = Trimmed(line);
    if (text.empty()) {
        EndOfHeaders();
        return;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return;
    if (HasName(text, colon, "location")) location_ = Trimmed(text.substr(colon + 1));
    if (HasName(text, colon, "content-type")) contentType_ = Trimmed(text.substr(colon + 1));
}

void CurlTransfer::EndOfHeaders() {
    if (status_ >= 100 && status_ < 200) return;  // an interim response; the real one follows
    long followed = 0;
    curl_easy_getinfo(easy_, CURLINFO_REDIRECT_COUNT, &followed);
    const bool redirect = status_ >= 300 && status_ < 400 && status_ != 304 && !location_.empty();
    if (redirect && followed < limits_.maxRedirects) {
        const std::string from = CurrentUrl();
        const std::string target = ResolveLocation(from, location_);
        if (!target.empty()) {
            answerSeen_ = false;
            if (!Report(kStatusRedirecting, 0, target.c_str())) return;
            const std::string host = HostOfAddress(target);
            if (!host.empty() && host != HostOfAddress(from)) {
                Report(kStatusFindingResource, 0, host.c_str());
            }
            return;
        }
    }
    if (!contentType_.empty()) Report(kStatusMimeType, 0, contentType_.c_str());
}

size_t CurlTransfer::OnWrite(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const size_t length = size * count;
    if (transfer.aborted_) return 0;
    const std::uint64_t limit = transfer.limits_.maxBodyBytes;
    if (limit != 0 && transfer.bodyBytes_ + length > limit) {
        transfer.bodyTooLarge_ = true;
        return 0;
    }
    if (transfer.body_ != nullptr && !transfer.body_->Write(data, length)) return 0;
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
    transfer.HeaderLine(std::string_view(data, length));
    return transfer.aborted_ ? 0 : length;
}

curl_socket_t CurlTransfer::OnOpenSocket(void* self, curlsocktype purpose,
                                         struct curl_sockaddr* address) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    if (transfer.aborted_) return CURL_SOCKET_BAD;
    const curl_socket_t fd =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    const int error = errno;
    if (purpose != CURLSOCKTYPE_IPCXN || transfer.answerSeen_) return fd;
    // A socket that cannot be had (no descriptor left) ends the fetch before it connects; the
    // connecting report says why.
    std::string text = AddressText(address);
    if (fd == CURL_SOCKET_BAD) {
        transfer.socketError_ = std::string("cannot open a socket: ") + std::strerror(error);
        text += " (" + transfer.socketError_ + ")";
    }
    if (!transfer.Report(kStatusConnecting, 0, text.c_str()) && fd != CURL_SOCKET_BAD) {
        ::close(fd);
        return CURL_SOCKET_BAD;
    }
    return fd;
}

int CurlTransfer::OnTransferInfo(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    if (!transfer.aborted_ && transfer.sink_.StopRequested()) transfer.aborted_ = true;
    return transfer.aborted_ ? 1 : 0;
}

}  // namespace wexfold
