// TMemoryStream: a stream held in memory that grows as it is written.
#pragma once

#include "framework/Streams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

class TMemoryStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    // New bytes are zero.
    void SetSize(std::int64_t size) override;

    // The contents; valid until the size next changes.
    std::uint8_t* Memory() { return data_.data(); }
    const std::uint8_t* Memory() const { return data_.data(); }
    void Clear();

    // Replaces the contents with all of source (read from its start); the position goes to 0.
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    // Writes the whole contents, wherever the position is.
    void SaveToStream(TStream& target) const;
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::uint8_t> data_;
    std::int64_t position_ = 0;
};

} // namespace tarn
