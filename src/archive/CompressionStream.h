// A write-only stream that deflates what is written to it into a target stream, as one zlib
// stream (RFC 1950) at the level of a TCompressionLevel.
//
//     TCompressionStream z(colMax, archive);
//     z.OnProgress = [&](TCustomZlibStream&) { ... };  // after each 64 KiB handed to archive
//     z.WriteBuffer(data, size);
//     z.Finish();                                       // the rest, and the zlib trailer
#pragma once

#include "framework/Exception.h"
#include "framework/Streams.h"

#include <cstdint>
#include <functional>
#include <vector>
#include <zlib.h>

namespace tarn::archive {

enum TCompressionLevel { colNone, colFastest, colDefault, colMax };

// zlib's level for a TCompressionLevel: 0, 1, Z_DEFAULT_COMPRESSION, 9.
int ZlibLevel(TCompressionLevel level);

// zlib refused a call (its result was negative), or the stream was used the wrong way.
class ECompressionError : public Exception {
public:
    using Exception::Exception;
};
class EDecompressionError : public Exception {
public:
    using Exception::Exception;
};

inline constexpr std::string_view SZlibError = "error";
inline constexpr std::string_view SInvalidStreamOperation = "Invalid stream operation";

class TCustomZlibStream : public TStream {
public:
    using TProgressEvent = std::function<void(TCustomZlibStream& sender)>;
    static constexpr std::size_t kBufferSize = 65536;

    TCustomZlibStream(const TCustomZlibStream&) = delete;
    TCustomZlibStream& operator=(const TCustomZlibStream&) = delete;

    // Raised after each full output buffer has gone to the target.
    TProgressEvent OnProgress;

protected:
    explicit TCustomZlibStream(TStream& target);
    // Writes out what the buffer holds (at the remembered target position) and empties it.
    void FlushBuffer(std::size_t count);

    TStream& target_; // not owned
    std::int64_t targetPosition_;
    z_stream zstream_{};
    std::vector<std::uint8_t> buffer_;
};

class TCompressionStream : public TCustomZlibStream {
public:
    // Throws ECompressionError when zlib cannot be set up.
    TCompressionStream(TCompressionLevel level, TStream& target);
    // Finishes the stream unless Finish ran or an exception is unwinding (a finishing error is
    // then lost: call Finish to see it); releases zlib's state in every case.
    ~TCompressionStream() override;

    // Always fails: the stream is write-only.
    std::size_t Read(void* buffer, std::size_t count) override;
    // Deflates count bytes; reports all of them written.
    std::size_t Write(const void* buffer, std::size_t count) override;
    // Only Seek(0, soFromCurrent), which gives the number of bytes taken in so far.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    // Ends the zlib stream and writes all remaining output to the target. Once only.
    void Finish();

private:
    bool finished_ = false;
    int uncaught_;
};

} // namespace tarn::archive
