// The loading program's steps on the embedded machine: the trailer it trusts, the members it
// extracts and refuses, and the install application's command line.
#include "../../apps/setup-loader/SetupLoader.h"

#include "archive/cmp_TTarnCompress.h"
#include "platform/CommandLine.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarn::test {
namespace {

using install::TSelfExtractTrailer;
using namespace loader;

// The trailer as the build lays it out, written here byte by byte rather than by Encode.
std::string TrailerBytes(const std::string& marker, std::int32_t a, std::int32_t b, std::int32_t c,
                         std::int32_t d, char length = 14) {
    std::string bytes(TSelfExtractTrailer::kSize, '\0');
    bytes[0] = length;
    bytes.replace(1, marker.size(), marker);
    const std::int32_t offsets[] = {a, b, c, d};
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            bytes[static_cast<std::size_t>(16 + 4 * i + k)] =
                static_cast<char>((static_cast<std::uint32_t>(offsets[i]) >> (8 * k)) & 0xFF);
    return bytes;
}

TSelfExtractTrailer Trailer(const char* marker, std::int32_t a, std::int32_t b, std::int32_t c,
                            std::int32_t d) {
    TSelfExtractTrailer t;
    t.Marker = marker;
    t.Setup1First = a;
    t.Setup1Last = b;
    t.Files1First = c;
    t.Files1Last = d;
    return t;
}

struct SetupLoader : ::testing::Test {
    TempMachine machine;
    const std::string loaderBytes = std::string(500, 'L');

    // setup.1 of these members (C:\Src\<name> with their contents), returned as bytes.
    std::string SetupArchive(const std::vector<std::pair<std::string, std::string>>& members) {
        archive::TTarnCompress compress(nullptr);
        compress.SetCompressedFile("C:\\Build\\setup.1");
        for (const auto& [name, content] : members) {
            WriteHostFile(machine.Host("C:\\Src\\" + name), content);
            compress.FilesToProcess().Add("C:\\Src\\" + name);
        }
        compress.AddFiles(false, 0);
        return ReadHostFile(machine.Host("C:\\Build\\setup.1"));
    }
    // A plain setup.exe in C:\Dist with this setup.1 beside it.
    void PlainSetup(const std::string& setup1) {
        WriteHostFile(machine.Host("C:\\Dist\\setup.exe"),
                      loaderBytes + TrailerBytes(install::kNotSelfExtracting, 0, 0, 0, 0));
        WriteHostFile(machine.Host("C:\\Dist\\setup.1"), setup1);
    }
    std::string Temp() {
        std::string temp;
        platform::System().GetTempPath(temp);
        return temp;
    }
    // The extraction folders below the temporary folder.
    int ExtractFolders() {
        int count = 0;
        platform::HANDLE find = 0;
        platform::FindData data;
        if (platform::Files().FindFirst(Temp() + "tws*", find, data) != platform::ERROR_SUCCESS)
            return 0;
        do
            ++count;
        while (platform::Files().FindNext(find, data) == platform::ERROR_SUCCESS);
        platform::Files().FindClose(find);
        return count;
    }
    int Refusal(const std::string& setupExe, std::string& message) {
        try {
            ExtractSetupArchive(FindSetupArchive(setupExe));
        } catch (const ELoaderRefusal& e) {
            message = e.what();
            return e.Status();
        }
        return 0;
    }
};

TEST_F(SetupLoader, AShortOrUnmarkedFileIsDamagedAndAMissingOneUnreadable) {
    TSelfExtractTrailer trailer;
    std::string why;
    int status = 0;
    EXPECT_FALSE(ReadTrailerFrom("C:\\Dist\\none.exe", trailer, why, status));
    EXPECT_EQ(status, lsNotStarted);

    WriteHostFile(machine.Host("C:\\Dist\\short.exe"), "MZ" + std::string(53, 'x'));
    EXPECT_FALSE(ReadTrailerFrom("C:\\Dist\\short.exe", trailer, why, status));
    EXPECT_EQ(status, lsDamaged);
    EXPECT_NE(why.find("shorter"), std::string::npos) << why;

    WriteHostFile(machine.Host("C:\\Dist\\length.exe"),
                  loaderBytes + TrailerBytes(install::kNotSelfExtracting, 0, 0, 0, 0, 13));
    EXPECT_FALSE(ReadTrailerFrom("C:\\Dist\\length.exe", trailer, why, status));
    EXPECT_EQ(status, lsDamaged);

    WriteHostFile(machine.Host("C:\\Dist\\marker.exe"),
                  loaderBytes + TrailerBytes("SELFEXTRACTINX", 1, 2, 0, 0));
    EXPECT_FALSE(ReadTrailerFrom("C:\\Dist\\marker.exe", trailer, why, status));
    EXPECT_EQ(status, lsDamaged);

    // The trailer alone, 56 bytes, is a sound plain setup.
    WriteHostFile(machine.Host("C:\\Dist\\plain.exe"),
                  TrailerBytes(install::kNotSelfExtracting, 0, 0, 0, 0));
    EXPECT_TRUE(ReadTrailerFrom("C:\\Dist\\plain.exe", trailer, why, status)) << why;
    EXPECT_EQ(trailer.Marker, install::kNotSelfExtracting);
}

TEST_F(SetupLoader, OffsetsThatAreNegativeOutOfOrderOrPastTheEndAreDamaged) {
    // 500 bytes of loader, setup.1 at 500..799, files.1 at 800..943, the trailer: 1000 bytes.
    const std::uint64_t size = 1000;
    const char* se = install::kSelfExtracting;
    EXPECT_EQ(CheckTrailer(Trailer(se, 500, 799, 800, 943), size), "");
    EXPECT_EQ(CheckTrailer(Trailer(se, 500, 943, 0, 0), size), "");
    for (const TSelfExtractTrailer& bad : {
             Trailer(se, -1, 799, 800, 943),
             Trailer(se, 500, 799, 800, -943),
             Trailer(se, 0, 0, 0, 0),     // nothing embedded in a self-extracting setup
             Trailer(se, 800, 799, 0, 0), // setup.1 ends before it begins
             Trailer(se, 500, 944, 0, 0), // into the trailer
             Trailer(se, 500, 799, 799, 943),
             Trailer(se, 500, 799, 900, 899),
             Trailer(se, 500, 799, 800, 944),
             Trailer(install::kNotSelfExtracting, 500, 799, 0, 0),
         })
        EXPECT_NE(CheckTrailer(bad, size), "") << bad.Setup1First << " " << bad.Setup1Last << " "
                                               << bad.Files1First << " " << bad.Files1Last;

    // Through the file: a setup.1 said to run past the end is a truncated setup.exe.
    WriteHostFile(machine.Host("C:\\Dist\\setup.exe"),
                  loaderBytes + std::string(100, 'A') + TrailerBytes(se, 500, 700, 0, 0));
    std::string message;
    EXPECT_EQ(Refusal("C:\\Dist\\setup.exe", message), lsDamaged);
    EXPECT_EQ(message.rfind("this setup program is damaged: ", 0), 0u) << message;
    EXPECT_EQ(ExtractFolders(), 0);
}

TEST_F(SetupLoader, ASelfExtractingSetupPutsItsMembersTogetherInAFreshFolder) {
    const std::string setup1 = SetupArchive(
        {{"tarnwell-setup.exe", "the install application"}, {"setup.frm", "the form"}});
    const auto n = static_cast<std::int32_t>(setup1.size());
    WriteHostFile(machine.Host("C:\\Dist\\setup.exe"),
                  loaderBytes + setup1 + "FILES" +
                      TrailerBytes(install::kSelfExtracting, 500, 499 + n, 500 + n, 504 + n));

    const TSetupArchive setup = FindSetupArchive("C:\\Dist\\setup.exe");
    EXPECT_TRUE(setup.selfExtracting);
    EXPECT_EQ(setup.offset, 500);
    const TExtracted first = ExtractSetupArchive(setup);
    EXPECT_EQ(first.folder.rfind(Temp() + "tws", 0), 0u) << first.folder;
    ASSERT_EQ(first.files, (std::vector<std::string>{first.folder + "\\tarnwell-setup.exe",
                                                     first.folder + "\\setup.frm"}));
    EXPECT_EQ(ReadHostFile(machine.Host(first.files[0])), "the install application");
    EXPECT_EQ(ReadHostFile(machine.Host(first.files[1])), "the form");
    // An earlier run's folder, still in use or left over, is not written into.
    const TExtracted second = ExtractSetupArchive(setup);
    EXPECT_NE(second.folder, first.folder);
    EXPECT_EQ(ExtractFolders(), 2);
    RemoveExtracted(second.folder);
    EXPECT_EQ(ExtractFolders(), 1);
}

TEST_F(SetupLoader, APlainSetupTakesSetup1FromItsFolderAndRefusesWithoutIt) {
    WriteHostFile(machine.Host("C:\\Dist\\setup.exe"),
                  loaderBytes + TrailerBytes(install::kNotSelfExtracting, 0, 0, 0, 0));
    std::string message;
    EXPECT_EQ(Refusal("C:\\Dist\\setup.exe", message), lsNotStarted);
    EXPECT_NE(message.find("C:\\Dist\\setup.1"), std::string::npos) << message;

    PlainSetup(SetupArchive({{"tarnwell-setup.exe", "app"}}));
    const TSetupArchive setup = FindSetupArchive("C:\\Dist\\setup.exe");
    EXPECT_FALSE(setup.selfExtracting);
    EXPECT_EQ(setup.file, "C:\\Dist\\setup.1");
    EXPECT_EQ(setup.offset, 0);
    const TExtracted extracted = ExtractSetupArchive(setup);
    EXPECT_EQ(ReadHostFile(machine.Host(extracted.files.at(0))), "app");
}

TEST_F(SetupLoader, MembersThatWouldLeaveTheirFolderAreRefusedAndNothingIsLeft) {
    EXPECT_EQ(MemberFileName("C:\\Src\\App.exe"), "App.exe");
    EXPECT_EQ(MemberFileName("\\\\build\\share\\setup.frm"), "setup.frm");
    EXPECT_EQ(MemberFileName("Z:/home/ann/build/tarnwell-setup"), "tarnwell-setup");
    for (const char* bad : {"", "   ", "C:\\Src\\", "C:\\Src\\.", "C:\\Src\\..", "..\\App.exe",
                            "C:\\Src\\..\\..\\App.exe", "C:\\Src\\...\\App.exe", "C:\\Src\\CON",
                            "C:\\Src\\nul.txt", "C:\\Src\\a?b", "C:\\Src\\. ."})
        EXPECT_FALSE(MemberFileName(bad)) << bad;

    // A member renamed ".." in the archive: refused before anything is written.
    std::string setup1 = SetupArchive({{"tarnwell-setup.exe", "app"}, {"ab", "data"}});
    setup1.replace(setup1.find("C:\\Src\\ab"), 9, "C:\\Src\\..");
    PlainSetup(setup1);
    std::string message;
    EXPECT_EQ(Refusal("C:\\Dist\\setup.exe", message), lsDamaged);
    EXPECT_NE(message.find("C:\\Src\\.."), std::string::npos) << message;
    EXPECT_EQ(ExtractFolders(), 0);

    // A second member whose data cannot be inflated: the first, already written, goes again.
    setup1 = SetupArchive({{"tarnwell-setup.exe", "app"}, {"setup.frm", std::string(300, 'f')}});
    archive::TTarnCompress compress(nullptr);
    compress.SetCompressedFile("C:\\Build\\setup.1");
    const archive::TFileHeaderRecord header = compress.GetFileStats(1).Header;
    setup1.replace(static_cast<std::size_t>(header.DataStart),
                   static_cast<std::size_t>(header.LastBytePos - header.DataStart + 1),
                   static_cast<std::size_t>(header.LastBytePos - header.DataStart + 1), '\xff');
    PlainSetup(setup1);
    EXPECT_EQ(Refusal("C:\\Dist\\setup.exe", message), lsNotStarted) << message;
    EXPECT_EQ(ExtractFolders(), 0);
}

TEST_F(SetupLoader, TheInstallApplicationGetsItsSourceItsArchiveTheCleanUpAndTheStarParameters) {
    TSetupArchive selfExtracting;
    selfExtracting.setupExe = "Z:\\home\\ann\\My Dist\\Setup.exe";
    selfExtracting.selfExtracting = true;
    std::vector<std::string> ignored;
    const std::vector<std::string> parameters = InstallParameters(
        selfExtracting, {"*QUIET", "stray", "*todisk", "*LOG=C:\\setup log.txt"}, &ignored);
    EXPECT_EQ(parameters, (std::vector<std::string>{"-sZ:\\home\\ann\\My Dist", "-eSetup.exe", "-c",
                                                    "*QUIET", "-f", "*LOG=C:\\setup log.txt"}));
    EXPECT_EQ(ignored, (std::vector<std::string>{"stray"}));

    const std::string program = "C:\\Documents and Settings\\ann\\TEMP\\tws1\\tarnwell-setup.exe";
    const std::string line = InstallCommandLine(program, parameters);
    EXPECT_EQ(line.rfind("\"" + program + "\" \"-sZ:\\home\\ann\\My Dist\" -eSetup.exe -c ", 0), 0u)
        << line;
    std::vector<std::string> expected{program};
    expected.insert(expected.end(), parameters.begin(), parameters.end());
    EXPECT_EQ(platform::SplitCommandLine(line), expected);

    // A plain setup at a drive's root keeps the root's backslash and names no archive.
    TSetupArchive plain;
    plain.setupExe = "A:\\SETUP.EXE";
    EXPECT_EQ(InstallParameters(plain, {"*QUIET"}),
              (std::vector<std::string>{"-sA:\\", "-c", "*QUIET"}));
    EXPECT_EQ(platform::SplitCommandLine(InstallCommandLine(program, {"-sA:\\", "-c"}))[1],
              "-sA:\\");
}

TEST_F(SetupLoader, TheMachineIsLetGoOnlyOnceTheApplicationRunsWhoseStatusIsTheLoaders) {
    // No program: the start fails, the machine stays held and the extraction goes.
    PlainSetup(SetupArchive({{"tarnwell-setup.exe", "not a program"}}));
    std::ostringstream err;
    int released = 0;
    EXPECT_EQ(RunLoader("C:\\Dist\\setup.exe", {}, err, [&] { ++released; }), lsNotStarted);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(ExtractFolders(), 0);
    EXPECT_NE(err.str().find("setup: cannot start"), std::string::npos) << err.str();

    // A script stands in for the install application and notes the command line it got.
    PlainSetup(SetupArchive(
        {{"tarnwell-setup.exe",
          "#!/bin/sh\nprintf '%s' \"$TARNWELL_COMMAND_LINE\" > \"$0.line\"\nexit 7\n"}}));
    err.str("");
    EXPECT_EQ(RunLoader("C:\\Dist\\setup.exe", {"*QUIET"}, err, [&] { ++released; }), 7)
        << err.str();
    EXPECT_EQ(released, 1);
    const std::string program = Temp() + "tws1\\tarnwell-setup.exe";
    EXPECT_EQ(ReadHostFile(machine.Host(program + ".line")),
              "\"" + program + "\" -sC:\\Dist -c *QUIET");
    // Its folder is the application's to remove.
    EXPECT_EQ(ExtractFolders(), 1);

    WriteHostFile(machine.Host("C:\\Dist\\setup.exe"), "MZ");
    err.str("");
    EXPECT_EQ(RunLoader("C:\\Dist\\setup.exe", {}, err, [&] { ++released; }), lsDamaged);
    EXPECT_EQ(err.str().rfind("setup: this setup program is damaged: ", 0), 0u) << err.str();
}

} // namespace
} // namespace tarn::test
