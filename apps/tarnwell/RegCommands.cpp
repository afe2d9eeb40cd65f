// tarnwell reg query|add|delete|export|import: reg.exe's conventions over the machine's registry.
// Keys, value names and data typed on the command line are taken into the machine's code page;
// .reg files are regedit's, REGEDIT4 or version 5.00.
#include "Commands.h"

#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/ScopedRegKey.h"
#include "platform/portable/AtomicFile.h"
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

// Writes machine text to standard output.
void Print(const std::string& text) {
    std::cout << ToHostText(text);
}

// reg.exe's switches: /v NAME, /ve, /va, /t TYPE, /s [SEP], /d DATA, /f, /y; "-" works as "/".
// Export also takes /unicode (or --unicode): a version 5.00 file instead of REGEDIT4.
struct RegArgs {
    std::vector<std::string> positional;
    std::optional<std::string> value; // /v NAME, or "" for /ve
    bool allValues = false;           // /va
    bool recursive = false;           // /s (query)
    std::string type = "REG_SZ";
    std::optional<std::string> separator; // /s SEP (add); "\0" when not given
    std::optional<std::string> data;
    bool force = false;
    bool unicode = false; // /unicode (export)
};

enum class Verb { Query, Add, Delete, Export, Import };

RegArgs ParseRegArgs(const std::vector<std::string>& args, Verb verb) {
    const bool separatorTakesValue = verb == Verb::Add;
    RegArgs r;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string sw = a.size() > 1 && (a[0] == '/' || a[0] == '-') ? Lower(a.substr(1)) : "";
        if (verb == Verb::Export && (sw == "unicode" || sw == "-unicode")) {
            r.unicode = true;
            continue;
        }
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

void PrintValue(const ScopedRegKey& key, const std::string& name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key.ReadValue(name, type, data) != ERROR_SUCCESS) return;
    Print("    " + (name.empty() ? std::string("(Default)") : name) + "    " + TypeName(type) +
          "    " + ShowData(type, data) + "\n");
}

void QueryKey(HKEY root, const std::string& sub, const std::string& shown, bool recursive) {
    ScopedRegKey key(Registry());
    if (LONG rc = key.Open(root, sub, KEY_READ); rc != ERROR_SUCCESS) {
        if (rc == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
        Failed(rc);
    }
    Print("\n" + shown + "\n");
    std::string name;
    for (DWORD i = 0; key.EnumValue(i, name) == ERROR_SUCCESS; ++i)
        PrintValue(key, name);
    const std::vector<std::string> subkeys = key.SubKeyNames();
    for (const std::string& s : subkeys) {
        std::string childSub = sub.empty() ? s : sub + "\\" + s;
        if (recursive)
            QueryKey(root, childSub, shown + "\\" + s, true);
        else if (&s == &subkeys.front())
            Print("\n" + shown + "\\" + s + "\n");
        else
            Print(shown + "\\" + s + "\n");
    }
}

// The strings of REG_MULTI_SZ data as reg.exe splits /d: at every separator, one separator at the
// end ignored. An empty string inside the list would end it for every reader, and so is refused.
std::vector<std::string> SplitMultiString(const std::string& data, const std::string& separator) {
    std::string body = data;
    if (body.ends_with(separator)) body.resize(body.size() - separator.size());
    std::vector<std::string> strings;
    if (body.empty()) return strings;
    for (std::size_t start = 0;;) {
        const std::size_t end = body.find(separator, start);
        strings.push_back(body.substr(start, end - start));
        if (strings.back().empty())
            throw UsageError("REG_MULTI_SZ data with an empty string inside: " + data);
        if (end == std::string::npos) return strings;
        start = end + separator.size();
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
        for (const std::string& s : SplitMultiString(d, r.separator.value_or("\\0"))) {
            out.insert(out.end(), s.begin(), s.end());
            out.push_back(0);
        }
        out.push_back(0); // the empty string that ends the list (alone when there are none)
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
        ScopedRegKey key(Registry());
        if (LONG rc = key.Open(root, sub, KEY_READ); rc != ERROR_SUCCESS) return rc;
        for (const std::string& s : key.SubKeyNames())
            if (LONG rc = DeleteTree(root, sub + "\\" + s); rc != ERROR_SUCCESS) return rc;
    }
    return Registry().DeleteKey(root, sub);
}

bool Ask(bool force, const std::string& question) {
    return force || UI().Confirm("Confirm", question);
}

// Every argument of a verb that takes no host paths, as machine text.
std::vector<std::string> MachineArgs(Context& context, const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const std::string& a : args)
        out.push_back(context.ArgumentText(a));
    return out;
}

int RunQuery(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(MachineArgs(context, args), Verb::Query);
    portable::KeyPath key = KeyArg(r);
    std::string shown = ShownKey(key);
    if (r.value) {
        ScopedRegKey k(Registry());
        if (k.Open(key.root, key.subKey, KEY_READ) != ERROR_SUCCESS) NotFound();
        DWORD type = 0;
        std::vector<std::uint8_t> data;
        if (k.ReadValue(*r.value, type, data) != ERROR_SUCCESS) NotFound();
        Print("\n" + shown + "\n");
        PrintValue(k, *r.value);
        std::cout << '\n';
        return 0;
    }
    QueryKey(key.root, key.subKey, shown, r.recursive);
    std::cout << '\n';
    return 0;
}

int RunAdd(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(MachineArgs(context, args), Verb::Add);
    portable::KeyPath key = KeyArg(r);
    DWORD type = REG_SZ;
    std::vector<std::uint8_t> data = EncodeData(r, type);
    ScopedRegKey k(Registry());
    if (LONG rc = k.Create(key.root, key.subKey, KEY_ALL_ACCESS); rc != ERROR_SUCCESS) Failed(rc);
    if (r.value || r.data) {
        std::string name = r.value.value_or("");
        DWORD oldType = 0;
        std::vector<std::uint8_t> old;
        if (k.ReadValue(name, oldType, old) == ERROR_SUCCESS &&
            !Ask(r.force,
                 "Value " + (name.empty() ? "(Default)" : name) + " exists, overwrite(Yes/No)?")) {
            std::cout << "The operation was cancelled.\n";
            return 1;
        }
        if (LONG rc = k.WriteValue(name, type, data); rc != ERROR_SUCCESS) Failed(rc);
    }
    std::cout << "The operation completed successfully.\n";
    return 0;
}

int RunDelete(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(MachineArgs(context, args), Verb::Delete);
    portable::KeyPath key = KeyArg(r);
    const std::string shown = ShownKey(key);
    if (r.value || r.allValues) {
        ScopedRegKey k(Registry());
        const LONG opened = k.Open(key.root, key.subKey, KEY_ALL_ACCESS);
        if (opened == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
        if (opened != ERROR_SUCCESS) Failed(opened);
        const std::vector<std::string> names =
            r.allValues ? k.ValueNames() : std::vector<std::string>{*r.value};
        std::string what =
            r.allValues ? "all values under " + shown
                        : "the registry value " + (r.value->empty() ? "(Default)" : *r.value);
        if (!Ask(r.force, "Delete " + what + " (Yes/No)?")) {
            std::cout << "The operation was cancelled.\n";
            return 1;
        }
        for (const std::string& name : names)
            if (LONG rc = k.DeleteValue(name); rc != ERROR_SUCCESS) {
                if (rc == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) NotFound();
                Failed(rc);
            }
    } else {
        if (key.subKey.empty()) throw UsageError("a whole root cannot be deleted");
        if (ScopedRegKey k(Registry());
            k.Open(key.root, key.subKey, KEY_READ) == static_cast<LONG>(ERROR_FILE_NOT_FOUND))
            NotFound();
        if (!Ask(r.force, "Permanently delete the registry key " + shown + " (Yes/No)?")) {
            std::cout << "The operation was cancelled.\n";
            return 1;
        }
        if (LONG rc = DeleteTree(key.root, key.subKey); rc != ERROR_SUCCESS) Failed(rc);
    }
    std::cout << "The operation completed successfully.\n";
    return 0;
}

// A file argument: a host path (host text), or a Windows path on the machine.
std::filesystem::path FileArg(Context& context, const std::string& arg) {
    bool windows = arg.size() >= 2 && arg[1] == ':';
    if (!windows) return std::filesystem::absolute(arg);
    const std::string path = context.ArgumentText(arg);
    auto host = context.Open().GetPathMapper().ToHost(path);
    if (!host) throw ToolError("no such drive: " + path);
    return *host;
}

// The key argument of export, which also takes a host path.
portable::KeyPath MachineKeyArg(Context& context, const RegArgs& r, std::size_t positionals) {
    RegArgs key = r;
    if (!key.positional.empty()) key.positional[0] = context.ArgumentText(key.positional[0]);
    return KeyArg(key, positionals);
}

int RunExport(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, Verb::Export);
    if (r.positional.size() != 2) throw UsageError("reg export KEY FILE [/y] [/unicode]");
    portable::KeyPath key = MachineKeyArg(context, r, 2);
    portable::Machine& machine = context.Open();
    auto place = portable::ToStoredPath(ShownKey(key));
    std::shared_ptr<portable::RegKey> found;
    if (place) found = machine.GetRegistryStore().Find(*place);
    if (!found) NotFound();
    const std::string text = portable::WriteUserRegFile(
        *found, r.unicode ? portable::RegFileFormat::Unicode : portable::RegFileFormat::Regedit4,
        System().GetACP());
    std::filesystem::path file = FileArg(context, r.positional[1]);
    if (std::filesystem::exists(file) &&
        !Ask(r.force, "File " + context.ShownHostText(r.positional[1]) +
                          " already exists. Overwrite(Yes/No)?")) {
        std::cout << "The operation was cancelled.\n";
        return 1;
    }
    try {
        portable::WriteFileAtomically(file, text); // an overwritten export is whole or untouched
    } catch (const portable::MachineError& e) {
        throw ToolError("ERROR: " + context.ShownHostText(e.what()));
    }
    std::cout << "The operation completed successfully.\n";
    return 0;
}

int RunImport(Context& context, const std::vector<std::string>& args) {
    RegArgs r = ParseRegArgs(args, Verb::Import);
    if (r.positional.size() != 1) throw UsageError("reg import FILE");
    portable::Machine& machine = context.Open();
    std::filesystem::path file = FileArg(context, r.positional[0]);
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ToolError("ERROR: cannot read " + context.ShownHostText(file.string()));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    portable::RegistryStore& store = machine.GetRegistryStore();
    try {
        // The whole file is checked before anything is applied: all of it or nothing.
        portable::ApplyRegFile(store.Tree(),
                               portable::ParseUserRegFile(bytes.str(),
                                                          context.ShownHostText(file.filename()),
                                                          System().GetACP()));
    } catch (const portable::RegFileError& e) {
        throw ToolError(std::string("ERROR: ") + e.what());
    }
    store.MarkDirty();
    machine.Flush();
    std::cout << "The operation completed successfully.\n";
    return 0;
}

} // namespace

void AddRegCommands(CLI::App& app, Context& context, int& status) {
    CLI::App* reg =
        app.add_subcommand("reg", "Query and change the machine's registry, as reg.exe");
    reg->require_subcommand(1);
    struct VerbCommand {
        const char* name;
        const char* help;
        int (*run)(Context&, const std::vector<std::string>&);
    };
    static const VerbCommand verbs[] = {
        {"query", "KEY [/v NAME | /ve] [/s]: list a key's values and subkeys", RunQuery},
        {"add", "KEY [/v NAME | /ve] [/t TYPE] [/s SEP] [/d DATA] [/f]: add a key or value",
         RunAdd},
        {"delete", "KEY [/v NAME | /ve | /va] [/f]: delete a key with its subtree, or values",
         RunDelete},
        {"export",
         "KEY FILE [/y] [/unicode]: write the key and its subtree as REGEDIT4 text, or as a "
         "version 5.00 (UTF-16) file",
         RunExport},
        {"import", "FILE: merge a .reg file (REGEDIT4 or version 5.00) into the registry",
         RunImport},
    };
    for (const VerbCommand& verb : verbs) {
        CLI::App* sub = reg->add_subcommand(verb.name, verb.help);
        sub->prefix_command(); // reg.exe's /switches are not CLI options
        sub->callback(
            [sub, &context, &status, run = verb.run] { status = run(context, sub->remaining()); });
    }
}

} // namespace tarn::tool
