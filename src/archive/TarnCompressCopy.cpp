// Copying a file that is installed without being archived, under the overwrite rule.
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/BusyCursor.h"
#include "archive/InstallAbort.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "framework/FileStream.h"
#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Text.h"

#include <vector>

namespace tarn::archive {
namespace {

constexpr std::size_t kChunk = 8192;

} // namespace

void TTarnCompress::CopyUncompressed(const std::string& source, const std::string& dest) {
    BusyCursor busy;
    abort_ = false;
    offset_ = 0;
    skip_ = false;
    extractDirectory_ = ExtractFilePath(dest);
    targetName_ = ExtractFileName(dest);
    std::string target = dest;
    if (FileExists(target)) {
        switch (version::TVersionResource::IsFileNewerByName(source, target, overwrite_)) {
        case version::cmpFailed:
            throw ETarnCompress(SCompareFailed);
        case version::cmpNewFileNewer:
        case version::cmpAsk:
            if (OnReplace) {
                OnReplace(*this, TlzhFileStats{});
                target = IncludeBackslash(extractDirectory_) + ExtractFileName(targetName_);
            }
            break;
        default:
            return;
        }
    }
    if (skip_) return;
    try {
        CopyFile(source, target);
    } catch (...) {
        CloseStreams();
        throw;
    }
    CloseStreams();
}

void TTarnCompress::CopyFile(const std::string& source, const std::string& dest) {
    TlzhFileStats stats;
    stats.FileName = source;
    platform::FILETIME stamp = 0;
    try {
        file_ = std::make_unique<TFileStream>(source, fmOpenRead | fmShareDenyNone);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotOpenFile, source);
    }
    platform::Files().GetFileTime(file_->Handle(), stamp);
    stats.OriginalSize = file_->Size();
    try {
        archive_ = std::make_unique<TFileStream>(dest, fmCreate);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotCreateFile, dest);
    }
    std::vector<std::uint8_t> chunk(kChunk);
    for (;;) {
        if (abort_) return; // stops quietly, leaving what was written
        if (InstallAborted) throw EUserAbortInstall(SCreatingInstallAborted);
        const std::size_t n = file_->Read(chunk.data(), chunk.size());
        const std::size_t written = n == 0 ? 0 : archive_->Write(chunk.data(), n);
        if (written < n) DiskFull();
        stats.FileBytesDone += static_cast<std::int64_t>(written);
        stats.TotalBytesDone += static_cast<std::int64_t>(written);
        stats.FilePercent = Percent(stats.FileBytesDone, stats.OriginalSize);
        stats.TotalPercent = stats.FilePercent;
        if (OnStatus) OnStatus(*this, stats);
        Pump();
        if (n < chunk.size()) {
            platform::Files().SetFileTime(archive_->Handle(), stamp);
            stats.Finished = true;
            if (OnStatus) OnStatus(*this, stats);
            return;
        }
    }
}

} // namespace tarn::archive
