// A file's size, date and version, read from its source on the build machine or from its
// member's header in an archive; and the plain copy of a file that has no archive.
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "install/cmp_TInstallContainer_InstallFileText.h"
#include "platform/Platform.h"
#include "version/FileDates.h"

namespace tarn::install {

namespace {

constexpr std::size_t kVersionLength = 20;

} // namespace

void TCustomInstallFile::ReadInfoFromSource() {
    const std::string path = ArchiveMemberName();
    platform::IFileSystem& files = platform::Files();
    platform::HANDLE handle = 0;
    if (files.CreateFile(path, platform::GENERIC_READ,
                         platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                         platform::OPEN_EXISTING, 0, handle) != platform::ERROR_SUCCESS)
        throw IECustomInstallFile(SSourceUnreadable, path);
    {
        archive::ScopeExit close([&] { files.CloseFile(handle); });
        platform::FILETIME written = 0;
        std::uint64_t size = 0;
        if (files.GetFileTime(handle, written) != platform::ERROR_SUCCESS ||
            files.GetFileSize(handle, size) != platform::ERROR_SUCCESS)
            throw IECustomInstallFile(SSourceUnreadable, path);
        FileDate = version::LocalFileTimeToDayCount(files.ToLocalFileTime(written));
        FileSize = static_cast<std::int64_t>(size);
    }
    version::TVersionResource& reader = version::NeedSharedVersionResource();
    reader.SetFileName(path);
    reader.ReadVersionInfo(); // the name may be the one it read last time, the file not
    Version = reader.VersionInfo().FileVersion().substr(0, kVersionLength);
}

void TCustomInstallFile::ReadInfoFromArchive() {
    if (IInstallRunner* runner = GlobalInstallDriver(); runner && runner->Running() && InfoLoaded)
        return;
    const int type = DistributeType();
    if (type == 0 || (type == 2 && !NetFile())) return ReadInfoFrom(GetArchiveFile());
    if (HasOwnArchive() && IsArchiveLocal()) {
        std::string recorded;
        return ReadInfoFrom(Blank(LocalFile) && FindLocalFile(recorded) ? recorded : LocalFile);
    }
    auto* files = dynamic_cast<TFileContainer*>(GetContainer());
    if (!files) throw IECustomInstallFile(SNoInfoContainer, Name());
    if (files->IsArchiveLocal())
        ReadInfoFrom(Blank(files->LocalFile) ? files->GetLocalArchive() : files->LocalFile);
}

void TCustomInstallFile::ReadInfoFrom(const std::string& archiveFile) {
    if (Blank(archiveFile)) throw IECustomInstallFile(SBlankArchive, SourceFileName);
    IFileInstallDriver* driver = FileInstallDriver();
    std::unique_ptr<archive::TTarnCompress> own;
    archive::TTarnCompress* compress = nullptr;
    if (driver && SameTextAnsi(driver->ArchiveFile(), archiveFile))
        compress = &GlobalCompress();
    else
        compress = (own = std::make_unique<archive::TTarnCompress>(nullptr)).get();
    compress->SetCompressedFile(archiveFile);
    const int index = compress->IndexOfFileId(UniqueID());
    if (index < 0 || index >= compress->FileCount()) return;
    const archive::TlzhFileStats stats = compress->GetFileStats(index);
    // The lookup answers 0 for an id it does not know: only the file's own member counts.
    if (stats.Header.FileId != UniqueID()) return;
    CompressedSize = static_cast<std::int32_t>(stats.Header.CompressedSize);
    FileDate = stats.Header.FileDate;
    FileSize = stats.Header.OriginalSize;
    Version = stats.Header.VersionText.substr(0, kVersionLength);
    InfoLoaded = true;
}

void TCustomInstallFile::CopyFile() {
    Operation = 3;
    archive::TTarnCompress& compress = GlobalCompress();
    auto finish = [this, &compress] {
        compress.OnStatus = nullptr;
        Operation = 0;
        NotifyHelpers(this, nfOperationEnds, nullptr);
    };
    try {
        if (OnBeforeCopy) OnBeforeCopy(*this);
        TInstallContainer* container = GetContainer();
        if (container) container->DoInformationEventControl(this, ieBeforeCopy, this);
        if (Include) {
            if (Blank(GetDestination())) throw IECustomInstallFile(SBlankDestination, Name());
            archive::ForceDirectories(GetDestination());
            compress.OnStatus = [this](archive::TTarnCompress& sender,
                                       const archive::TlzhFileStats& stats) {
                StatusHandler(sender, stats);
            };
            compress.CopyUncompressed(ArchiveMemberName(), FullDestination());
            if (OnAfterCopy) OnAfterCopy(*this);
            if (container) container->DoInformationEventControl(this, ieCopied, this);
        }
    } catch (const EAbort&) {
        // A handler ended the copy: quietly.
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace tarn::install
