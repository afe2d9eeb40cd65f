// One archive member's header: the 176-byte record on disk and its in-memory form.
//
// Record layout (little-endian; padding written as zeros and ignored when read):
//   0 Number (int32)          4 padding           8 FileDate (double, day count)
//  16 LastDisk (uint8)       17 padding          20 LastBytePos (int32)
//  24 FileName (length byte + 100)              125 padding
// 128 NextHeaderPos (int32) 132 OriginalSize (uint32) 136 DataStart (int32)
// 140 CompressedSize (uint32) 144 FirstDisk (uint8) 145 padding 148 FileId (int32)
// 152 VersionText (length byte + 20)            173 padding
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tarn::archive {

inline constexpr std::size_t kFileHeaderSize = 176;
inline constexpr std::size_t kMaxFileName = 100;
inline constexpr std::size_t kMaxVersionText = 20;
// A FileId in 0 .. kIndexedFileIds - 1 is found through the engine's member index.
inline constexpr int kIndexedFileIds = 2000;

using TFileHeaderBytes = std::array<std::uint8_t, kFileHeaderSize>;

struct TFileHeaderRecord {
    std::int32_t Number = 0;        // 1-based place in the list the member was added from
    double FileDate = 0;            // last-write time, local, days since 1899-12-30
    std::uint8_t LastDisk = 0;      // volume of the last data byte (0: single file)
    std::int32_t LastBytePos = 0;   // last data byte, inclusive, within LastDisk
    std::string FileName;           // at most kMaxFileName bytes
    std::int32_t NextHeaderPos = 0; // next header, from the archive's base position
    std::uint32_t OriginalSize = 0;
    std::int32_t DataStart = 0; // first data byte within FirstDisk
    std::uint32_t CompressedSize = 0;
    std::uint8_t FirstDisk = 0;
    std::int32_t FileId = 0;
    std::string VersionText; // at most kMaxVersionText bytes

    friend bool operator==(const TFileHeaderRecord&, const TFileHeaderRecord&) = default;
};

// Strings longer than their slot are written cut to it.
TFileHeaderBytes EncodeFileHeader(const TFileHeaderRecord& record);
// A length byte larger than its slot is read as the slot's size.
TFileHeaderRecord DecodeFileHeader(std::span<const std::uint8_t, kFileHeaderSize> bytes);

class TFileHeader {
public:
    // True for a header read from an existing archive, false for one made from a source file
    // and not yet written.
    bool Loaded = false;
    TFileHeaderRecord Record;
    // The file the member's data come from: the list line up to its ";", which may be longer
    // than the stored FileName.
    std::string SourceName;

    // A header for a list line "path[;anything]": name, date, size and version text of the file.
    // Throws ETarnCompress "Cannot open the file %s" when it cannot be opened.
    static std::unique_ptr<TFileHeader> FromFile(const std::string& line);
};

} // namespace tarn::archive
