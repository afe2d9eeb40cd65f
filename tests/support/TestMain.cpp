// Tests never touch a machine they did not make. Nothing is put in force for the whole run: each
// test puts in force its own temporary machine (TempMachine) or stand-ins, and one that forgets
// stops with "no platform backend installed". The programs a test starts find a machine folder
// that cannot be opened unless the test names one (--machine, TARNWELL_MACHINE), so one that
// forgets fails there too instead of reaching the user's own machine.
#include "support/TempMachine.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tarn::test::TempFolder folder;
    const auto notAFolder = folder.Path() / "no-machine-named-by-the-test";
    tarn::test::WriteHostFile(notAFolder, "");
    setenv("TARNWELL_MACHINE", (notAFolder / "machine").c_str(), 1);
    return RUN_ALL_TESTS();
}
