// The embedded machine has no database engine installed: initialisation always fails.
#pragma once

#include "platform/DatabaseEngine.h"

namespace tarn::platform::portable {

class NoDatabaseEngine : public IDatabaseEngine {
public:
    std::int32_t Init(std::uint16_t) override { return DBIERR_NOT_AVAILABLE; }
    std::int32_t DeleteAlias(const std::string&) override { return DBIERR_NOT_AVAILABLE; }
    std::int32_t SaveConfig(bool) override { return DBIERR_NOT_AVAILABLE; }
    std::int32_t Exit() override { return DBIERR_NOT_AVAILABLE; }
};

} // namespace tarn::platform::portable
