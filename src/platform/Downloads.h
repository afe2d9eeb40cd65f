// Download service: fetches one file from an FTP or HTTP server. The backend only moves bytes;
// the caller stores them through the file system service, so the machine's rules for files
// (read-only drives, disk limits, injected faults) apply to downloads on every backend alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tarn::platform {

enum class DownloadProtocol { Ftp, Http };

struct DownloadRequest {
    DownloadProtocol protocol = DownloadProtocol::Ftp;
    std::string host;
    unsigned port = 0;      // 0: the protocol's default (21, 80)
    std::string remotePath; // "/pub/dir/files.1", '/'-separated, starting with '/'
    std::string user;       // empty: anonymous
    std::string password;
    unsigned connectTimeoutSeconds = 15;
    unsigned stallSeconds = 30; // no byte for this long ends the download as TimedOut
};

enum class DownloadResult {
    Ok,
    CannotConnect,
    NotFound,
    LoginRefused,
    ConnectionLost,
    ShortFile,
    TimedOut,
    Aborted,
    CannotWrite,
    Failed
};

struct DownloadOutcome {
    DownloadResult result = DownloadResult::Failed;
    std::string detail; // the backend's own words, for the log; may be empty
    std::uint64_t bytes = 0;
};

// Receives the data in order; false stops the download with CannotWrite.
using DownloadSink = std::function<bool(const char* data, std::size_t size)>;
// The announced size (0 when unknown) and the bytes so far; false stops it with Aborted. Called
// after each block, and where the backend can, about once a second while nothing arrives.
using DownloadProgress = std::function<bool(std::uint64_t total, std::uint64_t done)>;

class IDownloads {
public:
    virtual ~IDownloads() = default;
    // Ok only when every announced byte has reached the sink.
    virtual DownloadOutcome Fetch(const DownloadRequest& request, const DownloadSink& sink,
                                  const DownloadProgress& progress) = 0;
};

// A short English reason, e.g. "the file was not found on the server".
std::string DownloadResultText(DownloadResult result);
// The result an HTTP status other than 200 stands for.
DownloadResult HttpStatusResult(long status);

// The protocol's port when the request names none.
inline unsigned EffectivePort(const DownloadRequest& request) {
    if (request.port != 0) return request.port;
    return request.protocol == DownloadProtocol::Http ? 80u : 21u;
}

} // namespace tarn::platform
