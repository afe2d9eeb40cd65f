#include "platform/portable/PathMapper.h"

#include "platform/portable/FileMetaStore.h"
#include "platform/portable/ShortNames.h"

#include <algorithm>
#include <system_error>

namespace tarn::platform::portable {
namespace fs = std::filesystem;
namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerLetter(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

fs::path Normal(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    std::string s = (ec ? p : abs).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

// "drive_c/x/y" below root → "C:\x\y"; empty when host is not in a drive folder of root.
std::string OnMachineDrive(const fs::path& host, const fs::path& root) {
    std::string h = host.string();
    std::string r = root.string() + "/";
    if (h.compare(0, r.size(), r) != 0) return {};
    std::string rest = h.substr(r.size());
    auto slash = rest.find('/');
    std::string top = rest.substr(0, slash);
    if (top.size() != 7 || top.compare(0, 6, "drive_") != 0 || !IsLetter(top[6]) ||
        UpperLetter(top[6]) == 'Z')
        return {};
    std::string out = std::string(1, UpperLetter(top[6])) + ":\\";
    if (slash != std::string::npos) out += rest.substr(slash + 1);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

// A host folder's modification time; nullopt when it cannot be read.
std::optional<fs::file_time_type> Stamp(const fs::path& folder) {
    std::error_code ec;
    auto stamp = fs::last_write_time(folder, ec);
    if (ec) return std::nullopt;
    return stamp;
}

// The name in folder that a component stands for by reading the whole folder: the same name in
// another case. Empty when there is none.
std::string ScanFolder(const fs::path& folder, const std::string& component, unsigned codePage) {
    std::error_code ec;
    std::string best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        // A name the code page cannot hold is reached by its short name only.
        const auto machineName = Utf8ToAnsi(name, codePage);
        if (machineName && SameName(*machineName, component, codePage) &&
            (best.empty() || name < best))
            best = name;
    }
    return best;
}

} // namespace

PathMapper::PathMapper(fs::path machineFolder, FileMetaStore& meta, unsigned codePage)
    : machine_(Normal(machineFolder)), meta_(meta), codePage_(codePage) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(machine_, ec);
    canonicalMachine_ = ec ? machine_ : Normal(canonical);
    fs::path cwd = fs::current_path(ec);
    current_ = FromHost(ec ? fs::path("/") : cwd);
}

void PathMapper::SetCurrentDirectory(const std::string& windowsPath) {
    std::string full = FullPath(windowsPath);
    if (full.size() > 3 && full.back() == '\\') full.pop_back();
    if (!full.empty()) current_ = full;
}

std::string PathMapper::FullPath(const std::string& windowsPath) const {
    std::string p = windowsPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.size() >= 6 && p.compare(0, 4, "\\\\?\\") == 0 && p[5] == ':') p = p.substr(4);
    if (p.empty() || p.compare(0, 2, "\\\\") == 0) return {};

    char drive = 0;
    std::string rest;
    const bool currentUsable = current_.size() >= 2 && current_[1] == ':';
    if (p.size() >= 2 && IsLetter(p[0]) && p[1] == ':') {
        drive = UpperLetter(p[0]);
        rest = p.substr(2);
        if (rest.empty() || rest[0] != '\\') {
            // "C:x" is relative to the current folder when that is on C:, else to the root.
            bool sameDrive = currentUsable && UpperLetter(current_[0]) == drive;
            rest = (sameDrive ? current_.substr(2) : std::string("\\")) + "\\" + rest;
        }
    } else {
        if (!currentUsable) return {};
        drive = UpperLetter(current_[0]);
        rest = p[0] == '\\' ? p : current_.substr(2) + "\\" + p;
    }

    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    const bool trailing = p.back() == '\\';
    if (!parts.empty()) {
        // Windows drops trailing dots and spaces of the last name.
        std::string& last = parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' '))
            last.pop_back();
        if (last.empty()) parts.pop_back();
    }

    std::string out = std::string(1, drive) + ":\\";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    if (trailing && !parts.empty()) out += '\\';
    return out;
}

std::vector<std::string> PathMapper::Components(const std::string& fullPath) {
    std::vector<std::string> parts;
    std::size_t start = fullPath.size() >= 2 && fullPath[1] == ':' ? 2 : 0;
    while (start < fullPath.size()) {
        std::size_t end = fullPath.find('\\', start);
        if (end == std::string::npos) end = fullPath.size();
        if (end > start) parts.push_back(fullPath.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

fs::path PathMapper::DriveFolder(char letter) const {
    letter = UpperLetter(letter);
    if (!IsLetter(letter)) return {};
    if (letter == 'Z') return "/";
    fs::path folder = machine_ / (std::string("drive_") + LowerLetter(letter));
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : fs::path{};
}

bool PathMapper::DriveExists(char letter) const {
    return !DriveFolder(letter).empty();
}

std::optional<fs::path> PathMapper::ToHost(const std::string& windowsPath) const {
    std::string full = FullPath(windowsPath);
    if (full.empty()) return std::nullopt;
    fs::path current = DriveFolder(full[0]);
    if (current.empty()) return std::nullopt;
    const auto components = Components(full);
    // Most paths are spelled as the host stores them: one look at the whole path spares one
    // per component.
    fs::path exact = current;
    for (const auto& component : components)
        exact /= HostName(component);
    std::error_code ec;
    if (components.size() > 1 && fs::exists(fs::symlink_status(exact, ec))) return exact;
    bool resolving = true;
    for (const auto& component : components) {
        if (resolving) {
            std::string found = FindEntry(current, component);
            if (!found.empty()) {
                current /= found;
                continue;
            }
            resolving = false;
        }
        current /= HostName(component);
    }
    return current;
}

std::string PathMapper::FindEntry(const fs::path& folder, const std::string& component) const {
    std::error_code ec;
    const std::string host = HostName(component);
    if (fs::exists(fs::symlink_status(folder / host, ec))) return host;
    auto indexed = FindIndexed(folder, component);
    std::string found = indexed ? *indexed : ScanFolder(folder, component, codePage_);
    if (!found.empty()) return found;
    // The long name behind an 8.3 alias.
    if (component.find('~') != std::string::npos && IsValidShortName(component))
        return meta_.LongNameFor(folder, component);
    return {};
}

// --- the name index -------------------------------------------------------------------------

bool PathMapper::Indexable(const fs::path& folder) const {
    // Only the machine's own drives: the host's folders (Z:) are many, large and changed by
    // others, and are read as they are.
    return !OnMachineDrive(folder, machine_).empty();
}

void PathMapper::AddToIndex(NameIndex& index, const std::string& hostName) const {
    // A name the code page cannot hold is reached by its short name only.
    const auto machineName = Utf8ToAnsi(hostName, codePage_);
    if (!machineName) return;
    auto [it, added] = index.byUpperName.try_emplace(UpperName(*machineName, codePage_), hostName);
    if (added || it->second == hostName) return;
    // Names that differ only in case (a case-sensitive host): the first in byte order wins.
    index.shared.insert(it->first);
    if (hostName < it->second) it->second = hostName;
}

std::optional<std::string> PathMapper::FindIndexed(const fs::path& folder,
                                                   const std::string& component) const {
    if (!Indexable(folder)) return std::nullopt;
    const auto stamp = Stamp(folder);
    if (!stamp) return std::string{};
    std::lock_guard lock(indexMutex_);
    auto [entry, added] = indexes_.try_emplace(folder.string());
    NameIndex& index = entry->second;
    if (added || index.stamp != *stamp) {
        index = NameIndex{};
        index.stamp = *stamp;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            AddToIndex(index, it->path().filename().string());
        if (ec) {
            indexes_.erase(folder.string());
            return std::nullopt;
        }
    }
    auto it = index.byUpperName.find(UpperName(component, codePage_));
    return it == index.byUpperName.end() ? std::string{} : it->second;
}

PathMapper::FolderChange::FolderChange(const PathMapper& paths, fs::path entry)
    : paths_(paths), entry_(std::move(entry)) {
    const fs::path folder = entry_.parent_path();
    std::lock_guard lock(paths_.indexMutex_);
    auto it = paths_.indexes_.find(folder.string());
    if (it == paths_.indexes_.end()) return;
    // An index that is already out of date is read again when next needed, not patched.
    const auto stamp = Stamp(folder);
    indexCurrent_ = stamp && *stamp == it->second.stamp;
}

PathMapper::FolderChange::~FolderChange() {
    const fs::path folder = entry_.parent_path();
    std::lock_guard lock(paths_.indexMutex_);
    auto& indexes = paths_.indexes_;
    // Nothing indexed here or below: nothing to follow (and no need to look at the entry).
    const std::string below = entry_.string() + "/";
    auto inside = indexes.lower_bound(below);
    const bool indexedBelow =
        indexes.count(entry_.string()) ||
        (inside != indexes.end() && inside->first.compare(0, below.size(), below) == 0);
    if (!indexedBelow && !indexes.count(folder.string())) return;
    std::error_code ec;
    const bool exists = fs::exists(fs::symlink_status(entry_, ec));
    if (!exists) {
        // A removed or moved folder takes the indexes of everything below it along.
        indexes.erase(entry_.string());
        for (auto it = indexes.lower_bound(below);
             it != indexes.end() && it->first.compare(0, below.size(), below) == 0;)
            it = indexes.erase(it);
    }
    auto it = indexes.find(folder.string());
    if (it == indexes.end()) return;
    const auto stamp = Stamp(folder);
    if (!indexCurrent_ || !stamp) {
        indexes.erase(it);
        return;
    }
    NameIndex& index = it->second;
    const std::string name = entry_.filename().string();
    if (exists) {
        paths_.AddToIndex(index, name);
    } else if (const auto machineName = Utf8ToAnsi(name, paths_.codePage_)) {
        const std::string upper = UpperName(*machineName, paths_.codePage_);
        if (index.shared.count(upper)) {
            // Another name of the same spelling may remain: read the folder again when needed.
            indexes.erase(it);
            return;
        }
        index.byUpperName.erase(upper);
    }
    index.stamp = *stamp;
}

std::string PathMapper::MachineName(const std::string& hostName) const {
    return Utf8ToAnsiLossy(hostName, codePage_);
}

std::string PathMapper::HostName(const std::string& machineName) const {
    return AnsiToUtf8(machineName, codePage_);
}

std::string PathMapper::FromHost(const fs::path& hostPath) const {
    fs::path host = Normal(hostPath);
    for (const fs::path* root : {&machine_, &canonicalMachine_})
        if (auto onDrive = OnMachineDrive(host, *root); !onDrive.empty())
            return MachineName(onDrive);
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(host, ec);
    if (!ec) {
        canonical = Normal(canonical);
        for (const fs::path* root : {&machine_, &canonicalMachine_})
            if (auto onDrive = OnMachineDrive(canonical, *root); !onDrive.empty())
                return MachineName(onDrive);
    }
    std::string out = "Z:" + host.string();
    std::replace(out.begin(), out.end(), '/', '\\');
    return MachineName(out);
}

bool SamePath(const std::string& a, const std::string& b, unsigned codePage) {
    auto trim = [](std::string s) {
        if (s.size() > 3 && s.back() == '\\') s.pop_back();
        return s;
    };
    return SameName(trim(a), trim(b), codePage);
}

} // namespace tarn::platform::portable
