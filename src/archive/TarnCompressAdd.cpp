// Adding files: each member's header is written just before its data, and rewritten once the
// compressed size and positions are known; the archive takes the members in one step at the end.
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/ArchiveTail.h"
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "framework/FileStream.h"
#include "platform/Platform.h"
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
    bool added = false;
    // A table whose new members never reached the file must not answer FileCount.
    const ScopeExit forgetTable([&] {
        if (!added) mode_ = omNone;
    });
    Run(
        [&] {
            RefuseAddingToItself();
            if (append && FileExists(compressedFile_))
                AppendInPlace(fileId);
            else
                WriteAnew(fileId);
            added = true;
        },
        true);
}

// The archive would grow while it is read, until the format's 2 GiB limit stopped it.
void TTarnCompress::RefuseAddingToItself() const {
    if (!FileExists(compressedFile_)) return;
    for (int i = 0; i < filesToProcess_.Count(); ++i)
        if (SameFile(std::string(UpToSemicolon(filesToProcess_[i])), compressedFile_))
            throw ETarnCompress(SAddedToItself, compressedFile_);
}

// The new members go past the old ones, which are never written to; raising the count at the
// start is the last write and makes them part of the archive. Until then a reader, or a writer
// that dies, sees the old archive. Costs what the new members take, whatever the archive's size.
void TTarnCompress::AppendInPlace(std::int32_t fileId) {
    try {
        archive_ =
            std::make_unique<TFileStream>(compressedFile_, fmOpenReadWrite | fmShareDenyWrite);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotCreateFile, compressedFile_);
    }
    headers_.Read(*archive_, 0);
    // The headers of a volume set sit together on its first volume: a member appended after them
    // would be overwritten by the next table written.
    if (headers_.MultiDisk != 0) throw ETarnCompress(SVolumeSetAppend, compressedFile_);
    const std::int64_t size = archive_->Size();
    const std::int64_t end = MembersEnd(headers_, size, compressedFile_);
    if (size > end) {
        // Members an interrupted append never counted are dropped; other bytes are not ours.
        if (!IsUncountedTail(*archive_, end))
            throw ETarnCompress(STrailingBytes, compressedFile_, size - end);
        archive_->SetSize(end);
    }
    headers_.AddFromList(filesToProcess_, true);

    bool counted = false;
    const ScopeExit dropUncounted([&] {
        if (counted || !archive_) return;
        try {
            archive_->SetSize(end);
        } catch (...) {
            // Left for the next append, which recognises and drops them.
        }
    });
    archive_->Seek(end, soFromBeginning);
    AddMembers(fileId);
    headers_.Write(*archive_);
    counted = true;
    archive_.reset();
}

// A new archive is written beside the file and moved over it once complete, so that a failure
// leaves the old file (or none) as it was.
void TTarnCompress::WriteAnew(std::int32_t fileId) {
    headers_.AddFromList(filesToProcess_, false); // every source is looked at before any write
    const std::string folder = ExtractFilePath(compressedFile_);
    ForceDirectories(folder);
    if (DirectoryExists(compressedFile_)) throw ETarnCompress(SCannotCreateFile, compressedFile_);
    if (FileExists(compressedFile_)) {
        // One that cannot be replaced is found out before the work rather than after it.
        try {
            TFileStream probe(compressedFile_, fmOpenReadWrite | fmShareDenyNone);
        } catch (const EStreamError&) {
            throw ETarnCompress(SCannotCreateFile, compressedFile_);
        }
    }
    platform::IFileSystem& files = platform::Files();
    std::string temporary;
    if (files.GetTempFileName(folder.empty() ? "." : folder, "arc", 0, temporary) !=
        platform::ERROR_SUCCESS)
        throw ETarnCompress(SCannotCreateFile, compressedFile_);
    bool placed = false;
    const ScopeExit removeTemporary([&] {
        if (placed) return;
        archive_.reset();
        files.DeleteFile(temporary);
    });
    try {
        archive_ = std::make_unique<TFileStream>(temporary, fmCreate);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotCreateFile, compressedFile_);
    }
    headers_.Write(*archive_);
    AddMembers(fileId);
    archive_.reset();
    if (files.MoveFile(temporary, compressedFile_, platform::MOVEFILE_REPLACE_EXISTING) !=
        platform::ERROR_SUCCESS)
        throw ETarnCompress(SCannotCreateFile, compressedFile_);
    placed = true;
}

void TTarnCompress::AddMembers(std::int32_t fileId) {
    archive_->Seek(0, soFromEnd);
    headers_.Totals(stats_);
    stats_.TotalCompressed = 0;
    for (int i = 0; i < headers_.Count(); ++i) {
        TFileHeader& header = headers_.GetFileHeaders(i);
        if (!header.Loaded) AddMember(header, i, fileId);
    }
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
    // Known before the header goes out, so that a member cut short by a dying writer can be
    // recognised as such.
    record.DataStart = static_cast<std::int32_t>(headerPosition + kFileHeaderSize);
    record.NextHeaderPos = 0;
    record.LastBytePos = 0;
    record.CompressedSize = 0;
    TFileHeaders::WriteHeader(*archive_, record);

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
