// 8.3 aliases: how they are formed, kept unique in a folder, and kept once handed out.
#include "platform/portable/FileMetaStore.h"
#include "platform/portable/ShortNames.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace tarn::test {
namespace {

namespace fs = std::filesystem;
using namespace platform::portable;

TEST(ShortNameRules, WhichNamesAreAlreadyShort) {
    for (const char* name : {"README.TXT", "readme.txt", "a", "12345678.123", "A_B-C~1.$$$", "x.y"})
        EXPECT_TRUE(IsValidShortName(name)) << name;
    for (const char* name : {"", ".", "..", "123456789", "a.b.c", "a b.txt", "x.abcd", "a+b",
                             "name.", ".cfg", "Program Files"})
        EXPECT_FALSE(IsValidShortName(name)) << name;
}

TEST(ShortNameRules, AliasesTakeSixCharactersAndTheLastExtension) {
    EXPECT_EQ(MakeShortName("Program Files", 1), "PROGRA~1");
    EXPECT_EQ(MakeShortName("Common Files", 2), "COMMON~2");
    EXPECT_EQ(MakeShortName("My Document.html", 1), "MYDOCU~1.HTM");
    EXPECT_EQ(MakeShortName("a+b=c.long.ext", 1), "A_B_CL~1.EXT");
    EXPECT_EQ(MakeShortName("x y.tar.gz", 1), "XYTAR~1.GZ") << "short bases are not padded";
    EXPECT_EQ(MakeShortName(".htaccess", 1), "HTACCE~1");
    // Numbers past 9 leave less room for the base.
    EXPECT_EQ(MakeShortName("Program Files", 10), "PROGR~10");
    EXPECT_EQ(MakeShortName("Program Files", 100), "PROG~100");
}

class FolderAliases : public ::testing::Test {
protected:
    fs::path Dir() const { return folder_.Path() / "drive_c"; }
    void Touch(const std::string& name) { WriteHostFile(Dir() / name, name); }

    TempFolder folder_;
};

TEST_F(FolderAliases, AliasesAreUniqueAndNumberedInNameOrder) {
    std::set<std::string> aliases;
    for (int i = 1; i <= 11; ++i)
        Touch("Document Number " + std::to_string(100 + i) + ".text");
    FileMetaStore meta(folder_.Path());
    EXPECT_EQ(meta.ShortName(Dir() / "Document Number 101.text"), "DOCUME~1.TEX");
    EXPECT_EQ(meta.ShortName(Dir() / "Document Number 109.text"), "DOCUME~9.TEX");
    EXPECT_EQ(meta.ShortName(Dir() / "Document Number 110.text"), "DOCUM~10.TEX");
    for (int i = 1; i <= 11; ++i)
        aliases.insert(
            meta.ShortName(Dir() / ("Document Number " + std::to_string(100 + i) + ".text")));
    EXPECT_EQ(aliases.size(), 11u);
    EXPECT_EQ(meta.LongNameFor(Dir(), "docum~11.tex"), "Document Number 111.text");
    EXPECT_EQ(meta.LongNameFor(Dir(), "DOCUM~12.TEX"), "");
}

TEST_F(FolderAliases, NamesThatAreAlreadyShortAreNotAliasedAndBlockAliases) {
    Touch("PROGRA~1");
    Touch("Program Files");
    FileMetaStore meta(folder_.Path());
    EXPECT_EQ(meta.ShortName(Dir() / "PROGRA~1"), "");
    EXPECT_EQ(meta.ShortName(Dir() / "Program Files"), "PROGRA~2");
}

TEST_F(FolderAliases, AnAliasOnceGivenSurvivesNewNeighboursAndReloads) {
    Touch("Program Files");
    {
        FileMetaStore meta(folder_.Path());
        EXPECT_EQ(meta.ShortName(Dir() / "Program Files"), "PROGRA~1");
        // "Program Data" sorts first, but the alias already given stays.
        Touch("Program Data");
        EXPECT_EQ(meta.ShortName(Dir() / "Program Data"), "PROGRA~2");
        EXPECT_EQ(meta.ShortName(Dir() / "Program Files"), "PROGRA~1");
        meta.Flush();
    }
    FileMetaStore reloaded(folder_.Path());
    EXPECT_EQ(reloaded.LongNameFor(Dir(), "PROGRA~1"), "Program Files");
    EXPECT_EQ(reloaded.ShortName(Dir() / "Program Data"), "PROGRA~2");
}

TEST_F(FolderAliases, VanishedFilesGiveTheirAliasBack) {
    Touch("Long Name One.txt");
    FileMetaStore meta(folder_.Path());
    EXPECT_EQ(meta.ShortName(Dir() / "Long Name One.txt"), "LONGNA~1.TXT");
    fs::remove(Dir() / "Long Name One.txt");
    Touch("Long Name Two.txt");
    EXPECT_EQ(meta.ShortName(Dir() / "Long Name Two.txt"), "LONGNA~1.TXT");
    EXPECT_EQ(meta.LongNameFor(Dir(), "LONGNA~1.TXT"), "Long Name Two.txt");
}

TEST_F(FolderAliases, AttributesFollowMovesAndGoWithDeletes) {
    fs::create_directories(Dir() / "Old Folder" / "Inner");
    Touch("Old Folder/Inner/file.txt");
    FileMetaStore meta(folder_.Path());
    meta.SetAttributes(Dir() / "Old Folder" / "Inner" / "file.txt", 0x2);
    meta.SetAttributes(Dir() / "Old Folder", 0x4);

    fs::rename(Dir() / "Old Folder", Dir() / "New Folder");
    meta.Move(Dir() / "Old Folder", Dir() / "New Folder");
    EXPECT_EQ(meta.Attributes(Dir() / "New Folder"), 0x4u);
    EXPECT_EQ(meta.Attributes(Dir() / "New Folder" / "Inner" / "file.txt"), 0x2u);
    EXPECT_EQ(meta.Attributes(Dir() / "Old Folder" / "Inner" / "file.txt"), 0u);

    meta.Forget(Dir() / "New Folder");
    EXPECT_EQ(meta.Attributes(Dir() / "New Folder" / "Inner" / "file.txt"), 0u);
    EXPECT_EQ(meta.Attributes(Dir() / "New Folder"), 0u);
}

} // namespace
} // namespace tarn::test
