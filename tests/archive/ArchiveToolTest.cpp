// tarnwell archive, run as a separate program on a temporary machine with host paths.
#include "support/TempMachine.h"
#include "support/ToolRunner.h"

#include "ArchiveFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tarn::test {
namespace {

namespace fs = std::filesystem;

class ArchiveToolTest : public testing::Test {
protected:
    void SetUp() override {
        host_ = folder_.Path() / "host";
        WriteHostFile(host_ / "src" / "random.bin", RandomBytes(70000, 51));
        WriteHostFile(host_ / "src" / "text.txt", TextBytes(90000, 52));
        WriteHostFile(host_ / "src" / "empty.dat", "");
    }

    ToolRun Run(const std::vector<std::string>& args, const std::string& input = "") {
        return RunTool(args, folder_.Path() / "machine", host_, input, folder_.Path());
    }
    std::string H(const std::string& relative) const { return (host_ / relative).string(); }
    ToolRun AddAll(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {
            "archive", "add", "set.arc", "src/random.bin", H("src/text.txt"), "src/empty.dat"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    TempFolder folder_;
    fs::path host_;
};

TEST_F(ArchiveToolTest, AddsAndListsWithHostPaths) {
    const ToolRun add = AddAll({"--id", "12", "--level", "default"});
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_NE(add.out.find("Added 3 files"), std::string::npos);
    EXPECT_EQ(add.out.find('\r'), std::string::npos) << "no progress bar into a pipe";

    const ToolRun json = Run({"archive", "list", H("set.arc"), "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto listing = nlohmann::json::parse(json.out);
    ASSERT_EQ(listing["members"].size(), 3u);
    const auto& first = listing["members"][0];
    std::string hostPath = H("src/random.bin");
    std::replace(hostPath.begin(), hostPath.end(), '/', '\\');
    EXPECT_EQ(first["name"], "Z:" + hostPath);
    EXPECT_EQ(first["size"], 70000);
    EXPECT_EQ(first["fileId"], 12);
    EXPECT_EQ(first["number"], 1);
    EXPECT_EQ(listing["members"][2]["size"], 0);
    EXPECT_EQ(listing["totalSize"], 160000);
    EXPECT_FALSE(listing["volumeSet"]);

    const ToolRun text = Run({"archive", "list", "set.arc"});
    ASSERT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("text.txt"), std::string::npos);
    EXPECT_NE(text.out.find("   90000 "), std::string::npos);
    EXPECT_NE(text.out.find("3 members"), std::string::npos);
}

TEST_F(ArchiveToolTest, ExtractsByFileNameUnderEachRule) {
    ASSERT_EQ(AddAll().status, 0);
    const ToolRun all = Run({"archive", "extract", "set.arc", "-C", "out"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(ReadHostFile(host_ / "out" / "text.txt"), ReadHostFile(host_ / "src" / "text.txt"));
    EXPECT_EQ(ReadHostFile(host_ / "out" / "random.bin"),
              ReadHostFile(host_ / "src" / "random.bin"));

    WriteHostFile(host_ / "out" / "text.txt", "mine");
    ToolRun kept =
        Run({"archive", "extract", "set.arc", "text.txt", "-C", "out", "--overwrite", "never"});
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(ReadHostFile(host_ / "out" / "text.txt"), "mine");
    EXPECT_NE(kept.out.find("1 existing kept"), std::string::npos);

    ToolRun refused = Run(
        {"archive", "extract", "set.arc", "text.txt", "-C", "out", "--overwrite", "ask"}, "n\n");
    ASSERT_EQ(refused.status, 0) << refused.err;
    EXPECT_EQ(ReadHostFile(host_ / "out" / "text.txt"), "mine");
    ToolRun agreed = Run(
        {"archive", "extract", "set.arc", "text.txt", "-C", "out", "--overwrite", "ask"}, "y\n");
    ASSERT_EQ(agreed.status, 0) << agreed.err;
    EXPECT_EQ(ReadHostFile(host_ / "out" / "text.txt"), ReadHostFile(host_ / "src" / "text.txt"));
}

TEST_F(ArchiveToolTest, ExtractsFromInsideASetupProgram) {
    ASSERT_EQ(AddAll().status, 0);
    const std::string stub(12345, 'S');
    WriteHostFile(host_ / "setup.exe", stub + ReadHostFile(host_ / "set.arc"));
    const ToolRun run = Run({"archive", "extract", "setup.exe", "random.bin", "-C", "x", "--offset",
                             std::to_string(stub.size())});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadHostFile(host_ / "x" / "random.bin"), ReadHostFile(host_ / "src" / "random.bin"));
}

TEST_F(ArchiveToolTest, SplitsIntoVolumesAndExtractsFromThem) {
    ASSERT_EQ(AddAll({"--level", "none"}).status, 0);
    const ToolRun split = Run({"archive", "split", "set.arc", "vols", "--volume-size", "40K"});
    ASSERT_EQ(split.status, 0) << split.err;
    // The set holds the same bytes as the archive: one table, then the data.
    const auto total = fs::file_size(host_ / "set.arc");
    const auto volumes = static_cast<int>((total + 40959) / 40960);
    ASSERT_GE(volumes, 3);
    EXPECT_NE(split.out.find(std::to_string(volumes) + " volumes"), std::string::npos) << split.out;
    std::uintmax_t sum = 0;
    for (int n = 1; n <= volumes; ++n) {
        const auto size = fs::file_size(host_ / "vols" / ("set." + std::to_string(n)));
        if (n < volumes) {
            EXPECT_EQ(size, 40960u);
        }
        sum += size;
    }
    EXPECT_EQ(sum, total);
    EXPECT_FALSE(fs::exists(host_ / "vols" / ("set." + std::to_string(volumes + 1))));

    const ToolRun list = Run({"archive", "list", "vols/set.1", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    const auto listing = nlohmann::json::parse(list.out);
    EXPECT_TRUE(listing["volumeSet"]);
    EXPECT_EQ(listing["members"][1]["firstDisk"], 2);

    const ToolRun out = Run({"archive", "extract", "vols/set.1", "-C", "from-set"});
    ASSERT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(ReadHostFile(host_ / "from-set" / "text.txt"),
              ReadHostFile(host_ / "src" / "text.txt"));

    // Any volume stands for its set; a set is not split again.
    const ToolRun named = Run({"archive", "extract", "vols/set.3", "-C", "from-third"});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(ReadHostFile(host_ / "from-third" / "random.bin"),
              ReadHostFile(host_ / "src" / "random.bin"));
    const ToolRun again = Run({"archive", "split", "vols/set.2", "vols2", "--volume-size", "40K"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("set.1 is the first volume of a volume set"), std::string::npos)
        << again.err;
    EXPECT_FALSE(fs::exists(host_ / "vols2" / "set.1"));

    fs::remove(host_ / "vols" / "set.3");
    const ToolRun missing = Run({"archive", "extract", "vols/set.1", "-C", "again"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Insert disk 3 (set.3)"), std::string::npos) << missing.out;
    EXPECT_EQ(missing.err, "tarnwell: aborted\n");
}

TEST_F(ArchiveToolTest, AFileAddedAgainComesOutInItsNewestCopy) {
    ASSERT_EQ(AddAll().status, 0);
    WriteHostFile(host_ / "src" / "text.txt", "second edition");
    ASSERT_EQ(Run({"archive", "add", "set.arc", "src/text.txt", "--append"}).status, 0);
    for (const std::string rule : {"always", "never"}) {
        const std::string out = "out-" + rule;
        const ToolRun all = Run({"archive", "extract", "set.arc", "-C", out, "--overwrite", rule});
        ASSERT_EQ(all.status, 0) << all.err;
        EXPECT_NE(all.out.find("Extracted 3 of 3 members"), std::string::npos) << all.out;
        EXPECT_EQ(ReadHostFile(host_ / out / "text.txt"), "second edition") << rule;
    }
    const ToolRun named = Run({"archive", "extract", "set.arc", "text.txt", "-C", "named"});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(ReadHostFile(host_ / "named" / "text.txt"), "second edition");
}

TEST_F(ArchiveToolTest, CopiesUnderARule) {
    const ToolRun copy = Run({"archive", "copy", "src/text.txt", "src/copy.txt"});
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(ReadHostFile(host_ / "src" / "copy.txt"), ReadHostFile(host_ / "src" / "text.txt"));
    WriteHostFile(host_ / "dir" / "text.txt", "mine");
    const ToolRun kept = Run({"archive", "copy", "src/text.txt", "dir", "--overwrite", "never"});
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(ReadHostFile(host_ / "dir" / "text.txt"), "mine");
    EXPECT_NE(kept.out.find("Kept"), std::string::npos);
}

TEST_F(ArchiveToolTest, FailuresAreOneLineAndUsageErrorsExitTwo) {
    const ToolRun missing = Run({"archive", "list", "none.arc"});
    EXPECT_EQ(missing.status, 1);
    std::string name = H("none.arc");
    std::replace(name.begin(), name.end(), '/', '\\');
    EXPECT_EQ(missing.err, "tarnwell: Cannot open the compressed file Z:" + name + "\n");

    ASSERT_EQ(AddAll().status, 0);
    const ToolRun absent = Run({"archive", "extract", "set.arc", "nothing.txt", "-C", "o"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("The file <nothing.txt> was not found in the archive <"),
              std::string::npos);
    EXPECT_EQ(std::count(absent.err.begin(), absent.err.end(), '\n'), 1);

    EXPECT_EQ(Run({"archive", "add", "x.arc", "src/text.txt", "--level", "best"}).status, 2);
    EXPECT_EQ(Run({"archive", "split", "set.arc", "v", "--volume-size", "big"}).status, 2);
    EXPECT_EQ(Run({"archive", "extract", "set.arc", "--overwrite", "sometimes"}).status, 2);
    EXPECT_EQ(Run({"archive", "add", "x.arc"}).status, 2);
}

} // namespace
} // namespace tarn::test
