#include "framework/Streams.h"

#include <algorithm>
#include <vector>

namespace tarn {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::int64_t TStream::Size() {
    const std::int64_t position = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::SetSize(std::int64_t) {
    throw EStreamError(SSetSizeError);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count <= 0) return 0;
    constexpr std::int64_t kMaxBuffer = 0xF000;
    std::vector<std::byte> buffer(static_cast<std::size_t>(std::min(count, kMaxBuffer)));
    for (std::int64_t left = count; left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kMaxBuffer));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

} // namespace tarn
