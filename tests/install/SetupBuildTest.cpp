// Building the distributables on the embedded machine: the join and its trailer, damaged
// trailers and oversized joins, BUILD.INF, the loading program, the net file list, and the
// transfer of a self-extracting setup onto floppies.
#include "archive/DiskSizeLimit.h"
#include "archive/InstallAbort.h"
#include "framework/Application.h"
#include "framework/FileExists.h"
#include "install/TreeFixture.h"
#include "install/cmp_TInstall.h"
#include "platform/ScriptedUserInterface.h"

#include <cstdlib>
#include <optional>
#include <random>
#include <set>

namespace tarn::test {
namespace {

using namespace install;
using Kind = platform::ScriptedUserInterface::Kind;

std::string RandomData(std::size_t size) {
    std::mt19937 random(7);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random() & 0xFF);
    return data;
}

std::int32_t Int32At(const std::string& bytes, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::vector<std::string> Members(const std::string& archiveFile) {
    archive::TTarnCompress compress(nullptr);
    compress.SetCompressedFile(archiveFile);
    std::vector<std::string> names;
    for (int i = 0; i < compress.FileCount(); ++i)
        names.push_back(compress.GetFileStats(i).Header.FileName);
    return names;
}

// The machine's files, with one file reported at a size it does not have.
class FakedSize : public platform::ForwardingFileSystem {
public:
    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;
    FakedSize(IFileSystem& inner, std::string path, std::uint64_t size)
        : ForwardingFileSystem(inner), path_(std::move(path)), size_(size) {}
    DWORD CreateFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD attributes, HANDLE& file) override {
        const DWORD error = Inner().CreateFile(path, access, share, disposition, attributes, file);
        if (error == platform::ERROR_SUCCESS && path == path_) faked_.insert(file);
        return error;
    }
    DWORD GetFileSize(HANDLE file, std::uint64_t& size) override {
        if (!faked_.contains(file)) return Inner().GetFileSize(file, size);
        size = size_;
        return platform::ERROR_SUCCESS;
    }
    DWORD CloseFile(HANDLE file) override {
        faked_.erase(file);
        return Inner().CloseFile(file);
    }

private:
    std::string path_;
    std::uint64_t size_;
    std::set<HANDLE> faked_;
};

// A net location serving the files of a folder of the machine.
class FolderLocation : public TNetInstallLocation {
public:
    using TNetInstallLocation::TNetInstallLocation;
    void DownloadFile(const std::string& remoteName, const std::string& localPath) override {
        platform::Files().CopyFile("C:\\Out\\pub\\files\\" + remoteName, localPath, false);
    }
};

struct SetupBuild : TreeTest {
    platform::ScriptedUserInterface ui;
    platform::ScopedPlatform scripted{platform::Services{.ui = &ui}};
    TApplication app;
    ScopedApplication appScope{app};
    std::optional<std::string> savedLibrary;
    TInstall* install = nullptr;

    SetupBuild() {
        Put("C:\\Dist\\setup.exe", std::string(500, 'x'));
        app.ExeName = "C:\\Dist\\setup.exe";
        // The build machine running the tests may name a library of its own.
        if (const char* value = std::getenv("TARNWELL_LIBRARY")) savedLibrary = value;
        unsetenv("TARNWELL_LIBRARY");
    }
    ~SetupBuild() override {
        form.reset(); // the install goes while its application and user interface are in force
        if (savedLibrary)
            setenv("TARNWELL_LIBRARY", savedLibrary->c_str(), 1);
        else
            unsetenv("TARNWELL_LIBRARY");
    }
    void MakeInstall(std::vector<std::string> params = {}) {
        app.Params = std::move(params);
        install = Make<TInstall>("Install1");
        install->SetUseLoadingProgram(false);
    }
    void Put(const std::string& path, const std::string& content) {
        WriteHostFile(machine.Host(path), content);
    }
    std::string Get(const std::string& path) { return ReadHostFile(machine.Host(path)); }
    std::set<std::string> Entries(const std::string& folder) {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(machine.Host(folder)))
            names.insert(entry.path().filename().string());
        return names;
    }
    void PutParts(const std::string& folder, bool files1) {
        Put(folder + "\\setup.exe", std::string(500, 'L'));
        Put(folder + "\\setup.1", std::string(300, 'S'));
        if (files1) Put(folder + "\\files.1", std::string(200, 'F'));
    }
    void Join(const std::string& folder) {
        install->MakeSelfExtracting(folder + "\\setup.exe", folder + "\\setup.1",
                                    folder + "\\files.1");
    }
    TSelfExtractTrailer Trailer(const std::string& file) {
        TSelfExtractTrailer trailer;
        install->ReadSelfExtractTrailer(file, trailer);
        return trailer;
    }
    template <class F> static std::string Error(F&& call) { return Message<IException>(call); }
};

TEST_F(SetupBuild, TheTrailerSaysWhereTheJoinedPartsLie) {
    MakeInstall();
    PutParts("C:\\Out", true);
    Join("C:\\Out");
    const std::string joined = Get("C:\\Out\\setup.exe");
    ASSERT_EQ(joined.size(), 1056u);
    EXPECT_EQ(joined.substr(0, 1000),
              std::string(500, 'L') + std::string(300, 'S') + std::string(200, 'F'));
    // The bytes the loading program reads.
    EXPECT_EQ(joined.substr(1000, 16), std::string("\x0eSELFEXTRACTING") + '\0');
    EXPECT_EQ(Int32At(joined, 1016), 500);
    const TSelfExtractTrailer full = Trailer("C:\\Out\\setup.exe");
    EXPECT_EQ(full.Marker, kSelfExtracting);
    EXPECT_EQ(std::vector<std::int32_t>(
                  {full.Setup1First, full.Setup1Last, full.Files1First, full.Files1Last}),
              (std::vector<std::int32_t>{500, 799, 800, 999}));

    PutParts("C:\\Two", false);
    Join("C:\\Two");
    const TSelfExtractTrailer two = Trailer("C:\\Two\\setup.exe");
    EXPECT_EQ(two.Setup1Last, 799);
    EXPECT_EQ(two.Files1First | two.Files1Last, 0);

    install->AppendPlainTrailer("C:\\Dist\\setup.exe");
    const TSelfExtractTrailer plain = Trailer("C:\\Dist\\setup.exe");
    EXPECT_EQ(Get("C:\\Dist\\setup.exe").size(), 556u);
    EXPECT_EQ(plain.Marker, kNotSelfExtracting);
    EXPECT_EQ(plain.Setup1First | plain.Setup1Last | plain.Files1First | plain.Files1Last, 0);
}

TEST_F(SetupBuild, AShortOrDamagedTrailerIsRefusedAndNothingIsTakenFromIt) {
    MakeInstall();
    auto read = [&](const std::string& file) {
        TSelfExtractTrailer trailer;
        trailer.Files1First = 12345;
        const std::string message = Error([&] { install->ReadSelfExtractTrailer(file, trailer); });
        EXPECT_EQ(trailer.Files1First, 0) << file;
        return message;
    };
    Put("C:\\T\\short.exe", std::string(55, '\x0e'));
    for (const char* file : {"C:\\T\\short.exe", "C:\\T\\missing.exe"})
        EXPECT_EQ(read(file), Format("Could not read the extraction info from the archive file %s "
                                     "when trying to find the correct offset into the self "
                                     "extracting file",
                                     file));
    auto damaged = [](const std::string& file, const std::string& reason) {
        return "The self-extract information at the end of " + file + " is damaged (" + reason +
               "): the file cannot be read as a setup";
    };
    Put("C:\\T\\plain.exe", std::string(600, 'x'));
    EXPECT_EQ(read("C:\\T\\plain.exe"), damaged("C:\\T\\plain.exe", "no trailer mark"));
    const std::pair<std::vector<std::int32_t>, const char*> cases[] = {
        {{500, 799, 0, 0}, "an offset past the end of the file"},
        {{-500, 100, 0, 0}, "a negative offset"},
        {{300, 200, 0, 0}, "offsets out of order"},
        {{0, 0, 100, 200}, "offsets out of order"},
    };
    for (const auto& [offsets, reason] : cases) {
        TSelfExtractTrailer trailer;
        trailer.Marker = kSelfExtracting;
        trailer.Setup1First = offsets[0];
        trailer.Setup1Last = offsets[1];
        trailer.Files1First = offsets[2];
        trailer.Files1Last = offsets[3];
        Put("C:\\T\\bad.exe", std::string(500, 'L') + trailer.Encode());
        EXPECT_EQ(read("C:\\T\\bad.exe"), damaged("C:\\T\\bad.exe", reason));
    }
}

TEST_F(SetupBuild, AJoinOf2GiBIsRefusedBeforeSetupExeIsTouchedAndAFailedJoinLeavesTheLoader) {
    MakeInstall();
    PutParts("C:\\Out", true);
    auto join = [&](std::uint64_t files1Size) {
        FakedSize faked(platform::Files(), "C:\\Out\\files.1", files1Size);
        platform::ScopedPlatform scope(platform::Services{.files = &faked});
        return Error([&] { Join("C:\\Out"); });
    };
    const std::uint64_t limit = std::uint64_t{1} << 31;
    EXPECT_EQ(join(limit - 800),
              "Cannot create the self-extracting exe C:\\Out\\setup.exe: its loading program, "
              "setup.1 and files.1 come to 2147483648 bytes, and a self-extracting exe can hold "
              "less than 2147483648");
    EXPECT_EQ(Get("C:\\Out\\setup.exe"), std::string(500, 'L'));
    // One byte less fits the offsets; the copy then comes short of the size it was told.
    EXPECT_EQ(join(limit - 801), "Cannot create the self-extracting exe because "
                                 "C:\\Out\\files.1 could not be loaded onto C:\\Out\\setup.exe");
    EXPECT_EQ(Get("C:\\Out\\setup.exe"), std::string(500, 'L'));
    EXPECT_EQ(Entries("C:\\Out"), (std::set<std::string>{"setup.exe", "setup.1", "files.1"}));
}

TEST_F(SetupBuild, BuildInfFaultsAndAMissingLoadingProgramStopTheBuild) {
    MakeInstall();
    install->BuildFromBuildInf();
    Put("C:\\Dist\\BUILD.INF", "");
    install->BuildFromBuildInf();
    Put("C:\\Dist\\BUILD.INF", "C:\\Out\r\n");
    install->BuildFromBuildInf();
    EXPECT_EQ(ui.Texts(Kind::Error),
              (std::vector<std::string>{
                  "Need to have a BUILD.INF file in this directory with the first line specifying "
                  "the build directory",
                  "Must be 1 line in BUILD.INF. This line should specify the build directory",
                  "Cannot build a stand alone executable if the UseLoadingProgram property of the "
                  "TInstall is set to False"}));
    EXPECT_FALSE(std::filesystem::exists(machine.Host("C:\\Out")));

    // The loading program is looked for once setup.1 is written.
    install->SetUseLoadingProgram(true);
    auto build = [&] { return Error([&] { install->Build(app.ExeName, "C:\\Out", false); }); };
    EXPECT_EQ(build(), "The HKEY_LOCAL_MACHINE | \\Software\\QORV\\T32V50 key in the registry is "
                       "either missing or points to an invalid Tarnwell directory");
    Put("C:\\Lib\\T32V50.TXT", "");
    setenv("TARNWELL_LIBRARY", "C:\\Lib", 1);
    EXPECT_EQ(build(), "The loader program C:\\Lib\\TarnwellLoadProgram.exe was not found");
    EXPECT_EQ(Members("C:\\Out\\setup.1"), std::vector<std::string>{"C:\\Dist\\setup.exe"});
    EXPECT_FALSE(FileExists("C:\\Out\\setup.exe"));
}

TEST_F(SetupBuild, AStandAloneBuildCarriesBothArchivesAndTheMainArchiveReadsFromInsideIt) {
    MakeInstall();
    install->SetUseLoadingProgram(true);
    Put("C:\\Lib\\T32V50.TXT", "");
    Put("C:\\Lib\\TarnwellLoadProgram.exe", std::string(500, 'L'));
    setenv("TARNWELL_LIBRARY", "C:\\Lib", 1);
    Put("C:\\Dist\\readme.txt", "read me");
    TStringList setupFiles;
    setupFiles.Add("C:\\Dist\\readme.txt");
    install->SetSetupFiles(setupFiles);
    Put("C:\\Src\\App.txt", RandomData(3000));
    TInstallFile::CreateInContainer(form.get(), install, "C:\\Src\\App.txt")->SetName("App");

    install->Build(app.ExeName, "C:\\Out", true);
    EXPECT_EQ(Members("C:\\Out\\setup.1"),
              (std::vector<std::string>{"C:\\Dist\\setup.exe", "C:\\Dist\\readme.txt"}));
    const TSelfExtractTrailer trailer = Trailer("C:\\Out\\setup.exe");
    const std::string exe = Get("C:\\Out\\setup.exe");
    const std::string setup1 = Get("C:\\Out\\setup.1");
    EXPECT_EQ(exe.substr(0, 500 + setup1.size()), std::string(500, 'L') + setup1);
    EXPECT_EQ(trailer.Files1First, static_cast<std::int32_t>(500 + setup1.size()));
    // What the install does in -e mode: the main archive read out of the executable.
    archive::TTarnCompress compress(nullptr);
    compress.SetCompressedFile("C:\\Out\\setup.exe");
    compress.SetOffset(trailer.Files1First);
    compress.SetExtractDirectory("C:\\Check");
    compress.ExtractMembers({0});
    EXPECT_EQ(Get("C:\\Check\\App.txt"), RandomData(3000));
    // The component's archive is as before the build, and a local build lists no files.
    EXPECT_TRUE(dynamic_cast<paths::TpsMainArchiveFile*>(install->ArchiveSpecifier()));
    EXPECT_EQ(install->ArchiveSubPath(), "");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(machine.Host("C:\\")))
        EXPECT_NE(entry.path().filename(), "filelist.lst");
}

TEST_F(SetupBuild, ANetBuildListsItsFilesAndTheInstallTakesTheirFiguresFromTheList) {
    MakeInstall();
    auto* location = Make<FolderLocation>("Net1");
    location->LoginInformation.RootDirectory = "pub";
    location->LoginInformation.Directory = "files";
    install->BeginLoading();
    install->SetNetLocation(location);
    install->SetDistributeType(2);
    install->EndLoading();
    Put("C:\\Src\\App.txt", "app contents");
    Put("C:\\Src\\Tool.txt", "the tool, longer");
    TInstallFile* app1 = TInstallFile::CreateInContainer(form.get(), install, "C:\\Src\\App.txt");
    app1->SetName("App");
    TInstallFile* tool = TInstallFile::CreateInContainer(form.get(), install, "C:\\Src\\Tool.txt");
    tool->SetName("Tool");

    install->Build(app.ExeName, "C:\\Out", false);
    const std::string list = Get("C:\\Out\\pub\\files\\filelist.lst");
    ASSERT_EQ(list.size(), 4u + 2 * 80);
    EXPECT_EQ(Int32At(list, 0), 2);
    const std::int64_t toolSize = tool->FileSize;
    const double appDate = app1->FileDate;
    ASSERT_EQ(app1->FileSize, 12);

    // Found by name in any case, whatever its place in the list.
    delete tool;
    tool = TInstallFile::CreateInContainer(form.get(), install, "C:\\Src\\Tool.txt");
    tool->SetName("tOOL");
    for (TInstallFile* file : {app1, tool}) {
        file->FileSize = 77;
        file->FileDate = 3;
        file->Version = "9.9";
    }
    install->ReadFileList();
    EXPECT_EQ(app1->FileSize, 12);
    EXPECT_EQ(app1->FileDate, appDate);
    EXPECT_EQ(app1->Version, "");
    EXPECT_EQ(tool->FileSize, toolSize);

    // A list cut short changes no file.
    Put("C:\\Out\\pub\\files\\filelist.lst", list.substr(0, 4 + 80 + 10));
    app1->FileSize = 77;
    EXPECT_EQ(
        Error([&] { install->ReadFileList(); }).rfind("Cannot read the remote list of files: ", 0),
        0u);
    EXPECT_EQ(app1->FileSize, 77);
}

// A self-extracting setup in C:\Build whose files.1 needs several 5000-byte disks, and the
// install started from it in -e mode.
struct FloppyTransfer : SetupBuild {
    const std::string data = RandomData(12000);

    void SetUp() override {
        MakeInstall({"-eSetup.exe", "-sC:\\Build"});
        PutParts("C:\\Build", false);
        Put("C:\\Src\\Big.bin", data);
        archive::TTarnCompress compress(nullptr);
        compress.SetCompressedFile("C:\\Build\\files.1");
        compress.FilesToProcess().Add("C:\\Src\\Big.bin");
        compress.AddFiles(false, 1);
        Join("C:\\Build");
        std::filesystem::create_directories(machine.Folder() / "machine" / "drive_a");
        install->BeginLoading();
        install->EndLoading();
    }
    void Transfer() {
        archive::DiskSizeLimit floppies(platform::Files(), "A:\\", 5000);
        platform::ScopedPlatform scope(platform::Services{.files = &floppies});
        install->TransferToFloppies("a:");
    }
};

TEST_F(FloppyTransfer, CancelAtTheDiskPromptStopsWithAbortedByUserAfterTheFirstParts) {
    Transfer();
    EXPECT_EQ(ui.Texts(Kind::OkCancel), std::vector<std::string>{"Please insert disk 2"});
    EXPECT_EQ(ui.Texts(Kind::Error), std::vector<std::string>{"Aborted by user"});
    EXPECT_EQ(Get("A:\\setup.exe").substr(0, 500), std::string(500, 'L'));
    EXPECT_EQ(Trailer("A:\\setup.exe").Marker, kNotSelfExtracting);
    EXPECT_EQ(Get("A:\\setup.1"), std::string(300, 'S'));
    EXPECT_EQ(ui.BusyDepth(), 0);
    EXPECT_FALSE(GlobalCompress().OnNewDisk);

    // The user's abort stops the copy of setup.1 before its first block.
    ui.ClearBoxes();
    archive::InstallAborted = true;
    Transfer();
    archive::InstallAborted = false;
    EXPECT_EQ(ui.Texts(Kind::Error), std::vector<std::string>{"Creating Install Aborted!"});
    EXPECT_EQ(Get("A:\\setup.1"), "");
}

TEST_F(FloppyTransfer, TheDisksHoldAVolumeSetOfFiles1AndOnlyASelfExtractedRunMayTransfer) {
    ui.SetDefaultAnswer(true);
    int reports = 0;
    install->OnFloppyStatus = [&](archive::TTarnCompress&, const archive::TlzhFileStats&) {
        ++reports;
    };
    Transfer();
    EXPECT_TRUE(ui.Texts(Kind::Error).empty());
    EXPECT_GT(reports, 0);
    const std::size_t prompts = ui.Texts(Kind::OkCancel).size();
    ASSERT_GT(prompts, 0u);
    EXPECT_EQ(ui.Texts(Kind::OkCancel).back(), "Please insert disk " + std::to_string(prompts + 1));
    archive::TTarnCompress compress(nullptr);
    compress.SetCompressedFile("A:\\files.1");
    compress.SetExtractDirectory("C:\\Check");
    compress.ExtractMembers({0});
    EXPECT_EQ(Get("C:\\Check\\Big.bin"), data);

    ui.ClearBoxes();
    app.Params = {"-sC:\\Build"};
    install->BeginLoading();
    install->EndLoading();
    Transfer();
    EXPECT_EQ(ui.Texts(Kind::Error),
              std::vector<std::string>{"Sorry... You can only transfer this installation to "
                                       "floppies through the self-extracting file. Usage "
                                       "example: setup.exe *TODISK"});
}

} // namespace
} // namespace tarn::test
