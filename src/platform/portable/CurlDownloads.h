// The download service of the embedded machine: the host's network through libcurl. The machine
// has no network of its own, so a download reaches whatever the host reaches.
#pragma once

#include "platform/Downloads.h"

namespace tarn::platform::portable {

class CurlDownloads : public IDownloads {
public:
    CurlDownloads(); // initialises libcurl for the process, once
    DownloadOutcome Fetch(const DownloadRequest& request, const DownloadSink& sink,
                          const DownloadProgress& progress) override;
};

} // namespace tarn::platform::portable
