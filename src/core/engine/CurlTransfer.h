// The course of one libcurl transfer: turns libcurl's callbacks into status reports for a
// ProgressSink and streams the body into a file.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "core/engine/CurlBodyFile.h"
#include "core/engine/Downloader.h"

namespace wexfold {

class CurlTransfer {
  public:
    struct Settings {
        bool ftp = false;
        long maxRedirects = 0;
        std::uint64_t maxBodyBytes = 0;  // 0 = no limit
    };

    CurlTransfer(CURL* easy, ProgressSink& sink, CurlBodyFile& body, Settings settings);

    // Sets the callbacks on the handle; false when libcurl refuses one.
    bool Install();

    // Code 1, to be reported right before the transfer starts.
    bool ReportFindingResource(const std::string& host);
    // The closing reports of a transfer that succeeded: the end of the body and the file.
    void ReportFinished();

    // The sink asked to stop, or refused a report.
    bool Aborted() const { return aborted_; }
    // A report above 2 went out: the server has answered.
    bool Answered() const { return answered_; }
    bool BodyTooLarge() const { return bodyTooLarge_; }
    std::uint64_t BodyBytes() const { return bodyBytes_; }

  private:
    bool Report(std::uint32_t code, std::uint64_t progress, const std::string& text);
    std::uint64_t ExpectedSize() const;
    std::string CurrentUrl() const;
    void EndOfHeaders();
    void HeaderLine(const std::string& line);

    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static int OnPrereq(void* self, char* remoteIp, char* localIp, int remotePort, int localPort);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose,
                                      struct curl_sockaddr* address);
    static int OnTransferInfo(void* self, curl_off_t downloadTotal, curl_off_t downloadNow,
                              curl_off_t uploadTotal, curl_off_t uploadNow);

    CURL* easy_;
    ProgressSink& sink_;
    CurlBodyFile& body_;
    Settings settings_;

    bool aborted_ = false;
    bool answered_ = false;
    bool bodyTooLarge_ = false;
    // Set when a request has gone out and cleared by a redirect, so that the connections a
    // request opens on its own (an FTP data connection) are not reported as new ones.
    bool requestSent_ = false;

    // The response whose header lines are arriving.
    int status_ = 0;
    std::string location_;
    std::string contentType_;

    bool bodyStarted_ = false;
    std::uint64_t bodyBytes_ = 0;
    std::uint64_t reportedBytes_ = 0;
    std::chrono::steady_clock::time_point lastBodyReport_;
};

}  // namespace wexfold
