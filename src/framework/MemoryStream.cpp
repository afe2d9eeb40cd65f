#include "framework/MemoryStream.h"

#include "framework/FileStream.h"

#include <algorithm>
#include <cstring>

namespace tarn {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    const std::int64_t available = Size() - position_;
    if (available <= 0 || count == 0) return 0;
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(available, static_cast<std::int64_t>(count)));
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::int64_t end = position_ + static_cast<std::int64_t>(count);
    if (end > Size()) data_.resize(static_cast<std::size_t>(end));
    std::memcpy(data_.data() + position_, buffer, count);
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == soFromCurrent)
        base = position_;
    else if (origin == soFromEnd)
        base = Size();
    const std::int64_t target = base + offset;
    if (target < 0) throw EStreamError(SSeekError);
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
    if (size < 0) throw EStreamError(SSetSizeError);
    data_.resize(static_cast<std::size_t>(size));
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    source.ReadBuffer(data.data(), data.size());
    data_ = std::move(data);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) const {
    target.WriteBuffer(data_.data(), data_.size());
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

} // namespace tarn
