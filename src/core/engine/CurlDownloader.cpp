#include "core/engine/CurlDownloader.h"

#include <curl/curl.h>
#include <pwd.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

#include "core/engine/CurlAddress.h"
#include "core/engine/CurlBodyFile.h"
#include "core/engine/CurlTransfer.h"

namespace wexfold {
namespace {

constexpr const char* kProtocols = "http,https,ftp";

// libcurl is set up once per process. Transfers run with CURLOPT_NOSIGNAL, so a write to a
// socket the peer has closed must not kill the process: SIGPIPE is ignored unless the
// program has chosen its own handling.
CURLcode InitLibrary() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] {
        result = curl_global_init(CURL_GLOBAL_DEFAULT);
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            std::signal(SIGPIPE, SIG_IGN);
        }
    });
    return result;
}

struct EasyFree {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

FetchOutcome CallFailed(std::string error) {
    FetchOutcome outcome;
    outcome.result = FetchResult::kCallFailed;
    outcome.error = std::move(error);
    return outcome;
}

bool Configure(CURL* easy, const CurlAddress& address, const CurlLimits& limits,
               char* errorBuffer) {
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, address.url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kProtocols) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects) == CURLE_OK;
    ok = ok &&
         curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds) == CURLE_OK;
    ok = ok &&
         curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, limits.stallSeconds) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_TIMEOUT, limits.transferSeconds) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_USERAGENT, "Wexfold/" WEXFOLD_VERSION) == CURLE_OK;
    if (!limits.caFile.empty()) {
        ok = ok && curl_easy_setopt(easy, CURLOPT_CAINFO, limits.caFile.c_str()) == CURLE_OK;
    }
    return ok;
}

// libcurl's stage times, in seconds from the start; a stage not reached reads as negative.
FetchTimings Timings(CURL* easy, bool answered) {
    const auto seconds = [easy](CURLINFO info) {
        curl_off_t micros = 0;
        return curl_easy_getinfo(easy, info, &micros) == CURLE_OK && micros > 0 ? micros / 1e6
                                                                                : -1.0;
    };
    FetchTimings timings;
    timings.nameLookup = seconds(CURLINFO_NAMELOOKUP_TIME_T);
    timings.connect = seconds(CURLINFO_CONNECT_TIME_T);
    timings.tls = seconds(CURLINFO_APPCONNECT_TIME_T);
    timings.firstByte = answered ? seconds(CURLINFO_STARTTRANSFER_TIME_T) : -1.0;
    timings.total = seconds(CURLINFO_TOTAL_TIME_T);
    return timings;
}

std::string Describe(CURLcode code, const char* errorBuffer) {
    return errorBuffer[0] != '\0' ? std::string(errorBuffer) : curl_easy_strerror(code);
}

}  // namespace

CurlDownloader::CurlDownloader(CurlLimits limits, std::filesystem::path cacheFolder)
    : limits_(std::move(limits)),
      cacheFolder_(cacheFolder.empty() ? DefaultCacheFolder() : std::move(cacheFolder)) {
    InitLibrary();
}

std::filesystem::path CurlDownloader::DefaultCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') return std::filesystem::path(cache) / "wexfold";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/tmp";
    }
    return std::filesystem::path(home) / ".cache" / "wexfold";
}

FetchOutcome CurlDownloader::Fetch(const std::string& url, ProgressSink& sink,
                                   const std::filesystem::path& destination) {
    if (InitLibrary() != CURLE_OK) return CallFailed("libcurl could not be initialised");
    CurlAddress address;
    std::string error;
    if (!ParseFetchAddress(url, address, error)) return CallFailed(error);

    CurlBodyFile body;
    const bool opened = destination.empty() ? body.CreateInCache(cacheFolder_, error)
                                            : body.OpenDestination(destination, error);
    if (!opened) return CallFailed(error);

    std::unique_ptr<CURL, EasyFree> easy(curl_easy_init());
    char errorBuffer[CURL_ERROR_SIZE] = "";
    CurlTransfer transfer(easy.get(), sink, body,
                          {address.scheme == "ftp", limits_.maxRedirects, limits_.maxBodyBytes});
    if (!easy || !Configure(easy.get(), address, limits_, errorBuffer) || !transfer.Install()) {
        body.Discard();
        return CallFailed("out of memory");
    }

    CURLcode code = CURLE_ABORTED_BY_CALLBACK;
    if (transfer.ReportFindingResource(address.host)) code = curl_easy_perform(easy.get());
    const bool written = body.Close();

    // Failures of the call itself: no memory, or an address libcurl refused before anything
    // was sent (a refused redirect target is the server's answer and ends the fetch normally).
    const bool addressRefused = code == CURLE_URL_MALFORMAT || code == CURLE_UNSUPPORTED_PROTOCOL;
    if (code == CURLE_OUT_OF_MEMORY || code == CURLE_FAILED_INIT ||
        (addressRefused && !transfer.Answered())) {
        body.Discard();
        return CallFailed(Describe(code, errorBuffer));
    }

    FetchOutcome outcome;
    outcome.result = FetchResult::kFinished;
    outcome.file = body.Path();
    outcome.timings = Timings(easy.get(), transfer.Answered());
    outcome.bodyBytes = transfer.BodyBytes();
    if (transfer.Aborted()) {
        outcome.error = "aborted";
    } else if (transfer.BodyTooLarge()) {
        outcome.error =
            "the body is larger than " + std::to_string(limits_.maxBodyBytes) + " bytes";
    } else if (!written) {
        outcome.error = body.WriteError();
    } else if (code != CURLE_OK) {
        outcome.error = Describe(code, errorBuffer);
    } else {
        long status = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
        if (address.scheme != "ftp" && status >= 400) {
            outcome.error = "HTTP status " + std::to_string(status);
        }
        transfer.ReportFinished();
    }
    return outcome;
}

}  // namespace wexfold
