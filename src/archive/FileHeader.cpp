#include "archive/FileHeader.h"

#include "archive/ArchiveDates.h"
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "framework/FileStream.h"
#include "routines/routines_Exceptions.h"
#include "version/cmp_TVersion.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace tarn::archive {
namespace {

template <class T> void Put(TFileHeaderBytes& b, std::size_t at, T value) {
    using U = std::make_unsigned_t<T>;
    const auto v = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

template <class T> T Get(std::span<const std::uint8_t, kFileHeaderSize> b, std::size_t at) {
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<U>(static_cast<U>(b[at + i]) << (8 * i));
    return static_cast<T>(v);
}

void PutText(TFileHeaderBytes& b, std::size_t at, const std::string& text, std::size_t slot) {
    const std::size_t n = std::min(text.size(), slot);
    b[at] = static_cast<std::uint8_t>(n);
    std::memcpy(b.data() + at + 1, text.data(), n);
}

std::string GetText(std::span<const std::uint8_t, kFileHeaderSize> b, std::size_t at,
                    std::size_t slot) {
    const std::size_t n = std::min<std::size_t>(b[at], slot);
    return std::string(reinterpret_cast<const char*>(b.data() + at + 1), n);
}

} // namespace

TFileHeaderBytes EncodeFileHeader(const TFileHeaderRecord& r) {
    TFileHeaderBytes b{};
    Put(b, 0, r.Number);
    Put(b, 8, std::bit_cast<std::uint64_t>(r.FileDate));
    b[16] = r.LastDisk;
    Put(b, 20, r.LastBytePos);
    PutText(b, 24, r.FileName, kMaxFileName);
    Put(b, 128, r.NextHeaderPos);
    Put(b, 132, r.OriginalSize);
    Put(b, 136, r.DataStart);
    Put(b, 140, r.CompressedSize);
    b[144] = r.FirstDisk;
    Put(b, 148, r.FileId);
    PutText(b, 152, r.VersionText, kMaxVersionText);
    return b;
}

TFileHeaderRecord DecodeFileHeader(std::span<const std::uint8_t, kFileHeaderSize> b) {
    TFileHeaderRecord r;
    r.Number = Get<std::int32_t>(b, 0);
    r.FileDate = std::bit_cast<double>(Get<std::uint64_t>(b, 8));
    r.LastDisk = b[16];
    r.LastBytePos = Get<std::int32_t>(b, 20);
    r.FileName = GetText(b, 24, kMaxFileName);
    r.NextHeaderPos = Get<std::int32_t>(b, 128);
    r.OriginalSize = Get<std::uint32_t>(b, 132);
    r.DataStart = Get<std::int32_t>(b, 136);
    r.CompressedSize = Get<std::uint32_t>(b, 140);
    r.FirstDisk = b[144];
    r.FileId = Get<std::int32_t>(b, 148);
    r.VersionText = GetText(b, 152, kMaxVersionText);
    return r;
}

std::unique_ptr<TFileHeader> TFileHeader::FromFile(const std::string& line) {
    auto header = std::make_unique<TFileHeader>();
    header->SourceName = std::string(UpToSemicolon(line));
    header->Record.FileName = header->SourceName.substr(0, kMaxFileName);
    {
        std::unique_ptr<TFileStream> file;
        try {
            file = std::make_unique<TFileStream>(header->SourceName, fmOpenRead | fmShareDenyNone);
        } catch (const EStreamError&) {
            throw ETarnCompress(SCannotOpenFile, header->SourceName);
        }
        header->Record.FileDate = FileDateOf(*file);
        const std::int64_t size = file->Size();
        if (size > std::numeric_limits<std::int32_t>::max())
            throw ETarnCompress(SFileTooLarge, header->SourceName);
        header->Record.OriginalSize = static_cast<std::uint32_t>(size);
    }
    version::TVersionResource& reader = version::NeedSharedVersionResource();
    reader.SetFileName(header->SourceName);
    header->Record.VersionText = reader.VersionInfo().FileVersion().substr(0, kMaxVersionText);
    return header;
}

} // namespace tarn::archive
