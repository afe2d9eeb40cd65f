// The backend under test for the backend-neutral contract suites. Each backend's test program
// provides MakeContractEnvironment(); the suites use nothing but the platform interfaces.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>

namespace tarn::test {

class ContractEnvironment {
public:
    virtual ~ContractEnvironment() = default;
    // The services of the backend, also put in force (ScopedPlatform) for the environment's life.
    virtual platform::Services GetServices() = 0;
    // A Windows path of an empty folder that the test may fill; removed afterwards.
    virtual std::string ScratchFolder() = 0;
    // A key path below HKEY_CURRENT_USER (no leading backslash) that does not exist yet and that
    // the test may create; removed afterwards.
    virtual std::string ScratchKey() = 0;
    // Whether the backend is the Win32 one running under Wine, where a few cases differ from
    // Windows (see WineDifferences.h).
    virtual bool RunsOnWine() { return false; }
};

std::unique_ptr<ContractEnvironment> MakeContractEnvironment();

} // namespace tarn::test
