// A file's part of a build: its one member in its archive, and its net file list record.
#include "archive/cmp_TTarnCompress.h"
#include "framework/Streams.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_Build.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "install/cmp_TInstallContainer_InstallFileText.h"
#include "routines/routines_Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tarn::install {

namespace {

void PutLittleEndian(std::uint8_t* out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

void RequireNetListName(const TCustomInstallFile& file) {
    const std::string& name = file.Name();
    if (name.size() > kNetListNameLength)
        throw IECustomInstallFile(SNameTooLong, name, static_cast<int>(name.size()),
                                  static_cast<int>(kNetListNameLength));
}

void WriteNetListRecord(const TCustomInstallFile& file, TStream& stream) {
    RequireNetListName(file);
    std::array<std::uint8_t, kNetListRecordSize> record{};
    PutLittleEndian(&record[0],
                    static_cast<std::uint32_t>(static_cast<std::int32_t>(file.FileSize)), 4);
    PutLittleEndian(&record[8], std::bit_cast<std::uint64_t>(file.FileDate), 8);
    std::memcpy(&record[16], file.Name().data(), file.Name().size());
    const std::size_t version = std::min(file.Version.size(), kNetListVersionLength);
    std::memcpy(&record[56], file.Version.data(), version);
    stream.WriteBuffer(record.data(), record.size());
}

void TCustomInstallFile::Compress() {
    // Before anything is written: the net list could not name this file afterwards.
    RequireNetListName(*this);
    Operation = 1;
    archive::TTarnCompress& compress = GlobalCompress();
    auto finish = [this, &compress] {
        // The handlers point at this file, which may go before the shared component does.
        compress.OnAborted = nullptr;
        compress.OnStatus = nullptr;
        Operation = 0;
        try {
            NotifyHelpers(this, nfOperationEnds, nullptr);
        } catch (...) {
            compress.SetAbort(true);
            throw;
        }
    };
    try {
        TInstallContainer* container = GetContainer();
        if (OnBeforeCompress) OnBeforeCompress(*this);
        if (container) container->DoInformationEventControl(this, ieBeforeCompress, this);
        const std::string archiveFile = GetArchiveFile();
        if (Blank(archiveFile)) throw IECustomInstallFile(SBlankArchive, SourceFileName);
        if (Include) {
            archive::ForceDirectories(ExcludeBackslash(archive::ExtractFilePath(archiveFile)));
            compress.SetCompressedFile(archiveFile);
            compress.OnAborted = [this](archive::TTarnCompress&) { AbortInstall(); };
            compress.OnStatus = [this](archive::TTarnCompress& sender,
                                       const archive::TlzhFileStats& stats) {
                StatusHandler(sender, stats);
            };
            compress.FilesToProcess().Clear();
            compress.FilesToProcess().Add(ArchiveMemberName());
            compress.AddFiles(AppendToArchive, UniqueID());
            CompressState = 2;
            if (OnAfterCompress) OnAfterCompress(*this);
            if (container) container->DoInformationEventControl(this, ieCompressed, this);
        }
    } catch (const EAbort&) {
        // A handler ended this file's compression: quietly.
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace tarn::install
