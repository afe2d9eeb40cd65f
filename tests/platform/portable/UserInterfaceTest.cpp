#include "platform/ScriptedUserInterface.h"
#include "platform/TerminalUserInterface.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tarn::platform;

TEST(TerminalUserInterface, AnswersOneLinePerQuestionAndNoAtTheEnd) {
    std::istringstream in("y\nno\n");
    std::ostringstream out, err;
    TerminalUserInterface ui(in, out, err);
    EXPECT_TRUE(ui.Confirm("Confirm", "Delete a.dll?"));
    EXPECT_FALSE(ui.Confirm("Confirm", "Delete b.dll?"));
    EXPECT_FALSE(ui.Confirm("Confirm", "Delete c.dll?")); // input used up
    ui.Inform("uninstall", "Done");
    ui.Error("uninstall", "It failed.");
    EXPECT_NE(out.str().find("Confirm: Delete a.dll?"), std::string::npos);
    EXPECT_NE(out.str().find("uninstall: Done\n"), std::string::npos);
    EXPECT_EQ(err.str(), "uninstall: error: It failed.\n");
}

TEST(TerminalUserInterface, FixedAnswerAsksNothing) {
    std::istringstream in("n\n");
    std::ostringstream out, err;
    TerminalUserInterface ui(in, out, err);
    ui.SetFixedAnswer(true);
    EXPECT_TRUE(ui.Confirm("Confirm", "Q?"));
    EXPECT_TRUE(ui.OkCancel("Disk", "Insert disk"));
    ui.SetFixedAnswer(std::nullopt);
    EXPECT_FALSE(ui.Confirm("Confirm", "Q?")); // the line is still unread
}

TEST(ScriptedUserInterface, RecordsBoxesAndAnswersInOrder) {
    ScriptedUserInterface ui;
    ui.Answer(true);
    ui.Answer(false);
    ui.SetDefaultAnswer(true);
    EXPECT_TRUE(ui.Confirm("Confirm", "one"));
    ui.Inform("x", "note");
    EXPECT_FALSE(ui.Confirm("Confirm", "two"));
    EXPECT_TRUE(ui.OkCancel("Disk", "three"));
    ASSERT_EQ(ui.Boxes().size(), 4u);
    EXPECT_EQ(ui.Boxes()[1].kind, ScriptedUserInterface::Kind::Inform);
    EXPECT_EQ(ui.Texts(ScriptedUserInterface::Kind::Confirm),
              (std::vector<std::string>{"one", "two"}));
}
