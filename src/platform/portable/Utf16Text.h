// UTF-16LE, the text of regedit's version 5.00 files, to and from UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform::portable {

// Little-endian UTF-16 bytes as UTF-8; nothing for an odd length or an unpaired surrogate, and
// then *bad (when given) is the byte offset of the first unit that could not be read.
std::optional<std::string> Utf16leToUtf8(std::string_view bytes, std::size_t* bad = nullptr);

// UTF-8 as little-endian UTF-16 bytes; nothing when text is not valid UTF-8.
std::optional<std::string> Utf8ToUtf16le(std::string_view text);

} // namespace tarn::platform::portable
