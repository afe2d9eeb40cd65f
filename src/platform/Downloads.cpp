#include "platform/Downloads.h"

namespace tarn::platform {

std::string DownloadResultText(DownloadResult result) {
    switch (result) {
    case DownloadResult::Ok:
        return "the download succeeded";
    case DownloadResult::CannotConnect:
        return "could not connect to the server";
    case DownloadResult::NotFound:
        return "the file was not found on the server";
    case DownloadResult::LoginRefused:
        return "the server refused the login";
    case DownloadResult::ConnectionLost:
        return "the connection was lost";
    case DownloadResult::ShortFile:
        return "the server sent less than the whole file";
    case DownloadResult::TimedOut:
        return "the server stopped sending";
    case DownloadResult::Aborted:
        return "the download was stopped";
    case DownloadResult::CannotWrite:
        return "the file could not be written";
    case DownloadResult::Failed:
        break;
    }
    return "the download failed";
}

DownloadResult HttpStatusResult(long status) {
    switch (status) {
    case 404:
    case 410:
        return DownloadResult::NotFound;
    case 401:
    case 403:
        return DownloadResult::LoginRefused;
    default:
        return DownloadResult::Failed;
    }
}

} // namespace tarn::platform
