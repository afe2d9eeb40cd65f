#include "archive/ArchiveTail.h"

#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/FileHeaders.h"
#include "framework/Streams.h"
#include "routines/routines_Exceptions.h"

namespace tarn::archive {
namespace {

constexpr auto kHeader = static_cast<std::int64_t>(kFileHeaderSize);

// A member whose header sits at position and whose data end just before its next header.
bool Whole(const TFileHeaderRecord& h, std::int64_t position, std::int64_t size) {
    const std::int64_t next = h.NextHeaderPos;
    return h.FirstDisk == 0 && h.LastDisk == 0 && h.DataStart == position + kHeader &&
           next == static_cast<std::int64_t>(h.LastBytePos) + 1 && next > h.DataStart &&
           next <= size && static_cast<std::int64_t>(h.CompressedSize) == next - h.DataStart;
}

} // namespace

std::int64_t MembersEnd(const TFileHeaders& table, std::int64_t size, const std::string& archive) {
    std::int64_t position = kPreambleSize;
    for (int i = 0; i + 1 < table.Count(); ++i)
        position = table.GetFileHeaders(i).Record.NextHeaderPos;
    if (table.Count() == 0) return position;
    const TFileHeaderRecord& last = table.GetFileHeaders(table.Count() - 1).Record;
    if (!Whole(last, position, size)) throw ETarnCompress(SIncompleteMember, archive);
    return last.NextHeaderPos;
}

bool IsUncountedTail(TStream& stream, std::int64_t end) {
    const std::int64_t size = stream.Size();
    std::int64_t position = end;
    for (std::int32_t number = 1; position < size; ++number) {
        if (size - position < kHeader) return false;
        TFileHeaderBytes bytes;
        stream.Seek(position, soFromBeginning);
        if (stream.Read(bytes.data(), bytes.size()) != bytes.size()) return false;
        const TFileHeaderRecord h = DecodeFileHeader(bytes);
        if (h.Number != number || TrimBlanks(h.FileName).empty()) return false;
        // Written before its data and not yet rewritten: the member the writer was busy with.
        if (h.NextHeaderPos == 0 && h.LastBytePos == 0 && h.CompressedSize == 0)
            return h.DataStart == position + kHeader && h.FirstDisk == 0 && h.LastDisk == 0;
        if (!Whole(h, position, size)) return false;
        position = h.NextHeaderPos;
    }
    return position == size;
}

} // namespace tarn::archive
