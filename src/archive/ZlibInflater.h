// One zlib inflate stream, released when it goes out of scope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <zlib.h>

namespace tarn::archive {

class ZlibInflater {
public:
    // Throws EDecompressionError "error" when zlib cannot be set up.
    ZlibInflater();
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    bool NeedsInput() const { return stream_.avail_in == 0; }
    void SetInput(const std::uint8_t* data, std::size_t size);
    // Inflates into out as far as input and room allow; returns the bytes produced. Throws
    // EDecompressionError "error" on damaged data (and on a stream that wants a preset
    // dictionary, which no member has).
    std::size_t Inflate(std::uint8_t* out, std::size_t room);
    // The zlib stream has ended (its trailer has been read).
    bool Ended() const { return ended_; }

private:
    z_stream stream_{};
    bool ended_ = false;
};

} // namespace tarn::archive
