#include "archive/CompressionStream.h"

#include <exception>

namespace tarn::archive {
namespace {

int Check(int result) {
    if (result < 0) throw ECompressionError(SZlibError);
    return result;
}

} // namespace

int ZlibLevel(TCompressionLevel level) {
    switch (level) {
    case colNone:
        return Z_NO_COMPRESSION;
    case colFastest:
        return Z_BEST_SPEED;
    case colDefault:
        return Z_DEFAULT_COMPRESSION;
    case colMax:
        return Z_BEST_COMPRESSION;
    }
    return Z_DEFAULT_COMPRESSION;
}

TCustomZlibStream::TCustomZlibStream(TStream& target)
    : target_(target), targetPosition_(target.Position()), buffer_(kBufferSize) {
    zstream_.next_out = buffer_.data();
    zstream_.avail_out = static_cast<uInt>(buffer_.size());
}

void TCustomZlibStream::FlushBuffer(std::size_t count) {
    if (target_.Position() != targetPosition_) target_.SetPosition(targetPosition_);
    target_.WriteBuffer(buffer_.data(), count);
    targetPosition_ = target_.Position();
    zstream_.next_out = buffer_.data();
    zstream_.avail_out = static_cast<uInt>(buffer_.size());
}

TCompressionStream::TCompressionStream(TCompressionLevel level, TStream& target)
    : TCustomZlibStream(target), uncaught_(std::uncaught_exceptions()) {
    Check(deflateInit(&zstream_, ZlibLevel(level)));
}

TCompressionStream::~TCompressionStream() {
    if (!finished_ && std::uncaught_exceptions() == uncaught_) {
        try {
            Finish();
        } catch (...) {
        }
    }
    deflateEnd(&zstream_);
}

std::size_t TCompressionStream::Read(void*, std::size_t) {
    throw ECompressionError(SInvalidStreamOperation);
}

std::size_t TCompressionStream::Write(const void* buffer, std::size_t count) {
    if (finished_) throw ECompressionError(SInvalidStreamOperation);
    const auto* in = static_cast<const Bytef*>(buffer);
    std::size_t left = count;
    while (left > 0) {
        // zlib counts in 32 bits; hand over at most that much at a time.
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
        zstream_.next_in = const_cast<Bytef*>(in);
        zstream_.avail_in = chunk;
        while (zstream_.avail_in > 0) {
            Check(deflate(&zstream_, Z_NO_FLUSH));
            if (zstream_.avail_out == 0) {
                FlushBuffer(buffer_.size());
                if (OnProgress) OnProgress(*this);
            }
        }
        in += chunk;
        left -= chunk;
    }
    return count;
}

std::int64_t TCompressionStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (offset != 0 || origin != soFromCurrent) throw ECompressionError(SInvalidStreamOperation);
    return static_cast<std::int64_t>(zstream_.total_in);
}

void TCompressionStream::Finish() {
    if (finished_) return;
    finished_ = true;
    zstream_.next_in = nullptr;
    zstream_.avail_in = 0;
    while (Check(deflate(&zstream_, Z_FINISH)) != Z_STREAM_END && zstream_.avail_out == 0)
        FlushBuffer(buffer_.size());
    if (zstream_.avail_out < buffer_.size()) FlushBuffer(buffer_.size() - zstream_.avail_out);
}

} // namespace tarn::archive
