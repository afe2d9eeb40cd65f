// The private-profile (INI file) functions of the embedded machine, done through IFileSystem so
// that share modes, read-only files and injected faults apply to INI files too. Edits are made
// to the file's lines in place, as Windows does, keeping comments and layout; the lines this
// writes end in CRLF, and files with LF endings are read as well.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Profile.h"

#include <functional>
#include <string>
#include <vector>

namespace tarn::platform::portable {

class PortableProfile : public IProfile {
public:
    // windowsFolder gives the folder ("C:\WINDOWS") that bare file names are taken in; files must
    // outlive the profile.
    PortableProfile(IFileSystem& files, std::function<std::string()> windowsFolder);

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

private:
    std::string Locate(const std::string& file) const;
    // The file's lines without their line ends; a missing file has none.
    DWORD Read(const std::string& path, std::vector<std::string>& lines);
    DWORD Write(const std::string& path, const std::vector<std::string>& lines);

    IFileSystem& files_;
    std::function<std::string()> windowsFolder_;
};

} // namespace tarn::platform::portable
