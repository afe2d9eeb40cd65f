// Net install locations: the FTP or HTTP server an install downloads its archives from. A
// location knows its server and login; an install object that needs a file asks it to fetch
// that file (DownloadFile) and fills its OnProgress slot for the time of the download.
#pragma once

#include "framework/ClassRegistry.h"
#include "framework/Component.h"
#include "platform/Downloads.h"
#include "routines/routines_Exceptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::install {

class IENetInstallLocation : public IException {
public:
    using IException::IException;
};

class IENetInstallLocationList : public IException {
public:
    using IException::IException;
};

// The remote name, "host:port/path", the reason.
inline constexpr std::string_view SCouldNotDownload = "Could not download %s from %s: %s";
inline constexpr std::string_view SNilNetInstallLocation =
    "Tried to add a nil object to the net install location list";

struct TLoginInformation {
    bool Anonymous = true;
    std::string RootDirectory; // the root folder on the server ("/pub" or "pub")
    std::string Directory;     // the folder below the root
    std::string UserName;
    std::string Password;
    std::uint8_t Protocol = 0; // 0 FTP, 1 HTTP
};

// Whether the login names enough to download with: an anonymous login needs a folder, any other
// at least one of folder, user name and password (all not blank).
bool IsLoginInformationComplete(const TLoginInformation& info);

class TCustomNetInstallLocation : public TComponent {
public:
    static constexpr std::string_view kClassName = "TCustomNetInstallLocation";
    // status 1 while running, 2 when done; total 0 while the server has not told the size
    using TProgressEvent = std::function<void(
        TCustomNetInstallLocation& sender, const std::string& fileName, std::int32_t status,
        std::int64_t total, std::int64_t done, std::int32_t extra)>;

    // In NetInstallLocationList() for its lifetime, when the unit is alive.
    explicit TCustomNetInstallLocation(TComponent* owner);
    ~TCustomNetInstallLocation() override;

    virtual std::string_view ClassName() const { return kClassName; }

    TLoginInformation LoginInformation;
    std::string HostName;
    unsigned Port = 0; // 0: the protocol's default
    TProgressEvent OnProgress;

    // Fetches remoteName from the location into localPath, a path of the platform's file
    // system: localPath is replaced only by the whole file, and keeps what it had otherwise.
    // Throws IENetInstallLocation on failure; returns quietly, the partial download deleted,
    // when stopped through NetInstallAborted.
    virtual void DownloadFile(const std::string& remoteName, const std::string& localPath);

    // "/" + root + "/" + directory + "/" + remoteName with "\" as "/", without empty parts.
    std::string RemotePath(const std::string& remoteName) const;
    // The request DownloadFile makes: the login's user and password unless it is anonymous.
    platform::DownloadRequest RequestFor(const std::string& remoteName) const;
    // "host:port/path", as the failure messages name the location.
    std::string LocationText(const std::string& remoteName) const;
};

class TNetInstallLocation : public TCustomNetInstallLocation {
public:
    static constexpr std::string_view kClassName = "TNetInstallLocation";
    using TCustomNetInstallLocation::TCustomNetInstallLocation;
    std::string_view ClassName() const override { return kClassName; }
};

// The live locations in order of construction; does not own them.
class TCustomNetInstallLocationList {
public:
    // Throws IENetInstallLocationList for nullptr.
    void Add(TCustomNetInstallLocation* location);
    // Takes out the first entry for location; one not in the list is ignored.
    void Remove(TCustomNetInstallLocation* location);
    TCustomNetInstallLocation* Items(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<TCustomNetInstallLocation*> items_;
};

// nullptr outside the unit's lifetime (see NetInstallLocationUnit).
TCustomNetInstallLocationList* NetInstallLocationList();

// Set by whoever wants the running download stopped (checked between blocks); never cleared
// here, so once set every later download stops at once until its owner clears it.
// The location downloads fall back to: the install component's NetLocation. Cleared when that
// location goes.
inline TCustomNetInstallLocation* DefaultNetLocation = nullptr;
inline bool NetInstallAborted = false;

// Only the first call of several makes the list, and only the last matching Finalize frees it.
void InitializeNetInstallLocations();
void FinalizeNetInstallLocations();

// Keeps the list alive for its lifetime.
class NetInstallLocationUnit {
public:
    NetInstallLocationUnit() { InitializeNetInstallLocations(); }
    ~NetInstallLocationUnit() { FinalizeNetInstallLocations(); }
    NetInstallLocationUnit(const NetInstallLocationUnit&) = delete;
    NetInstallLocationUnit& operator=(const NetInstallLocationUnit&) = delete;
};

// TCustomNetInstallLocation and TNetInstallLocation with HostName, Port and the dotted
// LoginInformation properties, for the stored-form reader and writer.
void RegisterNetInstallLocationClasses(TClassRegistry& registry = TClassRegistry::Global());

} // namespace tarn::install
