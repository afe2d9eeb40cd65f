// Database engine service: the few IDAPI calls the library needs, loaded on first use.
// Results are the engine's own codes; 0 is success.
#pragma once

#include <cstdint>
#include <string>

namespace tarn::platform {

constexpr std::int32_t DBIERR_NONE = 0;
constexpr std::int32_t DBIERR_NOT_AVAILABLE = 0x2108; // the engine library could not be loaded

class IDatabaseEngine {
public:
    virtual ~IDatabaseEngine() = default;

    // DbiInitFn with the interface version and no environment record.
    virtual std::int32_t Init(std::uint16_t version) = 0;
    // DbiDeleteAlias with a null configuration handle; the name is in the OEM code page.
    virtual std::int32_t DeleteAlias(const std::string& oemName) = 0;
    // DbiCfgSave with a null configuration handle and no file name.
    virtual std::int32_t SaveConfig(bool persistent) = 0;
    virtual std::int32_t Exit() = 0;
};

} // namespace tarn::platform
