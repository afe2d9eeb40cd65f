#include "uninstall/IniFileEdit.h"

#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "uninstall/UninstallForm.h"

namespace tarn::uninstall {

IniFileEdit::IniFileEdit(std::string fileName) : IniFileEdit(fileName, fileName, false) {}

IniFileEdit::IniFileEdit(std::string fileName, std::string path, bool scratch)
    : fileName_(std::move(fileName)), path_(std::move(path)), scratch_(scratch) {}

IniFileEdit::~IniFileEdit() {
    if (scratch_) platform::Files().DeleteFile(path_);
}

std::unique_ptr<IniFileEdit> IniFileEdit::CopyOf(const std::string& fileName) {
    platform::IFileSystem& files = platform::Files();
    std::string copy;
    try {
        copy = CreateTempFileName(true);
    } catch (const std::exception&) {
        copy.clear();
    }
    if (copy.empty()) return nullptr;
    if (files.CopyFile(fileName, copy, false) != platform::ERROR_SUCCESS) {
        files.DeleteFile(copy);
        return nullptr;
    }
    return std::unique_ptr<IniFileEdit>(new IniFileEdit(fileName, copy, true));
}

void IniFileEdit::DeleteEntry(const std::string& section, const std::string& name) {
    if (platform::Profile().DeleteKey(path_, section, name) != platform::ERROR_SUCCESS)
        throw Exception(SUnableToWrite, fileName_);
}

void IniFileEdit::EraseSection(const std::string& section) {
    if (platform::Profile().EraseSection(path_, section) != platform::ERROR_SUCCESS)
        throw Exception(SUnableToWrite, fileName_);
}

} // namespace tarn::uninstall
