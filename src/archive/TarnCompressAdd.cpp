// Adding files: each member's header is written just before its data, and rewritten once the
// compressed size and positions are known.
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileStream.h"
#include "routines/routines_Exceptions.h"

#include <limits>
#include <vector>

namespace tarn::archive {
namespace {

constexpr std::size_t kSourceBlock = 65536;
constexpr std::int64_t kMaxPosition = std::numeric_limits<std::int32_t>::max();

} // namespace

void TTarnCompress::AddFiles(bool append, std::int32_t fileId) {
    abort_ = false;
    mode_ = omAdding;
    loaded_ = false; // the table is rebuilt here; the next reader reads the file again
    headers_.MultiDisk = 0;
    offset_ = 0;
    const ScopeExit clearList([this] { filesToProcess_.Clear(); });
    Run(
        [&] {
            ForceDirectories(ExtractFilePath(compressedFile_));
            const bool existed = append && FileExists(compressedFile_);
            try {
                archive_ = std::make_unique<TFileStream>(
                    compressedFile_, existed ? fmOpenReadWrite | fmShareDenyNone : fmCreate);
            } catch (const EStreamError&) {
                throw ETarnCompress(SCannotCreateFile, compressedFile_);
            }
            if (existed) {
                headers_.Read(*archive_, 0);
                // The headers of a volume set sit together on its first volume: a member
                // appended after them would be overwritten by the next table written.
                if (headers_.MultiDisk != 0) throw ETarnCompress(SVolumeSetAppend, compressedFile_);
                headers_.AddFromList(filesToProcess_, true);
            } else {
                headers_.AddFromList(filesToProcess_, false);
            }
            headers_.Write(*archive_);
            archive_->Seek(0, soFromEnd);
            headers_.Totals(stats_);
            stats_.TotalCompressed = 0;
            for (int i = 0; i < headers_.Count(); ++i) {
                TFileHeader& header = headers_.GetFileHeaders(i);
                if (!header.Loaded) AddMember(header, i, fileId);
            }
            loaded_ = false;
            archive_.reset();
        },
        true);
}

void TTarnCompress::AddMember(TFileHeader& header, int position, std::int32_t fileId) {
    try {
        file_ = std::make_unique<TFileStream>(header.SourceName, fmOpenRead | fmShareDenyNone);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotOpenFile, header.SourceName);
    }
    TFileHeaderRecord& record = header.Record;
    const std::int64_t headerPosition = archive_->Position();
    if (headerPosition + static_cast<std::int64_t>(kFileHeaderSize) > kMaxPosition)
        throw ETarnCompress(SArchiveTooLarge, compressedFile_);
    TFileHeaders::WriteHeader(*archive_, record);
    record.DataStart = static_cast<std::int32_t>(archive_->Position());

    FillMemberStatus(record);
    stats_.CompressedSize = 0;
    if (OnBeforeAdding) OnBeforeAdding(*this, stats_);

    std::int64_t consumed = 0;
    {
        TCompressionStream compressor(compressionLevel_, *archive_);
        compressor.OnProgress = [this](TCustomZlibStream&) { AddStatus(false); };
        std::vector<std::uint8_t> block(kSourceBlock);
        for (;;) {
            const std::size_t n = file_->Read(block.data(), block.size());
            if (n == 0) break;
            consumed += static_cast<std::int64_t>(n);
            if (consumed > kMaxPosition) throw ETarnCompress(SFileTooLarge, header.SourceName);
            compressor.WriteBuffer(block.data(), n);
        }
        compressor.Finish();
    }
    AddStatus(true);

    const std::int64_t end = archive_->Position();
    if (end > kMaxPosition) throw ETarnCompress(SArchiveTooLarge, compressedFile_);
    const std::int64_t compressed = end - record.DataStart;
    stats_.TotalCompressed += compressed;
    // The header describes the data written, also when the file changed since it was looked at.
    record.OriginalSize = static_cast<std::uint32_t>(consumed);
    record.LastBytePos = static_cast<std::int32_t>(end - 1);
    record.NextHeaderPos = static_cast<std::int32_t>(end);
    record.CompressedSize = static_cast<std::uint32_t>(compressed);
    record.FileId = fileId;
    if (fileId >= 0 && fileId < kIndexedFileIds)
        index_[static_cast<std::size_t>(fileId)] = position;

    archive_->Seek(headerPosition, soFromBeginning);
    TFileHeaders::WriteHeader(*archive_, record);
    archive_->Seek(0, soFromEnd);
    if (OnAfterAdding) OnAfterAdding(*this, stats_);
    file_.reset();
}

// A progress step of adding: after each 64 KiB of compressed output, and once more (final) after
// the member's stream has ended.
void TTarnCompress::AddStatus(bool final) {
    CheckAbort();
    Pump();
    if (!archive_ || !file_) throw ETarnCompress(SNilDestFile);
    const std::int64_t readPosition = file_->Position();
    stats_.TotalBytesDone += readPosition - stats_.FileBytesDone;
    stats_.FileBytesDone = readPosition;
    stats_.CompressedSize = archive_->Size() - stats_.Header.DataStart;
    stats_.FilePercent = Percent(stats_.FileBytesDone, stats_.OriginalSize);
    stats_.TotalPercent = Percent(stats_.TotalBytesDone, stats_.TotalOriginal);
    if (final) {
        stats_.Finished = true;
        stats_.Ratio = Percent(stats_.CompressedSize, stats_.OriginalSize);
    }
    Status();
    stats_.Finished = false;
}

} // namespace tarn::archive
