// Building the distributables: setup.1 with the install application and the setup files, the
// loading program as the head of setup.exe, files.1 from the install tree, and the join of the
// three into one self-extracting setup.exe whose 56-byte trailer tells where its parts lie.
#include "archive/ArchivePaths.h"
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/Application.h"
#include "framework/FileExists.h"
#include "framework/FileStream.h"
#include "install/cmp_TInstall.h"
#include "install/cmp_TInstallContainer_Library.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace tarn::install {

namespace {

constexpr std::string_view SNoBuildInf = "Need to have a BUILD.INF file in this directory with "
                                         "the first line specifying the build directory";
constexpr std::string_view SEmptyBuildInf =
    "Must be 1 line in BUILD.INF. This line should specify the build directory";
constexpr std::string_view SNoStandAlone =
    "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall is "
    "set to False";
constexpr std::string_view SSetupArchiveDiskFull =
    "The disk that you have specified has been determined to be either too full or is corrupt "
    "while trying to copy the SETUP.1 archive file. You should probably clear all files off of "
    "the drive. Minimally, you should leave enough space on the drive for the SETUP.1 archive "
    "file.";
constexpr std::string_view SNoLibraryFolder =
    "The HKEY_LOCAL_MACHINE | %s key in the registry is either missing or points to an invalid "
    "Tarnwell directory";
constexpr const char* kLibraryKeyName = "\\Software\\QORV\\T32V50";
constexpr std::string_view SNoLoader = "The loader program %s was not found";
constexpr std::string_view SLoaderNotCopied = "Cannot copy the loading program from %s to %s";
constexpr std::string_view SApplicationNotCopied =
    "Cannot copy the installation application from %s to %s";
constexpr std::string_view SBlankExecutable = "Cannot create setup file. Executable is blank";
constexpr std::string_view SNoExecutable = "TInstall: Cannot find the executable file %s";
constexpr std::string_view SNotLoadedOnto =
    "Cannot create the self-extracting exe because %s could not be loaded onto %s";
constexpr std::string_view STrailerNotWritten = "Cannot add the self-extract info header to %s";
constexpr std::string_view SNoExtractionInfo =
    "Could not read the extraction info from the archive file %s when trying to find the correct "
    "offset into the self extracting file";
// The trailer's offsets are signed 32-bit: a part past 2 GiB could not be found again.
constexpr std::string_view STooLargeToJoin =
    "Cannot create the self-extracting exe %s: its loading program, setup.1 and files.1 come to "
    "%d bytes, and a self-extracting exe can hold less than 2147483648";
constexpr std::string_view SHeadNotCopied =
    "Cannot create the self-extracting exe %s: its loading program could not be copied";
constexpr std::string_view SJoinNotPlaced =
    "Cannot create the self-extracting exe because %s could not be replaced";
constexpr std::string_view SBadTrailer = "The self-extract information at the end of %s is "
                                         "damaged (%s): the file cannot be read as a setup";

constexpr std::size_t kMarkerLength = 14;
constexpr std::size_t kCopyBlock = 65536;
constexpr std::int64_t kOffsetLimit = std::int64_t{1} << 31;

bool Blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

void PutInt32(std::string& bytes, std::size_t at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

std::int32_t Int32At(std::string_view bytes, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

// What keeps the install from reading the wrong bytes: each embedded part inside the bytes before
// the trailer, setup.1 before files.1. A part that is not embedded has both offsets 0.
const char* TrailerFault(const TSelfExtractTrailer& t, std::int64_t partsEnd) {
    if (t.Setup1First < 0 || t.Setup1Last < 0 || t.Files1First < 0 || t.Files1Last < 0)
        return "a negative offset";
    const bool setup1 = t.Setup1First != 0 || t.Setup1Last != 0;
    const bool files1 = t.Files1First != 0 || t.Files1Last != 0;
    if (t.Setup1First > t.Setup1Last || t.Files1First > t.Files1Last ||
        (files1 && (!setup1 || t.Files1First <= t.Setup1Last)))
        return "offsets out of order";
    if ((setup1 && t.Setup1Last >= partsEnd) || (files1 && t.Files1Last >= partsEnd))
        return "an offset past the end of the file";
    return nullptr;
}

// Copies up to count bytes from the source's position onto the target's; the bytes copied,
// fewer when either side comes short.
std::int64_t CopyBytes(TStream& source, TStream& target, std::int64_t count) {
    std::vector<char> block(kCopyBlock);
    std::int64_t copied = 0;
    while (copied < count) {
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(count - copied, kCopyBlock));
        const std::size_t got = source.Read(block.data(), want);
        const std::size_t put = got == 0 ? 0 : target.Write(block.data(), got);
        copied += static_cast<std::int64_t>(put);
        if (got < want || put < got) break;
        platform::UI().ProcessMessages();
    }
    return copied;
}

// A new empty file beside path, for content that replaces path once complete; "" when none can
// be made.
std::string TemporaryBeside(const std::string& path) {
    const std::string folder = archive::ExtractFilePath(path);
    std::string temporary;
    if (platform::Files().GetTempFileName(folder.empty() ? "." : folder, "tws", 0, temporary) !=
        platform::ERROR_SUCCESS)
        return "";
    return temporary;
}

// A copy that replaces the target only once complete: a failed copy leaves it as it was.
bool CopyReplacing(const std::string& from, const std::string& to) {
    platform::IFileSystem& files = platform::Files();
    const std::string temporary = TemporaryBeside(to);
    if (temporary.empty()) return false;
    if (files.CopyFile(from, temporary, false) == platform::ERROR_SUCCESS &&
        files.MoveFile(temporary, to, platform::MOVEFILE_REPLACE_EXISTING) ==
            platform::ERROR_SUCCESS)
        return true;
    files.DeleteFile(temporary);
    return false;
}

std::unique_ptr<TFileStream> OpenForReading(const std::string& path) {
    return std::make_unique<TFileStream>(path, fmOpenRead | fmShareDenyNone);
}

// One member of setup.1, added by an install file that lives only for this.
void AddToSetupArchive(const std::string& path, const std::string& setup1, bool append) {
    std::unique_ptr<TInstallFile> file(
        TCustomInstallFile::CreateFromFile<TInstallFile>(nullptr, path));
    file->SetArchiveSpecifier(nullptr);
    file->SetArchiveSubPath(setup1);
    // The application starts the archive afresh, so that no member of an earlier build stays;
    // the setup files join it.
    file->AppendToArchive = append;
    file->Compress();
}

// The component's archive pair, put back however the build of files.1 ends.
class SavedArchivePair {
public:
    explicit SavedArchivePair(TFileRelated& node)
        : node_(node), specifier_(node.ArchiveSpecifier()), subPath_(node.ArchiveSubPath()) {}
    ~SavedArchivePair() {
        try {
            // Specifier first: one that stands for a file clears the sub path.
            node_.SetArchiveSpecifier(specifier_);
            node_.SetArchiveSubPath(subPath_);
        } catch (const std::exception&) {
            // The component held this pair before the build; nothing here could answer a refusal.
        }
    }
    SavedArchivePair(const SavedArchivePair&) = delete;
    SavedArchivePair& operator=(const SavedArchivePair&) = delete;

private:
    TFileRelated& node_;
    TCustomPathSpecifier* specifier_;
    std::string subPath_;
};

} // namespace

std::string TSelfExtractTrailer::Encode() const {
    std::string bytes(kSize, '\0');
    bytes[0] = static_cast<char>(kMarkerLength);
    std::copy_n(Marker.begin(), std::min(Marker.size(), kMarkerLength), bytes.begin() + 1);
    PutInt32(bytes, 16, Setup1First);
    PutInt32(bytes, 20, Setup1Last);
    PutInt32(bytes, 24, Files1First);
    PutInt32(bytes, 28, Files1Last);
    return bytes;
}

bool TSelfExtractTrailer::Decode(std::string_view bytes, TSelfExtractTrailer& trailer) {
    if (bytes.size() != kSize || static_cast<unsigned char>(bytes[0]) != kMarkerLength)
        return false;
    const std::string_view marker = bytes.substr(1, kMarkerLength);
    trailer.Marker = std::string(marker.substr(0, marker.find('\0')));
    trailer.Setup1First = Int32At(bytes, 16);
    trailer.Setup1Last = Int32At(bytes, 20);
    trailer.Files1First = Int32At(bytes, 24);
    trailer.Files1Last = Int32At(bytes, 28);
    return true;
}

void TCustomInstall::BuildFromBuildInf() {
    try {
        const std::string buildInf = archive::ExtractFilePath(ProgramPath()) + "BUILD.INF";
        if (!FileExists(buildInf)) throw IEInstall(SNoBuildInf);
        TStringList lines;
        lines.LoadFromFile(buildInf);
        if (lines.Count() == 0) throw IEInstall(SEmptyBuildInf);
        Build(ProgramPath(), archive::TrimBlanks(lines[0]), true);
    } catch (const std::exception& error) {
        Application().ShowException(error);
    }
}

void TCustomInstall::Build(const std::string& programFile, const std::string& buildFolder,
                           bool standAlone) {
    if (standAlone && !useLoadingProgram_) throw IEInstall(SNoStandAlone);
    // An empty folder leaves plain names, relative to the current folder.
    const std::string folder = IncludeBackslash(buildFolder);
    const std::string setupExe = folder + "setup.exe";
    const std::string setup1 = folder + "setup.1";
    const std::string files1 = folder + "files.1";

    CopyLoadingProgram(buildFolder, programFile);
    if (OnBeforeBuildArchives) OnBeforeBuildArchives(*this);
    {
        SavedArchivePair saved(*this);
        SetArchiveSpecifier(nullptr);
        SetArchiveSubPath(files1);
        TCustomInstallFileList* files = InstallFileList();
        for (int i = 0; i < files->Count(); ++i)
            files->Items(i)->CompressState = 0;
        Compress(DriverCompressOptions(distributeType_));
        if (distributeType_ != 0) WriteFileList();
    }
    if (OnAfterBuildArchives) OnAfterBuildArchives(*this);

    if (standAlone)
        MakeSelfExtracting(setupExe, setup1, files1);
    else if (useLoadingProgram_)
        AppendPlainTrailer(setupExe);
    else
        // No setup.exe is made: the copied application stands in its place.
        AppendPlainTrailer(folder + archive::ExtractFileName(programFile));
}

void TCustomInstall::CopyLoadingProgram(const std::string& buildFolder,
                                        const std::string& programFile) {
    const std::string folder = IncludeBackslash(buildFolder);
    if (useLoadingProgram_) {
        try {
            CreateSetupArchive(buildFolder, programFile);
        } catch (const EtcDiskFull&) {
            throw IEInstall(SSetupArchiveDiskFull);
        }
        const std::string library = TarnwellInfo::LibraryDirectory(false);
        if (library.empty()) throw IEInstall(SNoLibraryFolder, kLibraryKeyName);
        const std::string loader = library + "\\" + kLoadingProgram;
        if (!FileExists(loader)) throw IEInstall(SNoLoader, loader);
        const std::string target = folder + "setup.exe";
        if (!CopyReplacing(loader, target)) throw IEInstall(SLoaderNotCopied, loader, target);
        return;
    }
    if (OnBeforeCopyApplication) OnBeforeCopyApplication(*this, programFile);
    if (!buildFolder.empty()) archive::ForceDirectories(ExcludeBackslash(buildFolder));
    const std::string target = folder + archive::ExtractFileName(programFile);
    if (!CopyReplacing(programFile, target))
        throw IEInstall(SApplicationNotCopied, programFile, target);
    if (OnAfterCopyApplication) OnAfterCopyApplication(*this);
}

void TCustomInstall::CreateSetupArchive(const std::string& buildFolder,
                                        const std::string& programFile) {
    if (Blank(programFile)) throw IEInstall(SBlankExecutable);
    if (OnBeforeSetupArchive) OnBeforeSetupArchive(*this);
    if (!FileExists(programFile)) throw IEInstall(SNoExecutable, programFile);
    const std::string setup1 = IncludeBackslash(buildFolder) + "setup.1";
    AddToSetupArchive(programFile, setup1, false);
    for (int i = 0; i < setupFiles_.Count(); ++i)
        AddToSetupArchive(archive::TrimBlanks(setupFiles_[i]), setup1, true);
    if (OnAfterSetupArchive) OnAfterSetupArchive(*this);
}

void TCustomInstall::MakeSelfExtracting(const std::string& setupExe, const std::string& setup1,
                                        const std::string& files1) {
    if (OnBeforeSelfExtract) OnBeforeSelfExtract(*this);
    TSelfExtractTrailer trailer;
    trailer.Marker = kSelfExtracting;

    std::unique_ptr<TFileStream> head = OpenForReading(setupExe);
    std::unique_ptr<TFileStream> first = OpenForReading(setup1);
    std::unique_ptr<TFileStream> second;
    if (FileExists(files1)) second = OpenForReading(files1);
    const std::int64_t headSize = head->Size();
    const std::int64_t firstSize = first->Size();
    const std::int64_t secondSize = second ? second->Size() : 0;
    // Checked before anything is written: the offsets of a larger join would not fit the trailer.
    const std::int64_t partsSize = headSize + firstSize + secondSize;
    if (partsSize >= kOffsetLimit) throw IEInstall(STooLargeToJoin, setupExe, partsSize);

    // The join is written beside setup.exe and moved over it once complete, so that a failure
    // leaves the plain loading program, never a setup.exe cut short.
    const std::string temporary = TemporaryBeside(setupExe);
    if (temporary.empty()) throw IEInstall(SNotLoadedOnto, setup1, setupExe);
    std::unique_ptr<TFileStream> joined;
    bool placed = false;
    const archive::ScopeExit removeTemporary([&] {
        if (placed) return;
        joined.reset();
        platform::Files().DeleteFile(temporary);
    });
    try {
        joined = std::make_unique<TFileStream>(temporary, fmCreate);
    } catch (const EStreamError&) {
        throw IEInstall(SNotLoadedOnto, setup1, setupExe);
    }
    if (CopyBytes(*head, *joined, headSize) < headSize) throw IEInstall(SHeadNotCopied, setupExe);
    trailer.Setup1First = static_cast<std::int32_t>(joined->Position());
    if (CopyBytes(*first, *joined, firstSize) < firstSize)
        throw IEInstall(SNotLoadedOnto, setup1, setupExe);
    trailer.Setup1Last = static_cast<std::int32_t>(joined->Position() - 1);
    if (second) {
        trailer.Files1First = static_cast<std::int32_t>(joined->Position());
        if (CopyBytes(*second, *joined, secondSize) < secondSize)
            throw IEInstall(SNotLoadedOnto, files1, setupExe);
        trailer.Files1Last = static_cast<std::int32_t>(joined->Position() - 1);
    }
    const std::string bytes = trailer.Encode();
    if (joined->Write(bytes.data(), bytes.size()) < bytes.size())
        throw IEInstall(STrailerNotWritten, setupExe);

    joined.reset();
    head.reset();
    first.reset();
    second.reset();
    if (platform::Files().MoveFile(temporary, setupExe, platform::MOVEFILE_REPLACE_EXISTING) !=
        platform::ERROR_SUCCESS)
        throw IEInstall(SJoinNotPlaced, setupExe);
    placed = true;
    if (OnAfterSelfExtract) OnAfterSelfExtract(*this);
}

void TCustomInstall::AppendPlainTrailer(const std::string& setupExe) {
    TSelfExtractTrailer trailer;
    trailer.Marker = kNotSelfExtracting;
    const std::string bytes = trailer.Encode();
    std::unique_ptr<TFileStream> stream;
    try {
        stream = std::make_unique<TFileStream>(setupExe, fmOpenReadWrite | fmShareDenyNone);
    } catch (const EStreamError&) {
        throw IEInstall(STrailerNotWritten, setupExe);
    }
    const std::int64_t end = stream->Seek(0, soFromEnd);
    if (stream->Write(bytes.data(), bytes.size()) < bytes.size()) {
        // A torn trailer would be read as a damaged one: the file goes back to its old end.
        try {
            stream->SetSize(end);
        } catch (const EStreamError&) {
        }
        throw IEInstall(STrailerNotWritten, setupExe);
    }
}

void TCustomInstall::ReadSelfExtractTrailer(const std::string& file, TSelfExtractTrailer& trailer) {
    trailer = TSelfExtractTrailer{};
    std::string bytes(TSelfExtractTrailer::kSize, '\0');
    std::int64_t size = 0;
    try {
        const std::unique_ptr<TFileStream> stream = OpenForReading(file);
        size = stream->Size();
        // A shorter file holds no trailer: its start must not be read as one.
        if (size < static_cast<std::int64_t>(TSelfExtractTrailer::kSize))
            throw IEInstall(SNoExtractionInfo, file);
        stream->Seek(size - static_cast<std::int64_t>(TSelfExtractTrailer::kSize), soFromBeginning);
        if (stream->Read(bytes.data(), bytes.size()) < bytes.size())
            throw IEInstall(SNoExtractionInfo, file);
    } catch (const EStreamError&) {
        throw IEInstall(SNoExtractionInfo, file);
    }
    TSelfExtractTrailer read;
    if (!TSelfExtractTrailer::Decode(bytes, read))
        throw IEInstall(SBadTrailer, file, "no trailer mark");
    if (const char* fault =
            TrailerFault(read, size - static_cast<std::int64_t>(TSelfExtractTrailer::kSize)))
        throw IEInstall(SBadTrailer, file, fault);
    trailer = read;
}

} // namespace tarn::install
