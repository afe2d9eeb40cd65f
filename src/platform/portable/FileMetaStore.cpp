#include "platform/portable/FileMetaStore.h"

#include "platform/portable/AtomicFile.h"
#include "platform/portable/ShortNames.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <system_error>
#include <vector>

namespace tarn::platform::portable {
namespace fs = std::filesystem;
namespace {

constexpr const char* kHeader = "TARNWELL FILEMETA 1";

std::string Normal(const fs::path& p) {
    std::string s = fs::absolute(p).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

// Keys of the entries directly inside folder: "folder/name" without a further slash.
bool DirectChild(const std::string& key, const std::string& prefix) {
    return key.compare(0, prefix.size(), prefix) == 0 &&
           key.find('/', prefix.size()) == std::string::npos;
}

std::string Prefix(const std::string& folder) {
    return folder == "/" ? folder : folder + "/";
}

} // namespace

FileMetaStore::FileMetaStore(const fs::path& machineFolder, unsigned codePage)
    : machine_(Normal(machineFolder)), file_(machine_ / "filemeta.txt"), codePage_(codePage) {
    RemoveStaleTemporaries(file_);
    Load();
}

FileMetaStore::~FileMetaStore() {
    try {
        Flush();
    } catch (const std::exception&) {
        // A destructor cannot report; an explicit Flush would have.
    }
}

std::string FileMetaStore::Key(const fs::path& host) const {
    return Normal(host);
}

DWORD FileMetaStore::Attributes(const fs::path& host) const {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(Key(host));
    return it == entries_.end() ? 0 : it->second.attributes;
}

void FileMetaStore::SetAttributes(const fs::path& host, DWORD attributes) {
    std::lock_guard lock(mutex_);
    std::string key = Key(host);
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        if (attributes == 0) return;
        it = entries_.emplace(key, Entry{}).first;
    }
    if (it->second.attributes == attributes) return;
    it->second.attributes = attributes;
    if (attributes == 0 && it->second.shortName.empty()) entries_.erase(it);
    dirty_ = true;
}

std::string FileMetaStore::ShortName(const fs::path& host) {
    std::lock_guard lock(mutex_);
    std::string key = Key(host);
    fs::path normal(key);
    if (IsValidShortName(MachineName(normal.filename().string()))) return {};
    auto it = entries_.find(key);
    if (it == entries_.end() || it->second.shortName.empty()) {
        AssignFolder(normal.parent_path());
        it = entries_.find(key);
        if (it == entries_.end()) return {};
    }
    return it->second.shortName;
}

std::string FileMetaStore::LongNameFor(const fs::path& folder, const std::string& shortName) {
    std::lock_guard lock(mutex_);
    AssignFolder(folder);
    std::string prefix = Prefix(Key(folder));
    for (auto it = entries_.lower_bound(prefix);
         it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (DirectChild(it->first, prefix) && SameName(it->second.shortName, shortName, codePage_))
            return it->first.substr(prefix.size());
    }
    return {};
}

void FileMetaStore::AssignFolder(const fs::path& folder) {
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    if (ec) return;
    std::sort(names.begin(), names.end());

    const std::string prefix = Prefix(Key(folder));
    std::set<std::string> taken;
    // Entries of files that vanished behind our back are dropped; the rest reserve their names.
    for (auto it = entries_.lower_bound(prefix);
         it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        if (!DirectChild(it->first, prefix)) {
            ++it;
            continue;
        }
        std::string name = it->first.substr(prefix.size());
        if (!std::binary_search(names.begin(), names.end(), name)) {
            it = entries_.erase(it);
            dirty_ = true;
            continue;
        }
        if (!it->second.shortName.empty()) taken.insert(UpperName(it->second.shortName, codePage_));
        ++it;
    }
    for (const auto& name : names)
        if (IsValidShortName(MachineName(name)))
            taken.insert(UpperName(MachineName(name), codePage_));

    // Names with the same first alias share the sequence of aliases; each search goes on where
    // the last one of its kind stopped, since the aliases below that are all taken.
    std::map<std::string, unsigned> nextNumber;
    for (const auto& name : names) {
        const std::string machineName = MachineName(name);
        if (IsValidShortName(machineName)) continue;
        Entry& entry = entries_[prefix + name];
        if (!entry.shortName.empty()) continue;
        unsigned& next =
            nextNumber.try_emplace(MakeShortName(machineName, 1, codePage_), 1).first->second;
        for (unsigned n = next;; ++n) {
            std::string alias = MakeShortName(machineName, n, codePage_);
            if (taken.insert(alias).second) {
                entry.shortName = alias;
                next = n + 1;
                break;
            }
        }
        dirty_ = true;
    }
}

void FileMetaStore::Forget(const fs::path& host) {
    std::lock_guard lock(mutex_);
    std::string key = Key(host);
    std::string prefix = Prefix(key);
    auto it = entries_.find(key);
    if (it != entries_.end()) {
        entries_.erase(it);
        dirty_ = true;
    }
    for (auto c = entries_.lower_bound(prefix);
         c != entries_.end() && c->first.compare(0, prefix.size(), prefix) == 0;) {
        c = entries_.erase(c);
        dirty_ = true;
    }
}

void FileMetaStore::Move(const fs::path& from, const fs::path& to) {
    std::lock_guard lock(mutex_);
    std::string src = Key(from);
    std::string dst = Key(to);
    if (src == dst) {
        // A change of case only: the alias goes with the old spelling.
        auto it = entries_.find(src);
        if (it != entries_.end() && !it->second.shortName.empty()) {
            it->second.shortName.clear();
            dirty_ = true;
        }
        return;
    }
    std::map<std::string, Entry> moved;
    std::string srcPrefix = Prefix(src);
    if (auto it = entries_.find(src); it != entries_.end()) {
        moved[dst] = Entry{it->second.attributes, {}};
        entries_.erase(it);
    }
    for (auto c = entries_.lower_bound(srcPrefix);
         c != entries_.end() && c->first.compare(0, srcPrefix.size(), srcPrefix) == 0;) {
        moved[Prefix(dst) + c->first.substr(srcPrefix.size())] = c->second;
        c = entries_.erase(c);
    }
    Forget(to);
    for (auto& [key, entry] : moved)
        if (entry.attributes != 0 || !entry.shortName.empty()) entries_[key] = entry;
    dirty_ = true;
}

void FileMetaStore::Load() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return;
    while (std::getline(in, line)) {
        auto tab1 = line.find('\t');
        auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) continue;
        Entry entry;
        try {
            entry.attributes = static_cast<DWORD>(std::stoul(line.substr(0, tab1), nullptr, 16));
        } catch (const std::exception&) {
            continue;
        }
        entry.shortName = line.substr(tab1 + 1, tab2 - tab1 - 1);
        fs::path stored = line.substr(tab2 + 1);
        entries_[Key(stored.is_absolute() ? stored : machine_ / stored)] = entry;
    }
}

void FileMetaStore::Flush() {
    std::lock_guard lock(mutex_);
    if (!dirty_) return;
    std::ostringstream out;
    out << kHeader << '\n';
    const std::string inside = machine_.string() + "/";
    for (const auto& [key, entry] : entries_) {
        // Paths inside the machine folder are kept relative so that the folder can be moved.
        std::string stored =
            key.compare(0, inside.size(), inside) == 0 ? key.substr(inside.size()) : key;
        char attrs[16];
        std::snprintf(attrs, sizeof attrs, "%08X", entry.attributes);
        out << attrs << '\t' << entry.shortName << '\t' << stored << '\n';
    }
    WriteFileAtomically(file_, out.str());
    dirty_ = false;
}

} // namespace tarn::platform::portable
