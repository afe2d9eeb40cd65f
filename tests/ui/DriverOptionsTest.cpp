// The UI driver's command line, its choice of answers and the uninstaller's command line.
#include "ui/DriverOptions.h"

#include <gtest/gtest.h>

namespace tarn::ui {
namespace {

TEST(DriverOptions, ReadsEveryOptionAndTheProductAfterTheSeparator) {
    const DriverOptions options = ParseDriverOptions(
        {"--program", "C:\\App\\uninstall.exe", "--answer", "one.dll=yes", "--answer",
         "two.dll=escape", "--before", "b.png", "--after", "a.png", "--timeout", "30",
         "--expect-stopped", "--", "My", "--answer", "Product"});
    EXPECT_EQ(options.program, "C:\\App\\uninstall.exe");
    ASSERT_EQ(options.answers.size(), 2u);
    EXPECT_EQ(options.answers[0].substring, "one.dll");
    EXPECT_EQ(options.answers[0].answer, Answer::Yes);
    EXPECT_EQ(options.answers[1].substring, "two.dll");
    EXPECT_EQ(options.answers[1].answer, Answer::Escape);
    EXPECT_EQ(options.before, "b.png");
    EXPECT_EQ(options.after, "a.png");
    EXPECT_EQ(options.timeoutSeconds, 30);
    EXPECT_TRUE(options.expectStopped);
    // Everything after -- is the product's, options included.
    EXPECT_EQ(options.productWords, (std::vector<std::string>{"My", "--answer", "Product"}));
    EXPECT_EQ(options.ProductName(), "My --answer Product");
}

TEST(DriverOptions, DefaultsWithoutOptionalArguments) {
    const DriverOptions options = ParseDriverOptions({"--program", "u.exe", "--", "Demo"});
    EXPECT_TRUE(options.answers.empty());
    EXPECT_TRUE(options.before.empty());
    EXPECT_TRUE(options.after.empty());
    EXPECT_EQ(options.timeoutSeconds, 120);
    EXPECT_FALSE(options.expectStopped);
}

TEST(DriverOptions, TheCaptionFollowsTheProduct) {
    const DriverOptions named = ParseDriverOptions({"--program", "u.exe", "--", "My", "Product"});
    EXPECT_FALSE(named.Refused());
    EXPECT_EQ(named.WindowCaption(), "Remove My Product");
    // Without words the program is expected to refuse and keep its first caption.
    const DriverOptions none = ParseDriverOptions({"--program", "u.exe", "--"});
    EXPECT_TRUE(none.Refused());
    EXPECT_EQ(none.WindowCaption(), "Uninstall program");
}

TEST(DriverOptions, TheNoticesAreCaptionedWithTheProgramsName) {
    auto title = [](const std::string& program) {
        return ParseDriverOptions({"--program", program, "--", "Demo"}).ProgramTitle();
    };
    EXPECT_EQ(title("C:\\Program Files\\Demo\\uninstall.exe"), "uninstall");
    EXPECT_EQ(title("C:\\Apps.v2\\Remove"), "Remove");
    EXPECT_EQ(title("D:setup.old.exe"), "setup.old");
    EXPECT_EQ(title("/tmp/un.exe"), "un");
}

TEST(DriverOptions, AnAnswerSplitsAtItsLastEqualsSign) {
    const DriverOptions options =
        ParseDriverOptions({"--program", "u.exe", "--answer", "a=b=no", "--", "Demo"});
    ASSERT_EQ(options.answers.size(), 1u);
    EXPECT_EQ(options.answers[0].substring, "a=b");
    EXPECT_EQ(options.answers[0].answer, Answer::No);
}

TEST(DriverOptions, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--", "Demo"},                                            // no program
        {"--program", "u.exe"},                                    // no product
        {"--program", "u.exe", "--answer", "x=maybe", "--", "D"},  // unknown answer
        {"--program", "u.exe", "--answer", "=yes", "--", "D"},     // empty substring
        {"--program", "u.exe", "--answer", "noequals", "--", "D"}, // no answer
        {"--program", "u.exe", "--timeout", "0", "--", "D"},
        {"--program", "u.exe", "--timeout", "12s", "--", "D"},
        {"--program", "u.exe", "--timeout"},
        {"--program", "u.exe", "--verbose", "--", "D"},
    };
    for (const auto& arguments : wrong)
        EXPECT_THROW(ParseDriverOptions(arguments), std::invalid_argument)
            << testing::PrintToString(arguments);
}

TEST(DriverOptions, TheFirstMatchingRuleAnswers) {
    const std::vector<AnswerRule> rules = {
        {"shared.dll", Answer::Yes}, {"dll", Answer::Escape}, {"Engine", Answer::No}};
    EXPECT_EQ(ChooseAnswer(rules, "the file C:\\shared.dll is no longer used"), Answer::Yes);
    EXPECT_EQ(ChooseAnswer(rules, "the file C:\\other.dll is no longer used"), Answer::Escape);
    EXPECT_EQ(ChooseAnswer(rules, "the Borland Database Engine is no longer used"), Answer::No);
    EXPECT_EQ(ChooseAnswer(rules, "something else"), std::nullopt);
    EXPECT_EQ(ChooseAnswer({}, "anything"), std::nullopt);
}

TEST(DriverOptions, RecognisesBothClosingMessages) {
    EXPECT_TRUE(IsClosingMessage("Demo has finished removing itself"));
    EXPECT_TRUE(IsClosingMessage(
        "The uninstallation program for Demo will be removed after you reboot your computer."));
    EXPECT_FALSE(
        IsClosingMessage("Some or all of the registry keys could not could not be removed"));
    EXPECT_FALSE(IsClosingMessage("will be removed after you reboot your computer"));
}

TEST(DriverOptions, QuotesTheProgramAndOnlyWordsWithBlanks) {
    EXPECT_EQ(BuildCommandLine("C:\\Program Files\\Demo\\uninstall.exe", {"Tarnwell", "Demo"}),
              "\"C:\\Program Files\\Demo\\uninstall.exe\" Tarnwell Demo");
    EXPECT_EQ(BuildCommandLine("u.exe", {"My Product", "2"}), "\"u.exe\" \"My Product\" 2");
    EXPECT_EQ(BuildCommandLine("u.exe", {}), "\"u.exe\"");
}

} // namespace
} // namespace tarn::ui
