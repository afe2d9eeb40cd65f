// tarnwell archive add killed (SIGKILL) or interrupted (Ctrl-C) while it writes: the archive keeps
// every old member, byte for byte, and takes the next append as if nothing had happened.
#include "support/TempMachine.h"
#include "support/ToolRunner.h"

#include "ArchiveFixture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarn::test {
namespace {

namespace fs = std::filesystem;

class InterruptedAddTest : public testing::Test {
protected:
    void SetUp() override {
        host_ = folder_.Path() / "host";
        WriteHostFile(host_ / "old" / "text.txt", TextBytes(200000, 81));
        WriteHostFile(host_ / "old" / "random.bin", RandomBytes(50000, 82));
        // Large enough that the writer is still busy whenever it is stopped.
        WriteHostFile(host_ / "big.bin", RandomBytes(24u << 20, 83));
        WriteHostFile(host_ / "late.txt", TextBytes(300000, 84));
        ASSERT_EQ(Tool({"archive", "add", Arc(), H("old/text.txt"), H("old/random.bin")}).status,
                  0);
        old_ = ReadHostFile(Arc());
    }

    std::string H(const std::string& relative) const { return (host_ / relative).string(); }
    std::string Arc() const { return H("set.arc"); }
    ToolRun Tool(const std::vector<std::string>& args) {
        return RunTool(args, folder_.Path() / "machine", host_, "", folder_.Path());
    }

    // Starts tarnwell with args, waits until the file it writes has grown past size, then sends
    // signal and gives the exit status (-1: killed by the signal).
    int StopWhenLarger(const std::vector<std::string>& args, std::uintmax_t size, int signal,
                       bool intoTemporary = false) {
        std::vector<std::string> argv = {TARN_TOOL_PATH, "--machine",
                                         (folder_.Path() / "machine").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            std::vector<char*> raw;
            for (std::string& a : argv)
                raw.push_back(a.data());
            raw.push_back(nullptr);
            execv(raw[0], raw.data());
            _exit(127);
        }
        int status = 0;
        for (;;) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                ADD_FAILURE() << "the writer ended before the archive grew past " << size;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (Written(intoTemporary) > size) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        kill(pid, signal);
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The archive's size, or that of the temporary file a new archive is written to first.
    std::uintmax_t Written(bool intoTemporary) const {
        std::error_code ec;
        if (!intoTemporary) {
            const auto size = fs::file_size(Arc(), ec);
            return ec ? 0 : size;
        }
        for (const auto& entry : fs::directory_iterator(host_, ec))
            if (entry.path().extension() == ".TMP") return entry.file_size(ec);
        return 0;
    }

    // Every old member lists and extracts as it went in; the old bytes are untouched.
    void ExpectOldMembers(const std::string& moment) {
        const std::string now = ReadHostFile(Arc());
        ASSERT_GE(now.size(), old_.size()) << moment;
        EXPECT_EQ(now.substr(0, old_.size()), old_) << moment;
        const ToolRun list = Tool({"archive", "list", Arc(), "--json"});
        ASSERT_EQ(list.status, 0) << moment << ": " << list.err;
        EXPECT_EQ(nlohmann::json::parse(list.out)["members"].size(), 2u) << moment;
        const std::string out = H("out" + std::to_string(++checks_));
        const ToolRun extract = Tool({"archive", "extract", Arc(), "-C", out});
        ASSERT_EQ(extract.status, 0) << moment << ": " << extract.err;
        for (const char* name : {"text.txt", "random.bin"})
            EXPECT_EQ(ReadHostFile(fs::path(out) / name), ReadHostFile(host_ / "old" / name))
                << moment;
    }

    // A copy of the archive takes an append as if nothing had happened; the archive itself is
    // then put back, so that the next moment starts from the old archive alone.
    void ExpectAppendRecovers(const std::string& moment) {
        const std::string copy = H("copy" + std::to_string(++checks_) + ".arc");
        fs::copy_file(Arc(), copy);
        const ToolRun append = Tool({"archive", "add", copy, H("late.txt"), "--append"});
        ASSERT_EQ(append.status, 0) << moment << ": " << append.err;
        const std::string out = H("out" + std::to_string(++checks_));
        const ToolRun all = Tool({"archive", "extract", copy, "-C", out});
        ASSERT_EQ(all.status, 0) << moment << ": " << all.err;
        EXPECT_NE(all.out.find("Extracted 3 of 3 members"), std::string::npos) << all.out;
        EXPECT_EQ(ReadHostFile(fs::path(out) / "late.txt"), ReadHostFile(host_ / "late.txt"))
            << moment;
        EXPECT_EQ(ReadHostFile(fs::path(out) / "text.txt"),
                  ReadHostFile(host_ / "old" / "text.txt"))
            << moment;
        WriteHostFile(Arc(), old_);
    }

    TempFolder folder_;
    fs::path host_;
    std::string old_;
    int checks_ = 0;
};

TEST_F(InterruptedAddTest, AKilledOrInterruptedWriterLeavesTheOldArchive) {
    const std::vector<std::string> big = {"archive", "add", Arc(), H("big.bin"), "--append"};
    const std::vector<std::string> two = {"archive",     "add",        Arc(),
                                          H("late.txt"), H("big.bin"), "--append"};
    // Just after the first header, in the middle of a member's data, and while the second
    // member is written after a complete first one.
    EXPECT_EQ(StopWhenLarger(big, old_.size(), SIGKILL), -1);
    ExpectOldMembers("after the header");
    ExpectAppendRecovers("after the header");
    EXPECT_EQ(StopWhenLarger(big, old_.size() + (8u << 20), SIGKILL), -1);
    ExpectOldMembers("in the data");
    ExpectAppendRecovers("in the data");
    EXPECT_EQ(StopWhenLarger(two, old_.size() + 400000, SIGKILL), -1);
    ExpectOldMembers("in the second member");
    ExpectAppendRecovers("in the second member");

    EXPECT_EQ(StopWhenLarger(big, old_.size() + (1u << 20), SIGINT), 1);
    ExpectOldMembers("Ctrl-C");
    EXPECT_EQ(ReadHostFile(Arc()), old_) << "an interrupted writer takes back what it wrote";

    const std::vector<std::string> replace = {"archive", "add", Arc(), H("big.bin")};
    EXPECT_EQ(StopWhenLarger(replace, 4u << 20, SIGKILL, true), -1);
    EXPECT_EQ(ReadHostFile(Arc()), old_) << "a new archive replaces the old one only when done";

    const ToolRun append = Tool({"archive", "add", Arc(), H("late.txt"), "--append"});
    ASSERT_EQ(append.status, 0) << append.err;
    const ToolRun all = Tool({"archive", "extract", Arc(), "-C", H("all")});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("Extracted 3 of 3 members"), std::string::npos) << all.out;
    EXPECT_EQ(ReadHostFile(host_ / "all" / "late.txt"), ReadHostFile(host_ / "late.txt"));
    EXPECT_EQ(ReadHostFile(host_ / "all" / "text.txt"), ReadHostFile(host_ / "old" / "text.txt"));
}

} // namespace
} // namespace tarn::test
