// The component's state, its table and status record, and the operations that only read the
// table (FileCount, GetFileStats, IndexOfFileId, ListFiles). Adding, extracting, splitting and
// copying live in TarnCompress*.cpp.
#include "archive/cmp_TTarnCompress.h"

#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/BusyCursor.h"
#include "framework/FileExists.h"
#include "framework/FileStream.h"
#include "framework/TextCase.h"
#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Text.h"

namespace tarn::archive {
TTarnCompress::TTarnCompress(TComponent* owner) : TComponent(owner) {}

TTarnCompress::~TTarnCompress() = default;

void TTarnCompress::SetCompressedFile(const std::string& fileName) {
    if (SameTextAscii(fileName, compressedFile_)) return;
    if (loaded_ &&
        !SameTextAscii(ChangeFileExt(fileName, ".1"), ChangeFileExt(compressedFile_, ".1")))
        loaded_ = false;
    compressedFile_ = fileName;
}

void TTarnCompress::SetFilesToProcess(TStringList& files) {
    for (int i = files.Count() - 1; i >= 0; --i)
        if (TrimBlanks(files[i]).empty()) files.Delete(i);
    filesToProcess_.Assign(files);
}

void TTarnCompress::LoadTable() {
    std::unique_ptr<TFileStream> file;
    if (!FileExists(compressedFile_)) throw ETarnCompress(SCannotOpenCompressed, compressedFile_);
    try {
        file = std::make_unique<TFileStream>(compressedFile_, fmOpenRead | fmShareDenyNone);
    } catch (const EStreamError&) {
        throw ETarnCompress(SCannotOpenCompressed, compressedFile_);
    }
    loaded_ = false;
    index_.fill(0);
    // Too short for the preamble is the one damage told apart from the rest.
    if (offset_ < 0 || file->Size() - offset_ < kPreambleSize)
        throw ETarnCompress(SCannotReadHeaderCount);
    try {
        headers_.Read(*file, offset_);
    } catch (const Exception&) {
        throw ETarnCompress(SCannotReadHeaders);
    }
    for (int i = 0; i < headers_.Count(); ++i) {
        const std::int32_t id = headers_.GetFileHeaders(i).Record.FileId;
        if (id >= 0 && id < kIndexedFileIds) index_[static_cast<std::size_t>(id)] = i;
    }
    loaded_ = true;
}

void TTarnCompress::NeedTable() {
    if (!loaded_) LoadTable();
}

void TTarnCompress::FillMemberStatus(const TFileHeaderRecord& header) {
    stats_.FileName = header.FileName;
    stats_.OriginalSize = header.OriginalSize;
    stats_.CompressedSize = header.CompressedSize;
    stats_.Ratio = Percent(header.CompressedSize, header.OriginalSize);
    stats_.Header = header;
    stats_.FileBytesDone = 0;
    stats_.FilePercent = 0;
    stats_.Finished = false;
}

void TTarnCompress::Status() {
    if (OnStatus) OnStatus(*this, stats_);
}

void TTarnCompress::CheckAbort() const {
    if (abort_) throw EtcAborted(SAborted);
}

void TTarnCompress::Pump() {
    platform::UI().ProcessMessages();
}

void TTarnCompress::DiskFull() {
    if (!OnFullDisk) throw EtcDiskFull(SDiskFull);
    OnFullDisk(*this);
}

void TTarnCompress::CloseStreams() {
    file_.reset();
    archive_.reset();
}

void TTarnCompress::Run(const std::function<void()>& operation, bool abortOnError) {
    BusyCursor busy;
    try {
        operation();
    } catch (const EtcAborted&) {
        CloseStreams();
        if (OnAborted) OnAborted(*this);
        return;
    } catch (...) {
        CloseStreams();
        if (abortOnError) abort_ = true;
        throw;
    }
    CloseStreams();
}

void TTarnCompress::OpenVolume(std::unique_ptr<TFileStream>& stream, int n, unsigned mode,
                               std::string& path) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        stream.reset();
        if (headers_.MultiDisk != 0) path = ChangeFileExt(path, "." + std::to_string(n));
        if (!FileExists(path)) {
            if (!OnNewDisk) throw ETarnCompress(SWrongDisk, n);
            std::string folder = ExcludeBackslash(ExtractFilePath(path));
            OnNewDisk(*this, n, folder);
            path = IncludeBackslash(folder) + ExtractFileName(path);
        }
        if (FileExists(path)) {
            try {
                stream = std::make_unique<TFileStream>(path, mode);
            } catch (const EStreamError&) {
                throw ETarnCompress(SCannotOpenCompressed, path);
            }
            return;
        }
    }
    throw ETarnCompress(SCannotOpenCompressed, path);
}

int TTarnCompress::FileCount() {
    if (!loaded_ && mode_ != omAdding) LoadTable();
    return headers_.Count();
}

TlzhFileStats TTarnCompress::GetFileStats(int index) {
    if (index < 0 || index >= FileCount()) throw ETarnCompress(SFileNotDefined, index);
    headers_.Totals(stats_);
    FillMemberStatus(headers_.GetFileHeaders(index).Record);
    return stats_;
}

int TTarnCompress::IndexOfFileId(int id) {
    NeedTable();
    if (id < 0 || id >= kIndexedFileIds) return 0;
    return index_[static_cast<std::size_t>(id)];
}

void TTarnCompress::ListFiles() {
    NeedTable();
    headers_.Totals(stats_);
    for (int i = 0; i < headers_.Count(); ++i) {
        FillMemberStatus(headers_.GetFileHeaders(i).Record);
        if (OnListing) OnListing(*this, stats_);
    }
}

} // namespace tarn::archive
