// tarnwell build PROJECT [-o DIR] [--standalone]: the distributables of a project (a stored form
// holding an install component and its tree) written into DIR, as the install application's
// build does on Windows: setup.exe, setup.1 (the install application, the project form as
// setup.frm and the uninstall program) and files.1.
//
// The tool stands in for the build machine: the library folder (the marker and the loading
// program) and the files setup.1 carries are laid out in a temporary host folder from the
// programs beside the tool, and only DIR is writable to the machine for the run.
#include "Commands.h"

#include "archive/ArchivePaths.h"
#include "framework/Application.h"
#include "framework/ClassRegistry.h"
#include "framework/FileExists.h"
#include "framework/Form.h"
#include "framework/FormLexer.h"
#include "framework/FormReader.h"
#include "framework/StringList.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstall.h"
#include "install/cmp_TInstall_Stored.h"
#include "install/cmp_TNetInstallLocation.h"
#include "paths/cmp_TPathSpecifier.h"
#include "platform/Console.h"
#include "platform/portable/PathMapper.h"
#include "platform/portable/PortableFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace tarn::tool {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLibraryVariable = "TARNWELL_LIBRARY";
constexpr const char* kMarkerFile = "T32V50.TXT";
constexpr const char* kFormInSetup = "setup.frm";
// The programs of this build, beside the tool.
constexpr const char* kLoaderProgram = "setup-loader";
constexpr const char* kSetupProgram = "tarnwell-setup";
constexpr const char* kUninstallerProgram = "uninstall";

struct BuildOptions {
    std::string project;
    std::string output;
    bool standAlone = false;
};

// The characters the reader takes as blank between tokens.
bool Blank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool NameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// A source folder with neither a drive nor a leading backslash lies below the project's folder.
bool IsRelativeFolder(const std::string& folder) {
    if (std::all_of(folder.begin(), folder.end(), Blank)) return false;
    if (folder[0] == '\\') return false;
    return !(folder.size() >= 2 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
             folder[1] == ':');
}

// The end of the string value that starts at from: quoted pieces and #nn codes, joined with "+"
// also across lines. npos when the text there is no string the reader would take.
std::size_t StringValueEnd(const std::string& text, std::size_t from) {
    std::size_t pos = from;
    for (;;) {
        bool piece = false;
        while (pos < text.size() && (text[pos] == '\'' || text[pos] == '#')) {
            piece = true;
            if (text[pos] == '#') {
                ++pos;
                while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
                    ++pos;
                continue;
            }
            for (++pos;; ++pos) {
                if (pos >= text.size() || text[pos] == '\n' || text[pos] == '\r')
                    return std::string::npos;
                if (text[pos] != '\'') continue;
                if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                    ++pos;
                    continue;
                }
                ++pos;
                break;
            }
        }
        if (!piece) return std::string::npos;
        std::size_t next = pos;
        while (next < text.size() && Blank(text[next]))
            ++next;
        if (next >= text.size() || text[next] != '+') return pos;
        ++next;
        while (next < text.size() && Blank(text[next]))
            ++next;
        pos = next;
    }
}

// A string in the form's notation on one line.
std::string FormString(const std::string& text) {
    std::string out;
    bool quoted = false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < ' ') {
            if (quoted) out += '\'';
            quoted = false;
            out += '#' + std::to_string(static_cast<unsigned char>(c));
            continue;
        }
        if (!quoted) out += '\'';
        quoted = true;
        if (c == '\'') out += '\'';
        out += c;
    }
    if (quoted) out += '\'';
    return out.empty() ? "''" : out;
}

// The project text with each relative SourceDirectory made absolute. The same text is read for
// the build and carried in setup.1: the install looks a file up in files.1 by its source path, so
// both must name the same one. A value keeps its lines (one spread over several becomes one line
// and empty ones), so that the reader's messages name the project's own lines.
std::string WithAbsoluteSources(std::string text,
                                const std::function<std::string(const std::string&)>& absolute) {
    std::size_t line = 0;
    while (line < text.size()) {
        std::size_t pos = line;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        std::size_t nameEnd = pos;
        while (nameEnd < text.size() && NameChar(text[nameEnd]))
            ++nameEnd;
        std::size_t rest = nameEnd;
        if (SameTextAscii(std::string_view(text).substr(pos, nameEnd - pos), "SourceDirectory")) {
            std::size_t value = nameEnd;
            while (value < text.size() && (text[value] == ' ' || text[value] == '\t'))
                ++value;
            if (value < text.size() && text[value] == '=') {
                ++value;
                while (value < text.size() && (text[value] == ' ' || text[value] == '\t'))
                    ++value;
                const std::size_t end = StringValueEnd(text, value);
                std::optional<std::string> folder;
                if (end != std::string::npos) {
                    try {
                        TFormLexer lexer(std::string_view(text).substr(value, end - value), "");
                        TToken token = lexer.Next();
                        if (token.kind == TTokenKind::String) folder = std::move(token.text);
                    } catch (const EFormError&) {
                        // Left as written: the reader names the fault.
                    }
                }
                if (folder && IsRelativeFolder(*folder)) {
                    std::string replacement = FormString(absolute(*folder));
                    replacement.append(static_cast<std::size_t>(std::count(
                                           text.begin() + static_cast<std::ptrdiff_t>(value),
                                           text.begin() + static_cast<std::ptrdiff_t>(end), '\n')),
                                       '\n');
                    text.replace(value, end - value, replacement);
                    rest = value + replacement.size();
                } else if (folder) {
                    rest = end;
                }
            }
        }
        const std::size_t newline = text.find('\n', rest);
        if (newline == std::string::npos) break;
        line = newline + 1;
    }
    return text;
}

std::string ReadHostFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The folder the running tool is in; the other programs of the build are beside it.
fs::path ToolFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) throw ToolError("cannot find the folder of the tarnwell program (/proc/self/exe)");
    return self.parent_path();
}

// A temporary host folder, removed with everything in it when the run ends.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "tarnwell-build-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw ToolError("cannot make a temporary folder in " +
                            fs::temp_directory_path().string());
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// An environment variable set for the run, put back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

class BuildRun {
public:
    BuildRun(Context& context, const BuildOptions& options)
        : context_(context), options_(options) {}

    int Run() {
        context_.Open();
        const fs::path project = fs::absolute(options_.project).lexically_normal();
        projectFolder_ = project.parent_path();
        // The project's folder must be one the machine can name: its sources lie there.
        context_.ArgumentText(projectFolder_.string());
        const fs::path output = options_.output.empty()
                                    ? projectFolder_ / "build"
                                    : fs::absolute(options_.output).lexically_normal();
        context_.ArgumentText(output.string());
        if (fs::exists(output) && !fs::is_directory(output))
            throw UsageError(context_.ShownHostText(output.string()) + " is not a folder");

        const std::string text = WithAbsoluteSources(
            ReadHostFile(project), [this](const std::string& folder) { return Absolute(folder); });

        TemporaryFolder temporary;
        // The units the stored tree needs, and an application that names the install program
        // and no switches: loading the form starts no run mode.
        paths::PathSpecifierUnit specifiers;
        install::NetInstallLocationUnit locations;
        install::InstallContainerUnit containers;
        TApplication application;
        application.ExeName = MachinePath(ToolFolder() / kSetupProgram);
        ScopedApplication applicationScope(application);
        TClassRegistry registry;
        install::RegisterInstallDriverClasses(registry);

        std::unique_ptr<TComponent> root =
            ReadForm(text, context_.ShownHostText(options_.project), registry);
        install::TCustomInstall* driver = install::InstallComponent();
        if (!dynamic_cast<TCustomForm*>(root.get()) || !driver)
            throw ToolError("the project " + context_.ShownHostText(options_.project) +
                            " holds no install component");
        const std::vector<install::TCustomInstallFile*> files = InstallFiles(*root);
        CheckSources(files);

        const fs::path setupProgram = Program(kSetupProgram, "the install application");
        const fs::path uninstaller = Program(kUninstallerProgram, "the uninstall program");
        const fs::path library = temporary.Path() / "library";
        fs::create_directories(library);
        std::ofstream(library / kMarkerFile, std::ios::binary).close();
        if (driver->UseLoadingProgram())
            fs::copy_file(Program(kLoaderProgram, "the loading program"),
                          library / install::kLoadingProgram);
        const ScopedVariable libraryVariable(kLibraryVariable,
                                             platform::ToHostText(MachinePath(library)));

        // What setup.1 carries beside the install application.
        const fs::path carried = temporary.Path() / "setup";
        fs::create_directories(carried);
        {
            std::ofstream form(carried / kFormInSetup, std::ios::binary);
            form << text;
            if (!form.flush()) throw ToolError("cannot write the project form for setup.1");
        }
        fs::copy_file(uninstaller, carried / install::kUninstallProgram);
        TStringList setupFiles;
        for (int i = 0; i < driver->SetupFiles().Count(); ++i) {
            const std::string& line = driver->SetupFiles().Strings(i);
            setupFiles.Add(IsRelativeFolder(line) ? Absolute(line) : line);
        }
        setupFiles.Add(MachinePath(carried / kFormInSetup));
        setupFiles.Add(MachinePath(carried / install::kUninstallProgram));
        driver->SetSetupFiles(setupFiles);

        fs::create_directories(output);
        context_.Open().AllowHostOutput(output, platform::portable::HostOutput::Folder);
        const auto before = Listing(output);
        ReportEvents(*driver, static_cast<int>(files.size()));
        driver->Build(MachinePath(setupProgram), MachinePath(output), options_.standAlone);
        PrintWritten(output, before);
        return 0;
    }

private:
    // The machine's name of a host path.
    std::string MachinePath(const fs::path& host) {
        return context_.Open().GetPathMapper().FromHost(host);
    }

    // A folder or file named relative to the project's folder (machine text), as the machine
    // names it.
    std::string Absolute(const std::string& relative) {
        std::string host = platform::ToHostText(relative);
        std::replace(host.begin(), host.end(), '\\', '/');
        fs::path path = (projectFolder_ / host).lexically_normal();
        if (!path.has_filename() && path != path.root_path()) path = path.parent_path();
        return MachinePath(path);
    }

    static std::vector<install::TCustomInstallFile*> InstallFiles(TComponent& form) {
        std::vector<install::TCustomInstallFile*> files;
        for (int i = 0; i < form.ComponentCount(); ++i)
            if (auto* file = dynamic_cast<install::TCustomInstallFile*>(form.Components(i)))
                files.push_back(file);
        return files;
    }

    // Every source the build packs must be there; all missing ones are named at once, before
    // anything is written.
    void CheckSources(const std::vector<install::TCustomInstallFile*>& files) {
        std::string missing;
        int count = 0;
        for (install::TCustomInstallFile* file : files) {
            // Only a value written where the project rewrite cannot see it stays relative.
            if (IsRelativeFolder(file->SourceDirectory))
                throw ToolError(file->Name() + ": the source folder '" + file->SourceDirectory +
                                "' is relative but could not be placed in the project's folder; "
                                "write SourceDirectory on a line of its own");
            const std::string source = file->ArchiveMemberName();
            if (FileExists(source)) continue;
            ++count;
            missing += "\n  " + file->Name() + ": " + source;
        }
        if (count == 0) return;
        throw ToolError(count == 1
                            ? "a source file is missing:" + missing
                            : std::to_string(count) + " source files are missing:" + missing);
    }

    fs::path Program(const char* name, const char* role) {
        const fs::path folder = ToolFolder();
        const fs::path program = folder / name;
        if (!fs::is_regular_file(program))
            throw ToolError(std::string(role) + " " + name + " is not beside the tool in " +
                            context_.ShownHostText(folder.string()) + " (build it first)");
        return program;
    }

    void ReportEvents(install::TCustomInstall& driver, int fileCount) {
        auto say = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
        driver.OnBeforeCopyApplication = [this, say](install::TCustomInstall&,
                                                     const std::string& file) {
            say("Copying " + context_.HostText(archive::ExtractFileName(file)));
        };
        driver.OnBeforeSetupArchive = [say](TComponent&) { say("Writing setup.1"); };
        driver.OnBeforeBuildArchives = [say, fileCount](TComponent&) {
            say("Packing files.1 (" + std::to_string(fileCount) +
                (fileCount == 1 ? " file)" : " files)"));
        };
        driver.OnAfterSelfExtract = [say](TComponent&) { say("Joined into setup.exe"); };
    }

    using Entries = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;

    static Entries Listing(const fs::path& folder) {
        Entries entries;
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            if (!entry.is_regular_file()) continue;
            entries[entry.path().filename().string()] = {entry.file_size(),
                                                         entry.last_write_time()};
        }
        return entries;
    }

    // The files of the folder this run wrote (new or changed), with their sizes.
    void PrintWritten(const fs::path& folder, const Entries& before) {
        // This build's setup.exe is a host program: it is started as ./setup.exe.
        std::error_code ec;
        if (fs::is_regular_file(folder / "setup.exe", ec))
            fs::permissions(folder / "setup.exe",
                            fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                            fs::perm_options::add, ec);
        std::vector<std::pair<std::string, std::uintmax_t>> written;
        for (const auto& [name, entry] : Listing(folder)) {
            const auto old = before.find(name);
            if (old == before.end() || old->second != entry)
                written.emplace_back(name, entry.first);
        }
        std::size_t width = 0;
        for (const auto& [name, size] : written)
            width = std::max(width, name.size());
        std::cout << "Wrote " << written.size() << (written.size() == 1 ? " file" : " files")
                  << " in " << folder.string() << ":\n";
        for (const auto& [name, size] : written)
            std::cout << "  " << std::left << std::setw(static_cast<int>(width)) << name
                      << std::right << std::setw(12) << size << " bytes\n";
    }

    Context& context_;
    const BuildOptions& options_;
    fs::path projectFolder_;
};

} // namespace

void AddBuildCommands(CLI::App& app, Context& context, int& status) {
    static BuildOptions options;
    CLI::App* build = app.add_subcommand(
        "build", "Build the distributables of a project (setup.exe, setup.1, files.1)");
    build
        ->add_option("PROJECT", options.project,
                     "The project: a stored form with an install component (a host file)")
        ->required()
        ->check(CLI::ExistingFile);
    build->add_option("-o,--output", options.output,
                      "The build folder (default: build beside the project)");
    build->add_flag("--standalone", options.standAlone,
                    "Embed setup.1 and files.1 in setup.exe (needs UseLoadingProgram)");
    build->callback([&context, &status] { status = BuildRun(context, options).Run(); });
}

} // namespace tarn::tool
