// A writer killed at any moment leaves registry.reg whole: either the last state it finished
// writing or the one it was writing, never a mix. Every generation rewrites all values with the
// generation number, so a mix would show as values of different generations.
#include "platform/portable/Machine.h"
#include "platform/portable/RegistryStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarn::platform;
using namespace tarn::platform::portable;

namespace {

constexpr int kKeys = 100;
constexpr int kValuesPerKey = 100;

std::string ValueText(unsigned generation, int key, int value) {
    return "generation " + std::to_string(generation) + " of value " + std::to_string(key) + "/" +
           std::to_string(value);
}

// The generation every value of the file carries; fails the test when they disagree.
unsigned CheckedGeneration(const RegistryStore& store) {
    auto crash = store.Find(*ToStoredPath("HKLM\\Software\\Crash"));
    if (!crash) return 0; // nothing written yet
    const RegValue* counter = crash->FindValue("Generation");
    EXPECT_TRUE(counter);
    if (!counter || counter->data.size() != 4) return ~0u;
    unsigned generation = counter->data[0] | (counter->data[1] << 8) | (counter->data[2] << 16) |
                          (static_cast<unsigned>(counter->data[3]) << 24);
    EXPECT_EQ(crash->SubKeyCount(), static_cast<std::size_t>(kKeys));
    for (int k = 0; k < kKeys; ++k) {
        auto key = crash->FindSubKey("Key" + std::to_string(k));
        EXPECT_TRUE(key) << k;
        if (!key) continue;
        EXPECT_EQ(key->ValueCount(), static_cast<std::size_t>(kValuesPerKey));
        for (int v = 0; v < kValuesPerKey; ++v) {
            const RegValue* value = key->FindValue("Value" + std::to_string(v));
            std::string text = ValueText(generation, k, v);
            text += '\0';
            EXPECT_TRUE(value) << k << "/" << v;
            if (!value) continue;
            EXPECT_EQ(std::string(value->data.begin(), value->data.end()), text);
        }
    }
    return generation;
}

// Runs in the child: rewrites and flushes the whole registry again and again, reporting each
// finished generation on the pipe, until it is killed.
[[noreturn]] void Writer(const std::filesystem::path& file, int ackFd) {
    try {
        RegistryStore store(file);
        RegKey& crash =
            *store.Tree().Root(RootKey::LocalMachine).AddSubKey("Software")->AddSubKey("Crash");
        unsigned generation = 0;
        if (const RegValue* counter = crash.FindValue("Generation"))
            generation = counter->data[0] | (counter->data[1] << 8) | (counter->data[2] << 16) |
                         (static_cast<unsigned>(counter->data[3]) << 24);
        for (int round = 0; round < 100000; ++round) {
            ++generation;
            for (int k = 0; k < kKeys; ++k) {
                RegKey& key = *crash.AddSubKey("Key" + std::to_string(k));
                for (int v = 0; v < kValuesPerKey; ++v) {
                    std::string text = ValueText(generation, k, v);
                    std::vector<std::uint8_t> data(text.begin(), text.end());
                    data.push_back(0);
                    key.SetValue("Value" + std::to_string(v), REG_SZ, std::move(data));
                }
            }
            crash.SetValue("Generation", REG_DWORD,
                           {static_cast<std::uint8_t>(generation),
                            static_cast<std::uint8_t>(generation >> 8),
                            static_cast<std::uint8_t>(generation >> 16),
                            static_cast<std::uint8_t>(generation >> 24)});
            store.MarkDirty();
            store.Flush();
            if (::write(ackFd, &generation, sizeof generation) != sizeof generation) ::_exit(3);
        }
    } catch (...) {
        ::_exit(2);
    }
    ::_exit(0);
}

struct FileStamp {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp Stamp(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return {};
    return {true, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool HasEntriesBeside(const std::filesystem::path& file) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
         it.increment(ec))
        if (it->path().filename() != file.filename()) return true;
    return false;
}

// Polls until done() holds or a bounded number of tries has passed.
template <class Done> void PollUntil(Done done) {
    for (int i = 0; i < 200000 && !done(); ++i)
        ::sched_yield();
}

TEST(RegistryCrash, KilledWriterLeavesTheOldOrTheNewFile) {
    tarn::test::TempFolder folder;
    std::filesystem::path file = folder.Path() / "registry.reg";
    unsigned onDisk = 0;
    for (int round = 0; round < 9; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        FileStamp before = Stamp(file);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            Writer(file, fds[1]);
        }
        ::close(fds[1]);

        // Kill the writer while it writes a file beside registry.reg, the moment registry.reg
        // changes, or after a few finished generations somewhere in the next one.
        unsigned acknowledged = onDisk, ack = 0;
        switch (round % 3) {
        case 0:
            PollUntil([&] { return HasEntriesBeside(file); });
            break;
        case 1:
            PollUntil([&] { return !(Stamp(file) == before); });
            break;
        default:
            for (int i = 0; i < round / 3; ++i)
                if (::read(fds[0], &ack, sizeof ack) == sizeof ack) acknowledged = ack;
            ::usleep(static_cast<useconds_t>(round * 500));
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;
        while (::read(fds[0], &ack, sizeof ack) == sizeof ack)
            acknowledged = ack;
        ::close(fds[0]);

        try {
            RegistryStore store(file);
            unsigned generation = CheckedGeneration(store);
            EXPECT_TRUE(generation == acknowledged || generation == acknowledged + 1)
                << "round " << round << ": file has generation " << generation
                << ", writer finished " << acknowledged;
            EXPECT_GE(generation, onDisk);
            onDisk = generation;
        } catch (const MachineError& e) {
            FAIL() << "round " << round << ": " << e.what();
        }
        EXPECT_FALSE(HasEntriesBeside(file)) << "leftovers after loading, round " << round;
    }
}

} // namespace
