// The Windows build's test programs run on the Windows they run on (Wine's, on Linux): its
// backend is put in force for the whole run. A test that needs a scratch folder or key of its
// own makes them (ContractEnvironment).
#include "platform/Platform.h"
#include "platform/win32/Win32Backend.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tarn::platform::win32::Win32Backend backend;
    tarn::platform::ScopedPlatform scope(backend);
    return RUN_ALL_TESTS();
}
