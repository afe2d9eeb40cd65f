#include "version/ByteSource.h"

#include "framework/Streams.h"

#include <cstring>

namespace tarn::version {

bool MemorySource::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    if (!InRange(offset, count, data_.size())) return false;
    if (count != 0) std::memcpy(buffer, data_.data() + offset, count);
    return true;
}

StreamSource::StreamSource(TStream& stream) : stream_(stream) {
    try {
        const std::int64_t size = stream_.Size();
        size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    } catch (const EStreamError&) {
        size_ = 0;
    }
}

bool StreamSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    if (!InRange(offset, count, size_)) return false;
    try {
        stream_.SetPosition(static_cast<std::int64_t>(offset));
        return stream_.Read(buffer, count) == count;
    } catch (const EStreamError&) {
        return false;
    }
}

} // namespace tarn::version
