#include "platform/portable/RunningPrograms.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <signal.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tarn::platform::portable {
namespace {

namespace fs = std::filesystem;

// A record is its program's start time and host file; nothing longer is one.
constexpr std::size_t kRecordLimit = 16 * 1024;

std::filesystem::path Canonical(fs::path path) {
    std::error_code ec;
    auto canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical;
}

std::optional<unsigned long long> Number(std::string_view text) {
    unsigned long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The whole file, or nothing when it cannot be read (errno says why) or is longer than limit
// (errno EFBIG).
std::optional<std::string> ReadSmallFile(const fs::path& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (text.size() + static_cast<std::size_t>(n) > limit) {
            errno = EFBIG;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    const int error = errno;
    ::close(fd);
    if (n != 0) {
        errno = error;
        return std::nullopt;
    }
    return text;
}

struct ProcessState {
    unsigned long long start = 0; // clock ticks after boot
    bool ended = false;           // a zombie: it has ended but is not reaped yet
};

// From /proc/<pid>/stat; nothing when the process is gone or there is no /proc.
std::optional<ProcessState> ReadProcess(pid_t pid) {
    auto text = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat", 4096);
    if (!text) return std::nullopt;
    // The name in parentheses (field 2) may hold spaces and parentheses itself.
    const auto close = text->rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::string_view rest = std::string_view(*text).substr(close + 1);
    std::vector<std::string_view> fields; // from field 3, the state
    while (fields.size() < 20) {
        const auto begin = rest.find_first_not_of(' ');
        if (begin == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(begin);
        const auto end = std::min(rest.find(' '), rest.size());
        fields.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    auto start = Number(fields[19]); // field 22
    if (!start) return std::nullopt;
    return ProcessState{*start, fields[0] == "Z" || fields[0] == "X"};
}

// start 0: it was not known when the program was recorded.
bool StillRuns(pid_t pid, unsigned long long start) {
    if (pid <= 0) return false;
    if (::kill(pid, 0) != 0 && errno != EPERM) return false;
    const auto state = ReadProcess(pid);
    if (!state) return start == 0; // without /proc the pid is all there is to go by
    return !state->ended && (start == 0 || state->start == start);
}

struct Record {
    unsigned long long start = 0;
    fs::path program;
};

std::string RecordText(unsigned long long start, const fs::path& program) {
    return std::to_string(start) + '\n' + program.string() + '\n';
}

std::optional<Record> ParseRecord(std::string_view text) {
    const auto line = text.find('\n');
    if (line == std::string_view::npos) return std::nullopt;
    auto start = Number(text.substr(0, line));
    std::string_view program = text.substr(line + 1);
    // The program is the rest up to the closing newline: a host path may hold newlines too.
    if (!start || program.size() < 2 || program.front() != '/' || program.back() != '\n')
        return std::nullopt;
    program.remove_suffix(1);
    return Record{*start, fs::path(std::string(program))};
}

// Written beside the folder and renamed in, so that the folder only ever holds whole records.
// Empty when it could not be written: the start then counts for this process only.
fs::path WriteRecord(const fs::path& records, pid_t pid, const std::string& text) {
    static std::atomic<unsigned> counter{0};
    const fs::path temporary =
        records.parent_path() / (records.filename().string() + ".tmp-" +
                                 std::to_string(::getpid()) + "-" + std::to_string(counter++));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return {};
    std::string_view rest = text;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::close(fd) != 0 || !rest.empty()) {
        ::unlink(temporary.c_str());
        return {};
    }
    const fs::path record = records / std::to_string(pid);
    // Whoever removes the last record removes the folder too; it may go between the two steps.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::error_code ec;
        fs::create_directories(records, ec);
        if (::rename(temporary.c_str(), record.c_str()) == 0) return record;
        if (errno != ENOENT) break;
    }
    ::unlink(temporary.c_str());
    return {};
}

// The empty folder goes so that a machine folder looks as before once its programs have ended.
void RemoveRecord(const fs::path& record) {
    ::unlink(record.c_str());
    ::rmdir(record.parent_path().c_str());
}

} // namespace

std::shared_ptr<RunningPrograms::Child> RunningPrograms::Add(pid_t pid,
                                                             std::filesystem::path program) {
    auto child = std::make_shared<Child>();
    child->pid = pid;
    child->program = Canonical(std::move(program));
    if (!records_.empty()) {
        // The start time is fixed at the fork: it is there even when the program has ended.
        const auto state = ReadProcess(pid);
        child->record =
            WriteRecord(records_, pid, RecordText(state ? state->start : 0, child->program));
    }
    std::lock_guard lock(mutex_);
    children_.push_back(child);
    return child;
}

bool RunningPrograms::Poll(Child& child) {
    if (child.exited) return true;
    const pid_t r = ::waitpid(child.pid, &child.status, WNOHANG);
    if (r == child.pid || r < 0) child.exited = true;
    if (child.exited && !child.record.empty()) {
        RemoveRecord(child.record);
        child.record.clear();
    }
    return child.exited;
}

bool RunningPrograms::Holds(const std::filesystem::path& host) {
    std::lock_guard lock(mutex_);
    std::erase_if(children_, [](const auto& child) { return Poll(*child); });
    std::optional<fs::path> wanted; // worked out only when there is something to compare
    if (!children_.empty()) {
        wanted = Canonical(host);
        if (std::any_of(children_.begin(), children_.end(),
                        [&](const auto& child) { return child->program == *wanted; }))
            return true;
    }
    if (records_.empty()) return false;
    // Usually there is no folder: no program runs.
    DIR* dir = ::opendir(records_.c_str());
    if (!dir) return false;
    bool found = false, removed = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        const fs::path path = records_ / entry->d_name;
        const auto pid = Number(name);
        std::optional<Record> record;
        if (pid && *pid <= static_cast<unsigned long long>(std::numeric_limits<pid_t>::max())) {
            auto text = ReadSmallFile(path, kRecordLimit);
            if (!text && errno == ENOENT) continue; // removed meanwhile
            if (text) record = ParseRecord(*text);
        }
        if (!record || !StillRuns(static_cast<pid_t>(*pid), record->start)) {
            ::unlink(path.c_str());
            removed = true;
            continue;
        }
        if (ownReleased_ && static_cast<pid_t>(*pid) == ::getpid()) continue;
        if (!wanted) wanted = Canonical(host);
        if (record->program == *wanted) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    if (removed) ::rmdir(records_.c_str());
    return found;
}

} // namespace tarn::platform::portable
