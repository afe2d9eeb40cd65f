// Random access to the bytes of a file being inspected, from memory or through a stream. A read
// either delivers every byte asked for or reports failure; nothing is read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarn {
class TStream;
}

namespace tarn::version {

class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // False when [offset, offset + count) is not wholly inside the source or cannot be read.
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

class MemorySource : public IByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint64_t Size() const override { return data_.size(); }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    std::span<const std::uint8_t> data_;
};

// Reads through a stream positioned freely by this source; stream errors read as failures.
class StreamSource : public IByteSource {
public:
    explicit StreamSource(TStream& stream);
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    TStream& stream_;
    std::uint64_t size_ = 0;
};

// Whether [offset, offset + count) lies within size, without overflow.
constexpr bool InRange(std::uint64_t offset, std::uint64_t count, std::uint64_t size) {
    return offset <= size && count <= size - offset;
}

} // namespace tarn::version
