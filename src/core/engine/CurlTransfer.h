// One libcurl transfer: its easy handle and options, the callbacks that turn its course into
// status reports for a ProgressSink, the body (streamed into a file, or only counted), and the
// outcome once it has ended. Run by curl_easy_perform or by a multi handle.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/engine/CurlAddress.h"
#include "core/engine/CurlBodyFile.h"
#include "core/engine/CurlLimits.h"
#include "core/engine/Downloader.h"

namespace wexfold {

// Sets libcurl up once per process; false when that failed.
bool InitCurl();

class CurlTransfer {
  public:
    // With a null body the body is counted and dropped. The address is read at Setup.
    CurlTransfer(const CurlAddress& address, const CurlLimits& limits, ProgressSink& sink,
                 CurlBodyFile* body);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Makes the handle and sets its options and callbacks: user and password are sent as they
    // are, never read from the address. Every transfer resolves, connects and handshakes
    // afresh. With pollStop the sink's StopRequested is asked at least once a second; without,
    // the caller ends a stopped transfer itself. False when libcurl refuses (no memory).
    bool Setup(const std::string& user = {}, const std::string& password = {},
               bool pollStop = true);
    CURL* Handle() const { return easy_; }

    // The transfer is being ended from outside (a stop): it ends as aborted.
    void Abort() { aborted_ = true; }

    // Code 1, reported right before the transfer starts; false when the sink refused it.
    bool ReportFindingResource();

    // The transfer ended with code: its outcome. A success also reports the end of the body
    // (and the file written).
    FetchOutcome End(CURLcode code);

  private:
    bool Report(std::uint32_t code, std::uint64_t progress, const char* text);
    void ReportAnswer();
    std::uint64_t ExpectedSize() const;
    const char* CurrentUrl() const;
    void EndOfHeaders();
    void HeaderLine(std::string_view line);
    bool ServerSentUnreadableAnswer(CURLcode code) const;
    std::string Describe(CURLcode code) const;

    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose,
                                      struct curl_sockaddr* address);
    static int OnTransferInfo(void* self, curl_off_t downloadTotal, curl_off_t downloadNow,
                              curl_off_t uploadTotal, curl_off_t uploadNow);

    const CurlAddress& address_;
    const CurlLimits& limits_;
    ProgressSink& sink_;
    CurlBodyFile* body_;
    CURL* easy_ = nullptr;
    char errorBuffer_[CURL_ERROR_SIZE] = "";
    bool ftp_ = false;

    bool aborted_ = false;
    bool answered_ = false;  // a report above 2 went out: the server has answered
    bool bodyTooLarge_ = false;
    // Set when the first byte of the server's answer to the current request arrives (a status
    // line, an FTP greeting) and cleared by a redirect, so that the connections a request opens
    // on its own (an FTP data connection) are not reported as new ones.
    bool answerSeen_ = false;
    std::string socketError_;  // why a socket could not be had

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
