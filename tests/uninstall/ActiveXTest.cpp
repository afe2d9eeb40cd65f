// The ActiveX/OCX phase: counts, questions and the two ways of unregistering.
#include "UninstallFixture.h"

#include "platform/portable/PortableLibraries.h"

#include <chrono>
#include <thread>

using namespace tarn;
using namespace tarn::test;

namespace {

const std::string kActiveX = kRecord + "\\ActiveX";

// Registers a fake library whose DllUnregisterServer counts its calls.
void FakeControl(platform::portable::Machine& m, const std::string& path, int& calls) {
    platform::portable::FakeLibrary library;
    library.entryPoints["DllUnregisterServer"] = [&calls] {
        ++calls;
        return 0;
    };
    m.GetLibraries().Register(path, std::move(library));
}

} // namespace

TEST_F(UninstallTest, AControlUsedByOthersKeepsItsRegistrationAndFile) {
    int calls = 0;
    PutFile("C:\\App\\Grid.ocx");
    FakeControl(machine.Get(), "C:\\App\\Grid.ocx", calls);
    RecordFiles(kActiveX, {"C:\\App\\Grid.ocx;0"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\Grid.ocx", 2);
    Create();
    form->RemoveActiveXComponents();
    EXPECT_EQ(SharedCount("C:\\App\\Grid.ocx"), 1);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(Exists("C:\\App\\Grid.ocx"));
    EXPECT_TRUE(Questions().empty());
    EXPECT_FALSE(KeyExists(kActiveX));
}

TEST_F(UninstallTest, AnUnusedControlIsAskedForUnregisteredAndDeleted) {
    int calls = 0;
    PutFile("C:\\App\\Grid.ocx");
    FakeControl(machine.Get(), "C:\\App\\Grid.ocx", calls);
    RecordFiles(kActiveX, {"C:\\App\\Grid.ocx;0"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\Grid.ocx", 1);
    ui.Answer(true);
    Create();
    form->RemoveActiveXComponents();
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_NE(Questions()[0].find("C:\\App\\Grid.ocx"), std::string::npos);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(machine->GetLibraries().OpenCount(), 0);
    EXPECT_EQ(SharedCount("C:\\App\\Grid.ocx"), std::nullopt);
    EXPECT_FALSE(Exists("C:\\App\\Grid.ocx"));
    EXPECT_EQ(form->RemovedDirs()[0], "C:\\APP");
}

TEST_F(UninstallTest, AControlWithoutCountIsAskedForTooAndNoKeepsEverything) {
    int calls = 0;
    PutFile("C:\\App\\Grid.ocx");
    FakeControl(machine.Get(), "C:\\App\\Grid.ocx", calls);
    RecordFiles(kActiveX, {"C:\\App\\Grid.ocx;0"});
    ui.Answer(false);
    Create();
    form->RemoveActiveXComponents();
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(Exists("C:\\App\\Grid.ocx"));
}

TEST_F(UninstallTest, AServerProgramIsStartedWithUnregserverBeforeItIsDeleted) {
    const auto seen = machine.Folder() / "seen.txt";
    PutFile("C:\\App\\Server.exe", ServerScript(seen));
    std::filesystem::permissions(machine.Host("C:\\App\\Server.exe"),
                                 std::filesystem::perms::owner_all);
    RecordFiles(kActiveX, {"C:\\App\\Server.exe;1"});
    ui.Answer(true);
    Create();
    form->RemoveActiveXComponents();
    for (int i = 0; i < 500 && !std::filesystem::exists(seen); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadHostFile(seen), "/UNREGSERVER");
    EXPECT_FALSE(Exists("C:\\App\\Server.exe"));
}

TEST_F(UninstallTest, AServerThatCannotBeStartedStopsTheRunAndStaysRecorded) {
    PutFile("C:\\App\\Server.exe", "not a program");
    RecordFiles(kActiveX, {"C:\\App\\Server.exe;1"});
    machine->GetFaults().failedStarts["*"] = platform::ERROR_BAD_FORMAT;
    ui.Answer(true);
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(KeyExists(kActiveX));
    EXPECT_TRUE(Exists("C:\\App\\Server.exe"));
    EXPECT_FALSE(view.Ticked(uninstall::TPhaseBox::pbActiveX));
    EXPECT_FALSE(view.ProgressVisible());
}

TEST_F(UninstallTest, UnknownKindsAndLibrariesWithoutEntryPointAreOnlyDeleted) {
    PutFile("C:\\App\\data.bin");
    PutFile("C:\\App\\plain.dll");
    machine->GetLibraries().Register("C:\\App\\plain.dll", {});
    RecordFiles(kActiveX, {"C:\\App\\data.bin", "C:\\App\\plain.dll;0;extra"});
    ui.SetDefaultAnswer(true);
    Create();
    form->RemoveActiveXComponents();
    EXPECT_EQ(machine->GetLibraries().LoadCount("C:\\App\\plain.dll"), 1);
    EXPECT_FALSE(Exists("C:\\App\\data.bin"));
    EXPECT_FALSE(Exists("C:\\App\\plain.dll"));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(UninstallTest, AServerAlreadyGoneHasItsCountDeletedAndFolderNoted) {
    RecordFiles(kActiveX, {"C:\\Gone\\Grid.ocx;0"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\Gone\\Grid.ocx", 1);
    ui.Answer(true);
    Create();
    form->RemoveActiveXComponents();
    EXPECT_EQ(SharedCount("C:\\Gone\\Grid.ocx"), std::nullopt);
    ASSERT_EQ(form->RemovedDirs().Count(), 1);
    EXPECT_EQ(form->RemovedDirs()[0], "C:\\GONE");
}
