// System information that passes every call to another ISystemInfo; a decorator derives from it
// and overrides only the calls it changes (see ForwardingFileSystem.h).
#pragma once

#include "platform/SystemInfo.h"

namespace tarn::platform {

class ForwardingSystemInfo : public ISystemInfo {
public:
    // inner must outlive this object.
    explicit ForwardingSystemInfo(ISystemInfo& inner) : inner_(inner) {}

    bool GetVersion(OsVersion& version) override { return inner_.GetVersion(version); }
    DWORD GetWindowsDirectory(std::string& path) override {
        return inner_.GetWindowsDirectory(path);
    }
    DWORD GetSystemDirectory(std::string& path) override { return inner_.GetSystemDirectory(path); }
    DWORD GetTempPath(std::string& path) override { return inner_.GetTempPath(path); }
    WORD GetUserDefaultLangID() override { return inner_.GetUserDefaultLangID(); }
    unsigned GetACP() override { return inner_.GetACP(); }
    std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
    bool GetEnvironmentVariable(const std::string& name, std::string& value) override {
        return inner_.GetEnvironmentVariable(name, value);
    }
    int CompareString(const std::string& a, const std::string& b, bool ignoreCase) override {
        return inner_.CompareString(a, b, ignoreCase);
    }
    std::string CharToOem(const std::string& text) override { return inner_.CharToOem(text); }
    std::string ErrorText(DWORD code) override { return inner_.ErrorText(code); }

protected:
    ISystemInfo& Inner() const { return inner_; }

private:
    ISystemInfo& inner_;
};

} // namespace tarn::platform
