// tarnwell build, run as a separate program: what it refuses before anything is written. A bad
// project names its file and line, missing sources are named with the paths the build would
// read (relative source folders lie in the project's folder), and usage errors give status 2.
#include "support/TempMachine.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

namespace tarn::test {
namespace {

constexpr auto npos = std::string::npos;

class BuildCommandTest : public testing::Test {
protected:
    // From the project's folder, so that PROJECT is given as a relative path.
    ToolRun Run(const std::vector<std::string>& args) {
        std::vector<std::string> all{"build"};
        all.insert(all.end(), args.begin(), args.end());
        return RunTool(all, machine_, project_, "", folder_.Path());
    }
    void WriteProject(const std::string& text) { WriteHostFile(project_ / "project.tfm", text); }
    // The machine's name of a folder below the test's own, on drive Z:.
    std::string OnZ(const std::filesystem::path& host) const {
        std::string path = "Z:" + host.lexically_normal().string();
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }

    TempFolder folder_;
    std::filesystem::path machine_ = folder_.Path() / "m";
    std::filesystem::path project_ = folder_.Path() / "proj";
};

TEST_F(BuildCommandTest, ABadProjectNamesTheFileAndTheLineAsWritten) {
    WriteHostFile(project_ / "src" / "App.exe", "#!/bin/sh\n");
    // The relative source folder spread over two lines is made absolute before the project is
    // read; the lines after it keep their numbers.
    WriteProject("object SetupForm: TForm\n"        // 1
                 "  object Install1: TInstall\n"    // 2
                 "    UseLoadingProgram = False\n"  // 3
                 "  end\n"                          // 4
                 "  object AppExe: TInstallFile\n"  // 5
                 "    Container = Install1\n"       // 6
                 "    SourceDirectory = 's' +\n"    // 7
                 "      'rc'\n"                     // 8
                 "    SourceFileName = 'App.exe'\n" // 9
                 "    Colour = 3\n"                 // 10
                 "  end\n"
                 "end\n");
    ToolRun run = Run({"project.tfm"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("tarnwell: project.tfm(10): TInstallFile has no property Colour"), npos)
        << run.err;

    WriteProject("object SetupForm: TForm\n"
                 "  object Install1: TInstall\n"
                 "  end\n"
                 "  object Docs: TInstallFolder\n"
                 "  end\n"
                 "end\n");
    run = Run({"project.tfm"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("project.tfm(4): Class TInstallFolder is not registered"), npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(project_ / "build"));
}

TEST_F(BuildCommandTest, MissingSourcesAreAllNamedWithTheirPathsInTheProjectFolder) {
    WriteHostFile(project_ / "src" / "App.exe", "#!/bin/sh\n");
    WriteHostFile(project_ / "src" / "It's here.txt", "text");
    WriteProject("object SetupForm: TForm\n"
                 "  object Install1: TInstall\n"
                 "    UseLoadingProgram = False\n"
                 "  end\n"
                 "  object AppExe: TInstallFile\n"
                 "    Container = Install1\n"
                 "    DestinationSpecifier = psContainerDestDir\n"
                 "    ArchiveSpecifier = psContainerArchiveFile\n"
                 "    SourceDirectory = 'src'\n"
                 "    SourceFileName = 'App.exe'\n"
                 "  end\n"
                 "  object Quoted: TInstallFile\n"
                 "    Container = Install1\n"
                 "    sourcedirectory='.\\src\\'\n"
                 "    SourceFileName = 'It''s here.txt'\n"
                 "  end\n"
                 "  object Manual: TInstallFile\n"
                 "    Container = Install1\n"
                 "    SourceDirectory = '..\\proj\\docs\\.'\n"
                 "    SourceFileName = 'Manual.txt'\n"
                 "  end\n"
                 "  object Elsewhere: TInstallFile\n"
                 "    Container = Install1\n"
                 "    SourceDirectory = 'C:\\Sources'\n"
                 "    SourceFileName = 'Gone.dll'\n"
                 "  end\n"
                 "end\n");
    const ToolRun run = Run({"project.tfm", "--standalone"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("2 source files are missing:"), npos) << run.err;
    EXPECT_NE(run.err.find("  Manual: " + OnZ(project_ / "docs" / "Manual.txt") + "\n"), npos)
        << run.err;
    EXPECT_NE(run.err.find("  Elsewhere: C:\\Sources\\Gone.dll\n"), npos) << run.err;
    EXPECT_EQ(run.err.find("AppExe"), npos) << run.err;
    EXPECT_EQ(run.err.find("Quoted"), npos) << run.err;
    // Nothing is made before the sources are known to be there.
    EXPECT_FALSE(std::filesystem::exists(project_ / "build"));
}

TEST_F(BuildCommandTest, AProjectWithoutAnInstallComponentIsRefused) {
    WriteProject("object SetupForm: TForm\n"
                 "  object Readme: TInstallFile\n"
                 "    SourceDirectory = 'src'\n"
                 "    SourceFileName = 'Readme.txt'\n"
                 "  end\n"
                 "end\n");
    const ToolRun run = Run({"project.tfm", "-o", (folder_.Path() / "out").string()});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("the project project.tfm holds no install component"), npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "out"));
}

TEST_F(BuildCommandTest, UsageErrorsGiveStatusTwo) {
    WriteProject("object SetupForm: TForm\n"
                 "  object Install1: TInstall\n"
                 "  end\n"
                 "end\n");
    WriteHostFile(folder_.Path() / "taken", "a file, not a folder");
    EXPECT_EQ(Run({}).status, 2);
    EXPECT_EQ(Run({"nothing.tfm"}).status, 2);
    EXPECT_EQ(Run({"project.tfm", "--stand-alone"}).status, 2);
    EXPECT_EQ(Run({"project.tfm", "-o"}).status, 2);
    const ToolRun taken = Run({"project.tfm", "-o", (folder_.Path() / "taken").string()});
    EXPECT_EQ(taken.status, 2) << taken.err;
    EXPECT_NE(taken.err.find("is not a folder"), npos) << taken.err;
    EXPECT_EQ(ReadHostFile(folder_.Path() / "taken"), "a file, not a folder");
}

} // namespace
} // namespace tarn::test
