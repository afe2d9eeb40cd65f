// The install tree: the install component at the root, file containers and groups below it,
// install files and other install objects as leaves. A node finds its parent through Container
// and keeps its children (helpers) ordered by registered type, which is also the order they are
// installed in. Information events travel up the tree (DoInformationEventControl), notifications
// down (NotifyHelpers).
//
// The nodes answer the path specifiers through paths::IInstallNode; the reference-counted
// interfaces a COM-style tree would hand around are plain virtual members here.
#pragma once

#include "framework/Component.h"
#include "framework/Object.h"
#include "framework/StringList.h"
#include "install/cmp_TInstallContainer_Errors.h"
#include "install/cmp_TInstallContainer_Parameters.h"
#include "paths/InstallTree.h"
#include "paths/PathPair.h"
#include "paths/cmp_TPathSpecifier.h"
#include "routines/routines_FileSystem.h"
#include "version/cmp_TVersion.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::archive {
class TTarnCompress;
}

namespace tarn::install {

class TInstallObject;
class TFileContainer;
class TCustomInstallFile;
class TInstallFile;
class TpsFileContainer;
class TCustomNetInstallLocation;
using paths::TCustomPathSpecifier;

using TNotifyEvent = std::function<void(TComponent& sender)>;
using TInstallDoneEvent = std::function<void(TFileContainer& sender, bool aborted)>;
// file, percent of the file, percent of the whole operation
using TFileStatusEvent = std::function<void(TCustomInstallFile& file, std::int32_t filePercent,
                                            std::int32_t totalPercent)>;
// file (or node), volume number, the folder it is looked for in (may be changed)
using TNewDiskEvent = std::function<void(TComponent& file, int diskNumber, std::string& path)>;
using TReplaceFileEvent = std::function<void(TCustomInstallFile& file)>;
// sender, file name, status, size, bytes done, extra
using TDownloadStatusEvent =
    std::function<void(TComponent& sender, const std::string& fileName, std::int32_t status,
                       std::int64_t size, std::int64_t done, std::int32_t extra)>;

// A small set of the numbers 0 .. 15 (version codes, install types).
class TNumberSet {
public:
    constexpr TNumberSet() = default;
    constexpr TNumberSet(std::initializer_list<int> items) {
        for (int i : items)
            Include(i);
    }
    constexpr bool Contains(int n) const { return n >= 0 && n < 16 && (bits_ >> n & 1u) != 0; }
    constexpr void Include(int n) {
        if (n >= 0 && n < 16) bits_ = static_cast<std::uint16_t>(bits_ | 1u << n);
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint16_t Bits() const { return bits_; }
    friend constexpr bool operator==(TNumberSet, TNumberSet) = default;

private:
    std::uint16_t bits_ = 0;
};

// The install component as the tree sees it: the driver of an install run. It implements this
// and registers itself with SetGlobalInstallDriver while it lives.
class IInstallRunner {
public:
    virtual ~IInstallRunner() = default;
    virtual TFileContainer& RunnerNode() = 0;
    // An install run is under way.
    virtual bool Running() const = 0;
    virtual std::string ProductName() const = 0;
};

// The record key of a product: kUninstallKey followed by the product name.
inline constexpr const char* kUninstallKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A node that can hold helpers and has a destination.
class TInstallContainer : public TComponent, public paths::IInstallNode {
public:
    static constexpr std::string_view kClassName = "TInstallContainer";
    // The registered type a class asks for in HelperOfClass; -1 where a class has none.
    static constexpr int kRegisteredType = -1;

    explicit TInstallContainer(TComponent* owner);
    ~TInstallContainer() override;

    virtual std::string_view ClassName() const { return kClassName; }

    // Settings.
    bool InstallWithContainer = false;
    bool Include = true;
    bool Installed = false;
    std::uint8_t InstallType = 0; // 0, 1, 2; 3 stands for every install type
    TInstallObject* ExclusiveHelper = nullptr;
    bool RecordForUninstall = true;
    TNumberSet OperatingSystems;
    TNumberSet InstallTypes{0, 1, 2};
    TNotifyEvent OnAfterProcess;
    TNotifyEvent OnBeforeProcess;
    TNotifyEvent OnIncluded;

    const std::string& SubPath() const { return subPath_; }
    TCustomPathSpecifier* DestinationSpecifier() const { return destination_; }

    // Virtual operations.
    int FileContainerCount() const;
    TFileContainer* FileContainers(int index) const;
    virtual void SetSubPath(const std::string& text);
    // Outside loading the specifier is asked to accept this node first (it may refuse).
    virtual void SetDestinationSpecifier(TCustomPathSpecifier* specifier);
    // Told of every node that is destroyed.
    virtual void ContainerRemoved(TInstallContainer* node);
    virtual void SendMessage(const std::string& text);
    virtual void DoInformationEventControl(TComponent* sender, int code, TObject* parameter);
    virtual void HandleNotification(TComponent* sender, int code, TObject* parameter);
    std::string GetDestination() override;
    virtual int RegisteredType() const;
    virtual void AddHelper(TInstallObject* node);
    virtual void Install();
    virtual void Uninstall() {}
    virtual void InstallHelpers();
    virtual bool IsSelected() const;
    virtual void CompleteAfterReboot() {}
    virtual void RemoveHelper(TInstallObject* node);
    virtual void RecordForUninstaller(const std::string& keyPath);

    // Helpers.
    int HelperCount() const { return static_cast<int>(helpers_.size()); }
    TInstallObject* Helper(int index) const;
    const std::vector<TInstallObject*>& Helpers() const { return helpers_; }
    // The index-th helper (from 0) of class T or a descendant.
    template <class T> T* HelperOfClass(int index) const;
    template <class T> int CountHelpersOfClass() const;
    template <class T> void FreeHelpersOfClass();
    // Sets the install type on every helper, their helpers first, then on this node.
    void SetInstallType(std::uint8_t type);
    void NotifyHelpers(TComponent* sender, int code, TObject* parameter);
    void SendNotice();

    // paths::IInstallNode
    TComponent& NodeComponent() override { return *this; }
    Kind NodeKind() const override { return Kind::Other; }
    bool IsFileRelated() const override { return false; }
    paths::IInstallNode* Container() const override { return nullptr; }
    std::string Caption() const override { return ""; }
    std::string GetArchiveFile() override { return ""; }

    // The container this node is placed in; nullptr for the root and plain containers.
    virtual TInstallContainer* ParentNode() const { return nullptr; }

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool Loading() const { return ComponentState().Contains(csLoading); }
    // Being designed: in the designer, or everywhere while DesignOverride is set.
    bool Designing() const;
    // Tells every other node that this one goes; done once, by the most derived level that can.
    void AnnounceRemoval();

    std::vector<TInstallObject*> helpers_; // not owned
    bool destAssigned_ = false;
    bool destDefaulted_ = false;

private:
    void FireEvent(const TNotifyEvent& event);

    std::string subPath_;
    TCustomPathSpecifier* destination_ = nullptr;
    bool removalAnnounced_ = false;
};

// A node with a container.
class TInstallObject : public TInstallContainer {
public:
    static constexpr std::string_view kClassName = "TInstallObject";
    explicit TInstallObject(TComponent* owner);
    ~TInstallObject() override;
    std::string_view ClassName() const override { return kClassName; }

    TInstallContainer* GetContainer() const { return container_; }
    virtual void SetContainer(TInstallContainer* container);

    void ContainerRemoved(TInstallContainer* node) override;
    void Install() override;

    paths::IInstallNode* Container() const override { return container_; }
    TInstallContainer* ParentNode() const override { return container_; }
    void AfterConstruction() override;

protected:
    void Loaded() override;

    bool containerAssigned_ = false;
    bool containerDefaulted_ = false;

private:
    TInstallContainer* container_ = nullptr;
};

// A node bound to files and an archive, which may have to be downloaded first.
class TFileRelated : public TInstallObject {
public:
    static constexpr std::string_view kClassName = "TFileRelated";
    explicit TFileRelated(TComponent* owner);
    std::string_view ClassName() const override { return kClassName; }

    std::string LocalFile; // where the archive was downloaded to
    bool AppendToArchive = false;
    bool InfoLoaded = false;
    TDownloadStatusEvent OnDownloadStatus;

    const std::string& ArchiveSubPath() const { return archive_.SubPath(); }
    TCustomPathSpecifier* ArchiveSpecifier() const { return archive_.Specifier(); }
    bool NetFile() const { return netFile_; }
    TCustomNetInstallLocation* NetLocation() const { return netLocation_; }

    virtual void DownloadStatus(const std::string& fileName, std::int32_t status, std::int64_t size,
                                std::int64_t done, std::int32_t extra);
    virtual void Download();
    virtual bool IsArchiveLocal();
    virtual void StoreLocalFile(const std::string& path);
    virtual void SetArchiveSubPath(const std::string& text);
    virtual void SetArchiveSpecifier(TCustomPathSpecifier* specifier);
    virtual void SetNetFile(bool netFile);
    virtual void SetNetLocation(TCustomNetInstallLocation* location);
    std::string GetArchiveFile() override;
    void SetContainer(TInstallContainer* container) override;

    // The recorded "LocalFile" of an earlier download, when it still names a file.
    bool FindLocalFile(std::string& path) const;
    TCustomNetInstallLocation* FindNetLocation() const;
    // The folder of this node's archive below the build folder of a net install.
    std::string NetPath() const;

    bool IsFileRelated() const override { return true; }
    void AfterConstruction() override;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    // The registry key the downloaded archive of this node is remembered under; "" when none.
    std::string LocalFileKey() const;

    bool archiveAssigned_ = false;
    bool archiveDefaulted_ = false;

private:
    paths::TPathPair archive_;
    bool netFile_ = true;
    TCustomNetInstallLocation* netLocation_ = nullptr;
};

// The options of a build (TFileContainer::Compress), by bit number.
enum TCompressOption : int {
    coClearLocalArchives = 0, // local files go into the container's archive
    coRelocateArchives = 1,   // local archives elsewhere move below the container's folder
    // Bit 2 is passed by the install driver but tested by no build step.
    coForceNetFilesLocal = 3, // nothing is a net file; no net location is needed
    coForceFilesNet = 4,      // every file is a net file
    coIncludeExcluded = 5,    // excluded objects are built and counted too
};

// A set of the 8 option bits; Bits() is the byte the set is passed as.
class TCompressOptions {
public:
    constexpr TCompressOptions() = default;
    constexpr TCompressOptions(std::initializer_list<int> items) {
        for (int i : items)
            if (i >= 0 && i < 8) bits_ = static_cast<std::uint8_t>(bits_ | 1u << i);
    }
    static constexpr TCompressOptions FromBits(std::uint8_t bits) {
        TCompressOptions options;
        options.bits_ = bits;
        return options;
    }
    constexpr bool Contains(int n) const { return n >= 0 && n < 8 && (bits_ >> n & 1u) != 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(TCompressOptions, TCompressOptions) = default;

private:
    std::uint8_t bits_ = 0;
};

// The options the install driver builds with for its DistributeType (0, 1 or 2).
constexpr TCompressOptions DriverCompressOptions(int distributeType) {
    if (distributeType == 0) return {1, 2, coForceNetFilesLocal, coIncludeExcluded};
    if (distributeType == 1) return {1, 2, coForceFilesNet, coIncludeExcluded};
    return {1, 2, coIncludeExcluded};
}

// A node that holds install files and further containers, and runs the operations on them.
class TFileContainer : public TFileRelated {
public:
    static constexpr std::string_view kClassName = "TFileContainer";
    static constexpr int kRegisteredType = 1000;
    explicit TFileContainer(TComponent* owner);
    ~TFileContainer() override;
    std::string_view ClassName() const override { return kClassName; }

    // Progress of the running operation, in bytes.
    std::int64_t TotalBytes = 0;
    std::int64_t BytesDone = 0;
    std::string CaptionText; // the container's display text
    // 0 none, 1 compressing, 2 installing, 3 copying, 4 handing helpers to a hook
    std::uint8_t Operation = 0;
    bool NotifyInstallDone = true;
    TFileStatusEvent OnFileStatus;
    TNewDiskEvent OnNewDisk;
    TReplaceFileEvent OnReplaceFile;
    TInstallDoneEvent OnInstallDone;
    TNotifyEvent OnBeforeInstallHelpers;

    TpsFileContainer* FileContainerSpecifier() const { return specifier_; }

    virtual bool CreatesFileContainerSpecifier() const { return true; }
    virtual void DoNewDisk(TCustomInstallFile& file, TDiskParameter& disk, TList& list);
    virtual void DoReplaceFile(TCustomInstallFile& file);
    virtual void DoFileStatus(TCustomInstallFile& file, TFileStatusParameter& status);
    virtual std::int64_t TotalSize(bool includeAll, bool recurse);
    virtual void FreeFiles();
    virtual std::string GetLocalArchive();
    std::int64_t DirectSize(bool includeAll) { return TotalSize(includeAll, false); }
    std::int64_t DeepSize(bool includeAll) { return TotalSize(includeAll, true); }
    virtual void ReadInfoFromArchives();
    virtual void ReadInfoFromSources();
    // Puts every included file of the tree below into its archive; a helper's archive settings
    // and Include change only while it is built.
    virtual void Compress(TCompressOptions options);
    // Copies every included file from its source, without archives.
    virtual void CopyFiles();
    virtual std::int64_t TotalCompressedSize(bool includeAll);
    // Some included file travels in this container's shared net archive.
    virtual bool HasContainerNetFiles();

    void DoInformationEventControl(TComponent* sender, int code, TObject* parameter) override;
    int RegisteredType() const override { return kRegisteredType; }
    void InstallHelpers() override;

    int FileCount() const;
    TCustomInstallFile* Files(int index) const;
    TCustomInstallFile* FindFileBySource(const std::string& path) const;
    bool HasNetFiles() const;

    Kind NodeKind() const override { return Kind::FileContainer; }
    std::string Caption() const override { return CaptionText; }

    // The specifier's own hand-over when a stored one replaces the one made here.
    void ReplaceFileContainerSpecifier(TpsFileContainer* specifier);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void HandleStatus(int code, TObject* parameter);
    void HandleSkipped(TObject* parameter);
    void HandleNewDisk(TObject* parameter);
    void HandleDownload(TObject* parameter);
    TCustomInstallFile& RequireFile(TObject* parameter, std::string_view wrongKind);

    TpsFileContainer* specifier_ = nullptr;
};

// Options the install dialogs read for a group.
class TInstallGroupDialogOptions {
public:
    bool AllowChangeDir = true;
    bool AllowExcludeInclude = true;
    bool DisplayDirectory = true;
    bool ShowRegardlessOfInclude = true;
    bool HasPassword = false;
    std::string SmallIcon; // the icon's bytes

    const std::string& Password() const { return password_; }
    // A text that is not empty also sets HasPassword; an empty one leaves it as it is.
    void SetPassword(const std::string& password);
    const TStringList& Description() const { return description_; }
    void SetDescription(const TStringList& lines) { description_.Assign(lines); }
    TStringList& DescriptionLines() { return description_; }

private:
    std::string password_;
    TStringList description_;
};

// A group of files the user can choose in the install dialogs.
class TCustomInstallGroup : public TFileContainer {
public:
    static constexpr std::string_view kClassName = "TCustomInstallGroup";
    static constexpr int kRegisteredType = 500;
    explicit TCustomInstallGroup(TComponent* owner);
    std::string_view ClassName() const override { return kClassName; }

    TInstallGroupDialogOptions& DialogOptions() { return *dialogOptions_; }

    int RegisteredType() const override { return kRegisteredType; }
    // Only the install component or another group may hold a group; none means the install
    // component.
    void SetContainer(TInstallContainer* container) override;
    Kind NodeKind() const override { return Kind::Group; }

private:
    std::unique_ptr<TInstallGroupDialogOptions> dialogOptions_;
};

class TInstallGroup : public TCustomInstallGroup {
public:
    static constexpr std::string_view kClassName = "TInstallGroup";
    using TCustomInstallGroup::TCustomInstallGroup;
    std::string_view ClassName() const override { return kClassName; }
};

// The security description passed when a source file is opened to read its attributes.
struct TSecurityAttributes {
    std::uint32_t Length = 12;
    void* SecurityDescriptor = nullptr;
    bool InheritHandle = false;
};

// The kinds of install file (FileKind). Kinds 2 to 4 fix the destination; every kind but 0 puts
// the overwrite rule on version and date.
enum : std::uint8_t {
    fkOrdinary = 0,
    fkVersioned = 1,
    fkProductSystem = 2, // the product's own System folder
    fkCommonSystem = 3,  // Common Files\System, shared
    fkWindowsSystem = 4, // the Windows system folder, shared
};

// A file's identifier in its archives (the member's file id), held in a process-wide table of
// 2,000 while the file lives.
class TInstallFileId {
public:
    static constexpr int kCount = 2000;
    // The lowest free identifier; IECustomInstallFile when every one is in use, since handing
    // out one that another file holds would make two files share an archive member.
    TInstallFileId();
    ~TInstallFileId();
    TInstallFileId(const TInstallFileId&) = delete;
    TInstallFileId& operator=(const TInstallFileId&) = delete;

    int Value() const { return id_; }
    // The stored identifier of a form being loaded takes the place of the one given out.
    void Replace(int id);
    // After loading: the first loaded file of the process clears what the constructors took,
    // then every loaded file marks its own identifier.
    void Claim();

private:
    int id_ = 0;
};

// One installable file: its source on the build machine, its member in an archive and its
// destination, the rules that tie its kind, extension and destination together, and its
// install: the overwrite decision, a replacement at reboot for a file in use, extraction, shared
// counts, registration and the uninstall record.
class TCustomInstallFile : public TFileRelated {
public:
    static constexpr std::string_view kClassName = "TCustomInstallFile";
    static constexpr int kRegisteredType = 2000;
    explicit TCustomInstallFile(TComponent* owner);
    ~TCustomInstallFile() override;
    std::string_view ClassName() const override { return kClassName; }

    // The latest install of the file.
    bool DestinationExisted = false;
    bool ReplaceAtReboot = false; // written under a temporary name, moved at the next reboot
    bool CopyThisFile = false;

    TSecurityAttributes SecurityAttributes;
    std::string LaunchParameters;
    // Applied by CompleteAfterReboot; {ReadOnly} or empty from the source on every new name.
    TFileAttributeSet Attributes;
    std::int32_t CompressedSize = 0;
    std::uint8_t CompressState = 0; // 2 once compressed in the running build
    double FileDate = 0;            // last write of the source, a local day count
    version::TOverwriteType Overwrite = version::owAlways;
    bool HelpFile = false;
    TNumberSet LaunchKinds; // 0 .. 7
    bool SharedFile = false;
    std::string Version; // the source's file version, at most 20 characters

    // Set directly only while loading; otherwise through the setters, which apply the rules.
    std::int64_t FileSize = 0;
    std::string SourceDirectory;
    std::string SourceFileName;
    std::uint8_t Operation = 0; // 0 none, 1 compressing, 2 installing, 3 copying
    TFileStatusEvent OnStatus;
    TNewDiskEvent OnNewDisk;
    TNotifyEvent OnAfterCompress;
    TNotifyEvent OnAfterCopy;
    TNotifyEvent OnAfterInstall;
    TNotifyEvent OnBeforeCompress;
    TNotifyEvent OnBeforeCopy;
    TNotifyEvent OnBeforeInstall; // EAbort skips the file
    TNotifyEvent OnBeforeReplace;

    const std::string& DestFileName() const { return destFileName_; }
    std::uint8_t FileKind() const { return fileKind_; }
    bool RegisterActiveX() const { return registerActiveX_; }
    int UniqueID() const { return uniqueId_.Value(); }
    // The stored value of a form being loaded.
    void SetUniqueID(int id) { uniqueId_.Replace(id); }

    int RegisteredType() const override { return kRegisteredType; }
    void SetSubPath(const std::string& text) override;
    void SetDestinationSpecifier(TCustomPathSpecifier* specifier) override;
    void SetContainer(TInstallContainer* container) override;
    std::string GetArchiveFile() override;
    // The file's install procedure.
    void InstallHelpers() override;
    void CompleteAfterReboot() override;
    void RecordForUninstaller(const std::string& keyPath) override;

    // Handed to the archive component as its OnAborted: ends the whole install run.
    virtual void AbortInstall();
    virtual void RegisterLibrary();
    virtual void RegisterTypeLibrary();
    virtual void RegisterExecutable();
    // Raises the replace events and, when the destination is in use, switches the file to a
    // temporary name that the next reboot moves over it. EAbort cancels the copy.
    virtual void PrepareReplace();
    virtual void SetRegisterActiveX(bool value);
    virtual void SetDestFileName(const std::string& name);
    virtual void SetSourceFileName(const std::string& name);
    virtual void SetFileKind(std::uint8_t kind);
    virtual void SetSourceDirectory(const std::string& folder);
    // 1 compress, 2 install, 3 copy; Operation is 0 afterwards.
    virtual void Process(std::uint8_t operation);
    // Adds the file as one member (FileId UniqueID) to its archive.
    virtual void Compress();
    // Copies the source itself to the destination, for a file without an archive.
    virtual void CopyFile();
    // Size, date and version from the member's header; once per install run.
    virtual void ReadInfoFromArchive();
    virtual void ReadInfoFromSource();
    // The source's version resource carries an "OLESelfRegister" string.
    virtual bool HasOLESelfRegister();
    virtual bool IncrementSharedCount();
    // Registers the installed component by its extension: a program, a type library or a library.
    void Register();
    // The product record below keyPath lists this file already.
    bool ListedForUninstall(const std::string& keyPath);

    // The new file with its source taken from path (folder, then name, through the rules).
    template <class T = TInstallFile>
    static T* CreateFromFile(TComponent* owner, const std::string& path);
    template <class T = TInstallFile>
    static T* CreateInContainer(TComponent* owner, TInstallContainer* container,
                                const std::string& path);

    // GetDestination, a backslash, DestFileName.
    std::string FullDestination();
    // Where the file ends up: FullDestination, or for a file replaced at the restart the name
    // the restart moves it to. The record and the shared count name this one.
    std::string FinalDestination();
    // SourceDirectory, a backslash, SourceFileName: the source on the build machine and the
    // member's name in the archive.
    std::string ArchiveMemberName() const;
    // Own net location, or an overwrite rule that needs the member before deciding.
    bool HasOwnArchive() const;

    // Installed on the archive component while the file's member is processed: progress goes
    // up the tree, a volume request to whoever answers it (or to the user).
    void StatusHandler(archive::TTarnCompress& sender, const archive::TlzhFileStats& stats);
    void DiskHandler(archive::TTarnCompress& sender, int diskNumber, std::string& path);

    // The property rules: every setter outside loading comes here with its own value new and the
    // others as they are.
    void ApplyProperties(TInstallContainer* container, const std::string& sourceDirectory,
                         bool registerActiveX, std::uint8_t fileKind,
                         TCustomPathSpecifier* destinationSpecifier,
                         const std::string& destFileName, const std::string& subPath,
                         const std::string& sourceFileName);

protected:
    void Loaded() override;

private:
    // What the record lists for the file: its path, with ";0" or ";1" for a server.
    std::string RecordEntry();
    void TakeSourcePath(const std::string& path);
    void ReadInfoFrom(const std::string& archiveFile);
    void Extract(archive::TTarnCompress& compress);
    void AfterInstallSteps();
    void FinishInstall();

    std::string destFileName_;
    std::string replacedName_; // the name a file replaced at the restart takes then
    std::uint8_t fileKind_ = fkOrdinary;
    bool registerActiveX_ = false;
    TInstallFileId uniqueId_;
};

// The install file a form stores.
class TInstallFile : public TCustomInstallFile {
public:
    static constexpr std::string_view kClassName = "TInstallFile";
    using TCustomInstallFile::TCustomInstallFile;
    std::string_view ClassName() const override { return kClassName; }
};

template <class T>
T* TCustomInstallFile::CreateFromFile(TComponent* owner, const std::string& path) {
    std::unique_ptr<T> file(new T(owner)); // an owner takes it over; without one the caller does
    file->AfterConstruction();
    file->TakeSourcePath(path);
    return file.release();
}

template <class T>
T* TCustomInstallFile::CreateInContainer(TComponent* owner, TInstallContainer* container,
                                         const std::string& path) {
    std::unique_ptr<T> file(CreateFromFile<T>(owner, path));
    file->SetContainer(container);
    return file.release();
}

// The path specifier standing for a file container's destination. Owned by the container's owner.
class TpsFileContainer : public paths::TCustomPathSpecifier {
public:
    static constexpr std::string_view kClassName = "TpsFileContainer";
    explicit TpsFileContainer(TComponent* owner, TFileContainer* container = nullptr);
    ~TpsFileContainer() override;
    std::string_view ClassName() const override { return kClassName; }

    TFileContainer* FileContainer() const { return container_; }
    void SetFileContainer(TFileContainer* container);

    void CheckObject(TComponent* object) override;
    std::string GetDescription() override;
    std::string ExpandPath(TComponent* object) override;
    std::string GetCaption() override;
    // A name taken by another component of the owner is made free by renaming that one.
    void SetName(const std::string& name) override;

    // While set, SetName gives the name directly (the container naming its own specifier).
    bool namingByContainer = false;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TFileContainer* container_ = nullptr;
};

// The global state of the unit.
class TInstallContainerList {
public:
    TInstallContainer* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int Count() const { return static_cast<int>(items_.size()); }
    void Add(TInstallContainer* node);
    void Remove(TInstallContainer* node);
    const std::vector<TInstallContainer*>& All() const { return items_; }

private:
    std::vector<TInstallContainer*> items_;
};

class TCustomInstallFileList {
public:
    TCustomInstallFile* Items(int index) const {
        return items_.at(static_cast<std::size_t>(index));
    }
    int Count() const { return static_cast<int>(items_.size()); }
    void Add(TCustomInstallFile* file);
    void Remove(TCustomInstallFile* file);
    void Clear() { items_.clear(); }

private:
    std::vector<TCustomInstallFile*> items_;
};

// nullptr outside the unit's lifetime.
TInstallContainerList* InstallContainerList();
TCustomInstallFileList* InstallFileList();
TCustomInstallFileList* RetryRegistrationList();
// The archive component every node shares; made when the unit starts.
archive::TTarnCompress& GlobalCompress();
inline bool RaiseRegistrationErrors = true;
// The registry key of the running install's record, set by the install component.
inline std::string InstallRecordKey;
inline int NameClashCounter = 0;

IInstallRunner* GlobalInstallDriver();
void SetGlobalInstallDriver(IInstallRunner* driver);

// Counted like the path specifiers' unit: only the first start and the last finish act.
void InitializeInstallContainers();
void FinalizeInstallContainers();

class InstallContainerUnit {
public:
    InstallContainerUnit() { InitializeInstallContainers(); }
    ~InstallContainerUnit() { FinalizeInstallContainers(); }
    InstallContainerUnit(const InstallContainerUnit&) = delete;
    InstallContainerUnit& operator=(const InstallContainerUnit&) = delete;
};

// The standard instance of a specifier class, or nullptr when there is none.
template <class T> T* StandardSpecifier() {
    auto* list = paths::StandardPathSpecList();
    if (!list) return nullptr;
    for (int i = 0; i < list->Count(); ++i)
        if (auto* s = dynamic_cast<T*>(list->Items(i))) return s;
    return nullptr;
}

template <class T> T* TInstallContainer::HelperOfClass(int index) const {
    int seen = 0;
    for (TInstallObject* helper : helpers_)
        if (auto* typed = dynamic_cast<T*>(helper))
            if (seen++ == index) return typed;
    throw IEInstallContainer(SBadHelperOfClass, index, T::kRegisteredType);
}

template <class T> int TInstallContainer::CountHelpersOfClass() const {
    int count = 0;
    for (TInstallObject* helper : helpers_)
        if (dynamic_cast<T*>(helper)) ++count;
    return count;
}

template <class T> void TInstallContainer::FreeHelpersOfClass() {
    for (std::size_t i = helpers_.size(); i > 0; --i) {
        if (i > helpers_.size()) continue; // a destructor may have taken several
        if (auto* typed = dynamic_cast<T*>(helpers_[i - 1])) delete typed;
    }
}

} // namespace tarn::install
