#include "ui/Png.h"

#include <fstream>
#include <stdexcept>
#include <zlib.h>

namespace tarn::ui {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5],
              const std::vector<std::uint8_t>& data) {
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
    PutU32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        throw std::runtime_error("PNG: the pixels do not match the image size");

    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((stride + 1) * image.height);
    for (int row = 0; row < image.height; ++row) {
        raw.push_back(0); // filter type None
        const auto begin = image.rgb.begin() + static_cast<std::ptrdiff_t>(row * stride);
        raw.insert(raw.end(), begin, begin + static_cast<std::ptrdiff_t>(stride));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("PNG: zlib could not compress the pixels");
    packed.resize(packedSize);

    std::vector<std::uint8_t> header;
    PutU32(header, static_cast<std::uint32_t>(image.width));
    PutU32(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(),
                  {8, 2, 0, 0, 0}); // depth 8, RGB, deflate, filter set 0, no interlace

    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    return file;
}

void WritePng(const std::string& path, const RgbImage& image) {
    const std::vector<std::uint8_t> file = EncodePng(image);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) throw std::runtime_error("PNG: cannot write " + path);
}

} // namespace tarn::ui
