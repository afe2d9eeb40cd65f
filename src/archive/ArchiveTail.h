// Where the members of a single-file archive end, and whether the bytes after them are the
// unfinished work of an append. An append writes its members past the end first and raises the
// header count last, so a writer that dies midway leaves exactly such a tail behind.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {
class TStream;
}

namespace tarn::archive {

class TFileHeaders;

// The position just past the last member of table (read at base 0 from a file of size bytes); the
// preamble's end when there is none. Throws ETarnCompress SIncompleteMember, naming archive, when
// the last member's positions do not describe whole data inside the file.
std::int64_t MembersEnd(const TFileHeaders& table, std::int64_t size, const std::string& archive);

// True when everything from end to the end of stream is members an append wrote and never
// counted: headers numbered 1, 2, ... each followed by its data, the last one possibly unfinished
// (its positions still 0, the rest of the file its data).
bool IsUncountedTail(TStream& stream, std::int64_t end);

} // namespace tarn::archive
