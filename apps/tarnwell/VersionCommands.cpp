// tarnwell version FILE... and tarnwell compare NEW EXISTING --rule RULE: the version resources
// of files on the machine and the overwrite decision between two of them.
#include "Commands.h"

#include "framework/FileExists.h"
#include "version/AnsiText.h"
#include "version/VersionTables.h"
#include "version/cmp_TVersion.h"

#include <charconv>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

namespace tarn::tool {
namespace {

using namespace tarn::version;

struct VersionOptions {
    std::vector<std::string> files;
    std::string language;
    std::string characterSet;
    bool json = false;
};

struct CompareOptions {
    std::string newFile;
    std::string existingFile;
    std::string rule;
    bool json = false;
};

std::optional<unsigned> Number(std::string_view text, int base) {
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A language by its name (lnGerman) or its hexadecimal identifier (0407).
TLanguage ParseLanguage(const std::string& text) {
    if (auto named = LanguageFromName(text)) return *named;
    if (auto id = Number(text, 16))
        for (int i = 0; i < kLanguageCount; ++i)
            if (LanguageId(static_cast<TLanguage>(i)) == *id) return static_cast<TLanguage>(i);
    throw UsageError("unknown language: " + text + " (a name such as lnGerman, or 0407)");
}

// A character set by its name (csMultilingual) or its code page (1252).
TCharacterSet ParseCharacterSet(const std::string& text) {
    if (auto named = CharacterSetFromName(text)) return *named;
    if (auto page = Number(text, 10))
        for (int i = 0; i < kCharacterSetCount; ++i)
            if (CharacterSetCodePage(static_cast<TCharacterSet>(i)) == *page)
                return static_cast<TCharacterSet>(i);
    throw UsageError("unknown character set: " + text +
                     " (a name such as csMultilingual, or 1252)");
}

// A rule by its name, with or without the "ow" prefix (owVersion, version).
TOverwriteType ParseRule(const std::string& text) {
    if (auto rule = OverwriteTypeFromName(text)) return *rule;
    if (auto rule = OverwriteTypeFromName("ow" + text)) return *rule;
    throw UsageError("unknown rule: " + text +
                     " (owAlways, owNever, owVersion, owDate, owVersionDate or owAsk)");
}

const char* Meaning(int result) {
    switch (result) {
    case cmpSame:
        return "same";
    case cmpNewFileNewer:
        return "new file newer (replace)";
    case cmpExistingNewer:
        return "existing file newer (keep)";
    case cmpAsk:
        return "ask";
    default:
        return "failed";
    }
}

int RunVersion(const VersionOptions& options) {
    auto reader = std::make_unique<TVersionResource>(nullptr);
    if (!options.language.empty()) reader->SetLanguage(ParseLanguage(options.language));
    if (!options.characterSet.empty())
        reader->SetCharacterSet(ParseCharacterSet(options.characterSet));

    int status = 0;
    auto listing = nlohmann::ordered_json::array();
    bool first = true;
    for (const std::string& file : options.files) {
        if (!FileExists(file)) {
            std::cerr << "tarnwell: " << file << ": file not found\n";
            status = 1;
            continue;
        }
        reader->SetFileName(file);
        const TVersionInfo& info = reader->VersionInfo();
        if (options.json) {
            nlohmann::ordered_json entry;
            entry["FileName"] = file; // as given on the command line
            for (std::string_view name : TVersionInfo::PropertyNames())
                entry[std::string(name)] = AnsiToUtf8(info.Text(name));
            entry["LanguageValue"] = info.LanguageValue();
            listing.push_back(entry);
            continue;
        }
        if (!first) std::cout << '\n';
        first = false;
        std::cout << file << '\n';
        for (std::string_view name : TVersionInfo::PropertyNames()) {
            const std::string text = AnsiToUtf8(info.Text(name));
            std::cout << "  " << name << ':' << (text.empty() ? "" : " ") << text << '\n';
        }
        std::cout << "  LanguageValue: " << info.LanguageValue() << '\n';
    }
    if (options.json)
        std::cout << listing.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
    return status;
}

int RunCompare(const CompareOptions& options) {
    const TOverwriteType rule = ParseRule(options.rule);
    const int result =
        TVersionResource::IsFileNewerByName(options.newFile, options.existingFile, rule);
    if (options.json) {
        nlohmann::ordered_json out;
        out["result"] = result;
        out["meaning"] = Meaning(result);
        out["rule"] = std::string(OverwriteTypeName(rule));
        std::cout << out.dump(2) << '\n';
    } else {
        std::cout << result << ' ' << Meaning(result) << '\n';
    }
    return 0;
}

} // namespace

void AddVersionCommands(CLI::App& app, Context& context, int& status) {
    static VersionOptions versionOptions;
    CLI::App* version =
        app.add_subcommand("version", "Print the version resource texts of files on the machine");
    version->add_option("FILE", versionOptions.files, "Windows paths (C:\\...)")->required();
    version->add_option("--language", versionOptions.language,
                        "String table language: a name (lnUSEnglish) or identifier (0409)");
    version->add_option("--charset", versionOptions.characterSet,
                        "String table character set: a name (csMultilingual) or code page (1252)");
    version->add_flag("--json", versionOptions.json, "Print JSON");
    version->callback([&context, &status] {
        context.Open();
        status = RunVersion(versionOptions);
    });

    static CompareOptions compareOptions;
    CLI::App* compare = app.add_subcommand(
        "compare", "Decide whether NEW should replace EXISTING under an overwrite rule");
    compare->add_option("NEW", compareOptions.newFile, "The new file (Windows path)")->required();
    compare->add_option("EXISTING", compareOptions.existingFile, "The existing file")->required();
    compare
        ->add_option("--rule", compareOptions.rule,
                     "owAlways, owNever, owVersion, owDate, owVersionDate or owAsk")
        ->required();
    compare->add_flag("--json", compareOptions.json, "Print JSON");
    compare->callback([&context, &status] {
        context.Open();
        status = RunCompare(compareOptions);
    });
}

} // namespace tarn::tool
