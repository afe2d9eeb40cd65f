// Database engine service: IDAPI32.DLL loaded on Init and its entry points reached through
// GetProcAddress. Without the library every call answers DBIERR_NOT_AVAILABLE.
#pragma once

#include "platform/DatabaseEngine.h"

#include <memory>

namespace tarn::platform::win32 {

class Win32DatabaseEngine : public IDatabaseEngine {
public:
    Win32DatabaseEngine();
    ~Win32DatabaseEngine() override; // frees the library
    Win32DatabaseEngine(const Win32DatabaseEngine&) = delete;
    Win32DatabaseEngine& operator=(const Win32DatabaseEngine&) = delete;

    std::int32_t Init(std::uint16_t version) override;
    std::int32_t DeleteAlias(const std::string& oemName) override;
    std::int32_t SaveConfig(bool persistent) override;
    std::int32_t Exit() override;

private:
    struct Library;
    std::unique_ptr<Library> library_;
};

} // namespace tarn::platform::win32
