// TFileHeaders: the archive's table of member headers, read from and written to the preamble
// (a 4-byte count and a 1-byte volume-set flag at the archive's base position) and the headers.
#pragma once

#include "archive/FileHeader.h"
#include "archive/FileStats.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tarn {
class TStream;
class TStringList;
} // namespace tarn

namespace tarn::archive {

inline constexpr std::int64_t kPreambleSize = 5;

class TFileHeaders {
public:
    int Count() const { return static_cast<int>(headers_.size()); }
    // ETarnCompress for an index outside 0 .. Count - 1.
    TFileHeader& GetFileHeaders(int index);
    const TFileHeader& GetFileHeaders(int index) const;
    // Refuses (ETarnCompress) a header whose name is blank.
    void Add(std::unique_ptr<TFileHeader> header);
    void Clear() { headers_.clear(); }
    // The first header whose name equals the request up to its ";", ignoring case; -1 if none.
    int Find(std::string_view name) const;
    // A header for each list line, numbered from 1 in list order; clears first unless
    // keepExisting.
    void AddFromList(const TStringList& list, bool keepExisting);

    // Reads the preamble at base and the headers it announces; header positions are taken from
    // base. Throws ETarnCompress; the table is then partly filled and must not be used.
    void Read(TStream& stream, std::int64_t base);
    // The preamble at position 0, and in a volume set all headers after it.
    void Write(TStream& stream);
    // One header at the stream's position.
    static void WriteHeader(TStream& stream, const TFileHeaderRecord& record);

    // The archive-wide sums into stats; Totals also resets the run's progress and sets the
    // overall ratio.
    void Totals(TlzhFileStats& stats) const;
    void TotalsOnly(TlzhFileStats& stats) const;

    std::uint8_t MultiDisk = 0; // non-zero: a volume set

private:
    std::vector<std::unique_ptr<TFileHeader>> headers_;
};

} // namespace tarn::archive
