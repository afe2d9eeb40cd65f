// The version resource tree: lookup by path, and damaged lengths, keys and nesting.
#include "version/VersionBlock.h"
#include "version/PeWriter.h"

#include <gtest/gtest.h>

namespace tarn::test {
namespace {

using version::VersionBlock;
using version::VersionNode;

VersionSpec TwoTables() {
    VersionSpec layout;
    layout.tables.push_back({"040904E4", {{"CompanyName", u"Tarn"}, {"Empty", u""}}});
    layout.tables.push_back({"040704E4", {{"CompanyName", u"Tarn GmbH"}}});
    layout.translations = {{0x0409, 1252}};
    return layout;
}

std::u16string TextAt(const VersionBlock& block, std::string_view path) {
    const VersionNode* node = block.Find(path);
    return node ? node->Text() : u"<absent>";
}

TEST(VersionBlock, FindsValuesByPathIgnoringCase) {
    const Bytes data = BuildVersionResource(TwoTables());
    VersionBlock block;
    ASSERT_TRUE(block.Parse(data));
    EXPECT_EQ(block.Root().key, u"VS_VERSION_INFO");
    EXPECT_EQ(block.Find("\\"), &block.Root());
    EXPECT_EQ(block.Root().value.size(), 52u);
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\CompanyName"), u"Tarn");
    EXPECT_EQ(TextAt(block, "\\STRINGFILEINFO\\040904e4\\companyname"), u"Tarn");
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040704E4\\CompanyName"), u"Tarn GmbH");
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\Empty"), u"");
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\ProductName"), u"<absent>");
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040C04E4\\CompanyName"), u"<absent>");
    const VersionNode* translation = block.Find("\\VarFileInfo\\Translation");
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation->value, (Bytes{0x09, 0x04, 0xE4, 0x04}));
}

TEST(VersionBlock, TooShortForARootIsNoBlock) {
    VersionBlock block;
    EXPECT_FALSE(block.Parse({}));
    EXPECT_FALSE(block.Parse(Bytes{6, 0, 0, 0, 0}));
    EXPECT_FALSE(block.Parse(Bytes{2, 0, 0, 0, 0, 0, 0, 0})); // length below a header
    EXPECT_EQ(block.Find("\\"), nullptr);
}

TEST(VersionBlock, ChildOfLengthZeroEndsTheListInsteadOfLooping) {
    VersionBlockSpec root = VersionTree(TwoTables());
    Bytes data = SerializeBlock(root);
    // Append a child whose length is 0 after the existing children, inside the root.
    const std::size_t end = data.size();
    data.resize(end + 16, 0);
    PutWord(data, 0, static_cast<std::uint16_t>(data.size()));
    VersionBlock block;
    ASSERT_TRUE(block.Parse(data));
    EXPECT_EQ(block.Root().children.size(), 2u);
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\CompanyName"), u"Tarn");
}

TEST(VersionBlock, LengthsOverrunningTheirParentAreCutToIt) {
    Bytes data = BuildVersionResource(TwoTables());
    PutWord(data, 0, 0xFFFF); // the root claims more than there is
    VersionBlock block;
    ASSERT_TRUE(block.Parse(data));
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\CompanyName"), u"Tarn");

    // A string whose value length runs past its block keeps what its block holds.
    VersionBlockSpec root{u"VS_VERSION_INFO", 0, {}, -1, {}};
    VersionBlockSpec s = StringBlock("Key", u"abc");
    s.value.resize(6); // "abc" without its NUL
    s.valueLength = 200;
    root.children.push_back({u"StringFileInfo", 1, {}, -1, {{u"040904E4", 1, {}, -1, {s}}}});
    ASSERT_TRUE(block.Parse(SerializeBlock(root)));
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\Key"), u"abc");
}

TEST(VersionBlock, KeyWithoutTerminatorHasNoValueOrChildren) {
    Bytes data{0, 0, 4, 0, 1, 0};
    for (char16_t c : std::u16string(u"ABCD")) {
        data.push_back(static_cast<std::uint8_t>(c));
        data.push_back(0);
    }
    PutWord(data, 0, static_cast<std::uint16_t>(data.size()));
    VersionBlock block;
    ASSERT_TRUE(block.Parse(data));
    EXPECT_EQ(block.Root().key, u"ABCD");
    EXPECT_TRUE(block.Root().value.empty());
    EXPECT_TRUE(block.Root().children.empty());
}

TEST(VersionBlock, TextValueCountedInBytesStillReadsUpToItsNul) {
    VersionBlockSpec root{u"VS_VERSION_INFO", 0, {}, -1, {}};
    VersionBlockSpec s = StringBlock("Key", u"value");
    s.valueLength = static_cast<int>(s.value.size()); // bytes instead of UTF-16 units
    root.children.push_back({u"StringFileInfo", 1, {}, -1, {{u"040904E4", 1, {}, -1, {s}}}});
    VersionBlock block;
    ASSERT_TRUE(block.Parse(SerializeBlock(root)));
    EXPECT_EQ(TextAt(block, "\\StringFileInfo\\040904E4\\Key"), u"value");
}

TEST(VersionBlock, DeepNestingIsCutOffWithoutFailing) {
    VersionBlockSpec node{u"leaf", 1, {}, -1, {}};
    for (int i = 0; i < 40; ++i)
        node = VersionBlockSpec{u"n", 1, {}, -1, {node}};
    VersionBlock block;
    ASSERT_TRUE(block.Parse(SerializeBlock(node)));
    int depth = 0;
    for (const VersionNode* n = &block.Root(); !n->children.empty(); n = &n->children[0])
        ++depth;
    EXPECT_GE(depth, 4);  // real resources nest four deep
    EXPECT_LT(depth, 40); // but hostile nesting is not followed all the way
}

TEST(VersionBlock, EveryTruncationParsesWithoutReadingPastTheData) {
    const Bytes data = BuildVersionResource(TwoTables());
    for (std::size_t size = 0; size <= data.size(); ++size) {
        const Bytes cut(data.begin(), data.begin() + static_cast<long>(size));
        VersionBlock block;
        const bool parsed = block.Parse(cut);
        EXPECT_EQ(parsed, size >= 6) << size;
        const VersionNode* company = block.Find("\\StringFileInfo\\040904E4\\CompanyName");
        if (company) {
            EXPECT_TRUE(std::u16string(u"Tarn").starts_with(company->Text())) << size;
        }
    }
}

TEST(VersionNode, TextStopsAtTheFirstNulAndIgnoresAnOddByte) {
    VersionNode node;
    node.value = {'a', 0, 'b', 0, 0, 0, 'c', 0};
    EXPECT_EQ(node.Text(), u"ab");
    node.value = {'a', 0, 'b'};
    EXPECT_EQ(node.Text(), u"a");
}

} // namespace
} // namespace tarn::test
