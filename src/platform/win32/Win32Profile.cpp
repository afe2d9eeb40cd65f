#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Profile.h"

#include <cstdint>

namespace tarn::platform::win32 {
namespace {

// The section calls fill a list of strings ended by an empty one and return capacity - 2 when
// the list was cut short; grows the buffer until it is not.
template <typename Call> std::vector<std::string> ReadList(Call call) {
    for (std::uint32_t capacity = 4096;; capacity *= 2) {
        std::string buffer(capacity, '\0');
        std::uint32_t length = call(buffer.data(), capacity);
        if (length + 2 >= capacity && capacity < (1u << 26)) continue;
        std::vector<std::string> items;
        for (std::size_t at = 0; at < length && buffer[at] != '\0';) {
            std::string item(buffer.data() + at);
            at += item.size() + 1;
            items.push_back(std::move(item));
        }
        return items;
    }
}

DWORD Written(BOOL ok) {
    return ok ? ERROR_SUCCESS : LastError();
}

} // namespace

void Win32Profile::GetSection(const std::string& file, const std::string& section,
                              std::vector<std::string>& lines) {
    lines = ReadList([&](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(
            ::GetPrivateProfileSectionA(section.c_str(), buffer, capacity, file.c_str()));
    });
}

void Win32Profile::GetSectionNames(const std::string& file, std::vector<std::string>& names) {
    names = ReadList([&](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(
            ::GetPrivateProfileSectionNamesA(buffer, capacity, file.c_str()));
    });
}

std::string Win32Profile::GetString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& defaultValue) {
    // A cut-short value comes back as capacity - 1 characters.
    for (::DWORD capacity = 1024;; capacity *= 2) {
        std::string buffer(capacity, '\0');
        ::DWORD length =
            ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                       buffer.data(), capacity, file.c_str());
        if (length + 1 < capacity || capacity >= (1u << 26)) {
            buffer.resize(length);
            return buffer;
        }
    }
}

DWORD Win32Profile::WriteString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& value) {
    return Written(
        ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()));
}

DWORD Win32Profile::DeleteKey(const std::string& file, const std::string& section,
                              const std::string& key) {
    return Written(
        ::WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()));
}

DWORD Win32Profile::EraseSection(const std::string& file, const std::string& section) {
    return Written(::WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()));
}

} // namespace tarn::platform::win32
