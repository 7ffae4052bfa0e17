#include "core/engine/CurlDownloader.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "core/engine/CurlAddress.h"
#include "core/engine/CurlBodyFile.h"
#include "core/engine/CurlTransfer.h"

namespace wexfold {
namespace {

FetchOutcome CallFailed(std::string error) {
    FetchOutcome outcome;
    outcome.result = FetchResult::kCallFailed;
    outcome.error = std::move(error);
    return outcome;
}

}  // namespace

CurlDownloader::CurlDownloader(CurlLimits limits, std::filesystem::path cacheFolder)
    : limits_(std::move(limits)),
      cacheFolder_(cacheFolder.empty() ? DefaultCacheFolder() : std::move(cacheFolder)) {
    InitCurl();
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
    if (!InitCurl()) return CallFailed("libcurl could not be initialised");
    CurlAddress address;
    std::string error;
    if (!ParseFetchAddress(url, address, error)) return CallFailed(error);

    CurlBodyFile body;
    const bool opened = destination.empty() ? body.CreateInCache(cacheFolder_, error)
                                            : body.OpenDestination(destination, error);
    if (!opened) return CallFailed(error);

    CurlTransfer transfer(address, limits_, sink, &body);
    if (!transfer.Setup()) {
        body.Discard();
        return CallFailed("out of memory");
    }
    CURLcode code = CURLE_ABORTED_BY_CALLBACK;
    if (transfer.ReportFindingResource()) code = curl_easy_perform(transfer.Handle());
    return transfer.End(code);
}

}  // namespace wexfold
