// tarnwell list: the products in the machine's uninstall list, as Add/Remove Programs shows them,
// with whether each has a record of files for the uninstaller to take away.
#include "Commands.h"

#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/ScopedRegKey.h"

#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

namespace tarn::tool {
namespace {

using namespace tarn::platform;

constexpr const char* kUninstallList = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The values Add/Remove Programs shows, in the order they are listed.
constexpr const char* kShownValues[] = {"DisplayName", "DisplayVersion", "Publisher",
                                        "UninstallString"};

// Opened for reading; invalid when it cannot be, for whatever reason, and then skipped as missing.
ScopedRegKey OpenForReading(HKEY parent, const std::string& sub) {
    ScopedRegKey key(Registry());
    static_cast<void>(key.Open(parent, sub, KEY_READ));
    return key;
}

struct Product {
    std::string key; // host text, as every field here
    std::optional<std::string> values[std::size(kShownValues)];
    bool filesRecorded = false;
};

// A string value as host text; nothing when absent or not a string.
std::optional<std::string> StringValue(const ScopedRegKey& key, const char* name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key.ReadValue(name, type, data) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::string text(data.begin(), data.end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return ToHostText(text);
}

std::vector<Product> ReadProducts() {
    std::vector<Product> products;
    const ScopedRegKey list = OpenForReading(HKEY_LOCAL_MACHINE, kUninstallList);
    if (!list.Valid()) return products;
    std::string name;
    for (DWORD i = 0; list.EnumKey(i, name) == ERROR_SUCCESS; ++i) {
        const ScopedRegKey key = OpenForReading(list.Handle(), name);
        if (!key.Valid()) continue;
        Product p;
        p.key = ToHostText(name);
        for (std::size_t v = 0; v < std::size(kShownValues); ++v)
            p.values[v] = StringValue(key, kShownValues[v]);
        p.filesRecorded = OpenForReading(key.Handle(), "Files").Valid() ||
                          OpenForReading(key.Handle(), "ActiveX").Valid();
        products.push_back(std::move(p));
    }
    return products;
}

void PrintJson(const std::vector<Product>& products) {
    auto out = nlohmann::ordered_json::array();
    for (const Product& p : products) {
        nlohmann::ordered_json entry;
        entry["key"] = p.key;
        for (std::size_t v = 0; v < std::size(kShownValues); ++v)
            entry[kShownValues[v]] =
                p.values[v] ? nlohmann::ordered_json(*p.values[v]) : nlohmann::ordered_json();
        entry["filesRecorded"] = p.filesRecorded;
        out.push_back(std::move(entry));
    }
    std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void PrintPlain(const std::vector<Product>& products) {
    if (products.empty()) std::cout << "No products are in the uninstall list.\n";
    for (const Product& p : products) {
        if (&p != &products.front()) std::cout << '\n';
        std::cout << p.key << '\n';
        for (std::size_t v = 0; v < std::size(kShownValues); ++v)
            if (p.values[v]) std::cout << "  " << kShownValues[v] << ": " << *p.values[v] << '\n';
        std::cout << "  Files recorded: " << (p.filesRecorded ? "yes" : "no") << '\n';
    }
}

} // namespace

void AddListCommands(CLI::App& app, Context& context, int& status) {
    static bool json = false;
    CLI::App* list =
        app.add_subcommand("list", "List the installed products (the machine's uninstall list)");
    list->fallthrough();
    list->add_flag("--json", json, "Print a JSON array (UTF-8)");
    list->callback([&context, &status] {
        context.Open();
        const std::vector<Product> products = ReadProducts();
        if (json)
            PrintJson(products);
        else
            PrintPlain(products);
        status = 0;
    });
}

} // namespace tarn::tool
