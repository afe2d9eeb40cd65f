// tarnwell reg query|add|delete|export|import: reg.exe's conventions over the machine's registry.
#include "Commands.h"

#include "platform/Platform.h"
#include "platform/portable/PathMapper.h"
#include "platform/portable/RegFile.h"
#include "platform/portable/RegistryPath.h"
#include "platform/portable/RegistryStore.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

namespace tarn::tool {
namespace {

using namespace tarn::platform;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// reg.exe's switches: /v NAME, /ve, /va, /t TYPE, /s [SEP], /d DATA, /f, /y; "-" works as "/".
struct RegArgs {
    std::vector<std::string> positional;
    std::optional<std::string> value; // /v NAME, or "" for /ve
    bool allValues = false;           // /va
    bool recursive = false;           // /s (query)
    std::string type = "REG_SZ";
    std::string separator = std::string(1, '\0');
    std::optional<std::string> data;
    bool force = false;
};

RegArgs ParseRegArgs(const std::vector<std::string>& args, bool separatorTakesValue) {
    RegArgs r;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string sw = a.size() > 1 && (a[0] == '/' || a[0] == '-') ? Lower(a.substr(1)) : "";
        auto next = [&](const char* what) -> std::string {
            if (i + 1 >= args.size()) throw UsageError(std::string("/") + what + " needs a value");
            return args[++i];
        };
        if (sw == "v")
            r.value = next("v");
        else if (sw == "ve")
            r.value = "";
        else if (sw == "va")
            r.allValues = true;
        else if (sw == "t")
            r.type = next("t");
        else if (sw == "d")
            r.data = next("d");
        else if (sw == "f" || sw == "y")
            r.force = true;
        else if (sw == "s" && separatorTakesValue) {
            std::string sep = next("s");
            if (sep.size() != 1) throw UsageError("/s takes one separator character");
            r.separator = sep;
        } else if (sw == "s")
            r.recursive = true;
        else if (!sw.empty() && a[0] == '-')
            throw UsageError("unknown switch " + a);
        else
            r.positional.push_back(a); // host paths start with "/" too
    }
    return r;
}

portable::KeyPath KeyArg(const RegArgs& r, std::size_t positionals = 1) {
    if (r.positional.empty())
        throw UsageError("a key path is required, e.g. \"HKLM\\Software\\X\"");
    if (r.positional.size() > positionals)
        throw UsageError("unexpected argument " + r.positional[positionals]);
    auto key = portable::ParseKeyPath(r.positional[0]);
    if (!key) throw UsageError("not a registry key path: " + r.positional[0]);
    return *key;
}

// The key as reg.exe shows it: the root's full name, then the subkey.
std::string ShownKey(const portable::KeyPath& key) {
    static const std::map<HKEY, std::string> names = {
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},     {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},   {HKEY_USERS, "HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}, {HKEY_DYN_DATA, "HKEY_DYN_DATA"}};
    auto it = names.find(key.root);
    std::string shown = it == names.end() ? "?" : it->second;
    std::string sub = key.subKey;
    while (!sub.empty() && sub.back() == '\\')
        sub.pop_back();
    return sub.empty() ? shown : shown + "\\" + sub;
}

[[noreturn]] void NotFound() {
    throw ToolError("ERROR: The system was unable to find the specified registry key or value.");
}

[[noreturn]] void Failed(LONG rc) {
    std::string text = System().ErrorText(static_cast<DWORD>(rc));
    throw ToolError("ERROR: " + (text.empty() ? "error " + std::to_string(rc) : text));
}

class Key {
public:
    Key(HKEY root, const std::string& sub, REGSAM access) {
        rc_ = Registry().OpenKey(root, sub, access, h_);
    }
    ~Key() {
        if (rc_ == ERROR_SUCCESS) Registry().CloseKey(h_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    LONG Status() const { return rc_; }
    HKEY Get() const { return h_; }

private:
    HKEY h_ = 0;
    LONG rc_;
};

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "REG_UNKNOWN(" + std::to_string(type) + ")";
    }
}

std::string ShowData(DWORD type, const std::vector<std::uint8_t>& data) {
    if ((type == REG_DWORD && data.size() == 4) || (type == REG_QWORD && data.size() == 8)) {
        unsigned long long v = 0;
        for (std::size_t i = data.size(); i-- > 0;)
            v = (v << 8) | data[i];
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%llx", v);
        return buf;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::string s(data.begin(), data.end());
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        if (type == REG_MULTI_SZ)
            for (std::size_t p; (p = s.find('\0')) != std::string::npos;)
                s.replace(p, 1, "\\0");
        return s;
    }
    std::string hex;
    char buf[3];
    for (std::uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        hex += buf;
    }
    return hex;
}

void PrintValue(HKEY h, const std::string& name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (Registry().QueryValue(h, name, type, data) != ERROR_SUCCESS) return;
    std::cout << "    " << (name.empty() ? "(Default)" : name) << "    " << TypeName(type) << "    "
              << ShowData(type, data) << '\n';
}

void QueryKey(HKEY root, const std::string& sub, const std::string& shown, bool recursive) {
    Key key(root, sub, KEY_READ);
    if (key.Status() != ERROR_SUCCESS) {
        if (key.Status() == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
        Failed(key.Status());
    }
    std::cout << '\n' << shown << '\n';
    std::string name;
    for (DWORD i = 0; Registry().EnumValue(key.Get(), i, name) == ERROR_SUCCESS; ++i)
        PrintValue(key.Get(), name);
    std::vector<std::string> subkeys;
    for (DWORD i = 0; Registry().EnumKey(key.Get(), i, name) == ERROR_SUCCESS; ++i)
        subkeys.push_back(name);
    for (const std::string& s : subkeys) {
        std::string childSub = sub.empty() ? s : sub + "\\" + s;
        if (recursive)
            QueryKey(root, childSub, shown + "\\" + s, true);
        else if (&s == &subkeys.front())
            std::cout << '\n' << shown << "\\" << s << '\n';
        else
            std::cout << shown << "\\" << s << '\n';
    }
}

std::vector<std::uint8_t> EncodeData(const RegArgs& r, DWORD& type) {
    static const std::map<std::string, DWORD> types = {
        {"REG_SZ", REG_SZ},       {"REG_EXPAND_SZ", REG_EXPAND_SZ}, {"REG_MULTI_SZ", REG_MULTI_SZ},
        {"REG_DWORD", REG_DWORD}, {"REG_QWORD", REG_QWORD},         {"REG_BINARY", REG_BINARY},
        {"REG_NONE", REG_NONE}};
    std::string upper = r.type;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto it = types.find(upper);
    if (it == types.end()) throw UsageError("unknown value type " + r.type);
    type = it->second;
    std::string d = r.data.value_or("");
    std::vector<std::uint8_t> out;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        out.assign(d.begin(), d.end());
        out.push_back(0);
    } else if (type == REG_MULTI_SZ) {
        for (char c : d)
            out.push_back(c == r.separator[0] ? 0 : static_cast<std::uint8_t>(c));
        if (!d.empty()) out.push_back(0);
        out.push_back(0);
    } else if (type == REG_DWORD || type == REG_QWORD) {
        std::size_t used = 0;
        unsigned long long v = 0;
        try {
            v = std::stoull(d, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (d.empty() || used != d.size() || d[0] == '-' ||
            (type == REG_DWORD && v > 0xFFFFFFFFull))
            throw UsageError("not a number for " + upper + ": " + d);
        for (int i = 0; i < (type == REG_DWORD ? 4 : 8); ++i)
            out.push_back((v >> (8 * i)) & 0xFF);
    } else if (type == REG_BINARY || type == REG_NONE) {
        if (d.size() % 2) throw UsageError("hexadecimal data needs pairs of digits: " + d);
        for (std::size_t i = 0; i < d.size(); i += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(d[i])) ||
                !std::isxdigit(static_cast<unsigned char>(d[i + 1])))
                throw UsageError("not hexadecimal: " + d);
            out.push_back(static_cast<std::uint8_t>(std::stoul(d.substr(i, 2), nullptr, 16)));
        }
    }
    return out;
}

LONG DeleteTree(HKEY root, const std::string& sub) {
    {
        Key key(root, sub, KEY_READ);
        if (key.Status() != ERROR_SUCCESS) return key.Status();
        std::vector<std::string> subkeys;
        std::string name;
        for (DWORD i = 0; Registry().EnumKey(key.Get(), i, name) == ERROR_SUCCESS; ++i)
            subkeys.push_back(name);
        for (const std::string& s : subkeys)
            if (LONG rc = DeleteTree(root, sub + "\\" + s); rc != ERROR_SUCCESS) return rc;
    }
    return Registry().DeleteKey(root, sub);
}

bool Ask(bool force, const std::string& question) {
    return force || UI().Confirm("Confirm", question);
}

int RunQuery(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, false);
    portable::KeyPath key = KeyArg(r);
    context.Open();
    std::string shown = ShownKey(key);
    if (r.value) {
        Key k(key.root, key.subKey, KEY_READ);
        if (k.Status() != ERROR_SUCCESS) NotFound();
        DWORD type = 0;
        std::vector<std::uint8_t> data;
        if (Registry().QueryValue(k.Get(), *r.value, type, data) != ERROR_SUCCESS) NotFound();
        std::cout << '\n' << shown << '\n';
        PrintValue(k.Get(), *r.value);
        std::cout << '\n';
        return 0;
    }
    QueryKey(key.root, key.subKey, shown, r.recursive);
    std::cout << '\n';
    return 0;
}

int RunAdd(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, true);
    portable::KeyPath key = KeyArg(r);
    context.Open();
    DWORD type = REG_SZ;
    std::vector<std::uint8_t> data = EncodeData(r, type);
    HKEY h = 0;
    if (LONG rc = Registry().CreateKey(key.root, key.subKey, KEY_ALL_ACCESS, h);
        rc != ERROR_SUCCESS)
        Failed(rc);
    struct Closer {
        HKEY h;
        ~Closer() { Registry().CloseKey(h); }
    } closer{h};
    if (r.value || r.data) {
        std::string name = r.value.value_or("");
        DWORD oldType = 0;
        std::vector<std::uint8_t> old;
        if (Registry().QueryValue(h, name, oldType, old) == ERROR_SUCCESS &&
            !Ask(r.force,
                 "Value " + (name.empty() ? "(Default)" : name) + " exists, overwrite(Yes/No)?")) {
            std::cout << "The operation was cancelled.\n";
            return 1;
        }
        if (LONG rc = Registry().SetValue(h, name, type, data.data(), data.size());
            rc != ERROR_SUCCESS)
            Failed(rc);
    }
    std::cout << "The operation completed successfully.\n";
    return 0;
}

int RunDelete(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, false);
    portable::KeyPath key = KeyArg(r);
    context.Open();
    const std::string shown = ShownKey(key);
    if (r.value || r.allValues) {
        Key k(key.root, key.subKey, KEY_ALL_ACCESS);
        if (k.Status() == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
        if (k.Status() != ERROR_SUCCESS) Failed(k.Status());
        std::vector<std::string> names;
        if (r.allValues) {
            std::string name;
            for (DWORD i = 0; Registry().EnumValue(k.Get(), i, name) == ERROR_SUCCESS; ++i)
                names.push_back(name);
        } else {
            names.push_back(*r.value);
        }
        std::string what =
            r.allValues ? "all values under " + shown
                        : "the registry value " + (r.value->empty() ? "(Default)" : *r.value);
        if (!Ask(r.force, "Delete " + what + " (Yes/No)?")) {
            std::cout << "The operation was cancelled.\n";
            return 1;
        }
        for (const std::string& name : names)
            if (LONG rc = Registry().DeleteValue(k.Get(), name); rc != ERROR_SUCCESS) {
                if (rc == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
                Failed(rc);
            }
    } else {
        if (key.subKey.empty()) throw UsageError("a whole root cannot be deleted");
        {
            Key k(key.root, key.subKey, KEY_READ);
            if (k.Status() == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
        }
        if (!Ask(r.force, "Permanently delete the registry key " + shown + " (Yes/No)?")) {
            std::cout << "The operation was cancelled.\n";
            return 1;
        }
        if (LONG rc = DeleteTree(key.root, key.subKey); rc != ERROR_SUCCESS) Failed(rc);
    }
    std::cout << "The operation completed successfully.\n";
    return 0;
}

// A file argument: a host path, or a Windows path on the machine.
std::filesystem::path FileArg(portable::Machine& machine, const std::string& arg) {
    bool windows = arg.size() >= 2 && arg[1] == ':';
    if (!windows) return std::filesystem::absolute(arg);
    auto host = machine.GetPathMapper().ToHost(arg);
    if (!host) throw ToolError("no such drive: " + arg);
    return *host;
}

int RunExport(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, false);
    if (r.positional.size() != 2) throw UsageError("reg export KEY FILE [/y]");
    portable::KeyPath key = KeyArg(r, 2);
    portable::Machine& machine = context.Open();
    std::optional<std::string> text = machine.GetRegistryStore().Export(ShownKey(key));
    if (!text) NotFound();
    std::filesystem::path file = FileArg(machine, r.positional[1]);
    if (std::filesystem::exists(file) &&
        !Ask(r.force, "File " + r.positional[1] + " already exists. Overwrite(Yes/No)?")) {
        std::cout << "The operation was cancelled.\n";
        return 1;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << *text;
    if (!out.flush()) throw ToolError("ERROR: cannot write " + file.string());
    std::cout << "The operation completed successfully.\n";
    return 0;
}

int RunImport(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, false);
    if (r.positional.size() != 1) throw UsageError("reg import FILE");
    portable::Machine& machine = context.Open();
    std::filesystem::path file = FileArg(machine, r.positional[0]);
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ToolError("ERROR: cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    try {
        machine.GetRegistryStore().Import(text.str(), file.filename().string());
    } catch (const portable::RegFileError& e) {
        throw ToolError(std::string("ERROR: ") + e.what());
    }
    machine.Flush();
    std::cout << "The operation completed successfully.\n";
    return 0;
}

} // namespace

void AddRegCommands(CLI::App& app, Context& context, int& status) {
    CLI::App* reg =
        app.add_subcommand("reg", "Query and change the machine's registry, as reg.exe");
    reg->require_subcommand(1);
    struct Verb {
        const char* name;
        const char* help;
        int (*run)(Context&, const std::vector<std::string>&);
    };
    static const Verb verbs[] = {
        {"query", "KEY [/v NAME | /ve] [/s]: list a key's values and subkeys", RunQuery},
        {"add", "KEY [/v NAME | /ve] [/t TYPE] [/s SEP] [/d DATA] [/f]: add a key or value",
         RunAdd},
        {"delete", "KEY [/v NAME | /ve | /va] [/f]: delete a key with its subtree, or values",
         RunDelete},
        {"export", "KEY FILE [/y]: write the key and its subtree as REGEDIT4 text", RunExport},
        {"import", "FILE: merge REGEDIT4 text into the registry", RunImport},
    };
    for (const Verb& verb : verbs) {
        CLI::App* sub = reg->add_subcommand(verb.name, verb.help);
        sub->prefix_command(); // reg.exe's /switches are not CLI options
        sub->callback(
            [sub, &context, &status, run = verb.run] { status = run(context, sub->remaining()); });
    }
}

} // namespace tarn::tool
