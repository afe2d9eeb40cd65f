// A property value of a stored form: integer, float, string, identifier (enumeration values,
// True/False, component references), set or string list.
#pragma once

#include "framework/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

class TComponent;

enum class TValueKind { Integer, Float, String, Identifier, Set, StringList, Reference };

struct TValue {
    TValueKind kind = TValueKind::Integer;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;               // String and Identifier; the name of a Reference
    std::vector<std::string> items; // Set members and StringList lines
    TComponent* reference = nullptr;

    static TValue Integer(std::int64_t v) { return {TValueKind::Integer, v, 0, {}, {}, nullptr}; }
    static TValue Float(double v) { return {TValueKind::Float, 0, v, {}, {}, nullptr}; }
    static TValue String(std::string v) {
        return {TValueKind::String, 0, 0, std::move(v), {}, nullptr};
    }
    static TValue Ident(std::string v) {
        return {TValueKind::Identifier, 0, 0, std::move(v), {}, nullptr};
    }
    static TValue Boolean(bool v) { return Ident(v ? "True" : "False"); }
    static TValue Set(std::vector<std::string> v) {
        return {TValueKind::Set, 0, 0, {}, std::move(v), nullptr};
    }
    static TValue Strings(std::vector<std::string> v) {
        return {TValueKind::StringList, 0, 0, {}, std::move(v), nullptr};
    }
    static TValue Ref(TComponent* v) { return {TValueKind::Reference, 0, 0, {}, {}, v}; }

    bool operator==(const TValue&) const = default;
};

// A value of the wrong kind handed to a property setter.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

// Checked access for setters.
std::int64_t AsInteger(const TValue& value);
double AsFloat(const TValue& value);
const std::string& AsString(const TValue& value);
const std::string& AsIdent(const TValue& value);
bool AsBoolean(const TValue& value);
const std::vector<std::string>& AsItems(const TValue& value);

} // namespace tarn
