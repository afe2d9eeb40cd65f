// registry.reg on disk: loading, writing back only what changed, refusing damaged files without
// touching them, leftovers of killed writers, import/export, and the machine lock.
#include "platform/portable/RegistryStore.h"
#include "platform/portable/MachineLock.h"
#include "platform/portable/RegFile.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarn::platform;
using namespace tarn::platform::portable;
using tarn::test::ReadHostFile;
using tarn::test::TempFolder;
using tarn::test::WriteHostFile;

namespace {

const char* const kSample = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\n"
                            "\"InstallDir\"=\"C:\\\\App\"\n\"Installed\"=dword:00000001\n\n"
                            "[HKEY_CLASSES_ROOT\\.app]\n";

class RegistryStoreTest : public testing::Test {
protected:
    std::filesystem::path File() const { return folder_.Path() / "registry.reg"; }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder_.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TempFolder folder_;
};

TEST_F(RegistryStoreTest, WritesOnlyWhenChangedAndReadsBackTheSame) {
    RegistryStore store(File());
    EXPECT_EQ(store.Tree(), RegistryTree{}); // no file: an empty registry
    store.Flush();
    EXPECT_FALSE(std::filesystem::exists(File()));

    store.Import(kSample, "sample.reg");
    store.Flush();
    EXPECT_FALSE(store.Dirty());
    EXPECT_EQ(RegistryStore(File()).Tree(), store.Tree());
    EXPECT_EQ(Entries(), std::vector<std::string>{"registry.reg"});

    // Without changes nothing is written, even over a file changed behind the store's back.
    WriteHostFile(File(), "changed");
    store.Flush();
    EXPECT_EQ(ReadHostFile(File()), "changed");
}

TEST_F(RegistryStoreTest, DamagedFileIsRefusedAndLeftAsItWas) {
    std::string damaged = std::string(kSample) + "\"bad\"=hex:0g\n";
    WriteHostFile(File(), damaged);
    try {
        RegistryStore store(File());
        ADD_FAILURE() << "a damaged registry was loaded";
    } catch (const RegFileError& e) {
        EXPECT_NE(std::string(e.what()).find("registry.reg:8: "), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadHostFile(File()), damaged);
}

TEST_F(RegistryStoreTest, ImportMergesOrChangesNothingAndExportGivesSubtrees) {
    RegistryStore store(File());
    store.Import(kSample, "sample.reg");
    store.Flush();
    std::string before = WriteRegFile(store.Tree());
    EXPECT_THROW(
        store.Import("REGEDIT4\n[HKEY_CURRENT_USER\\New]\n[-HKEY_LOCAL_MACHINE\\Software]\n"
                     "\"v\"=oops\n",
                     "bad.reg"),
        RegFileError);
    EXPECT_EQ(WriteRegFile(store.Tree()), before);
    EXPECT_FALSE(store.Dirty());

    store.Import("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\n\"Installed\"=-\n"
                 "\"Version\"=\"2.0\"\n",
                 "more.reg");
    EXPECT_TRUE(store.Dirty());
    EXPECT_EQ(store.Export("hklm\\software\\vendor\\app"),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Vendor\\App]\n"
              "\"InstallDir\"=\"C:\\\\App\"\n\"Version\"=\"2.0\"\n\n");
    EXPECT_NE(
        store.Export("HKEY_CLASSES_ROOT")->find("[HKEY_LOCAL_MACHINE\\Software\\Classes\\.app]"),
        std::string::npos);
    EXPECT_FALSE(store.Export("HKCU\\Software\\Nobody"));
    EXPECT_FALSE(store.Export("HKEY_NOWHERE\\X"));
    EXPECT_EQ(LoadRegFile(*store.Export(), "all"), store.Tree());
}

TEST_F(RegistryStoreTest, LeftoversOfAKilledWriterAreIgnoredAndRemoved) {
    WriteHostFile(File(), kSample);
    WriteHostFile(folder_.Path() / "registry.reg.tmp-999-1-0", "REGEDIT4\n[HKEY_LOC");
    WriteHostFile(folder_.Path() / "registry.reg.bak", "kept");
    RegistryStore store(File());
    EXPECT_NE(store.Find(*ToStoredPath("HKLM\\Software\\Vendor\\App")), nullptr);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"registry.reg", "registry.reg.bak"}));
}

TEST_F(RegistryStoreTest, FailedFlushKeepsTheChangesPending) {
    std::filesystem::path sub = folder_.Path() / "machine";
    std::filesystem::create_directories(sub);
    RegistryStore store(sub / "registry.reg");
    store.Import(kSample, "sample.reg");
    std::filesystem::remove_all(sub);
    EXPECT_THROW(store.Flush(), MachineError);
    EXPECT_TRUE(store.Dirty());
    std::filesystem::create_directories(sub);
    store.Flush();
    EXPECT_EQ(RegistryStore(sub / "registry.reg").Tree(), store.Tree());
}

// Whether this process's descriptor of machine.lock is closed when a program is started.
bool LockClosedOnExec() {
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(e.path(), ec).filename() == "machine.lock")
            return ::fcntl(std::stoi(e.path().filename().string()), F_GETFD) & FD_CLOEXEC;
    }
    return false;
}

TEST(MachineLock, OneProcessAtATime) {
    TempFolder folder;
    auto first = std::make_unique<MachineLock>(folder.Path());
    EXPECT_TRUE(LockClosedOnExec());
    try {
        MachineLock second(folder.Path(), std::chrono::milliseconds(120));
        ADD_FAILURE() << "the machine was locked twice";
    } catch (const MachineError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The machine " + folder.Path().string() + " is in use by another process");
    }
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            MachineLock other(folder.Path(), std::chrono::milliseconds(0));
        } catch (const MachineError&) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3);

    first.reset();
    EXPECT_NO_THROW(MachineLock again(folder.Path(), std::chrono::milliseconds(0)));
    EXPECT_THROW(MachineLock(folder.Path() / "absent"), MachineError);
}

} // namespace
