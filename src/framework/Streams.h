// TStream: the abstract byte stream the library reads and writes archives, lists and files
// through. Positions and sizes are 64-bit.
#pragma once

#include "framework/Exception.h"

#include <cstddef>
#include <cstdint>

namespace tarn {

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;

    // Transfer up to count bytes at the position and advance it; return the bytes transferred.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns it. A position before the start throws EStreamError; one
    // past the end is allowed (a write there extends the stream).
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    // Exactly count bytes, or EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soFromBeginning); }
    virtual std::int64_t Size();
    // Truncates or extends the stream; the position is kept unless it falls past the new end.
    // Streams of fixed size throw EStreamError.
    virtual void SetSize(std::int64_t size);

    // Copies count bytes from source's position; count 0 copies all of source from its start.
    // Returns the bytes copied; a short source throws EReadError.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

} // namespace tarn
