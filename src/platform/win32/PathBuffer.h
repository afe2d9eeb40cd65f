// Calls of the "fill this buffer, or tell me the size it needs" kind (GetShortPathNameA,
// GetModuleFileNameA...), retried with a larger buffer until the result fits.
#pragma once

#include <cstdint>
#include <string>

namespace tarn::platform::win32 {

// call(buffer, capacity) returns the length written without the terminator, a length of capacity
// or more when the buffer is too small, or 0 on failure. Returns false on failure.
template <typename Call> bool FillString(std::string& result, Call call) {
    std::uint32_t capacity = 260;
    for (;;) {
        std::string buffer(capacity, '\0');
        std::uint32_t length = call(buffer.data(), capacity);
        if (length == 0) return false;
        if (length < capacity) {
            result.assign(buffer.data(), length);
            return true;
        }
        capacity = length > capacity ? length + 1 : capacity * 2;
    }
}

} // namespace tarn::platform::win32
