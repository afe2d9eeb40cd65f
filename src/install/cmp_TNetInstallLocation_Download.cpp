// A location's download into a file: the bytes go to a temporary beside the target, which
// replaces the target only once it is whole.
#include "install/cmp_TNetInstallLocation.h"

#include "platform/Platform.h"

#include <algorithm>
#include <chrono>

namespace tarn::install {

namespace {

using namespace platform;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kReportBytes = 64 * 1024;
constexpr auto kReportInterval = std::chrono::milliseconds(100);
constexpr std::int32_t kRunning = 1;
constexpr std::int32_t kDone = 2;

// The partial download: deleted when it goes out of scope before Commit has moved it over the
// target, so that no failure or abort leaves it behind.
class TemporaryDownload {
public:
    explicit TemporaryDownload(std::string path) : path_(std::move(path)) {}
    ~TemporaryDownload() {
        Close();
        if (!committed_) platform::Files().DeleteFile(path_);
    }
    TemporaryDownload(const TemporaryDownload&) = delete;
    TemporaryDownload& operator=(const TemporaryDownload&) = delete;

    bool Open() {
        return platform::Files().CreateFile(path_, GENERIC_WRITE, 0, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, file_) == ERROR_SUCCESS;
    }
    bool Write(const char* data, std::size_t size) {
        while (size > 0) {
            const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            DWORD written = 0;
            if (platform::Files().WriteFile(file_, data, piece, written) != ERROR_SUCCESS ||
                written == 0)
                return false;
            data += written;
            size -= written;
        }
        return true;
    }
    bool Commit(const std::string& target) {
        if (!Close()) return false;
        if (platform::Files().MoveFile(path_, target, MOVEFILE_REPLACE_EXISTING) != ERROR_SUCCESS)
            return false;
        committed_ = true;
        return true;
    }

private:
    bool Close() {
        if (file_ == INVALID_HANDLE_VALUE) return true;
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        return platform::Files().CloseFile(file) == ERROR_SUCCESS;
    }

    std::string path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool committed_ = false;
};

} // namespace

void TCustomNetInstallLocation::DownloadFile(const std::string& remoteName,
                                             const std::string& localPath) {
    if (NetInstallAborted) return;
    const DownloadRequest request = RequestFor(remoteName);
    auto fail = [&](DownloadResult result) {
        throw IENetInstallLocation(SCouldNotDownload, remoteName, LocationText(remoteName),
                                   DownloadResultText(result));
    };

    TemporaryDownload temporary(localPath + ".part");
    if (!temporary.Open()) fail(DownloadResult::CannotWrite);

    std::uint64_t reportedBytes = 0;
    Clock::time_point reportedAt;
    bool reported = false;
    auto report = [&](std::int32_t status, std::uint64_t total, std::uint64_t done) {
        if (OnProgress)
            OnProgress(*this, remoteName, status, static_cast<std::int64_t>(total),
                       static_cast<std::int64_t>(done), 0);
    };
    auto progress = [&](std::uint64_t total, std::uint64_t done) {
        UI().ProcessMessages();
        if (NetInstallAborted) return false;
        const Clock::time_point now = Clock::now();
        if (!reported || done - reportedBytes >= kReportBytes ||
            now - reportedAt >= kReportInterval) {
            reported = true;
            reportedBytes = done;
            reportedAt = now;
            report(kRunning, total, done);
        }
        return !NetInstallAborted;
    };
    auto sink = [&](const char* data, std::size_t size) { return temporary.Write(data, size); };

    const DownloadOutcome outcome = Downloads().Fetch(request, sink, progress);
    if (outcome.result == DownloadResult::Aborted || NetInstallAborted) return;
    if (outcome.result != DownloadResult::Ok) fail(outcome.result);
    if (!temporary.Commit(localPath)) fail(DownloadResult::CannotWrite);
    report(kDone, outcome.bytes, outcome.bytes);
}

} // namespace tarn::install
