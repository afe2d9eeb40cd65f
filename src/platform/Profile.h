// INI profile service: the private-profile functions. A file name without a folder lives in the
// Windows folder, as on Windows. Section and key names compare without regard to case.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

namespace tarn::platform {

class IProfile {
public:
    virtual ~IProfile() = default;

    // GetPrivateProfileSection: the section's entries as "name=value" lines, in file order.
    // A missing file or section gives an empty list.
    virtual void GetSection(const std::string& file, const std::string& section,
                            std::vector<std::string>& lines) = 0;
    // GetPrivateProfileSectionNames.
    virtual void GetSectionNames(const std::string& file, std::vector<std::string>& names) = 0;
    // GetPrivateProfileString for one key; the default when it is missing.
    virtual std::string GetString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& defaultValue) = 0;
    // WritePrivateProfileString: an existing key is replaced in place, a new key goes to the end
    // of its section, a new section to the end of the file.
    virtual DWORD WriteString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value) = 0;
    // WritePrivateProfileString(section, key, NULL).
    virtual DWORD DeleteKey(const std::string& file, const std::string& section,
                            const std::string& key) = 0;
    // WritePrivateProfileString(section, NULL, NULL): the section with its comments and blanks.
    virtual DWORD EraseSection(const std::string& file, const std::string& section) = 0;
};

} // namespace tarn::platform
