// A PNG writer for screenshots: 8-bit RGB, one IDAT chunk, every row with filter 0, deflated by
// zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::ui {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top to bottom, three bytes a pixel
};

// The whole file. Throws std::runtime_error when the image is inconsistent or zlib fails.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

// Writes the file; throws std::runtime_error when it cannot.
void WritePng(const std::string& path, const RgbImage& image);

} // namespace tarn::ui
