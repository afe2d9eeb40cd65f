#include "SetupLoader.h"

#include "archive/ArchivePaths.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/TextCase.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <set>

namespace tarn::loader {

namespace {

using install::TSelfExtractTrailer;

constexpr const char* kSetupArchiveName = "setup.1";
// Extraction folders are "tws1", "tws2", ... below the temporary folder.
constexpr const char* kFolderPrefix = "tws";
constexpr int kMaxFolderNumber = 99999;

std::string Damaged(const std::string& why) {
    return "this setup program is damaged: " + why;
}

class OpenFile {
public:
    explicit OpenFile(const std::string& path) {
        error_ = platform::Files().CreateFile(
            path, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
            platform::OPEN_EXISTING, 0, handle_);
    }
    ~OpenFile() {
        if (error_ == platform::ERROR_SUCCESS) platform::Files().CloseFile(handle_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    platform::DWORD Error() const { return error_; }
    platform::HANDLE Handle() const { return handle_; }

private:
    platform::DWORD error_ = 0;
    platform::HANDLE handle_ = 0;
};

// Trailing dots and blanks, which Windows drops from a name.
std::string WithoutTrailingDots(const std::string& name) {
    const auto end = name.find_last_not_of(". ");
    return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

// CON, NUL, COM1 ... with or without an extension name a device in every folder.
bool DeviceName(const std::string& name) {
    std::string base = UpperCaseAscii(name.substr(0, name.find('.')));
    base = base.substr(0, base.find_last_not_of(' ') + 1);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CLOCK$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// The folder of setup.exe as -s takes it: without its trailing backslash, except a drive's root.
std::string SourceFolder(const std::string& setupExe) {
    const std::string folder = archive::ExtractFilePath(setupExe);
    if (folder.size() == 3 && folder[1] == ':') return folder;
    return ExcludeBackslash(folder);
}

std::string MakeExtractFolder() {
    std::string temp;
    if (platform::DWORD rc = platform::System().GetTempPath(temp); rc != platform::ERROR_SUCCESS)
        throw ELoaderRefusal(lsNotStarted, "the machine names no temporary folder (error " +
                                               std::to_string(rc) + ")");
    temp = IncludeBackslash(temp);
    archive::ForceDirectories(temp);
    for (int n = 1; n <= kMaxFolderNumber; ++n) {
        const std::string folder = temp + kFolderPrefix + std::to_string(n);
        const platform::DWORD rc = platform::Files().CreateDirectory(folder);
        if (rc == platform::ERROR_SUCCESS) return folder;
        if (rc != platform::ERROR_ALREADY_EXISTS && rc != platform::ERROR_FILE_EXISTS)
            throw ELoaderRefusal(lsNotStarted, "cannot make a folder in " + temp + " (error " +
                                                   std::to_string(rc) + ")");
    }
    throw ELoaderRefusal(lsNotStarted, "every folder name " + temp + kFolderPrefix +
                                           "1 ... is taken; empty the temporary folder");
}

} // namespace

std::string CheckTrailer(const TSelfExtractTrailer& trailer, std::uint64_t fileSize) {
    if (fileSize < TSelfExtractTrailer::kSize) return "it is shorter than its 56-byte trailer";
    if (trailer.Marker == install::kNotSelfExtracting) {
        if (trailer.Setup1First != 0 || trailer.Setup1Last != 0 || trailer.Files1First != 0 ||
            trailer.Files1Last != 0)
            return "its trailer says nothing is embedded, yet holds offsets";
        return {};
    }
    if (trailer.Marker != install::kSelfExtracting)
        return "its trailer is marked neither SELFEXTRACTING nor NOTSELFEXTRACT";
    if (trailer.Setup1First < 0 || trailer.Setup1Last < 0 || trailer.Files1First < 0 ||
        trailer.Files1Last < 0)
        return "an offset in its trailer is negative";
    // The embedded parts lie between the loading program and the trailer.
    const auto end = static_cast<std::int64_t>(fileSize - TSelfExtractTrailer::kSize);
    if (trailer.Setup1First == 0) return "its trailer places setup.1 over the loading program";
    if (trailer.Setup1Last < trailer.Setup1First) return "setup.1 ends before it begins";
    if (trailer.Setup1Last >= end) return "setup.1 runs past the end of the file";
    if (trailer.Files1First == 0 && trailer.Files1Last == 0) return {};
    if (trailer.Files1First <= trailer.Setup1Last) return "files.1 begins inside setup.1";
    if (trailer.Files1Last < trailer.Files1First) return "files.1 ends before it begins";
    if (trailer.Files1Last >= end) return "files.1 runs past the end of the file";
    return {};
}

bool ReadTrailerFrom(const std::string& path, TSelfExtractTrailer& trailer, std::string& why,
                     int& status) {
    trailer = {};
    status = lsNotStarted;
    OpenFile file(path);
    if (file.Error() != platform::ERROR_SUCCESS) {
        why = "cannot open " + path + " (error " + std::to_string(file.Error()) + ")";
        return false;
    }
    std::uint64_t size = 0;
    if (platform::Files().GetFileSize(file.Handle(), size) != platform::ERROR_SUCCESS) {
        why = "cannot read the size of " + path;
        return false;
    }
    if (size < TSelfExtractTrailer::kSize) {
        status = lsDamaged;
        why = CheckTrailer(trailer, size);
        return false;
    }
    std::array<char, TSelfExtractTrailer::kSize> bytes{};
    std::uint64_t position = 0;
    platform::DWORD got = 0;
    if (platform::Files().SetFilePointer(
            file.Handle(), static_cast<std::int64_t>(size - bytes.size()), platform::FILE_BEGIN,
            position) != platform::ERROR_SUCCESS ||
        platform::Files().ReadFile(file.Handle(), bytes.data(), bytes.size(), got) !=
            platform::ERROR_SUCCESS ||
        got != bytes.size()) {
        why = "cannot read the trailer of " + path;
        return false;
    }
    status = lsDamaged;
    if (!TSelfExtractTrailer::Decode(std::string_view(bytes.data(), bytes.size()), trailer)) {
        why = "its trailer does not begin with the marker length 14";
        return false;
    }
    why = CheckTrailer(trailer, size);
    if (!why.empty()) return false;
    status = 0;
    return true;
}

TSetupArchive FindSetupArchive(const std::string& setupExe) {
    TSelfExtractTrailer trailer;
    std::string why;
    int status = 0;
    if (!ReadTrailerFrom(setupExe, trailer, why, status))
        throw ELoaderRefusal(status, status == lsDamaged ? Damaged(why) : why);
    TSetupArchive setup;
    setup.setupExe = setupExe;
    setup.selfExtracting = trailer.Marker == install::kSelfExtracting;
    if (setup.selfExtracting) {
        setup.file = setupExe;
        setup.offset = trailer.Setup1First;
        setup.size = static_cast<std::int64_t>(trailer.Setup1Last) - trailer.Setup1First + 1;
        return setup;
    }
    setup.file = archive::ExtractFilePath(setupExe) + kSetupArchiveName;
    OpenFile file(setup.file);
    std::uint64_t size = 0;
    if (file.Error() != platform::ERROR_SUCCESS ||
        platform::Files().GetFileSize(file.Handle(), size) != platform::ERROR_SUCCESS)
        throw ELoaderRefusal(lsNotStarted, "there is no " + setup.file +
                                               ": this setup program needs its setup.1 beside it");
    setup.size = static_cast<std::int64_t>(size);
    return setup;
}

std::optional<std::string> MemberFileName(const std::string& memberName) {
    // A part of dots only climbs: ".." one folder, "..." two on the 95 family.
    std::size_t from = 0;
    while (from <= memberName.size()) {
        std::size_t to = memberName.find_first_of("\\/:", from);
        if (to == std::string::npos) to = memberName.size();
        const std::string part = memberName.substr(from, to - from);
        if (part.find("..") != std::string::npos && WithoutTrailingDots(part).empty())
            return std::nullopt;
        from = to + 1;
    }
    const std::string name = WithoutTrailingDots(archive::ExtractFileName(memberName));
    if (name.empty() || name.front() == ' ' || DeviceName(name)) return std::nullopt;
    if (name.find_first_of("<>\"|?*") != std::string::npos ||
        std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return std::nullopt;
    return name;
}

TExtracted ExtractSetupArchive(const TSetupArchive& setup) {
    archive::TTarnCompress compress(nullptr);
    compress.SetCompressedFile(setup.file);
    compress.SetOffset(setup.offset);
    int count = 0;
    try {
        count = compress.FileCount();
    } catch (const std::exception& e) {
        throw ELoaderRefusal(
            lsDamaged, Damaged(std::string(kSetupArchiveName) + " cannot be read: " + e.what()));
    }
    if (count == 0)
        throw ELoaderRefusal(lsDamaged, Damaged("setup.1 holds no install application"));
    if (compress.FileHeaders().MultiDisk != 0)
        throw ELoaderRefusal(lsDamaged, Damaged("setup.1 is one volume of a set"));

    // Every member is checked before the first is written.
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (int i = 0; i < count; ++i) {
        const archive::TFileHeaderRecord& header = compress.FileHeaders().GetFileHeaders(i).Record;
        const std::optional<std::string> name = MemberFileName(header.FileName);
        if (!name)
            throw ELoaderRefusal(lsDamaged,
                                 Damaged("setup.1 holds the member \"" + header.FileName +
                                         "\", which names no file of its own folder"));
        if (header.FirstDisk != 0 || header.LastDisk != 0 || header.DataStart < 0 ||
            header.LastBytePos < header.DataStart || header.LastBytePos >= setup.size)
            throw ELoaderRefusal(
                lsDamaged, Damaged("the data of " + header.FileName + " lie outside setup.1"));
        // A later member of the same name would replace the install application or a file of it.
        if (!seen.insert(UpperCaseAnsi(*name)).second)
            throw ELoaderRefusal(lsDamaged, Damaged("setup.1 holds two members named " + *name));
        names.push_back(*name);
    }

    TExtracted extracted;
    extracted.folder = MakeExtractFolder();
    compress.SetExtractDirectory(extracted.folder);
    try {
        for (int i = 0; i < count; ++i) {
            compress.SetTargetName(names[static_cast<std::size_t>(i)]);
            compress.ExtractMembers({i});
            extracted.files.push_back(extracted.folder + "\\" + names[static_cast<std::size_t>(i)]);
        }
    } catch (const std::exception& e) {
        RemoveExtracted(extracted.folder);
        throw ELoaderRefusal(lsNotStarted,
                             "cannot extract setup.1 into " + extracted.folder + ": " + e.what());
    }
    return extracted;
}

void RemoveExtracted(const std::string& folder) {
    platform::IFileSystem& files = platform::Files();
    std::vector<std::string> names;
    platform::HANDLE find = 0;
    platform::FindData data;
    if (files.FindFirst(folder + "\\*.*", find, data) == platform::ERROR_SUCCESS) {
        do {
            if (data.name != "." && data.name != "..") names.push_back(data.name);
        } while (files.FindNext(find, data) == platform::ERROR_SUCCESS);
        files.FindClose(find);
    }
    for (const std::string& name : names) {
        const std::string path = folder + "\\" + name;
        if (files.DeleteFile(path) != platform::ERROR_SUCCESS) {
            files.SetAttributes(path, platform::FILE_ATTRIBUTE_NORMAL);
            files.DeleteFile(path);
        }
    }
    files.RemoveDirectory(folder);
}

std::vector<std::string> InstallParameters(const TSetupArchive& setup,
                                           const std::vector<std::string>& arguments,
                                           std::vector<std::string>* ignored) {
    std::vector<std::string> parameters{"-s" + SourceFolder(setup.setupExe)};
    if (setup.selfExtracting) parameters.push_back("-e" + archive::ExtractFileName(setup.setupExe));
    // The install application runs from the copy just extracted and removes it at its end.
    parameters.push_back("-c");
    for (const std::string& argument : arguments) {
        if (SameTextAscii(argument, "*TODISK"))
            parameters.push_back("-f");
        else if (!argument.empty() && argument.front() == '*')
            parameters.push_back(argument);
        else if (ignored)
            ignored->push_back(argument);
    }
    return parameters;
}

std::string InstallCommandLine(const std::string& program,
                               const std::vector<std::string>& parameters) {
    // A program path holds no quote and ends in no backslash, so plain quotes keep it whole.
    std::string line = "\"" + program + "\"";
    for (const std::string& parameter : parameters)
        line += " " + platform::QuoteArgument(parameter);
    return line;
}

int RunLoader(const std::string& setupExe, const std::vector<std::string>& arguments,
              std::ostream& err, const std::function<void()>& releaseMachine) {
    auto say = [&err](const std::string& text) {
        err << "setup: " << platform::ToHostText(text) << std::endl;
    };
    try {
        const TSetupArchive setup = FindSetupArchive(setupExe);
        const TExtracted extracted = ExtractSetupArchive(setup);
        std::vector<std::string> ignored;
        const std::vector<std::string> parameters = InstallParameters(setup, arguments, &ignored);
        for (const std::string& argument : ignored)
            say("the parameter " + argument + " is left out: only *-parameters go to the install");

        platform::ProcessStart start;
        start.commandLine = InstallCommandLine(extracted.files.front(), parameters);
        platform::IProcesses& processes = platform::Processes();
        platform::HANDLE process = 0;
        if (platform::DWORD rc = processes.CreateProcess(start, process);
            rc != platform::ERROR_SUCCESS) {
            RemoveExtracted(extracted.folder);
            say("cannot start the install application " + extracted.files.front() + " (error " +
                std::to_string(rc) + ")");
            return lsNotStarted;
        }
        // The install application opens the machine itself; from here on only the wait, whose
        // handle needs no hold on the machine. Its folder stays: the application removes it, or
        // a clean-up batch it started still works in it.
        if (releaseMachine) releaseMachine();
        platform::DWORD code = 0;
        const platform::DWORD rc = processes.WaitForExit(process, platform::INFINITE_WAIT, code);
        processes.CloseProcess(process);
        if (rc != platform::ERROR_SUCCESS) {
            say("lost the install application while waiting for it (error " + std::to_string(rc) +
                ")");
            return lsNotStarted;
        }
        // The host keeps one byte of a status: a larger one must not read as success.
        return code > 255 ? 255 : static_cast<int>(code);
    } catch (const ELoaderRefusal& e) {
        say(e.what());
        return e.Status();
    } catch (const std::exception& e) {
        say(e.what());
        return lsNotStarted;
    }
}

} // namespace tarn::loader
