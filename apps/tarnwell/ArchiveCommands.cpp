// tarnwell archive list|add|extract|split|copy: archives of the install library on the machine.
// Paths are Windows paths (C:\...) or host paths (/tmp/x, x), which the machine sees on Z:.
#include "Commands.h"

#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/DiskSizeLimit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "framework/Format.h"
#include "framework/TextCase.h"
#include "platform/Platform.h"
#include "platform/portable/PathMapper.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Text.h"
#include "version/AnsiText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace tarn::tool {
namespace {

using namespace tarn::archive;
using platform::portable::HostOutput;
using version::AnsiToUtf8;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

struct ArchiveOptions {
    std::string archive;
    std::vector<std::string> files;
    bool json = false;
    bool append = false;
    std::string level = "max";
    std::int32_t id = 0;
    std::string directory;
    std::string overwrite = "always";
    std::int32_t offset = 0;
    std::string volumeSize;
    std::string folder;
    std::string source;
    std::string dest;
};

// A Windows path as given ("C:\x", "\x"), or a host path as the machine sees it.
std::string MachinePath(Context& context, const std::string& path) {
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        return context.ArgumentText(path);
    if (!path.empty() && path[0] == '\\') return context.ArgumentText(path);
    return context.Open().GetPathMapper().FromHost(std::filesystem::absolute(path));
}

// The machine path of a file or folder the command writes: the one place of the host's drive
// the machine may change for it.
std::string OutputPath(Context& context, const std::string& path, HostOutput kind) {
    const std::string machinePath = MachinePath(context, path);
    platform::portable::Machine& machine = context.Open();
    if (auto host = machine.GetPathMapper().ToHost(machinePath))
        machine.AllowHostOutput(*host, kind);
    return machinePath;
}

TCompressionLevel ParseLevel(const std::string& text) {
    if (text == "none") return colNone;
    if (text == "fastest") return colFastest;
    if (text == "default") return colDefault;
    if (text == "max") return colMax;
    throw UsageError("unknown level: " + text + " (none, fastest, default or max)");
}

version::TOverwriteType ParseOverwrite(const std::string& text) {
    static const std::pair<const char*, version::TOverwriteType> rules[] = {
        {"always", version::owAlways},           {"never", version::owNever},
        {"version", version::owVersion},         {"date", version::owDate},
        {"versiondate", version::owVersionDate}, {"ask", version::owAsk}};
    for (const auto& [name, rule] : rules)
        if (SameTextAscii(text, name)) return rule;
    throw UsageError("unknown overwrite rule: " + text +
                     " (always, never, version, date, versiondate or ask)");
}

// "1440K", "2M", "65536": bytes, with binary K, M and G.
std::uint64_t ParseSize(const std::string& text) {
    std::size_t used = 0;
    std::uint64_t value = 0;
    try {
        value = std::stoull(text, &used);
    } catch (const std::exception&) {
        throw UsageError("not a size: " + text + " (such as 1440K, 10M or 65536)");
    }
    const std::string unit = text.substr(used);
    std::uint64_t factor = 1;
    if (unit == "K" || unit == "k")
        factor = 1024;
    else if (unit == "M" || unit == "m")
        factor = 1024 * 1024;
    else if (unit == "G" || unit == "g")
        factor = 1024ull * 1024 * 1024;
    else if (!unit.empty())
        throw UsageError("not a size: " + text + " (such as 1440K, 10M or 65536)");
    if (value == 0 || value > (1ull << 40) / factor)
        throw UsageError("volume size out of range: " + text);
    return value * factor;
}

// A day count as "YYYY-MM-DD hh:mm:ss".
std::string DateText(double dayCount) {
    using namespace std::chrono;
    if (!std::isfinite(dayCount) || std::fabs(dayCount) > 3e6) return "?";
    const double days = std::trunc(dayCount);
    const auto seconds = std::llround(std::fabs(dayCount - days) * 86400);
    const sys_days day =
        sys_days{year{1899} / December / 30} + std::chrono::days(static_cast<long>(days));
    const year_month_day date{day};
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// A one-line progress bar on a terminal; nothing otherwise.
class ProgressBar {
public:
    ProgressBar() : shown_(isatty(STDOUT_FILENO) != 0) {}
    ~ProgressBar() { Clear(); }

    void Update(const TlzhFileStats& stats) {
        if (!shown_) return;
        const int percent = stats.TotalPercent;
        if (percent == lastPercent_ && stats.FileName == lastName_) return;
        lastPercent_ = percent;
        lastName_ = stats.FileName;
        constexpr int kWidth = 30;
        const int filled = std::min(kWidth, percent * kWidth / 100);
        std::string name = AnsiToUtf8(ExtractFileName(stats.FileName));
        if (name.size() > 36) name = name.substr(0, 33) + "...";
        std::cout << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] "
                  << std::setw(3) << percent << "% " << std::left << std::setw(36) << name
                  << std::right << std::flush;
        drawn_ = true;
    }
    void Clear() {
        if (!drawn_) return;
        std::cout << '\r' << std::string(80, ' ') << '\r' << std::flush;
        drawn_ = false;
    }

private:
    bool shown_;
    bool drawn_ = false;
    int lastPercent_ = -1;
    std::string lastName_;
};

// The component with the tool's progress, interrupt and abort handling.
struct Session {
    explicit Session(const std::string& archive) {
        compress->SetCompressedFile(archive);
        compress->OnStatus = [this](TTarnCompress& sender, const TlzhFileStats& stats) {
            if (interrupted) sender.SetAbort(true);
            bar.Update(stats);
        };
        compress->OnAborted = [this](TTarnCompress&) { aborted = true; };
        previous = std::signal(SIGINT, OnInterrupt);
    }
    ~Session() { std::signal(SIGINT, previous); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // After an operation: an abort is a failure of the command.
    void Finish() {
        bar.Clear();
        if (aborted) throw ToolError("aborted");
    }

    std::unique_ptr<TTarnCompress> compress = std::make_unique<TTarnCompress>(nullptr);
    ProgressBar bar;
    bool aborted = false;
    void (*previous)(int) = nullptr;
};

// A later volume of a set ("files.3") stands for the set, whose table is on its first volume.
std::string SetOfVolume(const std::string& archive) {
    const std::string name = ExtractFileName(archive);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot < 2 || name.size() - dot > 4) return archive;
    int number = 0;
    for (const char c : name.substr(dot + 1)) {
        if (c < '0' || c > '9') return archive;
        number = number * 10 + (c - '0');
    }
    if (number < 2) return archive;
    const std::string first = ChangeFileExt(archive, ".1");
    if (!FileExists(first)) return archive;
    try {
        TTarnCompress set(nullptr);
        set.SetCompressedFile(first);
        set.FileCount();
        const TFileHeaders& table = set.FileHeaders();
        for (int i = 0; table.MultiDisk != 0 && i < table.Count(); ++i)
            if (table.GetFileHeaders(i).Record.LastDisk >= number) return first;
    } catch (const ETarnCompress&) {
        // Not a set after all: the file named is taken as it is.
    }
    return archive;
}

// Asks before an existing file is replaced; No keeps it.
void AskBeforeReplacing(TTarnCompress& compress, const std::string& folder) {
    compress.OnReplace = [folder](TTarnCompress& sender, const TlzhFileStats&) {
        const std::string target = IncludeBackslash(folder) + sender.TargetName();
        if (!platform::UI().Confirm("Confirm", "Replace the existing file " + target + "?"))
            sender.SetSkip(true);
    };
}

int RunList(Context& context, const ArchiveOptions& options) {
    context.Open();
    const std::string archive = MachinePath(context, options.archive);
    Session session(options.offset == 0 ? SetOfVolume(archive) : archive);
    session.compress->SetOffset(options.offset);
    std::vector<TlzhFileStats> members;
    session.compress->OnListing = [&](TTarnCompress&, const TlzhFileStats& stats) {
        members.push_back(stats);
    };
    session.compress->ListFiles();
    TlzhFileStats totals;
    session.compress->FileHeaders().Totals(totals);

    if (options.json) {
        auto list = nlohmann::ordered_json::array();
        for (const TlzhFileStats& m : members) {
            nlohmann::ordered_json entry;
            entry["name"] = AnsiToUtf8(m.FileName);
            entry["number"] = m.Header.Number;
            entry["size"] = m.OriginalSize;
            entry["compressedSize"] = m.CompressedSize;
            entry["ratio"] = m.Ratio;
            entry["date"] = DateText(m.Header.FileDate);
            entry["version"] = AnsiToUtf8(m.Header.VersionText);
            entry["fileId"] = m.Header.FileId;
            entry["firstDisk"] = m.Header.FirstDisk;
            entry["lastDisk"] = m.Header.LastDisk;
            entry["dataStart"] = m.Header.DataStart;
            entry["lastBytePos"] = m.Header.LastBytePos;
            list.push_back(entry);
        }
        nlohmann::ordered_json out;
        out["archive"] = AnsiToUtf8(session.compress->CompressedFile());
        out["volumeSet"] = session.compress->FileHeaders().MultiDisk != 0;
        out["members"] = list;
        out["totalSize"] = totals.TotalOriginal;
        out["totalCompressedSize"] = totals.TotalCompressed;
        out["totalRatio"] = totals.TotalRatio;
        std::cout << out.dump(2) << '\n';
        return 0;
    }
    std::cout << "      Size     Packed Ratio Date                Version                 Id  "
                 "Name\n";
    for (const TlzhFileStats& m : members) {
        std::cout << std::setw(10) << m.OriginalSize << ' ' << std::setw(10) << m.CompressedSize
                  << ' ' << std::setw(4) << static_cast<int>(m.Ratio) << "% "
                  << DateText(m.Header.FileDate) << ' ' << std::left << std::setw(20)
                  << AnsiToUtf8(m.Header.VersionText) << std::right << ' ' << std::setw(5)
                  << m.Header.FileId << "  " << AnsiToUtf8(m.FileName) << '\n';
    }
    std::cout << std::setw(10) << totals.TotalOriginal << ' ' << std::setw(10)
              << totals.TotalCompressed << ' ' << std::setw(4)
              << static_cast<int>(totals.TotalRatio) << "% " << members.size()
              << (members.size() == 1 ? " member" : " members")
              << (session.compress->FileHeaders().MultiDisk != 0 ? " (volume set)" : "") << '\n';
    return 0;
}

int RunAdd(Context& context, const ArchiveOptions& options) {
    const TCompressionLevel level = ParseLevel(options.level);
    context.Open();
    Session session(OutputPath(context, options.archive, HostOutput::File));
    TTarnCompress& compress = *session.compress;
    compress.SetCompressionLevel(level);
    for (const std::string& file : options.files)
        compress.FilesToProcess().Add(MachinePath(context, file));
    std::int64_t original = 0;
    std::int64_t packed = 0;
    int added = 0;
    compress.OnAfterAdding = [&](TTarnCompress&, const TlzhFileStats& stats) {
        ++added;
        original += stats.FileBytesDone;
        packed += stats.CompressedSize;
    };
    compress.AddFiles(options.append, options.id);
    session.Finish();
    std::cout << "Added " << added << (added == 1 ? " file" : " files") << " to "
              << AnsiToUtf8(compress.CompressedFile()) << ": " << original << " -> " << packed
              << " bytes (" << static_cast<int>(Percent(packed, original)) << "%)\n";
    return 0;
}

// The member a command-line name stands for: the name itself, the host path's Windows form, or
// the one member whose file name it is; of copies added again, the newest.
int ResolveMember(Context& context, TTarnCompress& compress, const std::string& name) {
    const TFileHeaders& headers = compress.FileHeaders();
    auto nameOf = [&](int i) -> const std::string& {
        return headers.GetFileHeaders(i).Record.FileName;
    };
    auto newest = [&](std::string_view wanted) {
        int found = -1;
        for (int i = 0; i < headers.Count(); ++i)
            if (SameTextAscii(nameOf(i), UpToSemicolon(wanted))) found = i;
        return found;
    };
    if (const int i = newest(name); i >= 0) return i;
    if (name.find(';') == std::string::npos && name.find('\\') == std::string::npos) {
        if (const int i = newest(MachinePath(context, name)); i >= 0) return i;
    }
    const ETarnCompress notFound(SNotInArchive, name, compress.CompressedFile());
    int found = -1;
    for (int i = 0; i < headers.Count(); ++i) {
        if (!SameTextAscii(ExtractFileName(nameOf(i)), name)) continue;
        // Two different members of that file name: the name does not say which.
        if (found >= 0 && !SameTextAscii(nameOf(found), nameOf(i))) throw notFound;
        found = i;
    }
    if (found < 0) throw notFound;
    return found;
}

// Every member, but of those extracted to one file name only the newest, which would be written
// last and win anyway.
std::vector<int> NewestMembers(const TFileHeaders& headers) {
    std::vector<int> positions;
    std::vector<std::string> names;
    for (int i = headers.Count() - 1; i >= 0; --i) {
        const std::string name = ExtractFileName(headers.GetFileHeaders(i).Record.FileName);
        if (std::any_of(names.begin(), names.end(),
                        [&](const std::string& n) { return SameTextAscii(n, name); }))
            continue;
        names.push_back(name);
        positions.push_back(i);
    }
    std::reverse(positions.begin(), positions.end());
    return positions;
}

int RunExtract(Context& context, const ArchiveOptions& options) {
    const version::TOverwriteType rule = ParseOverwrite(options.overwrite);
    context.Open();
    const std::string archive = MachinePath(context, options.archive);
    Session session(options.offset == 0 ? SetOfVolume(archive) : archive);
    TTarnCompress& compress = *session.compress;
    compress.SetOffset(options.offset);
    compress.SetOverwrite(rule);
    const std::string folder = OutputPath(
        context, options.directory.empty() ? "." : options.directory, HostOutput::Folder);
    compress.SetExtractDirectory(folder);
    if (rule == version::owAsk) AskBeforeReplacing(compress, folder);
    compress.OnNewDisk = [](TTarnCompress& sender, int disk, std::string& path) {
        const std::string name =
            ChangeFileExt(ExtractFileName(sender.CompressedFile()), "." + std::to_string(disk));
        if (!platform::UI().OkCancel("Insert disk", Format("Insert disk %d (%s) into %s", disk,
                                                           name, IncludeBackslash(path)))) {
            sender.SetAbort(true);
            throw EtcAborted(SAborted);
        }
    };

    // By position: a name added again with --append is held by several members.
    compress.FileCount();
    std::vector<int> positions;
    if (options.files.empty()) {
        positions = NewestMembers(compress.FileHeaders());
    } else {
        for (const std::string& member : options.files)
            positions.push_back(ResolveMember(context, compress, member));
    }
    const auto wanted = static_cast<int>(positions.size());
    int written = 0;
    compress.OnAfterExtracting = [&](TTarnCompress&, const TlzhFileStats&) { ++written; };
    compress.ExtractMembers(positions);
    session.Finish();
    std::cout << "Extracted " << written << " of " << wanted
              << (wanted == 1 ? " member" : " members") << " to " << AnsiToUtf8(folder);
    if (written < wanted) std::cout << " (" << wanted - written << " existing kept)";
    std::cout << '\n';
    return 0;
}

int RunSplit(Context& context, const ArchiveOptions& options) {
    const std::uint64_t volumeSize = ParseSize(options.volumeSize);
    context.Open();
    std::string archive = MachinePath(context, options.archive);
    if (options.offset == 0) archive = SetOfVolume(archive);
    const std::string folder = OutputPath(context, options.folder, HostOutput::Folder);
    if (!ForceDirectories(folder)) throw ToolError("cannot create the folder " + options.folder);
    const std::string volumeName = ChangeFileExt(ExtractFileName(archive), ".1");

    // Each volume is a disk of volumeSize bytes: the engine finds it full and asks for the next.
    DiskSizeLimit disks(platform::Files(), folder, volumeSize);
    platform::Services services;
    services.files = &disks;
    platform::ScopedPlatform scope(services);

    Session session(archive);
    TTarnCompress& compress = *session.compress;
    compress.SetOffset(options.offset);
    int volumes = 1;
    compress.OnNewDisk = [&](TTarnCompress&, int disk, std::string&) { volumes = disk; };
    compress.SplitToDisks(folder, volumeName);
    session.Finish();
    std::cout << "Wrote " << volumes << (volumes == 1 ? " volume" : " volumes") << " to "
              << AnsiToUtf8(folder) << ": " << AnsiToUtf8(volumeName);
    if (volumes > 1)
        std::cout << " ... "
                  << AnsiToUtf8(ChangeFileExt(volumeName, "." + std::to_string(volumes)));
    std::cout << '\n';
    return 0;
}

int RunCopy(Context& context, const ArchiveOptions& options) {
    const version::TOverwriteType rule = ParseOverwrite(options.overwrite);
    context.Open();
    const std::string source = MachinePath(context, options.source);
    std::string dest = MachinePath(context, options.dest);
    if (!FileExists(source)) throw ToolError(Format(SCannotOpenFile, source));
    if (DirectoryExists(dest)) dest = IncludeBackslash(dest) + ExtractFileName(source);
    if (auto host = context.Open().GetPathMapper().ToHost(dest))
        context.Open().AllowHostOutput(*host, HostOutput::File);
    Session session(source);
    TTarnCompress& compress = *session.compress;
    compress.SetOverwrite(rule);
    if (rule == version::owAsk) AskBeforeReplacing(compress, ExtractFilePath(dest));
    bool copied = false;
    compress.OnStatus = [&](TTarnCompress& sender, const TlzhFileStats& stats) {
        if (interrupted) sender.SetAbort(true);
        session.bar.Update(stats);
        if (stats.Finished) copied = true;
    };
    compress.CopyUncompressed(source, dest);
    session.bar.Clear();
    if (interrupted) throw ToolError("aborted");
    std::cout << (copied ? "Copied " : "Kept the existing ") << AnsiToUtf8(dest) << '\n';
    return 0;
}

} // namespace

void AddArchiveCommands(CLI::App& app, Context& context, int& status) {
    static ArchiveOptions options;
    CLI::App* archive =
        app.add_subcommand("archive", "List, add to, extract from, split and copy archives");
    archive->require_subcommand(1);

    CLI::App* list = archive->add_subcommand("list", "List the members of an archive");
    list->add_option("ARCHIVE", options.archive, "The archive (or a volume of a set)")->required();
    list->add_flag("--json", options.json, "Print JSON");
    list->add_option("--offset", options.offset,
                     "Where the archive starts inside the file (an archive in a setup.exe)");
    list->callback([&] { status = RunList(context, options); });

    CLI::App* add = archive->add_subcommand("add", "Compress files into an archive");
    add->add_option("ARCHIVE", options.archive, "The archive to write")->required();
    add->add_option("FILE", options.files, "Files to add; each member keeps the name given")
        ->required();
    add->add_flag("--append", options.append,
                  "Add to the archive instead of replacing it (a file added again is held twice)");
    add->add_option("--level", options.level, "Compression: none, fastest, default or max");
    add->add_option("--id", options.id, "File id of the added members (0 to 1999 are indexed)");
    add->callback([&] { status = RunAdd(context, options); });

    CLI::App* extract = archive->add_subcommand("extract", "Extract members of an archive");
    extract->add_option("ARCHIVE", options.archive, "The archive (or a volume of a set)")
        ->required();
    extract->add_option("MEMBER", options.files,
                        "Members by name (as listed, or their file name); none for all. Of "
                        "members with the same file name, the newest (last added) is extracted");
    extract->add_option("-C,--directory", options.directory,
                        "Folder to extract into (default: the current one)");
    extract->add_option("--overwrite", options.overwrite,
                        "Existing files: always, never, version, date, versiondate or ask");
    extract->add_option("--offset", options.offset,
                        "Where the archive starts inside the file (an archive in a setup.exe)");
    extract->callback([&] { status = RunExtract(context, options); });

    CLI::App* split =
        archive->add_subcommand("split", "Write an archive as a set of volumes of a given size");
    split->add_option("ARCHIVE", options.archive, "The archive to split (not a volume set)")
        ->required();
    split->add_option("FOLDER", options.folder, "Folder for the volumes NAME.1, NAME.2, ...")
        ->required();
    split->add_option("--volume-size", options.volumeSize, "Size of each volume (1440K: floppies)")
        ->required();
    split->add_option("--offset", options.offset, "Where the archive starts inside the file");
    split->callback([&] { status = RunSplit(context, options); });

    CLI::App* copy =
        archive->add_subcommand("copy", "Copy a file without compression under an overwrite rule");
    copy->add_option("SOURCE", options.source, "The file to copy")->required();
    copy->add_option("DEST", options.dest, "The target file or folder")->required();
    copy->add_option("--overwrite", options.overwrite,
                     "Existing files: always, never, version, date, versiondate or ask");
    copy->callback([&] { status = RunCopy(context, options); });
}

} // namespace tarn::tool
