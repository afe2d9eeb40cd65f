// The files the test servers serve (http_server.py --populate writes them) and the login they
// accept. The content is a pseudo-random stream both sides can make, so that a test run against
// a server it did not start (under Wine) still knows every byte to expect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn::test::served {

inline constexpr const char* kUser = "tarnuser";
inline constexpr const char* kPassword = "tarn-secret";

struct File {
    const char* path; // below the served folder, '/'-separated, without a leading '/'
    std::size_t size;
    std::uint64_t seed;
};

// Big enough that a download takes many blocks, small enough to keep the suites quick.
inline constexpr File kData{"data.bin", 3 * 1024 * 1024 + 123, 1};
inline constexpr File kSmall{"small.bin", 200 * 1000, 2};
inline constexpr File kSecret{"private/secret.bin", 50 * 1000, 3};
inline constexpr File kArchive{"pub/files/archive.1", 300 * 1000, 4};
// Served whole, but the FTP server announces twice its size.
inline constexpr File kShort{"short.bin", 40 * 1000, 5};

// A 64-bit LCG, each state mixed and written as 8 little-endian bytes (as in http_server.py).
inline std::string Content(const File& file) {
    std::string out;
    out.reserve(file.size + 8);
    std::uint64_t x = file.seed;
    while (out.size() < file.size) {
        x = x * 6364136223846793005ull + 1442695040888963407ull;
        const std::uint64_t v = x ^ (x >> 29);
        for (int i = 0; i < 8; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    out.resize(file.size);
    return out;
}

} // namespace tarn::test::served
