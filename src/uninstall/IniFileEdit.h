// An INI file whose recorded entries are being taken out: the file itself, or a scratch copy of
// it in the temporary folder, which goes with this object. On a copy a dry run can follow the
// removal down to a file left empty without touching the file.
#pragma once

#include <memory>
#include <string>

namespace tarn::uninstall {

class IniFileEdit {
public:
    // The file itself.
    explicit IniFileEdit(std::string fileName);
    // A scratch copy of fileName; nullptr when none could be made.
    static std::unique_ptr<IniFileEdit> CopyOf(const std::string& fileName);
    ~IniFileEdit();
    IniFileEdit(const IniFileEdit&) = delete;
    IniFileEdit& operator=(const IniFileEdit&) = delete;

    // The file the entries are taken out of.
    const std::string& Path() const { return path_; }
    // The file as the reports and errors name it.
    const std::string& FileName() const { return fileName_; }

    // Both throw "Unable to write to" the file name when the profile refuses.
    void DeleteEntry(const std::string& section, const std::string& name);
    void EraseSection(const std::string& section);

private:
    IniFileEdit(std::string fileName, std::string path, bool scratch);

    std::string fileName_;
    std::string path_;
    bool scratch_ = false;
};

} // namespace tarn::uninstall
