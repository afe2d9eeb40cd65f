#include "platform/portable/CurlDownloads.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string_view>

namespace tarn::platform::portable {
namespace {

using Clock = std::chrono::steady_clock;

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

// What the callbacks share with Fetch.
struct Transfer {
    CURL* easy;
    const DownloadSink& sink;
    const DownloadProgress& progress;
    std::chrono::seconds stallLimit;
    Clock::time_point lastByte = Clock::now();
    std::uint64_t bytes = 0;
    std::uint64_t reportedTotal = 0;
    std::uint64_t reportedDone = 0;
    bool reported = false;
    bool sinkRefused = false;
    bool progressRefused = false;
    bool stalled = false;

    Clock::time_point reportedAt{};

    // False once the caller wants the download stopped. Unchanged figures are passed on again
    // after a while, so that a caller can stop a download the server has gone silent on.
    bool Report(curl_off_t total) {
        const auto announced = static_cast<std::uint64_t>(total > 0 ? total : 0);
        const Clock::time_point now = Clock::now();
        if (reported && announced == reportedTotal && bytes == reportedDone &&
            now - reportedAt < std::chrono::milliseconds(500))
            return true;
        reported = true;
        reportedTotal = announced;
        reportedDone = bytes;
        reportedAt = now;
        if (!progress || progress(announced, bytes)) return true;
        progressRefused = true;
        return false;
    }
};

// libcurl hands over up to 16 KiB at a time but may take in many such blocks before it calls
// the progress function, so the progress is reported from here too: a stop then takes effect
// within a block.
size_t OnData(char* data, size_t size, size_t count, void* context) {
    auto& t = *static_cast<Transfer*>(context);
    const size_t n = size * count;
    if (n == 0) return 0;
    if (!t.sink(data, n)) {
        t.sinkRefused = true;
        return 0; // anything but n ends the transfer with CURLE_WRITE_ERROR
    }
    t.bytes += n;
    t.lastByte = Clock::now();
    curl_off_t total = -1;
    curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
    return t.Report(total) ? n : 0;
}

// libcurl calls this at least once a second, also while nothing arrives, which is what the
// stall limit needs: its own low-speed check averages over several seconds and so reacts to a
// server that stops after a burst only long after the limit.
int OnProgress(void* context, curl_off_t total, curl_off_t, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(context);
    if (Clock::now() - t.lastByte > t.stallLimit) {
        t.stalled = true;
        return 1;
    }
    return t.Report(total) ? 0 : 1;
}

void InitialiseOnce() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    static_cast<void>(initialised);
}

// A URL path as RFC 3986 allows it, each other byte percent-encoded (curl decodes it again for
// FTP).
std::string EncodePath(const std::string& path) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) !=
                               std::string_view::npos;
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string UrlOf(const DownloadRequest& request) {
    const bool http = request.protocol == DownloadProtocol::Http;
    std::string host = request.host;
    if (host.find(':') != std::string::npos) host = "[" + host + "]";
    std::string path = request.remotePath;
    if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
    return std::string(http ? "http://" : "ftp://") + host + ":" +
           std::to_string(EffectivePort(request)) + EncodePath(path);
}

DownloadResult ResultOf(CURLcode code, CURL* easy, const Transfer& t) {
    switch (code) {
    case CURLE_OK:
        return DownloadResult::Ok;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
        return DownloadResult::CannotConnect;
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return DownloadResult::NotFound;
    case CURLE_LOGIN_DENIED:
        return DownloadResult::LoginRefused;
    case CURLE_HTTP_RETURNED_ERROR: {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        return HttpStatusResult(status);
    }
    case CURLE_PARTIAL_FILE:
        return DownloadResult::ShortFile;
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return DownloadResult::ConnectionLost;
    case CURLE_OPERATION_TIMEDOUT:
        return DownloadResult::TimedOut;
    case CURLE_ABORTED_BY_CALLBACK:
        return t.stalled ? DownloadResult::TimedOut : DownloadResult::Aborted;
    case CURLE_WRITE_ERROR:
        if (t.progressRefused) return DownloadResult::Aborted;
        return DownloadResult::CannotWrite;
    default:
        return DownloadResult::Failed;
    }
}

} // namespace

CurlDownloads::CurlDownloads() {
    InitialiseOnce();
}

DownloadOutcome CurlDownloads::Fetch(const DownloadRequest& request, const DownloadSink& sink,
                                     const DownloadProgress& progress) {
    InitialiseOnce();
    DownloadOutcome outcome;
    EasyHandle easy(curl_easy_init());
    if (!easy) {
        outcome.detail = "libcurl could not make a transfer";
        return outcome;
    }
    CURL* e = easy.get();
    Transfer t{e, sink, progress, std::chrono::seconds(request.stallSeconds)};
    char error[CURL_ERROR_SIZE] = {};
    const std::string url = UrlOf(request);
    const long stall = static_cast<long>(request.stallSeconds);

    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    // A proxy named in the environment must not catch the download (nor loopback tests).
    curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,ftp");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.connectTimeoutSeconds));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, stall);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, 256L * 1024);
    // One RETR of the whole path, as a Windows client asks for the file.
    curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (!request.user.empty()) {
        curl_easy_setopt(e, CURLOPT_USERNAME, request.user.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, request.password.c_str());
    }
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(e);
    outcome.bytes = t.bytes;
    outcome.result = ResultOf(code, e, t);
    if (code != CURLE_OK) {
        if (t.stalled)
            outcome.detail = "no data for " + std::to_string(request.stallSeconds) + " seconds";
        else if (t.progressRefused)
            outcome.detail = "stopped by the caller";
        else if (t.sinkRefused)
            outcome.detail = "the data could not be stored";
        else
            outcome.detail = error[0] ? error : curl_easy_strerror(code);
        return outcome;
    }
    curl_off_t announced = -1;
    curl_easy_getinfo(e, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0 && t.bytes < static_cast<std::uint64_t>(announced)) {
        outcome.result = DownloadResult::ShortFile;
        outcome.detail =
            "received " + std::to_string(t.bytes) + " of " + std::to_string(announced) + " bytes";
        return outcome;
    }
    // The last report, in case libcurl's came before the last block: the file is whole, so
    // the answer no longer matters.
    t.Report(announced);
    return outcome;
}

} // namespace tarn::platform::portable
