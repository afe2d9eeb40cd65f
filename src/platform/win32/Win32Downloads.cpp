#include "platform/win32/WindowsApi.h"

#include <wininet.h>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Downloads.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace tarn::platform::win32 {
namespace {

struct InternetCloser {
    void operator()(void* handle) const { ::InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// Blocks of this size keep the progress reports and the stop check close together.
constexpr ::DWORD kBlock = 64 * 1024;

// The server's last reply (the FTP response line, mostly), empty when there is none.
std::string LastResponse() {
    ::DWORD code = 0;
    ::DWORD length = 0;
    ::InternetGetLastResponseInfoA(&code, nullptr, &length);
    if (length == 0) return {};
    std::string text(length + 1, '\0');
    if (!::InternetGetLastResponseInfoA(&code, text.data(), &length)) return {};
    text.resize(length);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == '\0'))
        text.pop_back();
    return text;
}

// The FTP reply code the response text starts with ("550 No such file" -> 550), else 0.
int ReplyCode(const std::string& response) {
    if (response.size() < 3) return 0;
    for (int i = 0; i < 3; ++i)
        if (response[static_cast<std::size_t>(i)] < '0' ||
            response[static_cast<std::size_t>(i)] > '9')
            return 0;
    return std::atoi(response.substr(0, 3).c_str());
}

// WSAETIMEDOUT, without winsock's header.
constexpr ::DWORD kSocketTimedOut = 10060;

DownloadResult ResultOfError(::DWORD error, const std::string& response) {
    switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return DownloadResult::CannotConnect;
    case ERROR_INTERNET_LOGIN_FAILURE:
    case ERROR_INTERNET_INCORRECT_USER_NAME:
    case ERROR_INTERNET_INCORRECT_PASSWORD:
        return DownloadResult::LoginRefused;
    case ERROR_INTERNET_ITEM_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return DownloadResult::NotFound;
    case ERROR_INTERNET_TIMEOUT:
    case kSocketTimedOut: // what Wine's WinINet reports for a receive that timed out
        return DownloadResult::TimedOut;
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_INTERNET_CONNECTION_ABORTED:
        return DownloadResult::ConnectionLost;
    default:
        break;
    }
    switch (ReplyCode(response)) {
    case 530:
        return DownloadResult::LoginRefused;
    case 550:
        return DownloadResult::NotFound;
    default:
        return DownloadResult::Failed;
    }
}

DownloadOutcome Failure(const char* step) {
    const ::DWORD error = ::GetLastError();
    const std::string response = LastResponse();
    DownloadOutcome outcome;
    outcome.result = ResultOfError(error, response);
    outcome.detail = std::string(step) + " failed with error " + std::to_string(error);
    if (!response.empty()) outcome.detail += ": " + response;
    return outcome;
}

void SetTimeout(::HINTERNET handle, ::DWORD option, unsigned seconds) {
    ::DWORD ms = static_cast<::DWORD>(seconds) * 1000;
    ::InternetSetOptionA(handle, option, &ms, sizeof ms);
}

// On every level of handle: Windows passes the session's limits down, but Wine's request and
// connection handles keep their own, used while they wait for the server.
void SetTimeouts(::HINTERNET handle, const DownloadRequest& request) {
    SetTimeout(handle, INTERNET_OPTION_CONNECT_TIMEOUT, request.connectTimeoutSeconds);
    SetTimeout(handle, INTERNET_OPTION_SEND_TIMEOUT, request.stallSeconds);
    SetTimeout(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, request.stallSeconds);
    SetTimeout(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, request.stallSeconds);
}

// The GET request, sent; on a status other than 200 the outcome says why.
InternetHandle OpenHttp(::HINTERNET connection, const DownloadRequest& request,
                        std::uint64_t& total, DownloadOutcome& outcome) {
    const ::DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD |
                          INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
    InternetHandle file(::HttpOpenRequestA(connection, "GET", request.remotePath.c_str(), nullptr,
                                           nullptr, nullptr, flags, 0));
    if (!file) {
        outcome = Failure("HttpOpenRequest");
        return nullptr;
    }
    SetTimeouts(file.get(), request);
    if (!::HttpSendRequestA(file.get(), nullptr, 0, nullptr, 0)) {
        outcome = Failure("HttpSendRequest");
        return nullptr;
    }
    ::DWORD status = 0;
    ::DWORD size = sizeof status;
    if (!::HttpQueryInfoA(file.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &size, nullptr)) {
        outcome = Failure("HttpQueryInfo");
        return nullptr;
    }
    if (status != 200) {
        outcome.result = HttpStatusResult(static_cast<long>(status));
        outcome.detail = "HTTP status " + std::to_string(status);
        return nullptr;
    }
    // As text: the number form holds only 32 bits.
    char length[32] = {};
    size = sizeof length - 1;
    if (::HttpQueryInfoA(file.get(), HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr))
        total = std::strtoull(length, nullptr, 10);
    return file;
}

InternetHandle OpenFtp(::HINTERNET connection, const DownloadRequest& request, std::uint64_t& total,
                       DownloadOutcome& outcome) {
    InternetHandle file(::FtpOpenFileA(connection, request.remotePath.c_str(), GENERIC_READ,
                                       FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0));
    if (!file) {
        outcome = Failure("FtpOpenFile");
        return nullptr;
    }
    SetTimeouts(file.get(), request);
    ::DWORD high = 0;
    ::SetLastError(0); // a size of 0xFFFFFFFF is an error only with an error code set
    const ::DWORD low = ::FtpGetFileSize(file.get(), &high);
    if (!(low == 0xFFFFFFFFu && ::GetLastError() != 0))
        total = (static_cast<std::uint64_t>(high) << 32) | low;
    return file;
}

} // namespace

DownloadOutcome Win32Downloads::Fetch(const DownloadRequest& request, const DownloadSink& sink,
                                      const DownloadProgress& progress) {
    const bool http = request.protocol == DownloadProtocol::Http;
    InternetHandle session(
        ::InternetOpenA("Tarnwell", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) return Failure("InternetOpen");
    SetTimeouts(session.get(), request);

    const char* user = request.user.empty() ? nullptr : request.user.c_str();
    const char* password = request.user.empty() ? nullptr : request.password.c_str();
    InternetHandle connection(::InternetConnectA(
        session.get(), request.host.c_str(), static_cast<INTERNET_PORT>(EffectivePort(request)),
        user, password, http ? INTERNET_SERVICE_HTTP : INTERNET_SERVICE_FTP,
        http ? 0 : INTERNET_FLAG_PASSIVE, 0));
    if (!connection) return Failure("InternetConnect");
    SetTimeouts(connection.get(), request);

    DownloadOutcome outcome;
    std::uint64_t total = 0;
    InternetHandle file = http ? OpenHttp(connection.get(), request, total, outcome)
                               : OpenFtp(connection.get(), request, total, outcome);
    if (!file) return outcome;

    if (progress && !progress(total, 0)) {
        outcome.result = DownloadResult::Aborted;
        return outcome;
    }
    std::vector<char> buffer(kBlock);
    for (;;) {
        ::DWORD read = 0;
        if (!::InternetReadFile(file.get(), buffer.data(), kBlock, &read)) {
            const std::uint64_t bytes = outcome.bytes;
            outcome = Failure("InternetReadFile");
            outcome.bytes = bytes;
            return outcome;
        }
        if (read == 0) break;
        if (!sink(buffer.data(), read)) {
            outcome.result = DownloadResult::CannotWrite;
            return outcome;
        }
        outcome.bytes += read;
        if (progress && !progress(total, outcome.bytes)) {
            outcome.result = DownloadResult::Aborted;
            return outcome;
        }
    }
    if (total > 0 && outcome.bytes < total) {
        outcome.result = DownloadResult::ShortFile;
        outcome.detail =
            "received " + std::to_string(outcome.bytes) + " of " + std::to_string(total) + " bytes";
        return outcome;
    }
    outcome.result = DownloadResult::Ok;
    return outcome;
}

} // namespace tarn::platform::win32
