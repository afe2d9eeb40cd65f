// A running program's file is in use for every process on the machine, not only for the one
// that started it: the starts are recorded in the machine folder.
#include "platform/portable/RunningPrograms.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tarn::test {
namespace {

namespace fs = std::filesystem;
using namespace platform;
using platform::portable::RunningPrograms;

pid_t Spawn(const fs::path& program, const std::string& argument) {
    std::string path = program.string(), arg = argument;
    char* argv[] = {path.data(), arg.data(), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0) << path;
    return pid;
}

// Kills the child and reaps it the way the process service does.
void End(RunningPrograms::Child& child) {
    ::kill(child.pid, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!RunningPrograms::Poll(child) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(child.exited);
}

// A copy of sleep under another name: a program file of its own.
fs::path CopyOfSleep(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path copy = folder / "sleep";
    fs::copy_file("/bin/sleep", copy);
    fs::permissions(copy, fs::perms::owner_all);
    return copy;
}

TEST(RunningPrograms, AStartRecordedByOneIsHeldForAnotherUntilReaped) {
    TempFolder machine;
    const fs::path records = machine.Path() / "running";
    RunningPrograms starter(records), other(records), alone;
    auto child = starter.Add(Spawn("/bin/sleep", "30"), "/bin/sleep");
    EXPECT_TRUE(other.Holds("/bin/sleep"));
    EXPECT_FALSE(other.Holds("/bin/true"));
    EXPECT_FALSE(alone.Holds("/bin/sleep")) << "without a folder only its own children count";
    EXPECT_TRUE(fs::exists(records / std::to_string(child->pid)));

    End(*child);
    EXPECT_FALSE(fs::exists(records)) << "the last record takes the folder with it";
    EXPECT_FALSE(other.Holds("/bin/sleep"));
    EXPECT_FALSE(starter.Holds("/bin/sleep"));
}

TEST(RunningPrograms, TwoProgramsAreToldApart) {
    TempFolder machine;
    const fs::path records = machine.Path() / "running";
    const fs::path one = CopyOfSleep(machine.Path() / "one");
    const fs::path two = CopyOfSleep(machine.Path() / "two");
    RunningPrograms starter(records), other(records);
    auto first = starter.Add(Spawn(one, "30"), one);
    EXPECT_TRUE(other.Holds(machine.Path() / "two" / ".." / "one" / "sleep"));
    EXPECT_FALSE(other.Holds(two));
    auto second = starter.Add(Spawn(two, "30"), two);
    EXPECT_TRUE(other.Holds(two));

    End(*first);
    EXPECT_FALSE(fs::exists(records / std::to_string(first->pid)));
    EXPECT_FALSE(other.Holds(one));
    EXPECT_TRUE(other.Holds(two));
    EXPECT_TRUE(fs::exists(records / std::to_string(second->pid)));
    End(*second);
    EXPECT_FALSE(other.Holds(two));
}

TEST(RunningPrograms, StaleRecordsDoNotHoldAndAreRemoved) {
    TempFolder machine;
    const fs::path records = machine.Path() / "running";
    const std::string sleep = fs::weakly_canonical("/bin/sleep").string();
    WriteHostFile(records / "1073741000", "12345\n" + sleep + "\n");         // no such pid
    WriteHostFile(records / std::to_string(getpid()), "1\n" + sleep + "\n"); // pid reused
    WriteHostFile(records / "77", "half a rec");                             // garbage
    WriteHostFile(records / "not-a-pid", "1\n" + sleep + "\n");
    // A program that has ended but is not reaped yet holds nothing either.
    RunningPrograms starter(records), other(records);
    auto ended = starter.Add(Spawn("/bin/sleep", "30"), "/bin/sleep");
    ::kill(ended->pid, SIGKILL);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(ended->pid), &info, WEXITED | WNOWAIT), 0);

    EXPECT_FALSE(other.Holds("/bin/sleep"));
    EXPECT_FALSE(fs::exists(records));
    End(*ended);
}

TEST(RunningPrograms, AProgramTheMachineStartedIsInUseForTheNextProcessOnIt) {
    TempMachine m;
    const fs::path gate = m.Folder() / "gate";
    const fs::path host = m.Host("C:\\Tools\\server.exe");
    WriteHostFile(host, "#!/bin/sh\nwhile [ ! -e " + gate.string() +
                            " ] && [ -d \"$(dirname \"$0\")\" ]; do sleep 0.01; done\n");
    fs::permissions(host, fs::perms::owner_all);
    ProcessStart start;
    start.application = "C:\\Tools\\server.exe";
    HANDLE process = 0;
    ASSERT_EQ(m->GetServices().processes->CreateProcess(start, process), ERROR_SUCCESS);
    const fs::path records = m->Folder() / "running";
    ASSERT_TRUE(fs::is_directory(records));
    const pid_t pid = std::stoi(fs::directory_iterator(records)->path().filename().string());

    // The next process knows nothing of the first one's children.
    m.Reopen();
    IFileSystem& files = *m->GetServices().files;
    EXPECT_EQ(files.DeleteFile(start.application), ERROR_ACCESS_DENIED);

    WriteHostFile(gate, "");
    // No one reaps the program now: once it has ended it is a zombie, which holds nothing.
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(files.DeleteFile(start.application), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(records));
    ::waitpid(pid, nullptr, 0);
}

} // namespace
} // namespace tarn::test
