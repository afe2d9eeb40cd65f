#include "platform/portable/BatchRunner.h"

#include "platform/CommandLine.h"
#include "platform/portable/WindowsText.h"

#include <map>
#include <string>
#include <string_view>

namespace tarn::platform::portable {
namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text) {
    std::string upper;
    for (char c : text)
        upper += Upper(c);
    return upper;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// What separates the arguments of the interpreter's own commands.
bool IsDelimiter(char c) {
    return IsBlank(c) || c == ',' || c == ';' || c == '=';
}

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

std::string ErrorText(DWORD code) {
    std::string text = SystemErrorText(code);
    return text.empty() ? "error " + std::to_string(code) : text;
}

bool NotFound(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

struct Word {
    std::string text; // quotes removed
    bool isSwitch = false;
};

// Quotes group; outside them a "/" starts a switch even when it follows a name ("del x/q").
std::vector<Word> SplitWords(std::string_view text) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsDelimiter(text[i])) {
            ++i;
            continue;
        }
        Word word;
        if (text[i] == '/') {
            word.isSwitch = true;
            word.text += text[i++];
        }
        bool quoted = false;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && (IsDelimiter(c) || c == '/')) break;
            word.text += c;
        }
        words.push_back(std::move(word));
    }
    return words;
}

// Redirection, pipes, command chaining and escapes would need the interpreter itself.
bool HasOperator(std::string_view text) {
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == '<' || c == '>' || c == '|' || c == '&' || c == '^')) return true;
    }
    return false;
}

// %0..%9 and %%. Other uses of % (environment variables, the %~ forms) are not known here:
// false, and the line is refused rather than run with a guess.
bool ExpandParameters(std::string_view line, const std::vector<std::string>& parameters,
                      std::string& expanded) {
    expanded.clear();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '%') {
            expanded += line[i];
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '%') {
            expanded += '%';
        } else if (i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(line[i + 1] - '0');
            if (index < parameters.size()) expanded += parameters[index];
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

DWORD ReadWholeFile(IFileSystem& files, const std::string& path, std::string& content) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (DWORD error = files.CreateFile(path, GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, file))
        return error;
    char buffer[16 * 1024];
    DWORD error = ERROR_SUCCESS;
    for (;;) {
        DWORD read = 0;
        error = files.ReadFile(file, buffer, sizeof buffer, read);
        if (error != ERROR_SUCCESS || read == 0) break;
        content.append(buffer, read);
    }
    files.CloseFile(file);
    return error;
}

struct Entry {
    std::string path; // full, with the long name
    std::string name;
    DWORD attributes = 0;
};

class Runner {
public:
    Runner(IFileSystem& files, std::string batch, const std::vector<std::string>& arguments,
           std::string currentDirectory)
        : files_(files), batch_(std::move(batch)), current_(std::move(currentDirectory)) {
        parameters_.push_back(QuoteArgument(batch_));
        for (const std::string& argument : arguments)
            parameters_.push_back(QuoteArgument(argument));
    }

    BatchResult Run() {
        std::string content;
        if (DWORD error = ReadWholeFile(files_, batch_, content)) {
            result_.messages.push_back("cannot read the batch file " + batch_ + ": " +
                                       ErrorText(error));
            result_.exitCode = 1;
            return result_;
        }
        // DOS editors end a text file with Ctrl-Z; nothing after it is read.
        if (auto end = content.find('\x1a'); end != std::string::npos) content.resize(end);
        std::size_t from = 0;
        while (from < content.size() && !exited_) {
            std::size_t to = content.find('\n', from);
            if (to == std::string::npos) to = content.size();
            std::string line = content.substr(from, to - from);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            ++lineNumber_;
            RunLine(line);
            from = to + 1;
        }
        if (!exited_) result_.exitCode = failed_ ? 1 : 0;
        return result_;
    }

private:
    void RunLine(const std::string& raw) {
        std::size_t start = 0;
        while (start < raw.size() && (IsBlank(raw[start]) || raw[start] == '@'))
            ++start;
        line_ = raw.substr(start);
        // Labels, and "::" comments, which are labels no GOTO can reach.
        if (line_.empty() || line_[0] == ':') return;
        if (UpperAscii(CommandWord(line_)) == "REM") return;

        std::string text;
        if (!ExpandParameters(line_, parameters_, text) || HasOperator(text)) return Refuse();
        const std::string command = UpperAscii(CommandWord(text));
        if (command == "ECHO") return; // nothing to show it on
        const char after = command.size() < text.size() ? text[command.size()] : ' ';
        if (!IsDelimiter(after) && after != '/' && after != '"') return Refuse();
        const std::vector<Word> words = SplitWords(std::string_view(text).substr(command.size()));
        if (command == "CLS") return;
        if (command == "DEL" || command == "ERASE") return Delete(words);
        if (command == "DELTREE") return DeleteTrees(words);
        if (command == "MOVE") return Move(words);
        if (command == "EXIT") return Exit(words);
        Refuse();
    }

    static std::string_view CommandWord(std::string_view text) {
        std::size_t end = 0;
        while (end < text.size() && IsLetter(text[end]))
            ++end;
        return text.substr(0, end);
    }

    // --- reports -------------------------------------------------------------------------------

    std::string Where() const {
        return "the batch file " + batch_ + ", line " + std::to_string(lineNumber_) + ": ";
    }
    void Note(const std::string& what) {
        result_.messages.push_back(Where() + what);
        result_.notes.push_back(result_.messages.back());
    }
    void Fail(const std::string& what) {
        Note(what);
        failed_ = true;
    }
    void Refuse() {
        result_.messages.push_back("the batch file " + batch_ +
                                   " holds a command the machine does not run: " + line_);
        failed_ = true;
    }
    // A command that would stop and ask: nobody sits at the machine to answer.
    void RefuseToAsk(const std::string& question) {
        Fail(question + ", and there is no one to answer; not run: " + line_);
    }

    // --- paths ---------------------------------------------------------------------------------

    // Against the batch's current folder, which need not be the file system's.
    std::string Absolute(const std::string& path) const {
        if (current_.size() < 2 || path.empty()) return path;
        if (path.size() >= 2 && path[1] == ':') {
            if ((path.size() >= 3 && (path[2] == '\\' || path[2] == '/')) ||
                Upper(path[0]) != Upper(current_[0]))
                return path;
            return Join(current_, path.substr(2));
        }
        if (path[0] == '\\' || path[0] == '/') return current_.substr(0, 2) + path;
        return Join(current_, path);
    }

    // Folded, except a wildcard last name: the file system reads meaning into "*." and "x*.".
    std::string FullPath(const std::string& path) const {
        const std::string absolute = Absolute(path);
        const std::size_t split = absolute.find_last_of("\\/:");
        const bool bare = split == std::string::npos;
        const std::string name = bare ? absolute : absolute.substr(split + 1);
        std::string folded;
        if (!HasWildcard(name)) {
            if (files_.GetFullPathName(absolute, folded) != ERROR_SUCCESS) return absolute;
            return folded;
        }
        const std::string folder = bare ? std::string(".") : absolute.substr(0, split + 1);
        if (files_.GetFullPathName(folder, folded) != ERROR_SUCCESS) return absolute;
        return Join(folded, name);
    }

    static std::string LastName(const std::string& path) {
        const std::size_t split = path.find_last_of('\\');
        return split == std::string::npos ? path : path.substr(split + 1);
    }

    // The entries a full path names: those its last name matches (by wildcard, or by 8.3 alias,
    // which gives the long name). The error is the search's when there are none.
    DWORD Entries(const std::string& full, std::vector<Entry>& found) const {
        found.clear();
        const std::string name = LastName(full);
        if (name.empty()) { // a drive's root
            DWORD attributes = 0;
            if (DWORD error = files_.GetAttributes(full, attributes)) return error;
            found.push_back({full, {}, attributes});
            return ERROR_SUCCESS;
        }
        const std::string folder = full.substr(0, full.size() - name.size());
        HANDLE find = 0;
        FindData data;
        if (DWORD error = files_.FindFirst(full, find, data)) return error;
        do {
            if (data.name != "." && data.name != "..")
                found.push_back({folder + data.name, data.name, data.attributes});
        } while (files_.FindNext(find, data) == ERROR_SUCCESS);
        files_.FindClose(find);
        return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    }

    static DWORD WithoutReadOnly(DWORD attributes) {
        attributes &= ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
        return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    }

    // --- ERASE / DEL ---------------------------------------------------------------------------

    // /Q answers the question before deleting all of a folder; /F deletes read-only files too.
    // Hidden and system files are not matched, as DEL without /A does not.
    void Delete(const std::vector<Word>& words) {
        bool quiet = false, force = false;
        std::vector<std::string> paths;
        for (const Word& word : words) {
            const std::string upper = UpperAscii(word.text);
            if (!word.isSwitch)
                paths.push_back(word.text);
            else if (upper == "/Q")
                quiet = true;
            else if (upper == "/F")
                force = true;
            else
                return Refuse();
        }
        if (paths.empty()) return Fail("DEL without a file to delete");
        for (const std::string& path : paths) {
            std::string full = FullPath(path);
            std::vector<Entry> found;
            DWORD error = Entries(full, found);
            const bool folder = !HasWildcard(LastName(full)) && found.size() == 1 &&
                                (found[0].attributes & FILE_ATTRIBUTE_DIRECTORY);
            if (folder) {
                full = Join(found[0].path, "*");
                error = Entries(full, found);
            }
            const std::string mask = LastName(full);
            if ((folder || mask == "*" || mask == "*.*") && !quiet) {
                RefuseToAsk("DEL would ask before deleting all files of a folder (/Q)");
                continue;
            }
            bool any = false;
            for (const Entry& entry : found) {
                if (entry.attributes &
                    (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                    continue;
                any = true;
                DeleteOne(entry, force);
            }
            if (any) continue;
            if (error == ERROR_SUCCESS || NotFound(error))
                Note("could not find " + full);
            else
                Fail("cannot delete " + full + ": " + ErrorText(error));
        }
    }

    void DeleteOne(const Entry& entry, bool force) {
        RememberName(entry.path);
        DWORD error = files_.DeleteFile(entry.path);
        if (error == ERROR_ACCESS_DENIED && force && (entry.attributes & FILE_ATTRIBUTE_READONLY) &&
            files_.SetAttributes(entry.path, WithoutReadOnly(entry.attributes)) == ERROR_SUCCESS)
            error = files_.DeleteFile(entry.path);
        if (error) Fail("cannot delete " + entry.path + ": " + ErrorText(error));
    }

    // --- DELTREE -------------------------------------------------------------------------------

    // Files and folders go whatever their attributes, as DELTREE does.
    void DeleteTrees(const std::vector<Word>& words) {
        bool yes = false;
        std::vector<std::string> paths;
        for (const Word& word : words) {
            if (!word.isSwitch)
                paths.push_back(word.text);
            else if (UpperAscii(word.text) == "/Y")
                yes = true;
            else
                return Refuse();
        }
        if (paths.empty()) return Fail("DELTREE without a folder to delete");
        if (!yes) return RefuseToAsk("DELTREE without /Y would ask before each deletion");
        for (const std::string& path : paths) {
            const std::string full = FullPath(path);
            std::vector<Entry> found;
            if (DWORD error = Entries(full, found)) {
                if (NotFound(error))
                    Note("could not find " + full);
                else
                    Fail("cannot delete " + full + ": " + ErrorText(error));
                continue;
            }
            for (const Entry& entry : found)
                DeleteTree(entry);
        }
    }

    void DeleteTree(const Entry& entry) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RememberName(entry.path);
            DWORD error = files_.DeleteFile(entry.path);
            if (error == ERROR_ACCESS_DENIED && (entry.attributes & FILE_ATTRIBUTE_READONLY) &&
                files_.SetAttributes(entry.path, WithoutReadOnly(entry.attributes)) ==
                    ERROR_SUCCESS)
                error = files_.DeleteFile(entry.path);
            if (error) Fail("cannot delete " + entry.path + ": " + ErrorText(error));
            return;
        }
        if (entry.attributes & FILE_ATTRIBUTE_READONLY)
            files_.SetAttributes(entry.path, WithoutReadOnly(entry.attributes));
        // An empty folder, or a link to a folder elsewhere, goes at once. Only a folder that holds
        // something is entered, so that a link is never followed out of the tree.
        DWORD error = files_.RemoveDirectory(entry.path);
        if (error == ERROR_DIR_NOT_EMPTY) {
            std::vector<Entry> inside;
            Entries(Join(entry.path, "*"), inside);
            for (const Entry& child : inside)
                DeleteTree(child);
            error = files_.RemoveDirectory(entry.path);
        }
        if (error) Fail("cannot remove the folder " + entry.path + ": " + ErrorText(error));
    }

    // --- MOVE ----------------------------------------------------------------------------------

    // An existing file is replaced without asking: cmd's MOVE asks only outside batch files
    // (and COMMAND.COM's with COPYCMD=/-Y, which a batch run here never has). /-Y would ask.
    void Move(const std::vector<Word>& words) {
        std::vector<std::string> paths;
        for (const Word& word : words) {
            const std::string upper = UpperAscii(word.text);
            if (!word.isSwitch)
                paths.push_back(word.text);
            else if (upper == "/-Y")
                return RefuseToAsk("MOVE /-Y would ask before replacing a file");
            else if (upper != "/Y")
                return Refuse();
        }
        if (paths.size() < 2) return Fail("MOVE needs a file to move and where to");
        std::string target = FullPath(paths.back());
        DWORD attributes = 0;
        const bool exists = files_.GetAttributes(target, attributes) == ERROR_SUCCESS;
        if (!exists) target = Tunnelled(target);
        const bool intoFolder = exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        std::vector<Entry> sources;
        for (std::size_t i = 0; i + 1 < paths.size(); ++i) {
            const std::string full = FullPath(paths[i]);
            std::vector<Entry> found;
            if (DWORD error = Entries(full, found))
                Fail("cannot move " + full + ": " + ErrorText(error));
            // A pattern moves files; a folder moves when it is named.
            for (const Entry& entry : found)
                if (!HasWildcard(LastName(full)) || !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
                    sources.push_back(entry);
        }
        if (sources.size() > 1 && !intoFolder)
            return Fail("cannot move several files onto the one file " + target);
        for (const Entry& source : sources) {
            const std::string to = intoFolder ? Join(target, source.name) : target;
            if (DWORD error = files_.MoveFile(source.path, to,
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
                Fail("cannot move " + source.path + " to " + to + ": " + ErrorText(error));
        }
    }

    // Windows gives a file made under the short name of a file just deleted that file's long name
    // back (name tunnelling): a batch that erases a file and moves another over it by short
    // names leaves the long name in place.
    void RememberName(const std::string& path) {
        std::string shortPath;
        if (files_.GetShortPathName(path, shortPath) == ERROR_SUCCESS && !shortPath.empty())
            tunnel_[UpperAscii(shortPath)] = path;
    }
    std::string Tunnelled(const std::string& target) const {
        const auto it = tunnel_.find(UpperAscii(target));
        return it == tunnel_.end() ? target : it->second;
    }

    // --- EXIT ----------------------------------------------------------------------------------

    void Exit(const std::vector<Word>& words) {
        exited_ = true;
        result_.exitCode = failed_ ? 1 : 0;
        for (const Word& word : words) {
            if (word.isSwitch && UpperAscii(word.text) == "/B") continue;
            if (word.isSwitch || word.text.empty() ||
                word.text.find_first_not_of("0123456789") != std::string::npos)
                break;
            result_.exitCode = static_cast<DWORD>(std::stoul(word.text.substr(0, 9)));
            break;
        }
    }

    IFileSystem& files_;
    std::map<std::string, std::string> tunnel_; // deleted files' long paths by short path
    std::string batch_;
    std::string current_;
    std::vector<std::string> parameters_;
    std::size_t lineNumber_ = 0;
    std::string line_; // the line being run, as written
    bool failed_ = false;
    bool exited_ = false;
    BatchResult result_;
};

} // namespace

bool IsBatchFile(const std::string& windowsPath) {
    if (windowsPath.size() < 4) return false;
    const std::string extension = UpperAscii(windowsPath.substr(windowsPath.size() - 4));
    return extension == ".BAT" || extension == ".CMD";
}

BatchResult RunBatch(IFileSystem& files, const std::string& batchPath,
                     const std::vector<std::string>& arguments,
                     const std::string& currentDirectory) {
    return Runner(files, batchPath, arguments, currentDirectory).Run();
}

} // namespace tarn::platform::portable
