#include "archive/FileHeaders.h"

#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "framework/Streams.h"
#include "framework/StringList.h"
#include "framework/TextCase.h"
#include "routines/routines_Exceptions.h"

namespace tarn::archive {
namespace {

void CheckWritten(std::size_t written, std::size_t wanted) {
    if (written != wanted) throw ETarnCompress(SCannotWriteHeaders);
}

std::int32_t ReadCount(TStream& stream) {
    std::uint8_t b[4];
    if (stream.Read(b, 4) != 4) throw ETarnCompress(SCannotReadHeaderCount);
    return static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

} // namespace

TFileHeader& TFileHeaders::GetFileHeaders(int index) {
    if (index < 0 || index >= Count()) throw ETarnCompress(SInvalidHeaderIndex, index);
    return *headers_[static_cast<std::size_t>(index)];
}

const TFileHeader& TFileHeaders::GetFileHeaders(int index) const {
    return const_cast<TFileHeaders*>(this)->GetFileHeaders(index);
}

void TFileHeaders::Add(std::unique_ptr<TFileHeader> header) {
    if (!header || TrimBlanks(header->Record.FileName).empty()) throw ETarnCompress(SInvalidHeader);
    headers_.push_back(std::move(header));
}

int TFileHeaders::Find(std::string_view name) const {
    const std::string_view wanted = UpToSemicolon(name);
    for (std::size_t i = 0; i < headers_.size(); ++i)
        if (SameTextAscii(headers_[i]->Record.FileName, wanted)) return static_cast<int>(i);
    return -1;
}

void TFileHeaders::AddFromList(const TStringList& list, bool keepExisting) {
    if (!keepExisting) Clear();
    for (int i = 0; i < list.Count(); ++i) {
        auto header = TFileHeader::FromFile(list[i]);
        header->Record.Number = i + 1;
        Add(std::move(header));
    }
}

void TFileHeaders::Read(TStream& stream, std::int64_t base) {
    Clear();
    if (base < 0) throw ETarnCompress(SCannotReadHeaderCount);
    stream.Seek(base, soFromBeginning);
    const std::int32_t count = ReadCount(stream);
    if (stream.Read(&MultiDisk, 1) != 1) throw ETarnCompress(SCannotReadHeaderCount);

    // Every header takes 176 bytes of its own, so a count the file cannot hold, like a negative
    // one, is damage and not something to read on into.
    const std::int64_t size = stream.Size();
    const std::int64_t room = size - base - kPreambleSize;
    if (count < 0 || count > room / static_cast<std::int64_t>(kFileHeaderSize))
        throw ETarnCompress(SCannotReadHeaders);

    std::int64_t position = base + kPreambleSize;
    TFileHeaderBytes bytes;
    for (std::int32_t i = 0; i < count; ++i) {
        if (position < 0 || position > size - static_cast<std::int64_t>(kFileHeaderSize))
            throw ETarnCompress(SCannotReadHeaders);
        stream.Seek(position, soFromBeginning);
        if (stream.Read(bytes.data(), bytes.size()) != bytes.size())
            throw ETarnCompress(SCannotReadHeaders);
        auto header = std::make_unique<TFileHeader>();
        header->Record = DecodeFileHeader(bytes);
        header->SourceName = header->Record.FileName;
        header->Loaded = true;
        position = base + header->Record.NextHeaderPos;
        Add(std::move(header));
    }
}

void TFileHeaders::Write(TStream& stream) {
    stream.Seek(0, soFromBeginning);
    const auto count = static_cast<std::uint32_t>(Count());
    const std::uint8_t preamble[kPreambleSize] = {
        static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
        static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24), MultiDisk};
    CheckWritten(stream.Write(preamble, sizeof preamble), sizeof preamble);
    if (MultiDisk == 0) return;
    for (auto& header : headers_) {
        header->Record.NextHeaderPos = static_cast<std::int32_t>(
            stream.Position() + static_cast<std::int64_t>(kFileHeaderSize));
        WriteHeader(stream, header->Record);
    }
}

void TFileHeaders::WriteHeader(TStream& stream, const TFileHeaderRecord& record) {
    const TFileHeaderBytes bytes = EncodeFileHeader(record);
    CheckWritten(stream.Write(bytes.data(), bytes.size()), bytes.size());
}

void TFileHeaders::TotalsOnly(TlzhFileStats& stats) const {
    stats.TotalOriginal = 0;
    stats.TotalCompressed = 0;
    for (const auto& header : headers_) {
        stats.TotalOriginal += header->Record.OriginalSize;
        stats.TotalCompressed += header->Record.CompressedSize;
    }
}

void TFileHeaders::Totals(TlzhFileStats& stats) const {
    TotalsOnly(stats);
    stats.TotalRatio = Percent(stats.TotalCompressed, stats.TotalOriginal);
    stats.TotalBytesDone = 0;
    stats.TotalPercent = 0;
    stats.Finished = false;
}

} // namespace tarn::archive
