#pragma once
#include "net/HttpClient.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace orlinda {

// Downloads one file of an update into its staged place and makes sure it is complete:
// a file already there is resumed with a range request from its length, a file of the
// expected size and CRC-32 is not fetched again, a longer one is fetched anew. Runs on
// the calling thread; Abort may be called from any thread.
//
// Results are a kind and a code as ResultText reads them: kind 0 success; kind 2 an
// HTTP status; kind 3 a socket error; kind 100 with 2 (aborted), 52 (an entry that
// cannot be right), 103/104/105 (the file or its folder), 108 (more data than the file
// should have), 203 (the attempts failed), 204 (the time ran out), 551 (a complete
// download with the wrong CRC), 604/605 (writing or checking the file).
class TDownloader {
public:
    struct TTimings {
        int Budget = 300000;     // ms for one file, all attempts together
        int Attempts = 2;        // requests per file
        int RetryPause = 10000;  // ms between attempts
        int OpenPause = 10000;   // ms before trying to open the file again
    };

    TDownloader();
    ~TDownloader();
    TDownloader(const TDownloader&) = delete;
    TDownloader& operator=(const TDownloader&) = delete;

    // Fetches address into fileName, whose expected size and CRC-32 are given. True when
    // the file is complete.
    bool Fetch(const std::string& address, const std::string& fileName, uint32_t crc, int64_t size);

    // Thread-safe: ends the fetch in progress (the request returns at once) and every
    // fetch after it, until ResetAbort.
    void Abort();
    void ResetAbort() { abort_ = false; }
    bool Aborted() const { return abort_.load(); }

    void SetProxy(const std::string& host, const std::string& port, const std::string& user,
                  const std::string& password);
    void SetTimings(const TTimings& timings) { timings_ = timings; }
    const TTimings& Timings() const { return timings_; }

    int ResultKind() const { return kind_.load(); }
    int ResultCode() const { return code_.load(); }
    THTTPClient& Client() { return client_; }

private:
    void SetResult(int kind, int code)
    {
        kind_ = kind;
        code_ = code;
    }
    bool Succeed();
    uint32_t Elapsed() const;
    bool TimeUp() const;
    // Sleeps up to ms in 50 ms steps; ends early on abort or when the time is up.
    void Pause(int ms);
    int OpenTarget(const std::string& fileName);
    int64_t FileLength() const;
    bool Truncate();
    // 1: complete, 0: not complete, -1: the file could not be read.
    int Complete();
    void OnData(THTTPClient& sender, int httpCode, int64_t offset, const char* data, int size);

    THTTPClient client_;
    TTimings timings_;
    std::string proxyHost_, proxyPort_, proxyUser_, proxyPass_;
    std::atomic<bool> abort_{false};
    std::atomic<int> kind_{100};
    std::atomic<int> code_{-1};

    // The fetch in progress.
    int fd_ = -1;
    int64_t size_ = 0;
    uint32_t crc_ = 0;
    uint32_t start_ = 0;
    int64_t interval_ = 32768;
    int64_t sinceCheck_ = 0;
    bool done_ = false;
    bool stop_ = false;
};

} // namespace orlinda
