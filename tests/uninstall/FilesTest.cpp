// The files phase with the shared-library counts, the overflow keys and the folder clean-up.
#include "UninstallFixture.h"

#include "routines/routines_API.h"

#include <set>

using namespace tarn;
using namespace tarn::test;

namespace {
const std::string kFiles = kRecord + "\\Files";
}

TEST_F(UninstallTest, AFileWithoutSharedCountIsDeletedWithoutAQuestion) {
    PutFile("C:\\App\\a.txt");
    RecordFiles(kFiles, {"C:\\App\\a.txt"});
    Create();
    form->RemoveFiles();
    EXPECT_FALSE(Exists("C:\\App\\a.txt"));
    EXPECT_TRUE(Questions().empty());
    EXPECT_FALSE(KeyExists(kFiles));
    ASSERT_EQ(form->RemovedDirs().Count(), 1);
    EXPECT_EQ(form->RemovedDirs()[0], "C:\\APP");
}

TEST_F(UninstallTest, ASharedFileUsedByOthersIsKeptAndItsCountLowered) {
    PutFile("C:\\App\\lib.dll");
    RecordFiles(kFiles, {"C:\\App\\lib.dll"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\lib.dll", 3);
    Create();
    form->RemoveFiles();
    EXPECT_TRUE(Exists("C:\\App\\lib.dll"));
    EXPECT_EQ(SharedCount("C:\\App\\lib.dll"), 2);
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(form->RemovedDirs().Count(), 0);
}

TEST_F(UninstallTest, ALastUseAsksAndYesDeletesCountAndFile) {
    PutFile("C:\\App\\lib.dll");
    RecordFiles(kFiles, {"C:\\App\\lib.dll"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\lib.dll", 1);
    ui.Answer(true);
    Create();
    form->RemoveFiles();
    EXPECT_EQ(Questions(),
              (std::vector<std::string>{"Uninstall has determined that the file C:\\App\\lib.dll "
                                        "is no longer used by an application. Is it o.k. to "
                                        "delete it?"}));
    EXPECT_EQ(ui.Boxes()[0].caption, "Confirm");
    EXPECT_FALSE(Exists("C:\\App\\lib.dll"));
    EXPECT_EQ(SharedCount("C:\\App\\lib.dll"), std::nullopt);
}

TEST_F(UninstallTest, ALastUseAnsweredNoKeepsCountAndFile) {
    PutFile("C:\\App\\lib.dll");
    RecordFiles(kFiles, {"C:\\App\\lib.dll"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\lib.dll", 0);
    ui.Answer(false);
    Create();
    form->RemoveFiles();
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_TRUE(Exists("C:\\App\\lib.dll"));
    EXPECT_EQ(SharedCount("C:\\App\\lib.dll"), 0);
    EXPECT_FALSE(KeyExists(kFiles));
}

TEST_F(UninstallTest, ACountUnderTheShortFormIsUsedInTheQuestionAndTheUpdate) {
    const std::string path = "C:\\Program Files\\Demo Application\\Shared Library.dll";
    PutFile(path);
    const std::string shortPath = GetShortPath(path);
    ASSERT_FALSE(shortPath.empty());
    ASSERT_NE(shortPath, path);
    RecordFiles(kFiles, {path, path});
    PutInteger(uninstall::kSharedDllsKey, shortPath, 2);
    PutInteger(uninstall::kSharedDllsKey, path, 7);
    ui.Answer(true);
    Create();
    form->RemoveFiles();
    // First entry: 2 under the short name becomes 1; second: last use, asked under that name.
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_NE(Questions()[0].find(shortPath), std::string::npos);
    EXPECT_EQ(SharedCount(shortPath), std::nullopt);
    EXPECT_EQ(SharedCount(path), 7);
    EXPECT_FALSE(Exists(path));
}

TEST_F(UninstallTest, AFileAlreadyGoneStillHasItsCountHandled) {
    RecordFiles(kFiles, {"C:\\App\\gone.dll", "C:\\App\\gone2.dll"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\gone.dll", 1);
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\gone2.dll", 4);
    ui.Answer(true);
    Create();
    form->RemoveFiles();
    EXPECT_EQ(SharedCount("C:\\App\\gone.dll"), std::nullopt);
    EXPECT_EQ(SharedCount("C:\\App\\gone2.dll"), 3);
    EXPECT_EQ(form->RemovedDirs().Count(), 0);
}

TEST_F(UninstallTest, OverflowKeysAreHandledInOrderUntilOneIsMissing) {
    for (const char* f : {"a", "b", "c", "d"})
        PutFile(std::string("C:\\App\\") + f);
    RecordFiles(kFiles, {"C:\\App\\a"});
    RecordFiles(kFiles + "1", {"C:\\App\\b"});
    RecordFiles(kFiles + "2", {"C:\\App\\c"});
    RecordFiles(kFiles + "4", {"C:\\App\\d"}); // after a gap: never visited
    Create();
    form->RemoveFiles();
    EXPECT_FALSE(Exists("C:\\App\\a"));
    EXPECT_FALSE(Exists("C:\\App\\b"));
    EXPECT_FALSE(Exists("C:\\App\\c"));
    EXPECT_TRUE(Exists("C:\\App\\d"));
    EXPECT_FALSE(KeyExists(kFiles + "2"));
    EXPECT_TRUE(KeyExists(kFiles + "4"));
}

TEST_F(UninstallTest, WithoutTheFirstFilesKeyNoOverflowKeyIsVisited) {
    PutFile("C:\\App\\b");
    RecordFiles(kFiles + "1", {"C:\\App\\b"});
    Create();
    form->RemoveFiles();
    EXPECT_TRUE(Exists("C:\\App\\b"));
}

TEST_F(UninstallTest, AValueOfAnotherTypeStopsThePhaseWithTheRegistryMessage) {
    PutFile("C:\\App\\a");
    RecordFiles(kFiles, {"C:\\App\\a"});
    PutInteger(kFiles, "File2", 5);
    Create();
    EXPECT_FALSE(form->Start());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Invalid data type for 'File2'");
    EXPECT_TRUE(KeyExists(kFiles));
}

TEST_F(UninstallTest, AFileInUseStaysWithoutARestartJob) {
    PutFile("C:\\App\\busy.txt");
    RecordFiles(kFiles, {"C:\\App\\busy.txt"});
    machine->GetFaults().busyFiles.push_back("C:\\App\\busy.txt");
    Create();
    form->RemoveFiles();
    EXPECT_TRUE(Exists("C:\\App\\busy.txt"));
    EXPECT_FALSE(ValueExists("\\System\\CurrentControlSet\\Control\\Session Manager",
                             "PendingFileRenameOperations"));
}

TEST_F(UninstallTest, EmptiedFoldersGoAndFoldersWithKeptFilesStay) {
    PutFile("C:\\App\\One\\a");
    PutFile("C:\\App\\Two\\b");
    PutFile("C:\\App\\Two\\kept.dll");
    RecordFiles(kFiles, {"C:\\App\\One\\a", "C:\\App\\Two\\b", "C:\\App\\Two\\kept.dll"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\Two\\kept.dll", 1);
    ui.Answer(false);
    Create();
    form->RemoveFiles();
    form->RemoveEmptyFolders();
    EXPECT_FALSE(Exists("C:\\App\\One"));
    EXPECT_TRUE(Exists("C:\\App\\Two\\kept.dll"));
    // Parent folders are not visited.
    EXPECT_TRUE(Exists("C:\\App"));
}

TEST_F(UninstallTest, ManyFilesWithSimilarLongNamesInOneFolderAllGo) {
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i) {
        paths.push_back("C:\\App\\Document Number " + std::to_string(i) + ".text");
        PutFile(paths.back());
    }
    std::set<std::string> aliases;
    for (const auto& p : paths)
        aliases.insert(GetShortPath(p));
    EXPECT_EQ(aliases.size(), paths.size());
    EXPECT_EQ(aliases.count("C:\\App\\DOCUME~1.TEX"), 1u);
    RecordFiles(kFiles, paths);
    Create();
    form->RemoveFiles();
    form->RemoveEmptyFolders();
    EXPECT_FALSE(Exists("C:\\App"));
}
