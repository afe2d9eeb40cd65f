// Download service: WinINet, connecting directly (no proxy, no cache, no redirects).
#pragma once

#include "platform/Downloads.h"

namespace tarn::platform::win32 {

class Win32Downloads : public IDownloads {
public:
    DownloadOutcome Fetch(const DownloadRequest& request, const DownloadSink& sink,
                          const DownloadProgress& progress) override;
};

} // namespace tarn::platform::win32
