// A download service that passes every call to another; a decorator derives from it and
// overrides only what it changes (see ForwardingFileSystem.h).
#pragma once

#include "platform/Downloads.h"

namespace tarn::platform {

class ForwardingDownloads : public IDownloads {
public:
    // inner must outlive this object.
    explicit ForwardingDownloads(IDownloads& inner) : inner_(inner) {}

    DownloadOutcome Fetch(const DownloadRequest& request, const DownloadSink& sink,
                          const DownloadProgress& progress) override {
        return inner_.Fetch(request, sink, progress);
    }

protected:
    IDownloads& Inner() const { return inner_; }

private:
    IDownloads& inner_;
};

} // namespace tarn::platform
