// Arbitrary bytes as an INI file read and edited through the embedded machine's profile
// functions: every section and key they list can be read back, and an edit changes what it names
// and nothing else.
#include "FuzzMachine.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

using namespace tarn;

namespace {

constexpr const char* kFile = "FUZZ.INI"; // in C:\WINDOWS, as a bare name is taken
constexpr const char* kMissing = "\x01missing";

std::vector<std::string> SectionNames(platform::IProfile& profile) {
    std::vector<std::string> names;
    profile.GetSectionNames(kFile, names);
    return names;
}

// The key of an entry line as GetSection gives it ("key=value", or a line without "=").
std::string KeyOf(const std::string& line) {
    return line.substr(0, line.find('='));
}

// Quotes around a whole value are not part of it.
std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzMachine machine("profile");
    {
        std::ofstream out(machine.Drive() / "WINDOWS" / kFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    platform::IProfile& profile = platform::Profile();

    const std::vector<std::string> names = SectionNames(profile);
    std::string section, key;
    bool haveKey = false;
    for (std::size_t i = 0; i < names.size() && i < 8; ++i) {
        std::vector<std::string> lines;
        profile.GetSection(kFile, names[i], lines);
        if (lines.empty()) continue;
        // The section's first entry is the first of its key: its value is the one read.
        const std::size_t eq = lines[0].find('=');
        const std::string expected =
            eq == std::string::npos ? kMissing : Unquoted(lines[0].substr(eq + 1));
        if (profile.GetString(kFile, names[i], KeyOf(lines[0]), kMissing) != expected) std::abort();
        if (!haveKey) section = names[i], key = KeyOf(lines[0]), haveKey = true;
    }
    if (names.empty()) {
        if (profile.WriteString(kFile, "Fuzz", "Key", "value") != 0) std::abort();
        if (SectionNames(profile) != std::vector<std::string>{"Fuzz"}) std::abort();
        return 0;
    }

    // Writing an entry that is there replaces it in place: the sections stay as they were.
    if (haveKey) {
        if (profile.WriteString(kFile, section, key, "fuzz value") != 0) std::abort();
        if (profile.GetString(kFile, section, key, kMissing) != "fuzz value") std::abort();
        if (SectionNames(profile) != names) std::abort();
        if (profile.DeleteKey(kFile, section, key) != 0) std::abort();
        if (SectionNames(profile) != names) std::abort();
    }
    // Erasing a section takes its first occurrence only.
    if (profile.EraseSection(kFile, names[0]) != 0) std::abort();
    std::vector<std::string> left = SectionNames(profile);
    if (left.size() + 1 != names.size()) std::abort();
    return 0;
}
