// The INI phase: exactly the recorded entries go; sections keep their place, order and comments.
#include "UninstallFixture.h"

using namespace tarn;
using namespace tarn::test;

namespace {

const std::string kIni = kRecord + "\\INIFiles";

} // namespace

class IniEntriesTest : public UninstallTest {
protected:
    void Record(const std::string& entry, const std::string& file, const std::string& section,
                const std::vector<std::string>& names) {
        PutString(kIni + "\\" + entry, "FilePath", file);
        PutKey(kIni + "\\" + entry + "\\Entries");
        for (const auto& name : names)
            PutString(kIni + "\\" + entry + "\\Entries\\" + section, name, "");
    }
};

TEST_F(IniEntriesTest, OnlyTheRecordedEntryGoesAndTheSectionKeepsItsShape) {
    PutFile("C:\\WINDOWS\\WIN.INI", "; shared with others\r\n[Windows]\r\nload=\r\n\r\n"
                                    "[Settings]\r\n; our comment\r\nA=1\r\nB=2\r\n\r\nC=3\r\n"
                                    "[Fonts]\r\nArial=arial.ttf\r\n");
    Record("1", "C:\\WINDOWS\\WIN.INI", "Settings", {"b"});
    Create();
    form->RemoveIniEntries();
    EXPECT_EQ(Content("C:\\WINDOWS\\WIN.INI"),
              "; shared with others\r\n[Windows]\r\nload=\r\n\r\n[Settings]\r\n; our comment\r\n"
              "A=1\r\n\r\nC=3\r\n[Fonts]\r\nArial=arial.ttf\r\n");
    EXPECT_FALSE(KeyExists(kIni));
}

TEST_F(IniEntriesTest, ANameRemovesOnlyEntriesOfExactlyThatName) {
    PutFile("C:\\App\\app.ini", "[Paths]\r\nPath=C:\\App\r\nDataPath=C:\\Data\r\nPATH=again\r\n");
    Record("1", "C:\\App\\app.ini", "Paths", {"Path"});
    Create();
    form->RemoveIniEntries();
    EXPECT_EQ(Content("C:\\App\\app.ini"), "[Paths]\r\nDataPath=C:\\Data\r\n");
}

TEST_F(IniEntriesTest, ASectionWithoutEntriesLeftIsRemoved) {
    PutFile("C:\\App\\app.ini", "[Ours]\r\nA=1\r\nB=\r\n[Theirs]\r\nX=1\r\n");
    Record("1", "C:\\App\\app.ini", "Ours", {"A", "B"});
    Create();
    form->RemoveIniEntries();
    EXPECT_EQ(Content("C:\\App\\app.ini"), "[Theirs]\r\nX=1\r\n");
}

TEST_F(IniEntriesTest, AnEmptiedFileGoesWithItsEmptyFolder) {
    PutFile("C:\\App\\Config\\app.ini", "[Ours]\r\nA=1\r\n");
    Record("1", "C:\\App\\Config\\app.ini", "Ours", {"A"});
    Create();
    form->RemoveIniEntries();
    EXPECT_FALSE(Exists("C:\\App\\Config\\app.ini"));
    EXPECT_FALSE(Exists("C:\\App\\Config"));
    EXPECT_EQ(form->RemovedDirs()[0], "C:\\APP\\CONFIG");
}

TEST_F(IniEntriesTest, AFileWithABlankLineLeftStays) {
    PutFile("C:\\App\\app.ini", "\r\n[Ours]\r\nA=1\r\n");
    Record("1", "C:\\App\\app.ini", "Ours", {"A"});
    Create();
    form->RemoveIniEntries();
    EXPECT_TRUE(Exists("C:\\App\\app.ini"));
}

TEST_F(IniEntriesTest, TwoRecordsOfOneFileAndSameNamesInOtherSectionsAreIndependent) {
    PutFile("C:\\App\\app.ini", "[One]\r\nName=1\r\nKeep=1\r\n[Two]\r\nName=2\r\nOther=2\r\n");
    Record("1", "C:\\App\\app.ini", "One", {"Name"});
    Record("2", "C:\\App\\app.ini", "Two", {"Other"});
    Create();
    form->RemoveIniEntries();
    EXPECT_EQ(Content("C:\\App\\app.ini"), "[One]\r\nKeep=1\r\n[Two]\r\nName=2\r\n");
}

TEST_F(IniEntriesTest, MissingFilesAndUnreadableNamesAreSkipped) {
    PutFile("C:\\App\\app.ini", "[S]\r\nA=1\r\nB=2\r\n");
    Record("1", "C:\\App\\missing.ini", "S", {"A"});
    Record("2", "C:\\App\\app.ini", "S", {"A"});
    PutInteger(kIni + "\\2\\Entries\\S", "B", 1); // not a string: B stays
    Create();
    form->RemoveIniEntries();
    EXPECT_EQ(Content("C:\\App\\app.ini"), "[S]\r\nB=2\r\n");
    EXPECT_FALSE(KeyExists(kIni));
}

TEST_F(IniEntriesTest, ARefusedWriteStopsTheRunAndKeepsTheRecord) {
    PutFile("C:\\App\\app.ini", "[S]\r\nA=1\r\n");
    Record("1", "C:\\App\\app.ini", "S", {"A"});
    machine->GetFaults().undeletableFiles.push_back("C:\\App\\app.ini");
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Unable to write to C:\\App\\app.ini."}));
    EXPECT_TRUE(KeyExists(kIni));
    EXPECT_EQ(Content("C:\\App\\app.ini"), "[S]\r\nA=1\r\n");
}

TEST(CountFolderEntries, CountsFilesAndFoldersButNotDotEntries) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Box\\a.txt"), "");
    WriteHostFile(m.Host("C:\\Box\\Sub\\b.txt"), "");
    EXPECT_EQ(uninstall::CountFolderEntries("C:\\Box\\whatever.ini"), 2);
    EXPECT_EQ(uninstall::CountFolderEntries("C:\\Box\\Sub\\"), 1);
    EXPECT_EQ(uninstall::CountFolderEntries("C:\\Missing\\x"), 0);
}

TEST_F(IniEntriesTest, AFileThatCannotBeOpenedForItsSizeStopsTheRun) {
    PutFile("C:\\App\\app.ini", "[S]\r\nOther=1\r\n");
    Record("1", "C:\\App\\app.ini", "S", {"Gone"});
    machine->GetFaults().busyFiles.push_back("C:\\App\\app.ini");
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Cannot open file C:\\App\\app.ini."}));
    EXPECT_TRUE(KeyExists(kIni));
    EXPECT_FALSE(view.Ticked(uninstall::TPhaseBox::pbIniFiles));
}
