// The accessor: nothing is in force until someone puts a backend in force, gaps of a partial set
// come from the set under it, and the host text goes through the console in force.
#include "platform/Platform.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/TerminalUserInterface.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace tarn::platform {
namespace {

constexpr const char* kNoBackend = "no platform backend installed";

// Answers every question with marked text, counting what it was asked.
class MarkingConsole : public IConsole {
public:
    bool IsTerminal(StandardStream) override {
        ++terminalQuestions;
        return true;
    }
    std::string ToHost(std::string_view ansi) override { return "<" + std::string(ansi) + ">"; }
    std::optional<std::string> FromHost(std::string_view host) override {
        return "[" + std::string(host) + "]";
    }
    int terminalQuestions = 0;
};

TEST(PlatformDeathTest, WithNothingInForceEveryAccessStopsTheProgram) {
    EXPECT_DEATH(Current(), kNoBackend);
    EXPECT_DEATH(Files(), kNoBackend);
    EXPECT_DEATH(Console(), kNoBackend);
    EXPECT_DEATH(TerminalUserInterface(), kNoBackend);
}

TEST(PlatformDeathTest, AServiceThatNoSetInForceGivesStopsTheProgram) {
    ScriptedUserInterface ui;
    ScopedPlatform scope(Services{.ui = &ui});
    EXPECT_EQ(&UI(), &ui);
    EXPECT_DEATH(Registry(), kNoBackend);
    EXPECT_DEATH(ToHostText("caf\xE9"), kNoBackend);
}

TEST(PlatformDeathTest, PartialSetsTakeTheirGapsFromTheSetUnderThemAndRestoreIt) {
    {
        test::TempMachine machine; // made with nothing in force
        const Services own = machine->GetServices();
        ScriptedUserInterface ui;
        {
            ScopedPlatform scope(Services{.ui = &ui});
            EXPECT_EQ(&UI(), &ui);
            EXPECT_EQ(&Registry(), own.registry);
            EXPECT_EQ(&Console(), own.console);
        }
        EXPECT_EQ(&UI(), own.ui);
    }
    EXPECT_DEATH(System(), kNoBackend);
}

TEST(HostText, AsciiPassesWithoutAConsoleOtherTextGoesThroughTheOneInForce) {
    EXPECT_EQ(ToHostText("Demo Product\\1.0"), "Demo Product\\1.0");
    EXPECT_EQ(FromHostText("--yes"), "--yes");

    MarkingConsole console;
    ScopedPlatform scope(Services{.console = &console});
    EXPECT_EQ(ToHostText("plain"), "plain");
    EXPECT_EQ(ToHostText("caf\xE9"), "<caf\xE9>");
    EXPECT_EQ(FromHostText("caf\xC3\xA9"), "[caf\xC3\xA9]");
    EXPECT_TRUE(IsTerminal(StandardStream::Output));
    EXPECT_EQ(console.terminalQuestions, 1);
}

TEST(HostText, ATerminalInterfaceAsksTheConsoleItIsGiven) {
    // As a machine makes its own before anything is in force.
    MarkingConsole given;
    TerminalUserInterface ui(given);
    EXPECT_EQ(given.terminalQuestions, 2); // standard input and output
}

TEST(HostText, TheEmbeddedMachineSpeaksUtf8ToTheHost) {
    test::TempMachine machine; // code page 1252
    EXPECT_EQ(ToHostText("M\xFCller"), "M\xC3\xBCller");
    EXPECT_EQ(FromHostText("M\xC3\xBCller"), "M\xFCller");
    EXPECT_EQ(FromHostText("\xCE\xA9mega"), std::nullopt); // no omega in 1252
}

} // namespace
} // namespace tarn::platform
