// File work Windows leaves for its next start: the moves and deletes MoveFileEx records in the
// registry (PendingFileRenameOperations) and the [rename] lines of a 95-family WININIT.INI.
// Only the formats live here; the machine carries the work out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::platform::portable {

// Under HKEY_LOCAL_MACHINE.
inline constexpr const char* kSessionManagerKey =
    "System\\CurrentControlSet\\Control\\Session Manager";
// REG_MULTI_SZ: source and target strings in pairs, the list ended by an empty string.
inline constexpr const char* kPendingRenamesValue = "PendingFileRenameOperations";

// One move or delete to be done at the next start. Paths are plain Windows paths.
struct PendingOperation {
    std::string source;
    std::string target;           // empty: delete source
    bool replaceExisting = false; // a move may overwrite target; ignored for a delete

    bool operator==(const PendingOperation&) const = default;
};

// The value's bytes: each path behind "\??\", a replacing target behind "!\??\", a delete's
// target empty, then the closing empty string. An operation that cannot be written (empty
// source, or a NUL inside a path) is left out so that what is written reads back the same.
std::vector<std::uint8_t> EncodePendingRenames(const std::vector<PendingOperation>& operations);

// Reads the value as the restart carries it out. Bytes after the last NUL are an unfinished
// string and ignored. Strings pair up from the start as source and target; a source with no
// string after it is dropped. A source that is empty without its prefixes ends the list. The
// list's closing empty string may serve as the last target, so an odd count ends in a delete,
// as Wine reads it. A target that holds only prefixes names no file: its pair is skipped.
// Each of "!" and then "\??\" is taken off when it leads a path; "!" counts on targets only.
std::vector<PendingOperation> DecodePendingRenames(const std::vector<std::uint8_t>& data);

// One line of WININIT.INI's [rename] section, "target=source" split at the first "=". A target
// of NUL in any case deletes source; any other target is replaced. Nothing for a line without
// "=" or with an empty side, since neither names a file to work on.
std::optional<PendingOperation> ParseWininitRename(const std::string& line);

} // namespace tarn::platform::portable
