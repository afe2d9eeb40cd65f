#include "platform/CommandLine.h"

#include <gtest/gtest.h>

using tarn::platform::QuoteArgument;
using tarn::platform::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheRuntimeRules) {
    EXPECT_EQ(SplitCommandLine("My   Product"), (Args{"My", "Product"}));
    EXPECT_EQ(SplitCommandLine("\"My Product \" x"), (Args{"My Product ", "x"}));
    EXPECT_EQ(SplitCommandLine(R"(a\\\"b c\d)"), (Args{R"(a\"b)", R"(c\d)"}));
    EXPECT_EQ(SplitCommandLine(R"("a\\" b)"), (Args{R"(a\)", "b"}));
    EXPECT_EQ(SplitCommandLine(R"("say ""hi""")"), (Args{R"(say "hi")"}));
    EXPECT_EQ(SplitCommandLine("\"\""), (Args{""}));
    EXPECT_TRUE(SplitCommandLine("  \t ").empty());
}

TEST(CommandLine, QuotedArgumentsSplitBackUnchanged) {
    const Args samples = {"plain",      "with space",          "",        "quote\"inside",
                          "trailing\\", "C:\\Program Files\\", "a\\\\\"b"};
    std::string line;
    for (const std::string& s : samples)
        line += QuoteArgument(s) + " ";
    EXPECT_EQ(SplitCommandLine(line), samples);
}
