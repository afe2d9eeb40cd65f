// What only the embedded machine's file system does or shows: host mapping, the side store,
// aliases kept across restarts, injected faults, the running program and delayed moves.
#include "platform/portable/Faults.h"
#include "platform/portable/PathMapper.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace tarn::test {
namespace {

namespace fs = std::filesystem;
using namespace platform;

class PortableFiles : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(machine_.Host("C:\\Scratch")); }

    IFileSystem& Files() { return *machine_->GetServices().files; }

    DWORD Create(const std::string& path, const std::string& content = "data") {
        HANDLE h = INVALID_HANDLE_VALUE;
        if (DWORD error =
                Files().CreateFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, h))
            return error;
        DWORD written = 0;
        Files().WriteFile(h, content.data(), static_cast<DWORD>(content.size()), written);
        return Files().CloseFile(h);
    }

    DWORD Attributes(const std::string& path) {
        DWORD attributes = 0;
        return Files().GetAttributes(path, attributes) ? INVALID_FILE_ATTRIBUTES : attributes;
    }

    DWORD Open(const std::string& path, DWORD access, DWORD share, HANDLE& h) {
        return Files().CreateFile(path, access, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, h);
    }

    TempMachine machine_;
};

TEST_F(PortableFiles, DriveZIsTheHostRoot) {
    TempFolder outside;
    WriteHostFile(outside.Path() / "Host File.txt", "from the host");
    std::string windows = machine_->GetPathMapper().FromHost(outside.Path() / "Host File.txt");
    ASSERT_EQ(windows.substr(0, 3), "Z:\\");
    EXPECT_EQ(Attributes(windows), FILE_ATTRIBUTE_NORMAL) << "a host file has no side attributes";

    ASSERT_EQ(Files().CopyFile(windows, "C:\\Scratch\\copy.txt", true), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(machine_.Host("C:\\Scratch\\copy.txt")), "from the host");
    machine_->SetHostDriveWritable(true);
    ASSERT_EQ(Create(windows + ".new", "to the host"), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(outside.Path() / "Host File.txt.new"), "to the host");
}

TEST_F(PortableFiles, TheHostDriveIsReadOnlyButForTheCommandsOutputs) {
    TempFolder outside;
    WriteHostFile(outside.Path() / "notes" / "notes.txt", "mine");
    const auto& paths = machine_->GetPathMapper();
    const std::string notes = paths.FromHost(outside.Path() / "notes" / "notes.txt");
    const std::string folder = paths.FromHost(outside.Path() / "notes");
    ASSERT_EQ(Create("C:\\Scratch\\new.txt", "x"), ERROR_SUCCESS);
    HANDLE h = INVALID_HANDLE_VALUE;

    EXPECT_FALSE(machine_->HostDriveWritable()) << "a new machine protects the host";
    EXPECT_EQ(Files().DeleteFile(notes), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open(notes, GENERIC_WRITE, 0, h), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(folder + "\\other.txt", "x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\new.txt", notes, false), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().MoveFile(notes, "C:\\Scratch\\moved.txt", 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().MoveFile(notes, "", MOVEFILE_DELAY_UNTIL_REBOOT), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().SetAttributes(notes, FILE_ATTRIBUTE_READONLY), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().CreateDirectory(folder + "\\sub"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().RemoveDirectory(folder), ERROR_ACCESS_DENIED);
    ASSERT_EQ(Open(notes, GENERIC_READ, FILE_SHARE_READ, h), ERROR_SUCCESS) << "reading is fine";
    Files().CloseFile(h);
    EXPECT_EQ(ReadHostFile(outside.Path() / "notes" / "notes.txt"), "mine");
    EXPECT_FALSE(fs::exists(outside.Path() / "notes" / "other.txt"));

    // The command's output, the folders on its way and temporaries beside it may be written.
    machine_->AllowHostOutput(outside.Path() / "out" / "result.arc", portable::HostOutput::File);
    const std::string result = paths.FromHost(outside.Path() / "out" / "result.arc");
    ASSERT_EQ(Files().CreateDirectory(paths.FromHost(outside.Path() / "out")), ERROR_SUCCESS);
    std::string temporary;
    ASSERT_EQ(Files().GetTempFileName(paths.FromHost(outside.Path() / "out"), "arc", 0, temporary),
              ERROR_SUCCESS);
    ASSERT_EQ(Files().MoveFile(temporary, result, MOVEFILE_REPLACE_EXISTING), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(outside.Path() / "out" / "result.arc"));
    EXPECT_EQ(Files().DeleteFile(notes), ERROR_ACCESS_DENIED) << "only the outputs";
    // An output folder may be filled, but nothing may be made beside it.
    machine_->AllowHostOutput(outside.Path() / "extracted", portable::HostOutput::Folder);
    ASSERT_EQ(Files().CreateDirectory(paths.FromHost(outside.Path() / "extracted")), ERROR_SUCCESS);
    EXPECT_EQ(Create(paths.FromHost(outside.Path() / "extracted" / "a.txt")), ERROR_SUCCESS);
    EXPECT_EQ(Create(paths.FromHost(outside.Path() / "beside.txt")), ERROR_ACCESS_DENIED);

    // The machine setting lasts; writable is Wine's behaviour.
    machine_->SetHostDriveWritable(true);
    machine_.Reopen();
    EXPECT_TRUE(machine_->HostDriveWritable());
    EXPECT_EQ(Files().DeleteFile(notes), ERROR_SUCCESS);
}

TEST_F(PortableFiles, RelativePathsUseTheCurrentFolder) {
    machine_->GetPathMapper().SetCurrentDirectory("C:\\Scratch");
    ASSERT_EQ(Create("rel.txt", "r"), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(machine_.Host("C:\\Scratch\\rel.txt")), "r");
    std::string full;
    EXPECT_EQ(Files().GetFullPathName("..\\x\\.\\y", full), ERROR_SUCCESS);
    EXPECT_EQ(full, "C:\\x\\y");
    ASSERT_EQ(Files().DeleteFile("rel.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Files().RemoveDirectory("C:\\SCRATCH"), ERROR_SHARING_VIOLATION)
        << "the process holds its current folder";
}

TEST_F(PortableFiles, ReadOnlyIsTheHostWriteBit) {
    const std::string file = "C:\\Scratch\\ro.txt";
    ASSERT_EQ(Create(file), ERROR_SUCCESS);
    const fs::path host = machine_.Host(file);
    ASSERT_EQ(Files().SetAttributes(file, FILE_ATTRIBUTE_READONLY), ERROR_SUCCESS);
    EXPECT_EQ(fs::status(host).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(Attributes(file), FILE_ATTRIBUTE_READONLY) << "archive went with the other bits";
    ASSERT_EQ(Files().SetAttributes(file, FILE_ATTRIBUTE_NORMAL), ERROR_SUCCESS);
    EXPECT_NE(fs::status(host).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(Attributes(file), FILE_ATTRIBUTE_NORMAL);

    // A file made read-only on the host is read-only on the machine, even to root.
    fs::permissions(host, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(Attributes(file), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Files().DeleteFile(file), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::exists(host));
}

TEST_F(PortableFiles, SideAttributesSurviveAReopenAndFollowTheFile) {
    ASSERT_EQ(Create("C:\\Scratch\\a.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\Scratch\\a.txt"), FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(
        Files().SetAttributes("C:\\Scratch\\a.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
        ERROR_SUCCESS);
    ASSERT_EQ(Files().CreateDirectory("C:\\Scratch\\Dir"), ERROR_SUCCESS);
    ASSERT_EQ(Files().SetAttributes("C:\\Scratch\\Dir", FILE_ATTRIBUTE_READONLY), ERROR_SUCCESS);

    machine_.Reopen();
    EXPECT_TRUE(fs::exists(machine_->Folder() / "filemeta.txt"));
    EXPECT_EQ(Attributes("c:\\scratch\\A.TXT"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(Attributes("C:\\Scratch\\Dir"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Files().RemoveDirectory("C:\\Scratch\\Dir"), ERROR_ACCESS_DENIED);

    // A copy takes the attributes and is archived; a move keeps them.
    ASSERT_EQ(Files().CopyFile("C:\\Scratch\\a.txt", "C:\\Scratch\\b.txt", true), ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\Scratch\\b.txt"),
              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(Files().MoveFile("C:\\Scratch\\a.txt", "C:\\Scratch\\Dir\\c.txt", 0), ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\Scratch\\Dir\\c.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    // A file made where a deleted one was starts afresh.
    ASSERT_EQ(Files().DeleteFile("C:\\Scratch\\b.txt"), ERROR_SUCCESS);
    ASSERT_EQ(Create("C:\\Scratch\\b.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\Scratch\\b.txt"), FILE_ATTRIBUTE_ARCHIVE);
    WriteHostFile(machine_.Host("C:\\Scratch\\host.txt"), "x");
    EXPECT_EQ(Attributes("C:\\Scratch\\host.txt"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PortableFiles, ReplacingAHiddenFileMustKeepItHidden) {
    ASSERT_EQ(Create("C:\\Scratch\\h.txt"), ERROR_SUCCESS);
    ASSERT_EQ(Files().SetAttributes("C:\\Scratch\\h.txt", FILE_ATTRIBUTE_HIDDEN), ERROR_SUCCESS);
    HANDLE h = INVALID_HANDLE_VALUE;
    EXPECT_EQ(Files().CreateFile("C:\\Scratch\\h.txt", GENERIC_WRITE, 0, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, h),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(Files().CreateFile("C:\\Scratch\\h.txt", GENERIC_WRITE, 0, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN, h),
              ERROR_SUCCESS);
    Files().CloseFile(h);
    EXPECT_EQ(Attributes("C:\\Scratch\\h.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(PortableFiles, AliasesStayValidAsTheMachineChanges) {
    std::string shortPath;
    ASSERT_EQ(Files().GetShortPathName("c:\\program files\\common files", shortPath),
              ERROR_SUCCESS);
    EXPECT_EQ(shortPath, "C:\\PROGRA~1\\COMMON~1");

    ASSERT_EQ(Files().CreateDirectory("C:\\Program Data"), ERROR_SUCCESS);
    machine_.Reopen();
    ASSERT_EQ(Files().GetShortPathName("C:\\Program Data", shortPath), ERROR_SUCCESS);
    EXPECT_EQ(shortPath, "C:\\PROGRA~2");
    ASSERT_EQ(Create("C:\\PROGRA~1\\COMMON~1\\Shared Thing.dll"), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(machine_.Host("C:\\Program Files\\Common Files\\Shared Thing.dll")));
    ASSERT_EQ(
        Files().GetShortPathName("C:\\Program Files\\Common Files\\Shared Thing.dll", shortPath),
        ERROR_SUCCESS);
    EXPECT_EQ(shortPath, "C:\\PROGRA~1\\COMMON~1\\SHARED~1.DLL");

    HANDLE find = INVALID_HANDLE_VALUE;
    FindData data;
    ASSERT_EQ(Files().FindFirst("C:\\progra~1", find, data), ERROR_SUCCESS);
    EXPECT_EQ(data.name, "Program Files");
    EXPECT_EQ(data.alternateName, "PROGRA~1");
    Files().FindClose(find);
}

// Names in another case are looked up in an index of the folder: it must follow this machine's
// own changes and notice the host's.
TEST_F(PortableFiles, NamesInAnotherCaseFollowChangesFromEitherSide) {
    ASSERT_EQ(Files().CreateDirectory("C:\\Scratch\\App"), ERROR_SUCCESS);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        ASSERT_EQ(Create(std::string("C:\\Scratch\\App\\") + name), ERROR_SUCCESS);
    ASSERT_NE(Attributes("C:\\SCRATCH\\APP\\A.TXT"), INVALID_FILE_ATTRIBUTES);

    ASSERT_EQ(Files().DeleteFile("C:\\SCRATCH\\APP\\A.TXT"), ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\SCRATCH\\APP\\A.TXT"), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(Create("C:\\SCRATCH\\APP\\New.txt"), ERROR_SUCCESS);
    EXPECT_NE(Attributes("C:\\scratch\\app\\NEW.TXT"), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(Files().MoveFile("C:\\SCRATCH\\APP\\B.TXT", "C:\\Scratch\\App\\d.txt", 0),
              ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\SCRATCH\\APP\\B.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Attributes("C:\\SCRATCH\\APP\\D.TXT"), INVALID_FILE_ATTRIBUTES);
    // Creating a name in another case reaches the existing file, never a second one.
    ASSERT_EQ(Create("C:\\SCRATCH\\APP\\C.TXT", "new"), ERROR_SUCCESS);
    const fs::path app = machine_.Host("C:\\Scratch\\App");
    EXPECT_EQ(ReadHostFile(app / "c.txt"), "new");
    EXPECT_FALSE(fs::exists(app / "C.TXT"));

    // The host changes the folder behind the machine's back, and leaves a later time on it.
    WriteHostFile(app / "host.txt", "h");
    fs::remove(app / "d.txt");
    fs::last_write_time(app, fs::last_write_time(app) + std::chrono::seconds(5));
    EXPECT_NE(Attributes("C:\\SCRATCH\\APP\\HOST.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Attributes("C:\\SCRATCH\\APP\\D.TXT"), INVALID_FILE_ATTRIBUTES);

    // Removing the folder under another case leaves nothing to find inside it.
    for (const char* name : {"New.txt", "c.txt", "host.txt"})
        fs::remove(app / name);
    ASSERT_EQ(Files().RemoveDirectory("C:\\SCRATCH\\APP"), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(app));
    ASSERT_EQ(Files().CreateDirectory("C:\\Scratch\\app"), ERROR_SUCCESS);
    EXPECT_EQ(Attributes("C:\\SCRATCH\\APP\\NEW.TXT"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PortableFiles, DriveRootsListNoDotEntries) {
    HANDLE find = INVALID_HANDLE_VALUE;
    FindData data;
    ASSERT_EQ(Files().FindFirst("C:\\*", find, data), ERROR_SUCCESS);
    do {
        EXPECT_NE(data.name, ".");
        EXPECT_NE(data.name, "..");
    } while (Files().FindNext(find, data) == ERROR_SUCCESS);
    Files().FindClose(find);
}

TEST_F(PortableFiles, ShareModesAcrossHandles) {
    const std::string file = "C:\\Scratch\\s.txt";
    ASSERT_EQ(Create(file), ERROR_SUCCESS);
    HANDLE a = INVALID_HANDLE_VALUE;
    HANDLE b = INVALID_HANDLE_VALUE;

    // Handles that share deleting let the file be deleted and moved.
    ASSERT_EQ(Open(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, a), ERROR_SUCCESS);
    EXPECT_EQ(Files().MoveFile(file, "C:\\Scratch\\t.txt", 0), ERROR_SUCCESS);
    EXPECT_EQ(Files().DeleteFile("C:\\Scratch\\t.txt"), ERROR_SUCCESS);
    Files().CloseFile(a);

    ASSERT_EQ(Create(file), ERROR_SUCCESS);
    ASSERT_EQ(Open(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, a), ERROR_SUCCESS);
    EXPECT_EQ(Files().MoveFile(file, "C:\\Scratch\\t.txt", 0), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, b), ERROR_SUCCESS);
    Files().CloseFile(b);
    // Without sharing writes a new reader cannot come in while a writer is open.
    EXPECT_EQ(Open(file, GENERIC_READ, FILE_SHARE_READ, b), ERROR_SHARING_VIOLATION);
    // Opening for no data access conflicts with nothing.
    EXPECT_EQ(Open(file, 0, 0, b), ERROR_SUCCESS);
    Files().CloseFile(b);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\other.txt", file, false), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Create("C:\\Scratch\\other.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\other.txt", file, false), ERROR_SHARING_VIOLATION);
    Files().CloseFile(a);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\other.txt", file, false), ERROR_SUCCESS);
}

TEST_F(PortableFiles, FaultsApplyUnderAnySpellingOfThePath) {
    ASSERT_EQ(Create("C:\\Scratch\\Busy File.txt"), ERROR_SUCCESS);
    ASSERT_EQ(Create("C:\\Scratch\\locked.dll"), ERROR_SUCCESS);
    std::string shortBusy;
    ASSERT_EQ(Files().GetShortPathName("C:\\Scratch\\Busy File.txt", shortBusy), ERROR_SUCCESS);
    auto& faults = machine_->GetFaults();
    faults.busyFiles.push_back(shortBusy);
    faults.undeletableFiles.push_back("c:/scratch/LOCKED.DLL");

    HANDLE h = INVALID_HANDLE_VALUE;
    EXPECT_EQ(Open("C:\\SCRATCH\\busy file.txt", GENERIC_READ, FILE_SHARE_READ, h),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Files().DeleteFile("C:\\Scratch\\Busy File.txt"), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch\\Busy File.txt", "C:\\Scratch\\x.txt", 0),
              ERROR_SHARING_VIOLATION);

    EXPECT_EQ(Files().DeleteFile("C:\\Scratch\\locked.dll"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch\\locked.dll", "C:\\Scratch\\y.dll", 0),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\Busy File.txt", "C:\\Scratch\\locked.dll", false),
              ERROR_SHARING_VIOLATION)
        << "the busy source is refused first";
    ASSERT_EQ(Create("C:\\Scratch\\new.dll"), ERROR_SUCCESS);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\new.dll", "C:\\Scratch\\locked.dll", false),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch\\new.dll", "C:\\Scratch\\locked.dll",
                               MOVEFILE_REPLACE_EXISTING),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open("C:\\Scratch\\locked.dll", GENERIC_WRITE, 0, h), ERROR_ACCESS_DENIED);
    ASSERT_EQ(Open("C:\\Scratch\\locked.dll", GENERIC_READ, FILE_SHARE_READ, h), ERROR_SUCCESS);
    Files().CloseFile(h);

    faults.Clear();
    EXPECT_EQ(Files().DeleteFile("C:\\Scratch\\Busy File.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Files().DeleteFile("C:\\Scratch\\locked.dll"), ERROR_SUCCESS);
}

TEST_F(PortableFiles, TheRunningProgramIsInUse) {
    const std::string self = machine_->GetPathMapper().FromHost(fs::read_symlink("/proc/self/exe"));
    HANDLE h = INVALID_HANDLE_VALUE;
    EXPECT_EQ(Files().DeleteFile(self), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open(self, GENERIC_WRITE, FILE_SHARE_READ, h), ERROR_ACCESS_DENIED);
    ASSERT_EQ(Create("C:\\Scratch\\x.exe"), ERROR_SUCCESS);
    EXPECT_EQ(Files().CopyFile("C:\\Scratch\\x.exe", self, false), ERROR_ACCESS_DENIED);
    ASSERT_EQ(Open(self, GENERIC_READ, FILE_SHARE_READ, h), ERROR_SUCCESS);
    Files().CloseFile(h);
    EXPECT_TRUE(fs::exists("/proc/self/exe"));
}

TEST_F(PortableFiles, DelayedMovesGoToTheSessionManager) {
    ASSERT_EQ(Create("C:\\Scratch\\new.dll", "new"), ERROR_SUCCESS);
    EXPECT_EQ(
        Files().MoveFile("c:/scratch/new.dll", "C:\\Scratch\\old.dll", MOVEFILE_DELAY_UNTIL_REBOOT),
        ERROR_SUCCESS);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch\\gone.dll", "",
                               MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING),
              ERROR_SUCCESS);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch\\new.dll", "C:\\Scratch\\x.dll",
                               MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED),
              ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(fs::exists(machine_.Host("C:\\Scratch\\new.dll")));
    EXPECT_FALSE(fs::exists(machine_.Host("C:\\Scratch\\old.dll")));

    IRegistry& registry = *machine_->GetServices().registry;
    HKEY key = 0;
    ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE,
                               "System\\CurrentControlSet\\Control\\Session Manager",
                               KEY_QUERY_VALUE, key),
              ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(registry.QueryValue(key, "PendingFileRenameOperations", type, data), ERROR_SUCCESS);
    registry.CloseKey(key);
    EXPECT_EQ(type, REG_MULTI_SZ);
    const std::string expected = std::string("\\??\\C:\\scratch\\new.dll\0", 23) +
                                 std::string("\\??\\C:\\Scratch\\old.dll\0", 23) +
                                 std::string("\\??\\C:\\Scratch\\gone.dll\0", 24) +
                                 std::string("\0\0", 2);
    EXPECT_EQ(std::string(data.begin(), data.end()), expected);
}

TEST_F(PortableFiles, MovesBetweenDrivesNeedCopying) {
    fs::create_directories(machine_->Folder() / "drive_d");
    ASSERT_EQ(Create("C:\\Scratch\\m.txt", "move me"), ERROR_SUCCESS);
    ASSERT_EQ(Files().SetAttributes("C:\\Scratch\\m.txt", FILE_ATTRIBUTE_HIDDEN), ERROR_SUCCESS);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch\\m.txt", "D:\\m.txt", 0), ERROR_NOT_SAME_DEVICE);
    ASSERT_EQ(Files().MoveFile("C:\\Scratch\\m.txt", "D:\\m.txt", MOVEFILE_COPY_ALLOWED),
              ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(machine_.Host("C:\\Scratch\\m.txt")));
    EXPECT_EQ(ReadHostFile(machine_->Folder() / "drive_d" / "m.txt"), "move me");
    EXPECT_EQ(Attributes("D:\\m.txt"), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Files().MoveFile("C:\\Scratch", "D:\\Scratch", MOVEFILE_COPY_ALLOWED),
              ERROR_NOT_SAME_DEVICE);
    EXPECT_EQ(Attributes("Q:\\x"), INVALID_FILE_ATTRIBUTES);
    DWORD attributes = 0;
    EXPECT_EQ(Files().GetAttributes("Q:\\x", attributes), ERROR_PATH_NOT_FOUND);
}

TEST_F(PortableFiles, ATimeSetThroughAHandleOutlastsLaterWrites) {
    HANDLE h = INVALID_HANDLE_VALUE;
    ASSERT_EQ(Files().CreateFile("C:\\Scratch\\t.txt", GENERIC_WRITE, 0, CREATE_NEW, 0, h),
              ERROR_SUCCESS);
    const FILETIME stamp = 125000000000000000ull;
    ASSERT_EQ(Files().SetFileTime(h, stamp), ERROR_SUCCESS);
    DWORD written = 0;
    ASSERT_EQ(Files().WriteFile(h, "abc", 3, written), ERROR_SUCCESS);
    ASSERT_EQ(Files().CloseFile(h), ERROR_SUCCESS);
    FILETIME got = 0;
    ASSERT_EQ(Files().GetLastWriteTime("C:\\Scratch\\t.txt", got), ERROR_SUCCESS);
    EXPECT_EQ(got, stamp);
}

TEST_F(PortableFiles, LocalTimeFollowsTheHostZone) {
    const char* saved = std::getenv("TZ");
    std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("TZ", "XYZ-2", 1); // two hours east of UTC, no daylight saving
    tzset();
    const FILETIME stamp = 127000000000000000ull;
    const FILETIME twoHours = 2ull * 3600 * 10000000;
    EXPECT_EQ(Files().ToLocalFileTime(stamp), stamp + twoHours);
    EXPECT_EQ(Files().FromLocalFileTime(stamp + twoHours), stamp);
    if (previous)
        setenv("TZ", previous->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

} // namespace
} // namespace tarn::test
