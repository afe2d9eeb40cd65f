// The location itself, its list and the unit's state.
#include "install/cmp_TNetInstallLocation.h"

#include "archive/ArchivePaths.h"

#include <algorithm>
#include <memory>

namespace tarn::install {

namespace {

bool Filled(const std::string& text) {
    return !archive::TrimBlanks(text).empty();
}

struct Unit {
    int requests = 0;
    std::unique_ptr<TCustomNetInstallLocationList> locations;
};

Unit& State() {
    static Unit unit;
    return unit;
}

} // namespace

bool IsLoginInformationComplete(const TLoginInformation& info) {
    if (info.Anonymous) return Filled(info.Directory);
    return Filled(info.Directory) || Filled(info.UserName) || Filled(info.Password);
}

TCustomNetInstallLocation::TCustomNetInstallLocation(TComponent* owner) : TComponent(owner) {
    if (auto* list = NetInstallLocationList()) list->Add(this);
}

TCustomNetInstallLocation::~TCustomNetInstallLocation() {
    if (auto* list = NetInstallLocationList()) list->Remove(this);
    if (DefaultNetLocation == this) DefaultNetLocation = nullptr;
}

std::string TCustomNetInstallLocation::RemotePath(const std::string& remoteName) const {
    std::string joined =
        LoginInformation.RootDirectory + "/" + LoginInformation.Directory + "/" + remoteName;
    std::replace(joined.begin(), joined.end(), '\\', '/');
    std::string path;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        if (end > start) path += "/" + joined.substr(start, end - start);
        start = end + 1;
    }
    return path.empty() ? "/" : path;
}

platform::DownloadRequest
TCustomNetInstallLocation::RequestFor(const std::string& remoteName) const {
    platform::DownloadRequest request;
    request.protocol = LoginInformation.Protocol == 1 ? platform::DownloadProtocol::Http
                                                      : platform::DownloadProtocol::Ftp;
    request.host = HostName;
    request.port = Port;
    request.remotePath = RemotePath(remoteName);
    if (!LoginInformation.Anonymous) {
        request.user = LoginInformation.UserName;
        request.password = LoginInformation.Password;
    }
    return request;
}

std::string TCustomNetInstallLocation::LocationText(const std::string& remoteName) const {
    const platform::DownloadRequest request = RequestFor(remoteName);
    return request.host + ":" + std::to_string(platform::EffectivePort(request)) +
           request.remotePath;
}

void TCustomNetInstallLocationList::Add(TCustomNetInstallLocation* location) {
    if (!location) throw IENetInstallLocationList(SNilNetInstallLocation);
    items_.push_back(location);
}

void TCustomNetInstallLocationList::Remove(TCustomNetInstallLocation* location) {
    auto it = std::find(items_.begin(), items_.end(), location);
    if (it != items_.end()) items_.erase(it);
}

TCustomNetInstallLocation* TCustomNetInstallLocationList::Items(int index) const {
    if (index < 0 || index >= Count()) throw EComponentError(SListIndexError, index);
    return items_[static_cast<std::size_t>(index)];
}

TCustomNetInstallLocationList* NetInstallLocationList() {
    return State().locations.get();
}

void InitializeNetInstallLocations() {
    Unit& unit = State();
    if (unit.requests++ > 0) return;
    unit.locations = std::make_unique<TCustomNetInstallLocationList>();
}

void FinalizeNetInstallLocations() {
    Unit& unit = State();
    if (unit.requests == 0 || --unit.requests > 0) return;
    unit.locations.reset();
}

} // namespace tarn::install
