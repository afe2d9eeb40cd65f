// INI profile service on the private-profile functions of kernel32.
#pragma once

#include "platform/Profile.h"

namespace tarn::platform::win32 {

class Win32Profile : public IProfile {
public:
    void GetSection(const std::string& file, const std::string& section,
                    std::vector<std::string>& lines) override;
    void GetSectionNames(const std::string& file, std::vector<std::string>& names) override;
    std::string GetString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& defaultValue) override;
    DWORD WriteString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) override;
    DWORD DeleteKey(const std::string& file, const std::string& section,
                    const std::string& key) override;
    DWORD EraseSection(const std::string& file, const std::string& section) override;
};

} // namespace tarn::platform::win32
