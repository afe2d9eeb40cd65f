// Tests never touch the user's own embedded machine: the default machine of a test program is a
// temporary one.
#include "support/TempMachine.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tarn::test::TempFolder folder;
    setenv("TARNWELL_MACHINE", (folder.Path() / "default-machine").c_str(), 1);
    int rc = RUN_ALL_TESTS();
    tarn::platform::ShutdownDefaultBackend();
    return rc;
}
