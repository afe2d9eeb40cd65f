// Splitting an archive into a volume set: the header table on the first volume, then the
// members' compressed data, continued on the next volume whenever one is full.
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileStream.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Text.h"

#include <algorithm>
#include <vector>

namespace tarn::archive {
namespace {

constexpr std::size_t kChunk = 8192;
constexpr int kMaxVolume = 255;

} // namespace

void TTarnCompress::SplitToDisks(std::string destDirectory, const std::string& volumeFileName) {
    abort_ = false;
    Run(
        [&] {
            NeedTable();
            // Its data continue on other volumes, which the table's positions point into.
            if (headers_.MultiDisk != 0) throw ETarnCompress(SVolumeSetSplit, compressedFile_);
            currentVolume_ = 1;
            headers_.MultiDisk = 1;
            headers_.Totals(stats_);
            // The source is only read, so that an archive on read-only media splits too.
            try {
                archive_ =
                    std::make_unique<TFileStream>(compressedFile_, fmOpenRead | fmShareDenyNone);
            } catch (const EStreamError&) {
                throw ETarnCompress(SCannotOpenCompressed, compressedFile_);
            }
            std::string firstVolume =
                IncludeBackslash(destDirectory) + ExtractFileName(volumeFileName);
            std::unique_ptr<TFileStream> volume;
            try {
                volume = std::make_unique<TFileStream>(firstVolume, fmCreate);
            } catch (const EStreamError&) {
                throw ETarnCompress(SCannotCreateFile, firstVolume);
            }
            headers_.Write(*volume);
            for (int i = 0; i < headers_.Count(); ++i)
                SplitMember(headers_.GetFileHeaders(i).Record, destDirectory, volumeFileName,
                            volume);
            volume.reset();
            OpenVolume(volume, 1, fmOpenReadWrite | fmShareDenyNone, firstVolume);
            headers_.Write(*volume);
        },
        true);
    // The table now describes the volumes, not CompressedFile: read it again when next needed.
    loaded_ = false;
}

void TTarnCompress::SplitMember(TFileHeaderRecord& header, std::string& destDirectory,
                                const std::string& volumeFileName,
                                std::unique_ptr<TFileStream>& volume) {
    FillMemberStatus(header);
    archive_->Seek(static_cast<std::int64_t>(offset_) + header.DataStart, soFromBeginning);
    const std::int64_t lastByte = static_cast<std::int64_t>(offset_) + header.LastBytePos;
    header.DataStart = static_cast<std::int32_t>(volume->Position());
    header.FirstDisk = static_cast<std::uint8_t>(currentVolume_);

    std::vector<std::uint8_t> chunk(kChunk);
    for (;;) {
        CheckAbort();
        const std::int64_t position = archive_->Position();
        if (position > lastByte) break;
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), lastByte - position + 1));
        const std::size_t n = archive_->Read(chunk.data(), want);
        // The member's data end before its header says: the archive is cut short.
        if (n == 0) throw EReadError();
        Pump();
        const std::size_t written = volume->Write(chunk.data(), n);
        if (written < n) {
            volume.reset();
            if (currentVolume_ == kMaxVolume) throw ETarnCompress(STooManyVolumes);
            ++currentVolume_;
            if (!OnNewDisk) throw ETarnCompress(SNoNewDiskHandler);
            OnNewDisk(*this, currentVolume_, destDirectory);
            const std::string next = IncludeBackslash(destDirectory) +
                                     ChangeFileExt(ExtractFileName(volumeFileName),
                                                   "." + std::to_string(currentVolume_));
            try {
                volume = std::make_unique<TFileStream>(next, fmCreate);
            } catch (const EStreamError&) {
                throw ETarnCompress(SCannotCreateFile, next);
            }
            if (volume->Write(chunk.data() + written, n - written) < n - written)
                throw ETarnCompress(STooLittleSpace);
        }
        stats_.FileBytesDone += static_cast<std::int64_t>(n);
        stats_.TotalBytesDone += static_cast<std::int64_t>(n);
        stats_.FilePercent = Percent(stats_.FileBytesDone, stats_.CompressedSize);
        stats_.TotalPercent = Percent(stats_.TotalBytesDone, stats_.TotalCompressed);
        Status();
    }
    header.LastBytePos = static_cast<std::int32_t>(volume->Position() - 1);
    header.LastDisk = static_cast<std::uint8_t>(currentVolume_);
}

} // namespace tarn::archive
