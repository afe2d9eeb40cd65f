// Extracting members: the overwrite decision, then the member's zlib stream inflated from its
// volumes into the target file.
#include "archive/ArchiveDates.h"
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/ScopeExit.h"
#include "archive/ZlibInflater.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "framework/FileStream.h"
#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Text.h"

#include <algorithm>
#include <vector>

namespace tarn::archive {
namespace {

constexpr std::size_t kInputBlock = 65536;
constexpr std::size_t kOutputBlock = 4096;

} // namespace

void TTarnCompress::ExtractFiles() {
    abort_ = false;
    mode_ = omExtracting;
    CloseStreams();
    const ScopeExit clearList([this] {
        filesToProcess_.Clear();
        targetName_.clear();
    });
    Run(
        [&] {
            NeedTable();
            currentVolume_ = 0;
            headers_.Totals(stats_);
            for (int i = 0; i < filesToProcess_.Count(); ++i) {
                const std::string line = filesToProcess_[i]; // handlers may change the list
                const int index = headers_.Find(line);
                if (index < 0) throw ETarnCompress(SNotInArchive, line, compressedFile_);
                ExtractMember(index);
            }
        },
        true);
}

void TTarnCompress::ExtractMembers(const std::vector<int>& positions) {
    abort_ = false;
    mode_ = omExtracting;
    CloseStreams();
    const ScopeExit clearName([this] { targetName_.clear(); });
    Run(
        [&] {
            NeedTable();
            currentVolume_ = 0;
            headers_.Totals(stats_);
            for (const int index : positions) {
                if (index < 0 || index >= headers_.Count())
                    throw ETarnCompress(SFileNotDefined, index);
                ExtractMember(index);
            }
        },
        true);
}

std::string TTarnCompress::TargetPath() const {
    return IncludeBackslash(extractDirectory_) + targetName_;
}

void TTarnCompress::ExtractMember(int index) {
    skip_ = false;
    const TFileHeaderRecord header = headers_.GetFileHeaders(index).Record;

    FillMemberStatus(header);
    if (TrimBlanks(targetName_).empty()) targetName_ = ExtractFileName(header.FileName);
    if (OnBeforeExtracting) OnBeforeExtracting(*this, stats_);
    // Only a file name: a member's name cannot lead outside the extraction folder.
    targetName_ = ExtractFileName(targetName_);
    std::string target = TargetPath();

    bool write = true;
    if (FileExists(target)) {
        switch (version::TVersionResource::IsFileNewerThan(header.VersionText, header.FileDate,
                                                           target, overwrite_)) {
        case version::cmpFailed:
            throw ETarnCompress(SCompareFailed);
        case version::cmpNewFileNewer:
        case version::cmpAsk:
            if (OnReplace) {
                OnReplace(*this, stats_);
                targetName_ = ExtractFileName(targetName_);
                target = TargetPath();
            }
            break;
        default:
            write = false;
        }
    }
    if (write && !skip_) {
        WriteMember(header, target);
    } else {
        stats_.Finished = true;
        Status();
    }
    targetName_.clear();
}

void TTarnCompress::WriteMember(const TFileHeaderRecord& header, const std::string& target) {
    OpenVolume(archive_, header.FirstDisk == 0 ? 1 : header.FirstDisk, fmOpenRead | fmShareDenyNone,
               compressedFile_);
    currentVolume_ = header.FirstDisk;
    ForceDirectories(ExtractFilePath(target));
    try {
        file_ = std::make_unique<TFileStream>(target, fmCreate);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotCreateFile, target);
    }
    archive_->Seek(static_cast<std::int64_t>(offset_) + header.DataStart, soFromBeginning);
    InflateMember(header);
    stats_.Finished = true;
    Status();
    if (file_->Size() != static_cast<std::int64_t>(header.OriginalSize))
        throw ETarnCompress(SSizeMismatch, header.FileName);
    platform::FILETIME time = 0;
    if (!DayCountToFileTime(header.FileDate, time) ||
        platform::Files().SetFileTime(file_->Handle(), time) != platform::ERROR_SUCCESS)
        throw ETarnCompress(SCannotSetDate);
    file_.reset();
    archive_.reset();
    if (OnAfterExtracting) OnAfterExtracting(*this, stats_);
}

// Inflates the member from the open volume on, one pass per volume it spans. Writing stops, with
// the size error, as soon as the data would grow past the member's size.
void TTarnCompress::InflateMember(const TFileHeaderRecord& header) {
    ZlibInflater inflater;
    std::vector<std::uint8_t> input(kInputBlock);
    std::vector<std::uint8_t> output(kOutputBlock);
    const std::int64_t lastByte = static_cast<std::int64_t>(offset_) + header.LastBytePos;
    std::int64_t produced = 0;

    auto readInput = [&]() -> std::size_t {
        std::size_t want = input.size();
        if (currentVolume_ == header.LastDisk) {
            const std::int64_t position = archive_->Position();
            if (position > lastByte) return 0;
            want = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(want), lastByte - position + 1));
        }
        return archive_->Read(input.data(), want);
    };

    for (int passes = header.LastDisk - currentVolume_ + 1; passes > 0; --passes) {
        for (;;) {
            std::size_t have = 0;
            while (have < output.size() && !inflater.Ended()) {
                if (inflater.NeedsInput()) {
                    const std::size_t n = readInput();
                    if (n == 0) break;
                    inflater.SetInput(input.data(), n);
                }
                have += inflater.Inflate(output.data() + have, output.size() - have);
            }
            CheckAbort();
            Pump();
            if (have > 0) {
                const std::int64_t room = std::max<std::int64_t>(
                    0, static_cast<std::int64_t>(header.OriginalSize) - produced);
                const auto keep = static_cast<std::size_t>(
                    std::min<std::int64_t>(static_cast<std::int64_t>(have), room));
                const std::size_t written = keep == 0 ? 0 : file_->Write(output.data(), keep);
                if (written < keep) DiskFull();
                produced += static_cast<std::int64_t>(have);
                stats_.FileBytesDone += static_cast<std::int64_t>(written);
                stats_.TotalBytesDone += static_cast<std::int64_t>(written);
                stats_.FilePercent = Percent(stats_.FileBytesDone, stats_.OriginalSize);
                stats_.TotalPercent = Percent(stats_.TotalBytesDone, stats_.TotalOriginal);
                Status();
                if (keep < have) throw ETarnCompress(SSizeMismatch, header.FileName);
                continue;
            }
            if (inflater.Ended()) return;
            if (currentVolume_ < header.LastDisk) {
                ++currentVolume_;
                OpenVolume(archive_, currentVolume_, fmOpenRead | fmShareDenyNone, compressedFile_);
                archive_->Seek(0, soFromBeginning);
            }
            break;
        }
    }
}

} // namespace tarn::archive
