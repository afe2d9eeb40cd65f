// Finding the library folder: the environment variable, the library search path in order with
// its tokens, the design-time host's own folder, and what happens when nothing holds the marker.
#include "install/cmp_TInstallContainer_Library.h"
#include "platform/ForwardingSystemInfo.h"
#include "platform/Platform.h"
#include "platform/portable/PathMapper.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace tarn;
using namespace tarn::install;
using tarn::test::TempMachine;

namespace {

constexpr const char* kLibraryKey = "\\Software\\Borland\\Delphi\\5.0\\Library";
constexpr const char* kRootKey = "\\Software\\Borland\\Delphi\\5.0";
constexpr const char* kVariable = "TARNWELL_LIBRARY";

// The machine's system information, reporting another program as the running one.
class DesignHost : public platform::ForwardingSystemInfo {
public:
    using ForwardingSystemInfo::ForwardingSystemInfo;
    std::string GetModuleFileName() override { return "C:\\Design\\host.exe"; }
};

struct LibraryDirectory : ::testing::Test {
    TempMachine machine;
    std::optional<std::string> savedVariable;

    void SetUp() override {
        // The build machine running the tests may name a library of its own.
        if (const char* value = std::getenv(kVariable)) savedVariable = value;
        unsetenv(kVariable);
    }
    void TearDown() override {
        if (savedVariable)
            setenv(kVariable, savedVariable->c_str(), 1);
        else
            unsetenv(kVariable);
        DesignOverride = false;
    }
    void PutMarker(const std::string& folder) {
        test::WriteHostFile(machine.Host(folder + "\\T32V50.TXT"), "");
    }
    void SetSearchPath(const std::string& path, const std::string& root) {
        WriteRegistryString(rcCurrentUser, kLibraryKey, "Search Path", path);
        WriteRegistryString(rcLocalMachine, kRootKey, "RootDir", root);
    }
    static std::string RaisedMessage() {
        try {
            TarnwellInfo::LibraryDirectory(true);
        } catch (const IENoTarnwellPath& e) {
            return e.Message();
        }
        return "<nothing raised>";
    }
};

TEST_F(LibraryDirectory, NothingFoundGivesEmptyOrTheError) {
    PutMarker("C:\\Tools"); // on no search path yet
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(false), "");
    EXPECT_EQ(RaisedMessage(), SNoTarnwellPath);

    SetSearchPath("  ", "C:\\Dev");
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(false), "");
    EXPECT_EQ(RaisedMessage(), SNoTarnwellPath);

    // An empty entry must not find the marker in the current folder.
    machine->GetPathMapper().SetCurrentDirectory("C:\\Tools");
    SetSearchPath("$(DELPHI)\\Lib;;C:\\Other", "C:\\Dev");
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(false), "");
    EXPECT_EQ(RaisedMessage(), SNoTarnwellPath);
}

TEST_F(LibraryDirectory, TheFirstSearchPathEntryWithTheMarkerWins) {
    SetSearchPath("$(DELPHI)\\Lib;C:\\Tools", "C:\\Dev");
    PutMarker("C:\\Tools");
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(true), "C:\\Tools");
    PutMarker("C:\\Dev\\Lib");
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(true), "C:\\Dev\\Lib");

    // Either token, in any case; one backslash between root and entry, none at the end.
    SetSearchPath("C:\\None;$(bcb)\\Bin\\", "C:\\Borland\\");
    PutMarker("C:\\Borland\\Bin");
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(true), "C:\\Borland\\Bin");
}

TEST_F(LibraryDirectory, TheEnvironmentVariableComesFirstWhenItsFolderHoldsTheMarker) {
    SetSearchPath("C:\\Tools", "C:\\Dev");
    PutMarker("C:\\Tools");
    PutMarker("C:\\Mine");
    setenv(kVariable, "C:\\Mine\\", 1);
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(true), "C:\\Mine");

    setenv(kVariable, "C:\\Stale", 1);
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(true), "C:\\Tools");
    SetSearchPath("", "");
    EXPECT_EQ(RaisedMessage(), SNoTarnwellPath);
}

TEST_F(LibraryDirectory, DesignOverrideTakesOnlyTheRunningProgramsFolder) {
    DesignHost host(platform::System());
    platform::Services services = platform::Current();
    services.system = &host;
    platform::ScopedPlatform inForce(services);
    SetSearchPath("C:\\Tools", "C:\\Dev");
    PutMarker("C:\\Tools");
    DesignOverride = true;
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(false), "");
    PutMarker("C:\\Design");
    EXPECT_EQ(TarnwellInfo::LibraryDirectory(true), "C:\\Design");
}

} // namespace
