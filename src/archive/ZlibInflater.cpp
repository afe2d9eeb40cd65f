#include "archive/ZlibInflater.h"

#include "archive/CompressionStream.h"

namespace tarn::archive {

ZlibInflater::ZlibInflater() {
    if (inflateInit(&stream_) != Z_OK) throw EDecompressionError(SZlibError);
}

ZlibInflater::~ZlibInflater() {
    inflateEnd(&stream_);
}

void ZlibInflater::SetInput(const std::uint8_t* data, std::size_t size) {
    stream_.next_in = const_cast<Bytef*>(data);
    stream_.avail_in = static_cast<uInt>(size);
}

std::size_t ZlibInflater::Inflate(std::uint8_t* out, std::size_t room) {
    if (ended_ || room == 0 || stream_.avail_in == 0) return 0;
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(room);
    const int result = inflate(&stream_, Z_NO_FLUSH);
    if (result == Z_STREAM_END)
        ended_ = true;
    else if (result != Z_OK)
        throw EDecompressionError(SZlibError);
    return room - stream_.avail_out;
}

} // namespace tarn::archive
